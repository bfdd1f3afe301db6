#include "data/ui/formchromerr.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <string>
#include <vector>

#include "common/ui/qtext.h"
#include "data/chromstatus.h"

namespace {

constexpr int kWidth = 450;
constexpr int kLine = 15;
constexpr int kLeft = 8;

QFrame* MakePanel(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

// Fills the lines of a panel and gives it the height of the lines used.
template <size_t N>
int FillLines(QFrame* panel, QLabel* (&labels)[N], const std::vector<std::string>& lines, int top) {
    for (size_t i = 0; i < N; ++i) {
        const bool used = i < lines.size();
        labels[i]->setText(used ? qvr::FromUtf8(lines[i]) : QString());
        labels[i]->setVisible(used);
    }
    const int n = int(std::min(lines.size(), N));
    panel->setGeometry(kLeft, top, kWidth - 2 * kLeft, n * kLine + 8);
    return top + n * kLine + 8;
}

}  // namespace

TFormChromError::TFormChromError(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Признаки наличия нештатных ситуаций, связанных с работой хроматографа"));
    LabelByteHeading = new QLabel(this);
    PanelByte = MakePanel(this);
    for (int i = 0; i < 7; ++i) {
        ByteLines[i] = new QLabel(PanelByte);
        ByteLines[i]->setGeometry(6, 4 + i * kLine, kWidth - 2 * kLeft - 12, kLine);
    }
    LabelWordHeading = new QLabel(this);
    PanelWord = MakePanel(this);
    for (int i = 0; i < 16; ++i) {
        WordLines[i] = new QLabel(PanelWord);
        WordLines[i]->setGeometry(6, 4 + i * kLine, kWidth - 2 * kLeft - 12, kLine);
    }
    BitBtn2 = new QPushButton(QStringLiteral("Выход"), this);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormChromError::BitBtn2Click);
    FormCreate();
}

void TFormChromError::FormCreate() {
    Mode = 0;
    StatusWord[0] = StatusWord[1] = 0;
    StatusByte = 0;
    for (QLabel* l : ByteLines) l->clear();
    for (QLabel* l : WordLines) l->clear();
}

void TFormChromError::FormShow() {
    const qvr::ChromStatusText t = qvr::DecodeChromStatus(Mode, StatusByte, StatusWord);
    int y = 8;
    LabelByteHeading->setText(qvr::FromUtf8(t.byteHeading));
    LabelByteHeading->setGeometry(kLeft, y, kWidth - 2 * kLeft, 18);
    y = FillLines(PanelByte, ByteLines, t.byteLines, y + 20);
    LabelWordHeading->setVisible(t.wordShown);
    PanelWord->setVisible(t.wordShown);
    if (t.wordShown) {
        LabelWordHeading->setText(qvr::FromUtf8(t.wordHeading));
        LabelWordHeading->setGeometry(kLeft, y + 8, kWidth - 2 * kLeft, 18);
        y = FillLines(PanelWord, WordLines, t.wordLines, y + 28);
    } else {
        LabelWordHeading->clear();
        for (QLabel* l : WordLines) l->clear();
    }
    const int height = y + 96;
    BitBtn2->setGeometry((kWidth - 100) / 2, height - 50, 100, 28);
    setFixedSize(kWidth, height);
}

void TFormChromError::BitBtn2Click() { close(); }

void TFormChromError::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

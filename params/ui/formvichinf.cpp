#include "params/ui/formvichinf.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "common/ui/formwidgets.h"
#include "params/ui/userformutil.h"

namespace {

constexpr int kWidth = 380;
constexpr int kFirstRowTop = 52;
constexpr int kRowHeight = 25;
constexpr int kColumnX[3] = {8, 128, 218};
constexpr int kColumnW[3] = {118, 88, 154};
const QString kRed = QStringLiteral("color: #FF0000;");

QLabel* Cell(QWidget* parent, int column, int row) {
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(kColumnX[column], kFirstRowTop + row * (kRowHeight - 1), kColumnW[column], kRowHeight);
    return l;
}

void SetCell(QLabel* l, const char* text, bool red) {
    l->setText(QString::fromUtf8(text));
    l->setStyleSheet(red ? kRed : QString());
}

}  // namespace

TFormVichInf::TFormVichInf(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Состояние обмена с вычислителями РГ"));
    const char* const headings[3] = {"Адрес\nвычислителя РГ", "Наличие\nсвязи", "Состояние процесса\nзаписи параметров"};
    const char* const names[3] = {"Label1", "Label2", "Label3"};
    for (int c = 0; c < 3; ++c) {
        QLabel* h = qvr::MakeLabel(this, names[c], headings[c], QRect(kColumnX[c], 8, kColumnW[c], 40));
        h->setAlignment(Qt::AlignCenter);
    }
    for (int r = 0; r < kFlowComputerMax; ++r) {
        Address[r] = Cell(this, 0, r);
        Link[r] = Cell(this, 1, r);
        Writing[r] = Cell(this, 2, r);
    }
    BitBtn1 = qvr::MakeButton(this, "BitBtn1", "Выход", QRect(130, 0, 120, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &TFormVichInf::BitBtn1Click);
    setFixedSize(kWidth, kFirstRowTop + 94);
}

void TFormVichInf::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormVichInf::FormShow() {
    rows_ = ImageFlowComputerCount();
    static const FlowComputerStateBlock kNone{};
    const FlowComputerStateBlock& s = States ? *States : kNone;
    for (int r = 0; r < kFlowComputerMax; ++r) {
        const bool shown = r < rows_;
        Address[r]->setVisible(shown);
        Link[r]->setVisible(shown);
        Writing[r]->setVisible(shown);
        if (!shown) continue;
        Address[r]->setText(QString::number(s.address[r]));
        if (s.linkPresent[r])
            SetCell(Link[r], "Есть", false);
        else
            SetCell(Link[r], "Нет", true);
        if (s.writing[r])
            SetCell(Writing[r], "Записываются", false);
        else
            SetCell(Writing[r], "Не записываются", true);
    }
    const int height = rows_ * (kRowHeight - 1) + kFirstRowTop + 94;
    BitBtn1->move(BitBtn1->x(), height - 46);
    setFixedSize(kWidth, height);
}

void TFormVichInf::BitBtn1Click() { accept(); }

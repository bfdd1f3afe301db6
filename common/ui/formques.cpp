#include "common/ui/formques.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>

#include "common/ui/qtext.h"

namespace {
constexpr int kLabelTop[3] = {10, 35, 60};
constexpr int kLabelHeight = 20;
constexpr int kLabelMargin = 7;  // each side: labels are the form width less 14
}  // namespace

TFormQues::TFormQues(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QString());

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::StyledPanel);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    QPalette pal;
    pal.setColor(QPalette::WindowText, Qt::black);
    auto makeLabel = [&](const char* name) {
        auto* l = new QLabel(Panel1);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(font);
        l->setPalette(pal);
        l->setAlignment(Qt::AlignCenter);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    Label1 = makeLabel("Label1");
    Label2 = makeLabel("Label2");
    Label3 = makeLabel("Label3");
    Label1->setText(QStringLiteral("Нет связи с устройством."));
    Label2->setText(QStringLiteral("Попробуйте установить параметры связи"));

    BitBtn1 = new QPushButton(QStringLiteral("Да"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogYesButton));
    BitBtn2 = new QPushButton(QStringLiteral("Нет"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogNoButton));
    BitBtn3 = new QPushButton(this);  // glyph only
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn3->setAccessibleName(QStringLiteral("OK"));
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3}) b->setFixedSize(kButtonWidth, kButtonHeight);

    connect(BitBtn1, &QPushButton::clicked, this, &TFormQues::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormQues::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormQues::BitBtn3Click);

    // Until filled: an empty caption, OK only.
    BitBtn1->hide();
    BitBtn2->hide();
    answer_ = 0;
}

void TFormQues::Fill(const qvr::QuesBox& box) {
    setWindowTitle(qvr::FromUtf8(box.caption));
    Label1->setText(qvr::FromUtf8(box.label1));
    Label2->setText(qvr::FromUtf8(box.label2));
    Label3->setText(qvr::FromUtf8(box.label3));
    BitBtn1->setVisible(box.question);
    BitBtn2->setVisible(box.question);
    BitBtn3->setVisible(!box.question);
    laidOut_ = false;
}

void TFormQues::FormShow() {
    const bool question = !BitBtn1->isHidden();
    int height = 175;
    if (Label2->text().isEmpty() && Label3->text().isEmpty())
        height = 124;
    else if (!Label2->text().isEmpty() && Label3->text().isEmpty())
        height = 150;

    // 10 pixels per character of the longest line, plus 20; never narrower than the two
    // question buttons plus 60, and never narrower than a line really is in this font.
    const QString lines[4] = {windowTitle(), Label1->text(), Label2->text(), Label3->text()};
    int chars = 0;
    int measured = 0;
    const QFontMetrics fm(Label1->font());
    for (const QString& s : lines) {
        chars = std::max(chars, int(s.size()));
        measured = std::max(measured, fm.horizontalAdvance(s));
    }
    int width = 10 * chars + 20;
    width = std::max(width, measured + 2 * kLabelMargin + 10);
    const int buttons = BitBtn1->width() + BitBtn2->width() + 60;
    if (buttons > width) width = buttons;
    setFixedSize(width, height);
    Panel1->setGeometry(0, 0, width, height);

    QLabel* labels[3] = {Label1, Label2, Label3};
    for (int i = 0; i < 3; ++i)
        labels[i]->setGeometry(kLabelMargin, kLabelTop[i], width - 2 * kLabelMargin, kLabelHeight);

    const int top = height - kButtonHeight - 10;
    if (!question) {
        BitBtn3->move((width - BitBtn3->width()) / 2, top);
        BitBtn3->setDefault(true);
        BitBtn3->setFocus();
    } else {
        const int gap = (width - BitBtn1->width() - BitBtn2->width()) / 3 - 3;
        BitBtn2->move(gap, top);
        BitBtn1->move(BitBtn2->x() + BitBtn2->width() + gap, top);
        BitBtn1->setDefault(true);
        BitBtn1->setFocus();
    }
    laidOut_ = true;
}

void TFormQues::showEvent(QShowEvent* event) {
    if (!laidOut_) FormShow();
    // Centred on the screen.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (QWidget* active = QApplication::activeWindow()) {
        if (active != this && active->screen()) screen = active->screen();
    }
    if (screen) {
        QRect r = screen->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
    if (!BitBtn1->isHidden())
        BitBtn1->setFocus();
    else
        BitBtn3->setFocus();
}

void TFormQues::BitBtn1Click() {
    answer_ = 1;
    accept();
}

void TFormQues::BitBtn2Click() {
    answer_ = 0;
    reject();
}

void TFormQues::BitBtn3Click() { accept(); }

namespace qvr {

uint8_t RunQuesForm(const QuesBox& box) {
    // The box belongs to this call alone.
    TFormQues form;
    form.Fill(box);
    form.FormShow();
    // Keep it above the window that was active when it was raised.
    QWidget* active = QApplication::activeWindow();
    form.winId();
    if (active && form.windowHandle() && active->window()->windowHandle())
        form.windowHandle()->setTransientParent(active->window()->windowHandle());
    // A busy cursor set around an exchange must not hide that the box waits for the user.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    form.exec();
    if (busy) QApplication::restoreOverrideCursor();
    return form.Answer();
}

void InstallQuesFormHandler() {
    SetQuesHandler([](const QuesBox& box) { return RunQuesForm(box); });
}

}  // namespace qvr

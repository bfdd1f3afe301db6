#include "data/ui/formprz.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <utility>

#include "common/globals.h"
#include "data/momdata.h"
#include "data/ui/formmom.h"
#include "data/ui/formmomwmt.h"
#include "link/tabledir.h"
#include "params/ui/formvichinf.h"

namespace {
constexpr int kWidth = 532;
constexpr int kHeight = 544;
constexpr int kIndicatorLeft = 400;
constexpr int kIndicatorWidth = 110;
constexpr int kTableStateTable = 7;

void SetTextColour(QLabel* label, Qt::GlobalColor colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

// "Есть" in red for a set flag, "Норма" in black for a clear one.
void ShowFlag(QLabel* label, uint8_t flag) {
    label->setText(flag ? QStringLiteral("Есть") : QStringLiteral("Норма"));
    SetTextColour(label, flag ? Qt::red : Qt::black);
}

// "Норма" in black while the link is there, "Связи нет" in red when it is not.
void ShowLink(QLabel* label, uint8_t present) {
    label->setText(present ? QStringLiteral("Норма") : QStringLiteral("Связи нет"));
    SetTextColour(label, present ? Qt::black : Qt::red);
}

QLabel* Indicator(QWidget* parent, const char* name, int top) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(kIndicatorLeft, top, kIndicatorWidth, 22);
    return l;
}

QLabel* Caption(QWidget* parent, const QString& text, int left, int top, int width, int height) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(left, top, width, height);
    return l;
}

QFrame* Group(QWidget* parent, int top, int height) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(8, top, kWidth - 16, height);
    f->lower();
    return f;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int left, int top, int width) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setGeometry(left, top, width, 30);
    return b;
}
}  // namespace

TFormPrz::TFormPrz(QWidget* owner) : TPolledForm(owner) {
    setWindowTitle(QStringLiteral("Текущее состояние контроллера"));
    setFixedSize(kWidth, kHeight);

    LabelTimeCaption = Caption(this, QStringLiteral("Дата и время последнего изменения\nпризнаков нештатных ситуаций"),
                               16, 8, 320, 36);
    LabelTime = Indicator(this, "LabelTime", 14);
    LabelTime->setGeometry(kIndicatorLeft - 60, 14, kIndicatorWidth + 60, 22);

    Group(this, 52, 56);
    LabelVichCaption = Caption(this, QStringLiteral("Нештатные ситуации, связанные с обменом \nс вычислителями РГ"),
                               16, 58, 370, 44);
    LabelVich = Indicator(this, "LabelVich", 69);

    Group(this, 116, 72);
    LabelChromCaption =
        Caption(this, QStringLiteral("Нештатные ситуации, связанные с опросом хроматографа"), 16, 122, 370, 22);
    LabelChrom = Indicator(this, "LabelChrom", 122);
    LabelChromLinkCaption = Caption(this, QStringLiteral("Связь с хроматографом"), 32, 154, 340, 22);
    LabelChromLink = Indicator(this, "LabelChromLink", 154);

    Group(this, 196, 72);
    LabelWmtCaption =
        Caption(this, QStringLiteral("Нештатные ситуации, связанные с опросом влагомера"), 16, 202, 370, 22);
    LabelWmt = Indicator(this, "LabelWmt", 202);
    LabelWmtLinkCaption = Caption(this, QStringLiteral("Связь с влагомером"), 32, 234, 340, 22);
    LabelWmtLink = Indicator(this, "LabelWmtLink", 234);

    Group(this, 276, 40);
    LabelDiagCaption =
        Caption(this, QStringLiteral("Нештатные ситуации, связанные с самодиагностикой"), 16, 285, 370, 22);
    LabelDiag = Indicator(this, "LabelDiag", 285);

    Group(this, 324, 40);
    LabelValueCaption =
        Caption(this, QStringLiteral("Наличие нештатного значения контролируемых величин"), 16, 333, 370, 22);
    LabelValue = Indicator(this, "LabelValue", 333);

    const int half = (kWidth - 24) / 2;
    BtnVich = Button(this, "BtnVich", QStringLiteral("Состояние обмена с вычислителями РГ"), 8, 380, half);
    BtnTables = Button(this, "BtnTables", QStringLiteral("Состояние таблиц параметров"), 16 + half, 380, half);
    BtnChromData = Button(this, "BtnChromData", QStringLiteral("Мгновенные данные хроматографа"), 8, 418, half);
    BtnWmtData = Button(this, "BtnWmtData", QStringLiteral("Мгновенные данные влагомера"), 16 + half, 418, half);
    BtnUpdate->setGeometry(8, 496, half, 30);
    BtnExit = Button(this, "BtnExit", QStringLiteral("Выход"), 16 + half, 496, half);

    connect(BtnVich, &QPushButton::clicked, this, &TFormPrz::BtnVichClick);
    connect(BtnTables, &QPushButton::clicked, this, &TFormPrz::BtnTablesClick);
    connect(BtnChromData, &QPushButton::clicked, this, &TFormPrz::BtnChromDataClick);
    connect(BtnWmtData, &QPushButton::clicked, this, &TFormPrz::BtnWmtDataClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFormPrz::BtnExitClick);
}

void TFormPrz::showEvent(QShowEvent* event) {
    TPolledForm::showEvent(event);
    if (event->spontaneous()) return;
    Result = 0;
    const bool moisture = g_MoisturePresent != 0;
    for (QWidget* w : {static_cast<QWidget*>(LabelWmtCaption), static_cast<QWidget*>(LabelWmt),
                       static_cast<QWidget*>(LabelWmtLinkCaption), static_cast<QWidget*>(LabelWmtLink),
                       static_cast<QWidget*>(BtnWmtData)})
        w->setEnabled(moisture);
    if (!moisture) LabelWmtLink->setText(QString());
    StartPolling();
}

void TFormPrz::PollFirst() {
    const TableRequest r{uint8_t(qvr::kTableSituation), 0, 18};
    if (!ReadTableFields(r, StatusBar, 0)) return;
    uint8_t* t16 = TablePtr(qvr::kTableSituation);
    qvr::NormaliseSituationWords(t16, IdentByte(ident::kByteOrder));
    LabelTime->setText(QString::fromStdString(qvr::SituationTimeText(t16)));
    ShowFlag(LabelVich, t16[qvr::situation::kFlowComputers]);
    ShowFlag(LabelChrom, t16[qvr::situation::kChromatograph]);
    ShowFlag(LabelDiag, t16[qvr::situation::kSelfDiagnosis]);
    ShowFlag(LabelValue, t16[qvr::situation::kAbnormalValue]);
}

void TFormPrz::PollSecond() {
    const TableRequest r{uint8_t(qvr::kTableLinks), 0, 2};
    if (!ReadTableFields(r, StatusBar, 0)) return;
    const uint8_t* t33 = TablePtr(qvr::kTableLinks);
    ShowLink(LabelChromLink, t33[0]);
    if (g_MoisturePresent) ShowLink(LabelWmtLink, t33[1]);
}

void TFormPrz::EnableButtons(bool on) {
    for (QPushButton* b : {BtnTables, BtnExit, BtnChromData, BtnVich}) b->setEnabled(on);
}

void TFormPrz::RunAction(std::function<void()> action) {
    if (InTick()) {
        // The engine is waiting for the tick's reply: run when the tick is over.
        pending_ = std::move(action);
        return;
    }
    Timer1->stop();
    EnableButtons(false);
    actionRunning_ = true;
    action();
    actionRunning_ = false;
    EnableButtons(true);
    RestartTimer();
}

void TFormPrz::TickEnded() {
    if (!pending_) return;
    std::function<void()> action = std::move(pending_);
    pending_ = nullptr;
    if (isVisible()) RunAction(std::move(action));
}

void TFormPrz::BtnVichClick() {
    RunAction([this] {
        bool ok;
        {
            qvr::HourglassScope hourglass;
            ok = ReadFlowComputerStates(&States, StatusBar);
            if (ok && MessageTimer) MessageTimer->start();
        }
        if (!ok) return;
        TFormVichInf form(this);
        form.States = &States;
        form.exec();
    });
}

void TFormPrz::BtnTablesClick() {
    RunAction([this] {
        bool ok;
        {
            qvr::HourglassScope hourglass;
            ok = ReadTableFields(TableRequest{kTableStateTable, 0, 38}, StatusBar, 1);
            if (MessageTimer) MessageTimer->start();
        }
        if (!ok) return;
        qvr::FillTableStateFromImage(TableState);
        Result = 1;
        close();
    });
}

void TFormPrz::BtnChromDataClick() {
    RunAction([this] {
        TFormMom form(this);
        form.StatusBar = StatusBar;
        form.exec();
    });
}

void TFormPrz::BtnWmtDataClick() {
    RunAction([this] {
        TFormMomWmt form(this);
        form.StatusBar = StatusBar;
        form.exec();
    });
}

void TFormPrz::BtnExitClick() {
    Result = 0;
    close();
}

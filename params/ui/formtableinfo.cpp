#include "params/ui/formtableinfo.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>

#include "app/connstatus.h"
#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/stringi.h"
#include "link/conffun.h"
#include "link/hgcbox.h"

namespace {
constexpr int kWidth = 600;
constexpr int kHeight = 588;
constexpr int kRowHeight = 17;      // row panels overlap by one pixel
constexpr int kVisibleRows = 27;
constexpr int kScrollTop = 42;
constexpr int kScrollLeft = 8;
constexpr int kBelowRows = 113;     // buttons area under the scroll box
constexpr int kCaptionWidth = 452;   // the longest table name whole
constexpr int kDestroyedLeft = 456;
constexpr int kDestroyedWidth = 50;
constexpr int kCheckLeft = 530;
constexpr int kButtonWidth = 270;
constexpr int kButtonHeight = 32;
constexpr int kClockTable = 2;
constexpr int kUserTable = 4;
constexpr uint8_t kVersionWithRestore = 14;
constexpr uint8_t kResetFunction = 25;
constexpr uint8_t kResetAddress = 1;
constexpr uint32_t kResetBaud = 9600;

int ScrollHeight(int rows) { return (kRowHeight - 1) * rows + 1; }
}  // namespace

TFormTableInfo::TFormTableInfo(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Состояние таблиц параметров конфигурации"));
    setModal(true);

    HeaderDestroyed = new QLabel(QStringLiteral("Разру-\nшена"), this);
    HeaderDestroyed->setAlignment(Qt::AlignCenter);
    HeaderDestroyed->setGeometry(kScrollLeft + kDestroyedLeft, 4, kDestroyedWidth, 34);
    HeaderWrite = new QLabel(QStringLiteral("Записать\nтаблицу"), this);
    HeaderWrite->setAlignment(Qt::AlignCenter);
    HeaderWrite->setGeometry(kScrollLeft + kCheckLeft + 8 - 28, 4, 56, 34);  // centred on the box

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setWidgetResizable(false);
    RowsHost = new QWidget;
    const int rowWidth = kWidth - 2 * kScrollLeft - 20;
    for (int k = 0; k < kRowSlots; ++k) {
        const QString n = QString::number(k + 1);
        pn[k] = new QFrame(RowsHost);
        pn[k]->setObjectName(QStringLiteral("pn") + n);
        pn[k]->setFrameShape(QFrame::Box);
        pn[k]->setGeometry(0, k * (kRowHeight - 1), rowWidth, kRowHeight);
        pnCaption[k] = new QLabel(pn[k]);
        pnCaption[k]->setTextFormat(Qt::PlainText);
        pnCaption[k]->setGeometry(2, 1, kCaptionWidth, kRowHeight - 2);
        pw[k] = new QLabel(pn[k]);
        pw[k]->setObjectName(QStringLiteral("pw") + n);
        pw[k]->setAlignment(Qt::AlignCenter);
        pw[k]->setFrameShape(QFrame::Panel);
        pw[k]->setGeometry(kDestroyedLeft, 0, kDestroyedWidth, kRowHeight);
        cb[k] = new QCheckBox(pn[k]);
        cb[k]->setObjectName(QStringLiteral("cb") + n);
        cb[k]->setGeometry(kCheckLeft, 0, 20, kRowHeight);
    }
    RowsHost->resize(rowWidth, ScrollHeight(kRowSlots));
    ScrollBox1->setWidget(RowsHost);
    ScrollBox1->verticalScrollBar()->setSingleStep(kRowHeight - 1);

    BitBtn3 = new QPushButton(QStringLiteral("Записать избранные таблицы"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn1 = new QPushButton(QStringLiteral("Записать все таблицы"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn4 = new QPushButton(QStringLiteral("Сбросить энергонезависимые данные"), this);
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    BitBtn2 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4}) {
        b->setAutoDefault(false);
        b->resize(kButtonWidth, kButtonHeight);
    }
    connect(BitBtn1, &QPushButton::clicked, this, &TFormTableInfo::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormTableInfo::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormTableInfo::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TFormTableInfo::BitBtn4Click);

    FormCreate();
}

void TFormTableInfo::FormCreate() {
    State = nullptr;
    StatusBar = nullptr;
    Result = 0;
    RowSlots = kRowSlots;
    VisibleRows = kVisibleRows;
}

void TFormTableInfo::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TFormTableInfo::FormShow() {
    resize(kWidth, kHeight);
    BuildRows();
    EnableButtons();
}

void TFormTableInfo::BuildRows() {
    rows_ = 0;
    firstDestroyedRow_ = 0;
    const bool directLine = ConnSettings.Conn_Prz == 0;
    for (int t = 0; t < kTableCount && State && rows_ < RowSlots; ++t) {
        if (State->present[t] != 1) continue;
        const int k = rows_++;
        char caption[256];
        std::snprintf(caption, sizeof caption, " Табл. %2d.  %s", t, ConfigTableNames[t] ? ConfigTableNames[t] : "");
        pnCaption[k]->setText(QString::fromUtf8(caption));
        for (QObject* o : {static_cast<QObject*>(pn[k]), static_cast<QObject*>(pw[k]), static_cast<QObject*>(cb[k])})
            o->setProperty("Tag", t);
        cb[k]->setEnabled(true);
        if (State->destroyed[t] == 1) {
            pw[k]->setText(QStringLiteral("Да"));
            pw[k]->setStyleSheet(QStringLiteral("color: red;"));
            cb[k]->setChecked(true);
            if (firstDestroyedRow_ == 0) firstDestroyedRow_ = k + 1;
        } else {
            pw[k]->setText(QStringLiteral("Нет"));
            pw[k]->setStyleSheet(QString());
            cb[k]->setChecked(false);
            // The clock and the users are chosen only when destroyed.
            if (t == kClockTable || t == kUserTable) cb[k]->setEnabled(false);
        }
        // Over a modem or Ethernet nothing is chosen here.
        if (!directLine) {
            cb[k]->setChecked(false);
            cb[k]->setEnabled(false);
        }
        pn[k]->show();
    }
    for (int k = rows_; k < kRowSlots; ++k) pn[k]->hide();
    RowsHost->resize(RowsHost->width(), ScrollHeight(rows_));

    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    bar->setValue(0);
    int height = kHeight;
    if (rows_ < VisibleRows) {
        ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ScrollBox1->setGeometry(kScrollLeft, kScrollTop, kWidth - 2 * kScrollLeft, ScrollHeight(rows_));
        height = kScrollTop + ScrollHeight(rows_) + kBelowRows;
    } else {
        ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        ScrollBox1->setGeometry(kScrollLeft, kScrollTop, kWidth - 2 * kScrollLeft, ScrollHeight(VisibleRows));
        // The range as the scroll box will find it once laid out, so the position holds now.
        bar->setRange(0, std::max(0, ScrollHeight(rows_) - ScrollHeight(VisibleRows)));
        if (firstDestroyedRow_ > VisibleRows) bar->setValue((firstDestroyedRow_ - VisibleRows) * bar->singleStep());
    }
    resize(kWidth, height);
    const int top = ScrollBox1->geometry().bottom() + 1 + 16;
    BitBtn3->move(20, top);
    BitBtn1->move(kWidth - 20 - kButtonWidth, top);
    BitBtn4->move(20, top + kButtonHeight + 12);
    BitBtn2->move(kWidth - 20 - kButtonWidth, top + kButtonHeight + 12);
}

void TFormTableInfo::EnableButtons() {
    const uint8_t version = IdentByte(ident::kSoftwareVersion);
    BitBtn1->setEnabled(true);
    BitBtn3->setEnabled(true);
    BitBtn4->setEnabled(true);
    if (version != kVersionWithRestore) {
        BitBtn1->setEnabled(false);
        BitBtn3->setEnabled(false);
    } else if (ConnSettings.Conn_Prz != 0) {
        BitBtn1->setEnabled(false);
        BitBtn3->setEnabled(false);
        BitBtn4->setEnabled(false);
    }
}

void TFormTableInfo::LimitClockAndUsers() {
    if (State->destroyed[kClockTable] != 1) State->toWrite[kClockTable] = 0;
    State->toWrite[kUserTable] = State->destroyed[kUserTable];
}

void TFormTableInfo::BitBtn1Click() {
    if (!State) return;
    for (int t = 0; t < kTableCount; ++t)
        if (State->present[t] == 1) State->toWrite[t] = 1;
    LimitClockAndUsers();
    Result = 2;
    accept();
}

void TFormTableInfo::BitBtn2Click() { reject(); }

void TFormTableInfo::BitBtn3Click() {
    if (!State) return;
    bool any = false;
    for (int k = 0; k < rows_; ++k) {
        const int t = pn[k]->property("Tag").toInt();
        State->toWrite[t] = cb[k]->isChecked() ? 1 : 0;
        any = any || cb[k]->isChecked();
    }
    if (!any) {
        g_QuesKind = qvr::kQuesNotice;
        qvr::ShowQues("Не заданы таблицы для записи", "");
        return;
    }
    LimitClockAndUsers();
    Result = 1;
    accept();
}

void TFormTableInfo::BitBtn4Click() {
    g_QuesKind = qvr::kQuesQuestion;
    qvr::ShowQues("Вы уверены, что хотите выполнить сброс", "всех энергонезависимых данных?");
    if (g_QuesAnswer != 1) return;
    bool ok;
    {
        qvr::HourglassScope hourglass;
        ok = g_Hgc && g_Hgc->Request(kResetFunction, nullptr, 0, 0);
    }
    if (!ok) {
        g_QuesKind = qvr::kQuesNotice;
        qvr::ShowQues("Команда не может быть выполнена.", g_Hgc ? g_Hgc->ResultText() : "");
        return;
    }
    BitBtn4->setEnabled(false);
    // The controller answers at address 1 and 9600 bit/s after the reset.
    FollowControllerLink(kResetAddress, kResetBaud, StatusBar);
    Result = 3;
    accept();
}

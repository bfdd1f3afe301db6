#include "data/ui/formmomwmt.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <cstring>

#include "link/conffun.h"
#include "link/tabledir.h"

namespace {
constexpr int kWidth = 745;
constexpr int kHeight = 256;
constexpr int kRowTop = 48;
constexpr int kRowHeight = 26;
constexpr int kCaptionWidth = 590;
constexpr int kValueLeft = 604;
constexpr int kValueWidth = 130;
constexpr int kMoistureLinkTable = 15;
constexpr int kMoistureTypeField = 6;
constexpr uint8_t kTypeWithGaugePressure = 2;  // its third value is the gas pressure in MPa

const char* const kRowCaptions[TFormMomWmt::kRows] = {
    " PV21 – Температура точки росы газа по воде WDP при рабочем давлении,  °C",
    " PV22 – Температура точки росы газа по углеводородам HDP при рабочем давлении,  °C",
    " PV23 – Избыточное давление газа WDP,  bar",
    " PV24 – Прив. температура точки росы газа по воде к абсолютному давлению 3,92 МПа,  °С",
    " PV25 – Избыточное давление  газа HDP,  bar",
};
const char* const kPressureCaption = " PV23 – Давление газа, МПа";
}  // namespace

TFormMomWmt::TFormMomWmt(QWidget* owner) : TPolledForm(owner) {
    setWindowTitle(QStringLiteral(" Мгновенные данные влагомера"));
    setFixedSize(kWidth, kHeight);

    LabelTimeCaption = new QLabel(QStringLiteral("Дата и время, к которым относятся данные"), this);
    LabelTimeCaption->setGeometry(8, 10, 330, 22);
    LabelTime = new QLabel(this);
    LabelTime->setObjectName(QStringLiteral("LabelTime"));
    LabelTime->setFrameShape(QFrame::Panel);
    LabelTime->setFrameShadow(QFrame::Sunken);
    LabelTime->setGeometry(344, 10, 170, 22);
    for (int i = 0; i < kRows; ++i) {
        Caption[i] = new QLabel(QString::fromUtf8(kRowCaptions[i]), this);
        Caption[i]->setObjectName(QStringLiteral("Caption%1").arg(i + 1));
        Caption[i]->setTextFormat(Qt::PlainText);
        Caption[i]->setFrameShape(QFrame::Panel);
        Caption[i]->setGeometry(8, kRowTop + i * kRowHeight, kCaptionWidth, kRowHeight - 2);
        Value[i] = new QLabel(this);
        Value[i]->setObjectName(QStringLiteral("Value%1").arg(i + 1));
        Value[i]->setFrameShape(QFrame::Panel);
        Value[i]->setFrameShadow(QFrame::Sunken);
        Value[i]->setGeometry(kValueLeft, kRowTop + i * kRowHeight, kValueWidth, kRowHeight - 2);
    }
    const int buttonsTop = kRowTop + kRows * kRowHeight + 12;
    BtnUpdate->setGeometry(8, buttonsTop, 200, 30);
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName(QStringLiteral("BtnExit"));
    BtnExit->setAutoDefault(false);
    BtnExit->setGeometry(kWidth - 8 - 120, buttonsTop, 120, 30);
    connect(BtnExit, &QPushButton::clicked, this, &TFormMomWmt::BtnExitClick);
}

void TFormMomWmt::showEvent(QShowEvent* event) {
    TPolledForm::showEvent(event);
    if (event->spontaneous()) return;
    const uint8_t* t15 = TablePtr(kMoistureLinkTable);
    Caption[2]->setText(QString::fromUtf8(t15[kMoistureTypeField] == kTypeWithGaugePressure ? kPressureCaption
                                                                                              : kRowCaptions[2]));
    // The fifth value is not one this controller reports.
    Caption[4]->setText(QString());
    Value[4]->hide();
    LabelTime->setText(QString());
    StartPolling();
}

void TFormMomWmt::ShowData() {
    LabelTime->setText(QString::fromStdString(qvr::MomTimeText(Data)));
    for (int i = 0; i < qvr::kMoistureValueCount; ++i) {
        Value[i]->setText(QString::fromStdString(qvr::MoistureValueText(Data, i)));
        Value[i]->repaint();
    }
}

void TFormMomWmt::PollFirst() {
    const TableRequest r{uint8_t(qvr::kTableMoistureMom), 0, 7};
    if (!ReadTableFields(r, StatusBar, 0)) return;
    std::memcpy(Data, TablePtr(qvr::kTableMoistureMom), sizeof Data);
    ShowData();
}

void TFormMomWmt::BtnExitClick() {
    Timer1->stop();
    close();
}

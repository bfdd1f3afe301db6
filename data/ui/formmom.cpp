#include "data/ui/formmom.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <cstring>

#include "app/rd_wr_ini.h"
#include "link/conffun.h"
#include "link/tabledir.h"
#include "reports/gascalc.h"

namespace {
constexpr int kWidth = 760;
constexpr int kHeight = 562;
constexpr int kRowTop = 64;
constexpr int kRowHeight = 22;
constexpr int kNameWidth = 380;
constexpr int kValueLeft = 396;
constexpr int kValueWidth = 100;
constexpr int kZoneLeft = 502;
constexpr int kZoneWidth = 250;

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

QColor Rgb(uint32_t rgb) { return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)); }
}  // namespace

TFormMom::TFormMom(QWidget* owner) : TPolledForm(owner) {
    setWindowTitle(QStringLiteral("Мгновенные данные хроматографа, зоны параметров газа"));
    setFixedSize(kWidth, kHeight);

    LabelTimeCaption = new QLabel(this);
    LabelTimeCaption->setObjectName(QStringLiteral("LabelTimeCaption"));
    LabelTimeCaption->setGeometry(8, 8, 300, 20);
    LabelTime = new QLabel(this);
    LabelTime->setObjectName(QStringLiteral("LabelTime"));
    LabelTime->setFrameShape(QFrame::Panel);
    LabelTime->setFrameShadow(QFrame::Sunken);
    LabelTime->setGeometry(8, 30, 170, 22);
    LabelMethod = new QLabel(this);
    LabelMethod->setObjectName(QStringLiteral("LabelMethod"));
    LabelMethod->setGeometry(kValueLeft, 30, 300, 22);

    for (int i = 0; i < qvr::kGasParamCount; ++i) {
        const QString n = QString::number(i + 1);
        const int top = kRowTop + i * kRowHeight;
        auto* name = new QLabel(this);
        name->setObjectName(QStringLiteral("pn") + n);
        name->setTextFormat(Qt::PlainText);
        name->setFrameShape(QFrame::Panel);
        name->setGeometry(8, top, kNameWidth, kRowHeight - 2);
        auto* value = new QLabel(this);
        value->setObjectName(QStringLiteral("v") + n);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setGeometry(kValueLeft, top, kValueWidth, kRowHeight - 2);
        auto* zone = new QLabel(this);
        zone->setObjectName(QStringLiteral("z") + n);
        zone->setFrameShape(QFrame::Panel);
        zone->setFrameShadow(QFrame::Sunken);
        zone->setGeometry(kZoneLeft, top, kZoneWidth, kRowHeight - 2);
    }
    // The rows are found by their names, as the resource lays them out.
    for (int i = 0; i < qvr::kGasParamCount; ++i) {
        const QString n = QString::number(i + 1);
        pn[i] = findChild<QLabel*>(QStringLiteral("pn") + n, Qt::FindDirectChildrenOnly);
        v[i] = findChild<QLabel*>(QStringLiteral("v") + n, Qt::FindDirectChildrenOnly);
        z[i] = findChild<QLabel*>(QStringLiteral("z") + n, Qt::FindDirectChildrenOnly);
        v[i]->setText(QString());
        z[i]->setText(QString());
    }

    const int buttonsTop = kRowTop + qvr::kGasParamCount * kRowHeight + 14;
    BtnUpdate->setGeometry(8, buttonsTop, 200, 30);
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName(QStringLiteral("BtnExit"));
    BtnExit->setAutoDefault(false);
    BtnExit->setGeometry(kWidth - 8 - 120, buttonsTop, 120, 30);
    connect(BtnExit, &QPushButton::clicked, this, &TFormMom::BtnExitClick);
}

void TFormMom::showEvent(QShowEvent* event) {
    TPolledForm::showEvent(event);
    if (event->spontaneous()) return;
    LabelTimeCaption->setText(QStringLiteral("Время последнего опроса хроматографа"));
    const bool volume = ReportSettings.prz_composition == 1;
    const bool kcal = ReportSettings.thermal_unit == 1;
    for (int i = 0; i < qvr::kGasParamCount; ++i)
        pn[i]->setText(QString::fromStdString(qvr::GasParamCaption(i, volume, kcal)));
    // Oxygen is not measured: its value and zone stay blank in the colour of the window.
    const QColor background = palette().color(QPalette::Window);
    SetTextColour(v[qvr::kOxygenIndex], background);
    SetTextColour(z[qvr::kOxygenIndex], background);
    LabelMethod->setText(ReportSettings.calc_formula == 1 ? QStringLiteral("Расчет по ГОСТ")
                                                          : QStringLiteral("Расчет по ДСТУ ИСО"));
    LabelTime->setText(QString());
    StartPolling();
}

void TFormMom::ShowAnalysis() {
    LabelTime->setText(QString::fromStdString(qvr::MomTimeText(Data)));
    qvr::GasAnalysis a = qvr::GasAnalysis::Load(Data + qvr::kChromMomGasAt);
    qvr::ConvertGasAnalysis(a);
    const float* values = a.v;
    for (int i = 0; i < qvr::kGasParamCount; ++i) {
        if (i == qvr::kOxygenIndex) continue;
        v[i]->setText(QString::fromStdString(qvr::FixedValueText(values[i], ReportSettings.fr[i])));
        v[i]->repaint();
    }
}

void TFormMom::ShowZones(const uint8_t* zones) {
    for (int i = 0; i < qvr::kGasParamCount; ++i) {
        if (i == qvr::kOxygenIndex) continue;
        const qvr::ZoneView zv = qvr::ZoneDisplay(zones[i]);
        z[i]->setText(QString::fromStdString(zv.text));
        SetTextColour(z[i], Rgb(zv.rgb));
        z[i]->repaint();
    }
}

void TFormMom::PollFirst() {
    const TableRequest r{uint8_t(qvr::kTableChromMom), 0, 22};
    if (!ReadTableFields(r, StatusBar, 0)) return;
    std::memcpy(Data, TablePtr(qvr::kTableChromMom), sizeof Data);
    ShowAnalysis();
}

void TFormMom::PollSecond() {
    const TableRequest r{uint8_t(qvr::kTableChromZones), 0, 20};
    if (!ReadTableFields(r, StatusBar, 0)) return;
    ShowZones(TablePtr(qvr::kTableChromZones));
}

void TFormMom::BtnExitClick() {
    Timer1->stop();
    close();
}

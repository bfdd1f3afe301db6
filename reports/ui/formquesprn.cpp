#include "reports/ui/formquesprn.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <cstring>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/ui/formwidgets.h"
#include "common/ui/qtext.h"
#include "data/archformat.h"

using qvr::MakeButton;
using qvr::MakeLabel;

namespace {

// Genitive month name of month 1..12; empty for anything else.
const char* GenitiveMonth(int month) {
    return (month >= 1 && month <= 12 && MonthNamesGenitive[month - 1]) ? MonthNamesGenitive[month - 1] : "";
}

qvr::PrintHeadingAsker& HeadingAsker() {
    static qvr::PrintHeadingAsker a;
    return a;
}
qvr::PrintChoiceAsker& ChoiceAsker() {
    static qvr::PrintChoiceAsker a;
    return a;
}

}  // namespace

// ---------------------------------------------------------------------------------------
TFormQues_Prn::TFormQues_Prn(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral(" Данные для печати"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(532, 212);
    QFont bold = font();
    bold.setBold(true);
    Label2 = MakeLabel(this, "Label2", QString(), QRect(10, 10, 512, 22));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label2->setFont(bold);
    Label7 = MakeLabel(this, "Label7", QString(), QRect(10, 32, 512, 22));
    Label7->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label7->setFont(bold);
    Label8 = MakeLabel(this, "Label8", QString(), QRect(10, 56, 512, 22));
    Label8->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label5 = MakeLabel(this, "Label5", QStringLiteral("Наименование организации"), QRect(16, 96, 250, 20));
    Label6 = MakeLabel(this, "Label6", QStringLiteral("( до 40 символов )"), QRect(280, 96, 200, 20));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(16, 120, 500, 24);
    Edit1->setMaxLength(int(qvr::kOrgTitleSize));
    BitBtn1 = MakeButton(this, "BitBtn1", "Печатать", QRect(120, 166, 120, 30));
    BitBtn2 = MakeButton(this, "BitBtn2", "Отменить", QRect(292, 166, 120, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &TFormQues_Prn::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormQues_Prn::BitBtn2Click);
    FormCreate();
}

void TFormQues_Prn::FormCreate() {
    Accepted = 0;
    Header = nullptr;
    Kind = 0;
    std::memset(OrgName, 0, sizeof OrgName);
    titlePath_ = qvr::OrgTitlePath();
}

void TFormQues_Prn::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormQues_Prn::FormShow() {
    setFixedSize(532, 212);
    qvr::ReadOrgTitle(OrgName);
    Edit1->setText(qvr::FromWin(std::string(OrgName)));
    Label2->setText(QString::fromUtf8(qvr::PrintHeadingKindText(Kind)));
    Label7->setText(QString::fromUtf8(qvr::PrintHeadingControllerLine(Kind)));
    if (Header)
        period_ = qvr::PrintHeadingPeriodLine(Kind, Header->periodStart, Header->periodEnd);
    else
        period_.clear();
    Label8->setText(QString::fromUtf8(period_.c_str()));
    Edit1->setFocus();
}

void TFormQues_Prn::BitBtn1Click() {
    char buf[qvr::kOrgTitleSize + 1] = {};
    const QString text = Edit1->text();
    if (!text.isEmpty()) {
        std::string win;
        if (!qvr::ToWin(text, win)) {
            g_QuesKind = qvr::kQuesInputError;
            qvr::ShowQues("Наименование организации", "Введен недопустимый символ");
            return;
        }
        std::memcpy(buf, win.data(), std::min(win.size(), qvr::kOrgTitleSize));
    }
    if (std::memcmp(buf, OrgName, sizeof buf) != 0) {
        std::memcpy(OrgName, buf, sizeof buf);
        qvr::WriteOrgTitle(OrgName);  // a file that cannot be written is silently left
    }
    Accepted = 1;
    accept();
}

void TFormQues_Prn::BitBtn2Click() { reject(); }

// ---------------------------------------------------------------------------------------
TFormQuesPrn::TFormQuesPrn(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Данные в отчете"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(454, 175);
    QFont arial(QStringLiteral("Arial"));
    QFont big = arial;
    big.setPointSize(12);
    big.setBold(true);
    Label1 = MakeLabel(this, "Label1", QString(), QRect(8, 10, 438, 26));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label1->setFont(big);
    Label2 = MakeLabel(this, "Label2", QString(), QRect(8, 42, 438, 22));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label2->setFont(arial);
    Label3 = MakeLabel(this, "Label3", QString(), QRect(8, 68, 438, 22));
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label3->setFont(arial);
    BitBtn3 = MakeButton(this, "BitBtn3", "Просмотр", QRect(20, 126, 120, 30));
    BitBtn3->setProperty("Tag", 1);
    BitBtn1 = MakeButton(this, "BitBtn1", "Печать", QRect(167, 126, 120, 30));
    BitBtn1->setProperty("Tag", 2);
    BitBtn2 = MakeButton(this, "BitBtn2", "Выход", QRect(314, 126, 120, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &TFormQuesPrn::BitBtn1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormQuesPrn::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormQuesPrn::BitBtn2Click);
    FormCreate();
}

void TFormQuesPrn::FormCreate() {
    Report = nullptr;
    Passport = nullptr;
    Mode = 0;
    Choice = 0;
}

void TFormQuesPrn::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormQuesPrn::FormShow() {
    setFixedSize(454, 175);
    Choice = 0;
    char buf[200];
    Label1->clear();
    Label2->clear();
    Label3->clear();
    if (Mode == 0 && Report) {
        const uint8_t* s = Report + qvr::kDailyReportStart;
        const uint8_t* e = Report + qvr::kDailyReportEnd;
        Label1->setText(ReportSettings.report_kind == 1 ? QStringLiteral("СУТОЧНЫЙ ПАСПОРТ")
                                                        : QStringLiteral("СУТОЧНЫЙ СЕРТИФИКАТ"));
        std::snprintf(buf, sizeof buf, "За %d %s %d года", s[2], GenitiveMonth(s[1]), s[0] + 2000);
        Label2->setText(QString::fromUtf8(buf));
        std::snprintf(buf, sizeof buf, "c  %02d:%02d  %d %s %dг   до   %02d:%02d  %d %s %dг", s[3], s[4], s[2],
                      GenitiveMonth(s[1]), s[0] + 2000, e[3], e[4], e[2], GenitiveMonth(e[1]), e[0] + 2000);
        Label3->setText(QString::fromUtf8(buf));
    } else if (Mode == 1 && Passport) {
        Label1->setText(QStringLiteral("Физико-химические показатели природного газа"));
        Label2->setText(QStringLiteral("по результатам однократного анализа"));
        if (Passport[0] == 0) {
            const uint8_t* t = Passport + qvr::kPassportAnalysisTime;
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d  %d %s %dг", t[3], t[4], t[5], t[2], GenitiveMonth(t[1]),
                          t[0] + 2000);
            Label3->setText(QString::fromUtf8(buf));
        }
    }
    BitBtn3->setFocus();
}

void TFormQuesPrn::BitBtn1Click() {
    QObject* s = sender();
    Choice = s ? uint8_t(s->property("Tag").toInt()) : 2;
    accept();
}

void TFormQuesPrn::BitBtn2Click() { reject(); }

void TFormQuesPrn::reject() {
    Choice = 0;
    QDialog::reject();
}

// ---------------------------------------------------------------------------------------
namespace qvr {

bool AskPrintHeading(QWidget* parent, const ArchiveFileHeader* header, PrintHeadingKind kind,
                     char orgName[kOrgTitleSize + 1]) {
    if (HeadingAsker()) return HeadingAsker()(header, kind, orgName);
    TFormQues_Prn form(parent);
    form.Header = header;
    form.Kind = kind;
    form.exec();
    if (form.Accepted != 1) return false;
    std::memcpy(orgName, form.OrgName, kOrgTitleSize + 1);
    return true;
}

uint8_t AskPrintChoice(QWidget* parent, uint8_t mode, const uint8_t* report, const uint8_t* passport) {
    if (ChoiceAsker()) return ChoiceAsker()(mode, report, passport);
    TFormQuesPrn form(parent);
    form.Mode = mode;
    form.Report = report;
    form.Passport = passport;
    form.exec();
    return form.Choice;
}

void SetPrintHeadingAsker(PrintHeadingAsker asker) { HeadingAsker() = std::move(asker); }
void SetPrintChoiceAsker(PrintChoiceAsker asker) { ChoiceAsker() = std::move(asker); }

}  // namespace qvr

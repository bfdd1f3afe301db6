// The daily certificate of gas quality: a one-page A4 document printed from a daily report
// record: controller, gas day and period, the calculation standards, 11 component
// fractions and 6 physical properties after the gas-property conversion, the four
// certificate text lines and the two representatives.
#pragma once
#include <array>

#include "reports/docorder.h"
#include "reports/ui/qreport.h"

class QWidget;

namespace qvr {
struct DailyReportRecord;
}

class TFormSert {
public:
    TFormSert();  // lays out the report, runs FormCreate
    TFormSert(const TFormSert&) = delete;
    TFormSert& operator=(const TFormSert&) = delete;

    const qvr::DailyReportRecord* Report = nullptr;  // borrowed; not changed by the build

    void FormCreate();
    void BuildDailyCertificate();

    TQuickRep QuickRep1;
    TQRBand* TitleBand1;
    TQRLabel* ControllerLine;
    TQRLabel* DocumentLine;  // "СУТОЧНЫЙ  СЕРТИФИКАТ"
    TQRLabel* CertLine[4] = {};
    TQRLabel* DayLine;
    TQRLabel* PeriodLine;
    TQRLabel* Section1Line;
    TQRLabel* MethodLine;
    TQRChildBand* ChildBand1;
    TQRSubDetail* SectionBand;
    TQRLabel* Section2Line;
    TQRChildBand* ChildBand2;
    TQRBand* PageFooterBand1;
    TQRLabel* RepresentativeCaption[2] = {};  // "Представитель"
    TQRLabel* RepresentativeName[2] = {};
    TQRLabel* RepresentativeLine[2] = {};     // 41 underscores

    // Row labels 1..17 at index 0..16: name, value, unit.
    std::array<TQRLabel*, kCertificateRowCount> ln{}, lv{}, lu{};
};

namespace qvr {
// "За <day> <month> <year> года" from the record's start.
QString DailyDayLine(const DailyReportRecord& r);
// "c  hh:mm  d month yyyyг          до   hh:mm  d month yyyyг".
QString DailyPeriodLine(const DailyReportRecord& r);
// The title lines both daily documents share: controller, day, period, method and the
// heading of section 2.
void FillDailyTitle(const DailyReportRecord& r, TQRLabel* controller, TQRLabel* day, TQRLabel* period,
                    TQRLabel* method, TQRLabel* section2);
// Fills name, value and unit labels of the rows from the record's analysis, converted
// on a copy under the report settings in force.
void FillDailyRows(const DailyReportRecord& r, const uint8_t* order, int rows, TQRLabel* const* names,
                   TQRLabel* const* values, TQRLabel* const* units);
// What the daily print loops run: kind 0 certificate, 1 passport; choice 1 preview,
// 2 print through the printer dialog.
void PrintDailyDocument(QWidget* parent, int kind, DailyReportRecord* record, uint8_t choice);
}  // namespace qvr

// The daily passport of gas quality: a one-page A4 document printed from a daily report
// record: controller, gas day and period, the calculation standards, 11 component
// fractions and 3 physical properties after the gas-property conversion, and six
// signature lines from the report texts.
#pragma once
#include <array>

#include "reports/docorder.h"
#include "reports/ui/qreport.h"

namespace qvr {
struct DailyReportRecord;
}

class TFormPasport {
public:
    TFormPasport();  // lays out the report, runs FormCreate
    TFormPasport(const TFormPasport&) = delete;
    TFormPasport& operator=(const TFormPasport&) = delete;

    const qvr::DailyReportRecord* Report = nullptr;  // borrowed; not changed by the build

    void FormCreate();
    void BuildDailyPassport();

    TQuickRep QuickRep1;
    TQRBand* TitleBand1;
    TQRLabel* ControllerLine;
    TQRLabel* DocumentLine;  // "СУТОЧНЫЙ  ПАСПОРТ"
    TQRLabel* DocumentLine2; // "физико-химических показателей природного газа"
    TQRLabel* DayLine;
    TQRLabel* PeriodLine;
    TQRLabel* Section1Line;
    TQRLabel* MethodLine;
    TQRChildBand* ChildBand1;
    TQRSubDetail* SectionBand;
    TQRLabel* Section2Line;
    TQRChildBand* ChildBand2;
    TQRSubDetail* SignatureBand;
    TQRLabel* Signature[6] = {};  // left column top to bottom, then the right column

    // Row labels 1..14 at index 0..13: name, value, unit.
    std::array<TQRLabel*, kPassportRowCount> ln{}, lv{}, lu{};
};

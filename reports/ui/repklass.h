// Band objects that the print forms build at run time: each creates one sub-detail band on
// the report, places its labels, memos and heading cells at fixed report-pixel positions
// and keeps pointers to them so that the print form can fill them. Deleting the object
// deletes its items and its band, so band objects must be deleted before their report
// (declare them after the report, or delete them in the form's destructor first).
#pragma once
#include <cstdint>

#include "reports/ui/qreport.h"

// The four heading lines of the gas parameter in display position pos (0..19):
// three heading lines (volume fractions when composition is 1, else mole fractions) and
// the unit (kcal when heatUnit is 1, else MJ). Positions out of range give blank lines.
QStringList ChromHeadingLines(int pos, uint8_t composition, uint8_t heatUnit);

// Title band: organisation, controller line, kind of data, period, origin line.
class TrepTitle {
public:
    explicit TrepTitle(TQuickRep* report);
    ~TrepTitle();
    TrepTitle(const TrepTitle&) = delete;
    TrepTitle& operator=(const TrepTitle&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* Label1 = nullptr;
    TQRLabel* Label2 = nullptr;
    TQRLabel* Label3 = nullptr;
    TQRLabel* Label4 = nullptr;
    TQRLabel* Label5 = nullptr;
};

// Summary band under the last table of an hour/day (ThdmItog) or a 5-minute (TmomItog)
// printout: averages caption, calculation line, standard line, ten value labels and six
// signature lines.
class ThdmItog {
public:
    explicit ThdmItog(TQuickRep* report);
    ~ThdmItog();
    ThdmItog(const ThdmItog&) = delete;
    ThdmItog& operator=(const ThdmItog&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* AveragesCaption = nullptr;
    TQRLabel* CalculationLine = nullptr;
    TQRLabel* StandardLine = nullptr;
    TQRLabel* Value[10] = {};
    TQRLabel* Signature[6] = {};
};

class TmomItog {
public:
    explicit TmomItog(TQuickRep* report);
    ~TmomItog();
    TmomItog(const TmomItog&) = delete;
    TmomItog& operator=(const TmomItog&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* AveragesCaption = nullptr;
    TQRLabel* CalculationLine = nullptr;
    TQRLabel* StandardLine = nullptr;
    TQRLabel* Value[10] = {};
    TQRLabel* Signature[6] = {};
};

// Summary band with its own column headings, for a summary on a page of its own. first:
// first display position (0 or 10); composition 1 = volume fractions; heatUnit 1 = kcal.
class ThdmSpecItog {
public:
    ThdmSpecItog(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit);
    ~ThdmSpecItog();
    ThdmSpecItog(const ThdmSpecItog&) = delete;
    ThdmSpecItog& operator=(const ThdmSpecItog&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* Rule = nullptr;
    TQRRichText* Heading[10] = {};
    TQRLabel* AveragesCaption = nullptr;
    TQRLabel* Value[10] = {};
    TQRLabel* CalculationLine = nullptr;
    TQRLabel* StandardLine = nullptr;
    TQRLabel* Signature[6] = {};
};

class TmomSpecItog {
public:
    TmomSpecItog(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit);
    ~TmomSpecItog();
    TmomSpecItog(const TmomSpecItog&) = delete;
    TmomSpecItog& operator=(const TmomSpecItog&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* Rule = nullptr;
    TQRRichText* Heading[10] = {};
    TQRLabel* AveragesCaption = nullptr;
    TQRLabel* Value[10] = {};
    TQRLabel* CalculationLine = nullptr;
    TQRLabel* StandardLine = nullptr;
    TQRLabel* Signature[6] = {};
};

// Table band of hourly or daily chromatograph records.
class ThdmTable {
public:
    ThdmTable(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit);
    ~ThdmTable();
    ThdmTable(const ThdmTable&) = delete;
    ThdmTable& operator=(const ThdmTable&) = delete;

    TQRSubDetail* Band = nullptr;
    // Start, start date, start time, end, end time headings; rule between start and end;
    // rule between date and time.
    TQRLabel* Label[7] = {};
    TQRMemo* DateMemo = nullptr;
    TQRMemo* StartTimeMemo = nullptr;
    TQRMemo* EndTimeMemo = nullptr;
    TQRRichText* Heading[10] = {};
    TQRMemo* Value[10] = {};
};

// Table band of 5-minute chromatograph records.
class TmomTable {
public:
    TmomTable(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit);
    ~TmomTable();
    TmomTable(const TmomTable&) = delete;
    TmomTable& operator=(const TmomTable&) = delete;

    TQRSubDetail* Band = nullptr;
    // Date heading, time heading, rule between date and time, rule under the headings.
    TQRLabel* Label[4] = {};
    TQRMemo* DateMemo = nullptr;
    TQRMemo* TimeMemo = nullptr;
    TQRRichText* Heading[10] = {};
    TQRMemo* Value[10] = {};
};

// Page band of the diagnostic-message list. Memos in order: date, time, event, object,
// current value, set point, unit.
class TAlaTable {
public:
    explicit TAlaTable(TQuickRep* report);
    ~TAlaTable();
    TAlaTable(const TAlaTable&) = delete;
    TAlaTable& operator=(const TAlaTable&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* Caption[12] = {};
    TQRLabel* VRule[6] = {};
    TQRLabel* HRule[2] = {};
    TQRMemo* Memo[7] = {};
};

// Page band of the operator-intervention list. Memos in order: date, time, parameter,
// old value, new value, unit, operator.
class TAudTable {
public:
    explicit TAudTable(TQuickRep* report);
    ~TAudTable();
    TAudTable(const TAudTable&) = delete;
    TAudTable& operator=(const TAudTable&) = delete;

    TQRSubDetail* Band = nullptr;
    TQRLabel* Caption[11] = {};
    TQRLabel* VRule[6] = {};
    TQRLabel* HRule[1] = {};
    TQRMemo* Memo[7] = {};
};

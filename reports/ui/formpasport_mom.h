// The gas-quality passport of one chromatograph analysis: a one-page A4 document with the
// organisation, the controller, the time of the analysis, the 11 component fractions and
// three physical properties with their units, the expanded uncertainties of the ISO
// method, and six signature lines from the report texts.
#pragma once
#include <array>
#include <cstdint>

#include "reports/docorder.h"
#include "reports/ui/qreport.h"

class TFormMom_Pasport {
public:
    TFormMom_Pasport();  // lays out the report, runs FormCreate
    TFormMom_Pasport(const TFormMom_Pasport&) = delete;
    TFormMom_Pasport& operator=(const TFormMom_Pasport&) = delete;

    // Inputs, borrowed: the 921-byte passport record (MomentPassportRecord) and the
    // organisation name (zero-terminated, Windows-1251, at most 40).
    const uint8_t* Passport = nullptr;
    const char* OrgName = nullptr;

    void FormCreate();
    // Fills the labels from the two inputs and the report settings.
    void BuildMomentPassport();

    TQuickRep QuickRep1;
    TQRBand* TitleBand1;
    TQRLabel* ControllerLine;
    TQRLabel* OrgLine;
    TQRLabel* DocumentLine;   // "Физико-химические показатели природного газа"
    TQRLabel* AnalysisLine;
    TQRLabel* Section1Line;   // "1. Компонентный состав газа, ..."
    TQRLabel* MethodLine;
    TQRChildBand* ChildBand1;
    TQRSubDetail* QRSubDetail[17] = {};  // 1..16 as designed (index 0 unused)
    TQRLabel* Section2Line;
    TQRChildBand* ChildBand2;
    TQRLabel* Signature[6] = {};  // left column top to bottom, then the right column

    // Row labels 1..14 at index 0..13: name, value, unit, uncertainty.
    std::array<TQRLabel*, kPassportRowCount> ln{}, lv{}, lu{}, nv{};
};

namespace qvr {
// What the 5-minute view's passport command runs: builds the passport, then previews it
// (preview) or prints it through the printer dialog.
void PrintMomentPassport(QWidget* parent, const uint8_t* passport, const char* orgTitle, bool preview);
}  // namespace qvr

#include "reports/ui/formpasport_mom.h"

#include <cmath>
#include <cstdio>

#include "app/rd_wr_ini.h"
#include "common/stringi.h"
#include "data/passport.h"
#include "reports/chromorder.h"
#include "reports/dailyreport.h"
#include "reports/gascalc.h"
#include "reports/ui/printfill.h"

namespace {

// Names, values, units and uncertainties in four columns. The uncertainty column runs to
// the right margin: its heading "неопределенность, %" needs 162 pixels in the heading font.
const qvr::DocumentTableGeometry kGeometry = {16, 400, 436, 95, 537, 85, 647, 173, 428, 641, 826};

}  // namespace

TFormMom_Pasport::TFormMom_Pasport() {
    using namespace qvr;
    const DocumentTableGeometry& g = kGeometry;
    SetupDocumentPage(QuickRep1);

    TitleBand1 = new TQRBand(&QuickRep1, rbTitle);
    TitleBand1->Height = 190;
    const int w = g.tableWidth;
    ControllerLine = PlaceLabel(TitleBand1, 0, 6, w, 24, taLeftJustify, kDocumentFont, kDocumentTitleSize);
    OrgLine = PlaceLabel(TitleBand1, 0, 38, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
    ControllerLine->ShrinkToFit = true;
    OrgLine->ShrinkToFit = true;
    DocumentLine = PlaceLabel(TitleBand1, 0, 64, w, 24, taCenter, kDocumentFont, kDocumentTitleSize, false,
                              QStringLiteral("Физико-химические показатели природного газа"));
    AnalysisLine = PlaceLabel(TitleBand1, 0, 88, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
    Section1Line =
        PlaceLabel(TitleBand1, 0, 132, w, 24, taLeftJustify, kDocumentFont, kDocumentTitleSize, false,
                   QStringLiteral("1. Компонентный состав газа, определенный хроматографическим методом"));
    MethodLine = PlaceLabel(TitleBand1, 0, 157, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);

    ChildBand1 = AddDocumentHeading(&QuickRep1, TitleBand1, 60, QStringLiteral("Наименование компонентов"), g);
    // Rows 1..11 are QRSubDetail1..11, row 12 QRSubDetail12, rows 13 and 14 QRSubDetail14
    // and 15; QRSubDetail13 holds the section-2 heading, QRSubDetail16 the signatures.
    const int rowBand[kPassportRowCount] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15};
    DocumentRowLabels labels[kPassportRowCount];
    for (int i = 0; i < 11; ++i) QRSubDetail[rowBand[i]] = AddDocumentRow(&QuickRep1, g, labels[i]);
    QRSubDetail[13] = AddDocumentLineBand(&QuickRep1, 55, &Section2Line, 20, g);
    ChildBand2 = AddDocumentHeading(&QuickRep1, QRSubDetail[13], 53, QStringLiteral("Наименование показателей"), g);
    for (int i = 11; i < kPassportRowCount; ++i) QRSubDetail[rowBand[i]] = AddDocumentRow(&QuickRep1, g, labels[i]);
    for (int i = 0; i < kPassportRowCount; ++i) {
        ln[size_t(i)] = labels[i].name;
        lv[size_t(i)] = labels[i].value;
        lu[size_t(i)] = labels[i].unit;
        nv[size_t(i)] = labels[i].uncertainty;
    }

    QRSubDetail[16] = new TQRSubDetail(&QuickRep1);
    QRSubDetail[16]->Height = 192;
    const int tops[3] = {44, 93, 138};
    for (int k = 0; k < 6; ++k) {
        Signature[k] = PlaceLabel(QRSubDetail[16], k < 3 ? 1 : 415, tops[k % 3], 396, 24, taLeftJustify, kDocumentFont,
                                  kDocumentRowSize);
        Signature[k]->ShrinkToFit = true;  // up to 49 characters from the report texts
    }
    FormCreate();
}

void TFormMom_Pasport::FormCreate() {
    Passport = nullptr;
    qvr::ClearCaptions(ln, lv, lu, nv);
}

void TFormMom_Pasport::BuildMomentPassport() {
    using namespace qvr;
    using R = MomentPassportRecord;
    OrgLine->Caption = PrintOrgName(OrgName);
    if (!Passport) return;
    const uint8_t* P = Passport;

    ControllerLine->Caption = PrintControllerLine(P + R::kName, P[R::kAddress]);
    if (P[R::kKind] == 0) {
        const uint8_t* t = P + R::kAnalysisTime;  // year - 2000, month, day, hour, minute, second
        char buf[200];
        const std::string month = GenitiveMonthName(t[1]).toStdString();
        std::snprintf(buf, sizeof buf, "по результатам однократного анализа  %02d:%02d:%02d  %d %s %dг", t[3], t[4],
                      t[5], t[2], month.c_str(), t[0] + 2000);
        AnalysisLine->Caption = QString::fromUtf8(buf);
    }
    MethodLine->Caption = DocumentMethodLine();
    Section2Line->Caption = DocumentSection2Heading();

    const ReportFormatRecord texts = ReportFormatRecord::FromBytes(P + R::kReportTexts);
    for (int k = 0; k < 6; ++k)
        Signature[k]->Caption = SignatureText(texts.passportLine[k], ReportFormatRecord::kPassportLineSize);

    const GasAnalysis a = GasAnalysis::Load(P + R::kAnalysis);
    const bool iso = ReportSettings.calc_formula == 0;
    if (iso) ComputeComponentUncertainties(a);
    for (int i = 0; i < kPassportRowCount; ++i) {
        const int p = PassportParamOrder[i];
        ln[size_t(i)]->Caption = QString::fromUtf8(ReportSettings.prz_composition == 1 ? GasParamNamesVolume[p]
                                                                                      : GasParamNamesMolar[p]);
        lu[size_t(i)]->Caption =
            QString::fromUtf8(ReportSettings.thermal_unit == 1 ? ChromParamUnitsKcal[p] : ChromParamUnitsMJ[p]);
        lv[size_t(i)]->Caption = PrintValueText(a.v[p], p);
        nv[size_t(i)]->Caption.clear();
        if (!iso) continue;
        const double u = p < kGasComponentCount ? ComponentUncertainty[p] : ComputePropertyUncertainty(a, p);
        // An uncertainty that cannot be formatted leaves its cell empty.
        if (std::isfinite(u) && std::fabs(u) < 3.0e38) nv[size_t(i)]->Caption = PrintValueText(float(u), p);
    }
}

namespace qvr {

void PrintMomentPassport(QWidget* parent, const uint8_t* passport, const char* orgTitle, bool preview) {
    TFormMom_Pasport form;
    form.Passport = passport;
    form.OrgName = orgTitle;
    form.BuildMomentPassport();
    if (preview)
        form.QuickRep1.Preview(parent);
    else
        form.QuickRep1.Print(parent);
}

}  // namespace qvr

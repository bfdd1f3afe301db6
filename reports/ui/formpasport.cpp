#include "reports/ui/formpasport.h"

#include "reports/dailyreport.h"
#include "reports/ui/formsertif.h"
#include "reports/ui/printfill.h"

namespace {

// Names, values and units in two columns (values with their units).
const qvr::DocumentTableGeometry kGeometry = {16, 480, 562, 95, 663, 85, 0, 0, 504, 0, 752};

}  // namespace

TFormPasport::TFormPasport() {
    using namespace qvr;
    const DocumentTableGeometry& g = kGeometry;
    const int w = g.tableWidth;
    SetupDocumentPage(QuickRep1);

    TitleBand1 = new TQRBand(&QuickRep1, rbTitle);
    TitleBand1->Height = 201;
    ControllerLine = PlaceLabel(TitleBand1, 0, 8, w, 24, taLeftJustify, kDocumentFont, kDocumentTitleSize);
    ControllerLine->ShrinkToFit = true;
    DocumentLine = PlaceLabel(TitleBand1, 0, 39, w, 24, taCenter, kDocumentFont, kDocumentTitleSize, true,
                              QStringLiteral("СУТОЧНЫЙ  ПАСПОРТ"));
    DocumentLine2 = PlaceLabel(TitleBand1, 0, 62, w, 24, taCenter, kDocumentFont, kDocumentTitleSize, false,
                               QStringLiteral("физико-химических показателей природного газа"));
    DayLine = PlaceLabel(TitleBand1, 0, 91, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
    PeriodLine = PlaceLabel(TitleBand1, 0, 114, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
    Section1Line =
        PlaceLabel(TitleBand1, 0, 142, w, 24, taLeftJustify, kDocumentFont, kDocumentTitleSize, false,
                   QStringLiteral("1. Компонентный состав газа, определенный хроматографическим методом"));
    MethodLine = PlaceLabel(TitleBand1, 0, 167, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);

    ChildBand1 = AddDocumentHeading(&QuickRep1, TitleBand1, 60, QStringLiteral("Наименование компонентов"), g);
    DocumentRowLabels labels[kPassportRowCount];
    for (int i = 0; i < 11; ++i) AddDocumentRow(&QuickRep1, g, labels[i]);
    SectionBand = AddDocumentLineBand(&QuickRep1, 55, &Section2Line, 20, g);
    ChildBand2 = AddDocumentHeading(&QuickRep1, SectionBand, 53, QStringLiteral("Наименование показателей"), g);
    for (int i = 11; i < kPassportRowCount; ++i) AddDocumentRow(&QuickRep1, g, labels[i]);
    for (int i = 0; i < kPassportRowCount; ++i) {
        ln[size_t(i)] = labels[i].name;
        lv[size_t(i)] = labels[i].value;
        lu[size_t(i)] = labels[i].unit;
    }

    SignatureBand = new TQRSubDetail(&QuickRep1);
    SignatureBand->Height = 192;
    const int tops[3] = {44, 93, 138};
    for (int k = 0; k < 6; ++k) {
        Signature[k] =
            PlaceLabel(SignatureBand, k < 3 ? 1 : 415, tops[k % 3], 396, 24, taLeftJustify, kDocumentFont, kDocumentRowSize);
        Signature[k]->ShrinkToFit = true;  // up to 49 characters from the report texts
    }
    FormCreate();
}

void TFormPasport::FormCreate() {
    Report = nullptr;
    qvr::ClearCaptions(ln, lv, lu);
}

void TFormPasport::BuildDailyPassport() {
    using namespace qvr;
    if (!Report) return;
    const DailyReportRecord& R = *Report;
    FillDailyTitle(R, ControllerLine, DayLine, PeriodLine, MethodLine, Section2Line);
    for (int k = 0; k < 6; ++k)
        Signature[k]->Caption = SignatureText(R.format.passportLine[k], ReportFormatRecord::kPassportLineSize);
    FillDailyRows(R, PassportParamOrder, kPassportRowCount, ln.data(), lv.data(), lu.data());
}

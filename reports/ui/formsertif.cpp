#include "reports/ui/formsertif.h"

#include <cstdio>

#include "app/rd_wr_ini.h"
#include "common/stringi.h"
#include "reports/chromorder.h"
#include "reports/dailyreport.h"
#include "reports/gascalc.h"
#include "reports/ui/formpasport.h"
#include "common/ui/qtext.h"
#include "reports/ui/printfill.h"

namespace {

// Names, values and units in two columns (values with their units).
const qvr::DocumentTableGeometry kGeometry = {16, 480, 562, 95, 663, 85, 0, 0, 504, 0, 752};

}  // namespace

TFormSert::TFormSert() {
    using namespace qvr;
    const DocumentTableGeometry& g = kGeometry;
    const int w = g.tableWidth;
    SetupDocumentPage(QuickRep1);

    TitleBand1 = new TQRBand(&QuickRep1, rbTitle);
    TitleBand1->Height = 270;
    ControllerLine = PlaceLabel(TitleBand1, 0, 3, w, 24, taLeftJustify, kDocumentFont, kDocumentTitleSize);
    ControllerLine->ShrinkToFit = true;
    DocumentLine = PlaceLabel(TitleBand1, 0, 29, w, 24, taCenter, kDocumentFont, kDocumentTitleSize, true,
                              QStringLiteral("СУТОЧНЫЙ  СЕРТИФИКАТ"));
    const int certTops[4] = {55, 80, 105, 130};
    for (int i = 0; i < 4; ++i) {
        CertLine[i] = PlaceLabel(TitleBand1, 0, certTops[i], w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
        CertLine[i]->ShrinkToFit = true;  // up to 99 characters from the report texts
    }
    DayLine = PlaceLabel(TitleBand1, 0, 157, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
    PeriodLine = PlaceLabel(TitleBand1, 0, 181, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);
    Section1Line =
        PlaceLabel(TitleBand1, 0, 217, w, 24, taLeftJustify, kDocumentFont, kDocumentTitleSize, false,
                   QStringLiteral("1. Компонентный состав газа, определенный хроматографическим методом"));
    MethodLine = PlaceLabel(TitleBand1, 0, 239, w, 24, taCenter, kDocumentFont, kDocumentTitleSize);

    ChildBand1 = AddDocumentHeading(&QuickRep1, TitleBand1, 53, QStringLiteral("Наименование компонентов"), g);
    DocumentRowLabels labels[kCertificateRowCount];
    for (int i = 0; i < 11; ++i) AddDocumentRow(&QuickRep1, g, labels[i]);
    SectionBand = AddDocumentLineBand(&QuickRep1, 55, &Section2Line, 20, g);
    ChildBand2 = AddDocumentHeading(&QuickRep1, SectionBand, 53, QStringLiteral("Наименование показателей"), g);
    for (int i = 11; i < kCertificateRowCount; ++i) AddDocumentRow(&QuickRep1, g, labels[i]);
    for (int i = 0; i < kCertificateRowCount; ++i) {
        ln[size_t(i)] = labels[i].name;
        lv[size_t(i)] = labels[i].value;
        lu[size_t(i)] = labels[i].unit;
    }

    PageFooterBand1 = new TQRBand(&QuickRep1, rbPageFooter);
    PageFooterBand1->Height = 141;
    const int lefts[2] = {4, 422};
    for (int i = 0; i < 2; ++i) {
        RepresentativeCaption[i] = PlaceLabel(PageFooterBand1, lefts[i], 42, 400, 24, taCenter, kDocumentFont,
                                              kDocumentTitleSize, true, QStringLiteral("Представитель"));
        RepresentativeName[i] =
            PlaceLabel(PageFooterBand1, lefts[i], 68, 400, 24, taCenter, kDocumentFont, kDocumentTitleSize, true);
        RepresentativeLine[i] = PlaceLabel(PageFooterBand1, lefts[i], 105, 400, 24, taCenter, kDocumentFont,
                                           kDocumentTitleSize, true, SignaturePlaceholder());
        // Names of up to 49 characters and the underscore lines in bold 12 points are
        // wider than their 400 pixels.
        RepresentativeName[i]->ShrinkToFit = true;
        RepresentativeLine[i]->ShrinkToFit = true;
    }
    FormCreate();
}

void TFormSert::FormCreate() {
    Report = nullptr;
    qvr::ClearCaptions(ln, lv, lu);
}

void TFormSert::BuildDailyCertificate() {
    using namespace qvr;
    if (!Report) return;
    const DailyReportRecord& R = *Report;
    FillDailyTitle(R, ControllerLine, DayLine, PeriodLine, MethodLine, Section2Line);
    for (int i = 0; i < 4; ++i)
        CertLine[i]->Caption = FromWin(R.format.certLine[i], ReportFormatRecord::kCertLineSize);
    for (int i = 0; i < 2; ++i)
        RepresentativeName[i]->Caption =
            SignatureText(R.format.representative[i], ReportFormatRecord::kRepresentativeSize);
    FillDailyRows(R, CertificateParamOrder, kCertificateRowCount, ln.data(), lv.data(), lu.data());
}

namespace qvr {

void FillDailyTitle(const DailyReportRecord& r, TQRLabel* controller, TQRLabel* day, TQRLabel* period,
                    TQRLabel* method, TQRLabel* section2) {
    controller->Caption = PrintControllerLine(r.name, r.address);
    day->Caption = DailyDayLine(r);
    period->Caption = DailyPeriodLine(r);
    method->Caption = DocumentMethodLine();
    section2->Caption = DocumentSection2Heading();
}

QString DailyDayLine(const DailyReportRecord& r) {
    return QStringLiteral("За %1 %2 %3 года")
        .arg(int(r.start.day))
        .arg(GenitiveMonthName(r.start.month))
        .arg(int(r.start.year) + 2000);
}

QString DailyPeriodLine(const DailyReportRecord& r) {
    char buf[200];
    const std::string m1 = GenitiveMonthName(r.start.month).toStdString();
    const std::string m2 = GenitiveMonthName(r.end.month).toStdString();
    std::snprintf(buf, sizeof buf, "c  %02d:%02d  %d %s %dг          до   %02d:%02d  %d %s %dг", r.start.hour,
                  r.start.minute, r.start.day, m1.c_str(), r.start.year + 2000, r.end.hour, r.end.minute, r.end.day,
                  m2.c_str(), r.end.year + 2000);
    return QString::fromUtf8(buf);
}

void FillDailyRows(const DailyReportRecord& r, const uint8_t* order, int rows, TQRLabel* const* names,
                   TQRLabel* const* values, TQRLabel* const* units) {
    // The conversion runs on a copy at every build, so the record keeps the values as read
    // and a change of the settings shows at the next build.
    GasAnalysis converted = r.gas;
    ConvertGasAnalysis(converted);
    for (int i = 0; i < rows; ++i) {
        const int p = order[i];
        names[i]->Caption =
            QString::fromUtf8(ReportSettings.prz_composition == 1 ? GasParamNamesVolume[p] : GasParamNamesMolar[p]);
        units[i]->Caption =
            QString::fromUtf8(ReportSettings.thermal_unit == 1 ? ChromParamUnitsKcal[p] : ChromParamUnitsMJ[p]);
        values[i]->Caption = PrintValueText(converted.v[p], p);
    }
}

void PrintDailyDocument(QWidget* parent, int kind, DailyReportRecord* record, uint8_t choice) {
    if (!record || (choice != 1 && choice != 2)) return;
    auto output = [&](TQuickRep& rep) {
        if (choice == 1)
            rep.Preview(parent);
        else
            rep.Print(parent);
    };
    if (kind == 0) {
        TFormSert form;
        form.Report = record;
        form.BuildDailyCertificate();
        output(form.QuickRep1);
    } else {
        TFormPasport form;
        form.Report = record;
        form.BuildDailyPassport();
        output(form.QuickRep1);
    }
}

}  // namespace qvr

#include "reports/ui/printfill.h"

#include <algorithm>
#include <cmath>

#include "app/rd_wr_ini.h"
#include "common/stringi.h"
#include "common/ui/qtext.h"
#include "data/chromview.h"
#include "reports/printheading.h"

namespace qvr {

QString PrintControllerName(const uint8_t* name20) {
    if (!name20) return QString();
    return FromWin(FieldText(name20, 20)).trimmed();
}

QString PrintControllerLine(const uint8_t* name20, uint8_t address) {
    return QStringLiteral("Контроллер \"%1\"  (адрес %2)").arg(PrintControllerName(name20)).arg(int(address));
}

QString PrintOrgName(const char* orgName) {
    if (!orgName) return QString();
    return FromWin(FieldText(orgName, kOrgTitleSize));
}

QString PrintValueText(float v, int p) {
    const int decimals = (p >= 0 && p < 20) ? int(ReportSettings.fr[p]) : 4;
    return FromUtf8(ChromValueText(v, decimals));
}

QString GenitiveMonthName(int month) {
    if (month < 1 || month > kMonthNamesGenitiveCount || !MonthNamesGenitive[month - 1]) return QString();
    return QString::fromUtf8(MonthNamesGenitive[month - 1]);
}

QString SignaturePlaceholder() { return QString(41, QLatin1Char('_')); }

QString SignatureText(const char* field, size_t width) {
    const std::string text = field ? FieldText(field, width) : std::string();
    return text.empty() ? SignaturePlaceholder() : FromWin(text);
}

QString DocumentMethodLine() {
    return ReportSettings.calc_formula != 0 ? QStringLiteral("по ГОСТ 22667-82 и ГОСТ 30319.1-96")
                                            : QStringLiteral("по ДСТУ ISO 6974:2007 и МВУ 06-063:2011");
}

QString DocumentSection2Heading() {
    return ReportSettings.calc_formula != 0
               ? QStringLiteral("2. Физико-химические показатели")
               : QStringLiteral("2. Физико-химические показатели, рассчитанные по ДСТУ ISO 6976:2009");
}

void KeepInBody(const TQuickRep& report, std::initializer_list<TQRPrintable*> items) {
    const double body =
        MmToReportPixels(report.PageValue(pvWidth) - report.PageValue(pvLeftMargin) - report.PageValue(pvRightMargin));
    int right = 0;
    for (const TQRPrintable* i : items) right = std::max(right, i->Left + i->Width);
    const int over = int(std::ceil(right - body));
    if (over <= 0) return;
    for (TQRPrintable* i : items) i->Left -= over;
}

TQRLabel* PlaceLabel(TQRCustomBand* band, int left, int top, int width, int height, TAlignment align,
                     const QString& font, int size, bool bold, const QString& caption) {
    auto* l = new TQRLabel(band);
    l->AutoSize = false;
    l->Alignment = align;
    l->Left = left;
    l->Top = top;
    l->Width = width;
    l->Height = height;
    l->SetFont(font, size, bold);
    l->Caption = caption;
    return l;
}

namespace {

// A vertical rule: an empty one-pixel label with the left side of its frame.
void Rule(TQRCustomBand* band, int left, int height) {
    if (left <= 0) return;
    auto* l = new TQRLabel(band);
    l->AutoSize = false;
    l->Left = left;
    l->Top = 0;
    l->Width = 1;
    l->Height = height;
    l->Frame.DrawLeft = true;
}

// The table's outline on a band: left, right and bottom sides (and the top when asked).
void Box(TQRCustomBand* band, int width, int height, bool top) {
    auto* l = new TQRLabel(band);
    l->AutoSize = false;
    l->Left = 0;
    l->Top = 0;
    l->Width = width;
    l->Height = height;
    l->Frame.DrawLeft = l->Frame.DrawRight = l->Frame.DrawBottom = true;
    l->Frame.DrawTop = top;
}

}  // namespace

TQRSubDetail* AddDocumentRow(TQuickRep* report, const DocumentTableGeometry& g, DocumentRowLabels& labels) {
    const QString font = QStringLiteral("MS Sans Serif");
    auto* band = new TQRSubDetail(report);
    band->Height = kDocumentRowHeight;
    Box(band, g.tableWidth, band->Height, false);
    const int top = 10;
    const int h = 21;
    labels.name = PlaceLabel(band, g.nameLeft, top, g.nameWidth, h, taLeftJustify, font, kDocumentRowSize);
    labels.value = PlaceLabel(band, g.valueLeft, top, g.valueWidth, h, taRightJustify, font, kDocumentRowSize);
    labels.unit = PlaceLabel(band, g.unitLeft, top, g.unitWidth, h, taLeftJustify, font, kDocumentRowSize);
    labels.uncertainty =
        g.uncertaintyWidth > 0
            ? PlaceLabel(band, g.uncertaintyLeft, top, g.uncertaintyWidth, h, taRightJustify, font, kDocumentRowSize)
            : nullptr;
    // Values with the most decimals the settings offer, in kcal, are wider than 95 pixels.
    labels.value->ShrinkToFit = true;
    if (labels.uncertainty) labels.uncertainty->ShrinkToFit = true;
    Rule(band, g.rule1, band->Height);
    Rule(band, g.rule2, band->Height);
    return band;
}

TQRChildBand* AddDocumentHeading(TQuickRep* report, TQRCustomBand* parent, int height, const QString& nameHeading,
                                 const DocumentTableGeometry& g) {
    const QString font = QStringLiteral("Arial");
    auto* band = new TQRChildBand(report, parent);
    band->Height = height;
    Box(band, g.tableWidth, height, true);
    const int valueEnd = g.rule2 > 0 ? g.rule2 : g.tableWidth;
    const int mid = (height - 21) / 2;
    PlaceLabel(band, 0, mid, g.rule1, 21, taCenter, font, kDocumentRowSize, true, nameHeading);
    PlaceLabel(band, g.rule1, mid, valueEnd - g.rule1, 21, taCenter, font, kDocumentRowSize, true,
               QStringLiteral("Значение"));
    if (g.rule2 > 0) {
        // Two lines in a narrow column: one size smaller than the other headings.
        PlaceLabel(band, g.rule2, mid - 10, g.tableWidth - g.rule2, 20, taCenter, font, kDocumentRowSize - 1, true,
                   QStringLiteral("Расширенная"));
        PlaceLabel(band, g.rule2, mid + 10, g.tableWidth - g.rule2, 20, taCenter, font, kDocumentRowSize - 1, true,
                   QStringLiteral("неопределенность, %"));
    }
    Rule(band, g.rule1, height);
    Rule(band, g.rule2, height);
    return band;
}

TQRSubDetail* AddDocumentLineBand(TQuickRep* report, int height, TQRLabel** label, int top,
                                  const DocumentTableGeometry& g) {
    auto* band = new TQRSubDetail(report);
    band->Height = height;
    *label = PlaceLabel(band, 0, top, g.tableWidth, 24, taLeftJustify, QStringLiteral("Arial"), kDocumentTitleSize);
    return band;
}

void SetupDocumentPage(TQuickRep& report) {
    report.ReportTitle = QStringLiteral("qvr");
    report.SetPageValue(pvTopMargin, 15);
    report.SetPageValue(pvBottomMargin, 10);
    report.SetPageValue(pvLeftMargin, 25);
    report.SetPageValue(pvRightMargin, 10);
    report.LastPageFooter = true;
    report.Font = TQRFont{QStringLiteral("MS Sans Serif"), 8, false};
}

}  // namespace qvr

// Texts and items shared by the archive prints and the gas-quality documents: controller
// and organisation names from their byte fields, analysis values with the decimals of the
// report settings, genitive month names, signature lines and the standards of the
// calculation method.
#pragma once
#include <QString>
#include <array>
#include <initializer_list>
#include <cstddef>
#include <cstdint>

#include "reports/ui/qreport.h"

namespace qvr {

// A 20-byte controller name (Windows-1251, up to the first zero) with blanks trimmed.
QString PrintControllerName(const uint8_t* name20);
// "Контроллер "<name>"  (адрес <address>)".
QString PrintControllerLine(const uint8_t* name20, uint8_t address);
// The organisation name: at most 40 bytes, zero-terminated (empty for null).
QString PrintOrgName(const char* orgName);
// Analysis value p (GasAnalysis index) in fixed point with the decimals the report
// settings give p (at most 10 significant digits); "NAN" for an invalid value.
QString PrintValueText(float v, int p);
// Genitive name of month 1..12; empty for anything else.
QString GenitiveMonthName(int month);
// A text field (Windows-1251, up to the first zero) or 41 underscores when it is empty.
QString SignatureText(const char* field, size_t width);
// The signature placeholder: 41 underscores.
QString SignaturePlaceholder();

// By calc_formula of the report settings: the line under the component heading and the
// heading of section 2 of the documents.
QString DocumentMethodLine();
QString DocumentSection2Heading();

// Moves the items together to the left, as far as the rightmost of them reaches past the
// page between the report's margins, so that a right-aligned header or a footer line
// ends at the table's right edge instead of in the margin.
void KeepInBody(const TQuickRep& report, std::initializer_list<TQRPrintable*> items);

// A label at a fixed place, AutoSize off.
TQRLabel* PlaceLabel(TQRCustomBand* band, int left, int top, int width, int height, TAlignment align,
                     const QString& font, int size, bool bold = false, const QString& caption = QString());

// The table of the gas-quality documents: a row band per parameter with its name, value,
// unit and (optionally) uncertainty labels, and column heading bands above the rows.
struct DocumentTableGeometry {
    int nameLeft, nameWidth;
    int valueLeft, valueWidth;
    int unitLeft, unitWidth;
    int uncertaintyLeft, uncertaintyWidth;  // width 0: no uncertainty column
    int rule1;       // rule between the names and the values
    int rule2;       // rule before the uncertainty column (0: none)
    int tableWidth;  // the table's right edge
};
struct DocumentRowLabels {
    TQRLabel* name = nullptr;
    TQRLabel* value = nullptr;
    TQRLabel* unit = nullptr;
    TQRLabel* uncertainty = nullptr;  // null without the column
};
constexpr int kDocumentRowHeight = 41;
// A row band (sub-detail, height 41) with its labels, empty, in MS Sans Serif.
TQRSubDetail* AddDocumentRow(TQuickRep* report, const DocumentTableGeometry& g, DocumentRowLabels& labels);
// A heading band: the name column heading, "Значение" and, with the uncertainty column,
// "Расширенная" / "неопределенность, %". parent: the band it follows (a child band).
TQRChildBand* AddDocumentHeading(TQuickRep* report, TQRCustomBand* parent, int height, const QString& nameHeading,
                                 const DocumentTableGeometry& g);
// A band that holds one text line across the table (section headings).
TQRSubDetail* AddDocumentLineBand(TQuickRep* report, int height, TQRLabel** label, int top, const DocumentTableGeometry& g);

// Font sizes of the documents: title and heading lines, table rows.
constexpr int kDocumentTitleSize = 12;

// Empties the captions of every label of the given label rows.
template <size_t N, class... More>
void ClearCaptions(const std::array<TQRLabel*, N>& labels, const More&... more) {
    for (TQRLabel* l : labels) l->Caption.clear();
    if constexpr (sizeof...(more) > 0) ClearCaptions(more...);
}
inline const QString kDocumentFont = QStringLiteral("Arial");

// The page of the one-analysis passport and the daily documents: margins 15/10/25/10 mm,
// footer on the last page, the report's default font.
void SetupDocumentPage(TQuickRep& report);
constexpr int kDocumentRowSize = 10;

}  // namespace qvr

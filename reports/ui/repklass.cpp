#include "reports/ui/repklass.h"

#include "reports/chromorder.h"

namespace {

const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");
const QString kSmallFonts = QStringLiteral("Small Fonts");
const QString kAverages = QStringLiteral("Средние значения");
const QString kCalculation = QStringLiteral("Расчет физико-химических показателей природного газа выполнен");
const QString kSignature = QString(41, QLatin1Char('_'));

TQRSubDetail* MakeBand(TQuickRep* report, int height) {
    auto* b = new TQRSubDetail(report);
    b->Height = height;
    return b;
}

void FrameAll(TQRCustomBand* b) { b->Frame.SetAll(true); }

// A label with AutoSize false at a fixed rectangle (height < 0: the default height).
TQRLabel* Label(TQRCustomBand* band, int top, int left, int width, int height, TAlignment align,
                const QString& caption = QString()) {
    auto* l = new TQRLabel(band);
    l->AutoSize = false;
    l->Alignment = align;
    l->Top = top;
    l->Left = left;
    l->Width = width;
    if (height >= 0) l->Height = height;
    l->Caption = caption;
    return l;
}

// A label that takes the size of its text.
TQRLabel* AutoLabel(TQRCustomBand* band, int top, int left, const QString& caption) {
    auto* l = new TQRLabel(band);
    l->AutoSize = true;
    l->Alignment = taLeftJustify;
    l->Top = top;
    l->Left = left;
    l->Caption = caption;
    return l;
}

// An empty memo, AutoSize false, no wrap.
TQRMemo* Memo(TQRCustomBand* band, int top, int left, int width, TAlignment align) {
    auto* m = new TQRMemo(band);
    m->AutoSize = false;
    m->WordWrap = false;
    m->Alignment = align;
    m->Top = top;
    m->Left = left;
    m->Width = width;
    m->Lines.clear();
    return m;
}

// A heading cell of display position pos: frame bottom and left, centred heading lines.
TQRRichText* HeadingCell(TQRCustomBand* band, int top, int left, int pos, uint8_t composition, uint8_t heatUnit) {
    auto* r = new TQRRichText(band);
    r->Alignment = taCenter;
    r->Top = top;
    r->Left = left;
    r->Width = 71;
    r->Height = 68;
    r->Frame.DrawBottom = true;
    r->Frame.DrawLeft = true;
    r->Lines.clear();
    r->Lines = ChromHeadingLines(pos, composition, heatUnit);
    return r;
}

int FirstPosition(uint8_t first) { return first > 10 ? 10 : first; }

template <size_t N, typename T>
void DeleteAll(T* (&items)[N]) {
    for (T*& p : items) {
        delete p;
        p = nullptr;
    }
}

template <typename T>
void DeleteOne(T*& p) {
    delete p;
    p = nullptr;
}

// A signature line of the summaries: 41 underscores in a column of the given pitch. In the
// printing font the underscores are wider than the pitch, so the line takes the column
// (less a gap) and prints as large as fits there rather than run into its neighbour.
TQRLabel* SignatureLine(TQRCustomBand* band, int top, int left, int pitch) {
    TQRLabel* l = Label(band, top, left, pitch - 12, -1, taLeftJustify, kSignature);
    l->SetFont(kSansSerif, 10);
    l->ShrinkToFit = true;
    return l;
}

// Summary band under the last table; x: first value column, l1 / l2: signature columns.
template <typename B>
void BuildItog(B& b, TQuickRep* report, int x, int l1, int l2) {
    b.Band = MakeBand(report, 225);
    b.AveragesCaption = Label(b.Band, 3, 6, 178, 21, taCenter, kAverages);
    b.AveragesCaption->SetFont(kSansSerif, 10, true);
    b.CalculationLine = AutoLabel(b.Band, 36, 2, kCalculation);
    b.CalculationLine->SetFont(kSansSerif, 10);
    b.StandardLine = AutoLabel(b.Band, 54, 2, QString());
    b.StandardLine->SetFont(kSansSerif, 10);
    for (int i = 0; i < 10; ++i) {
        b.Value[i] = Label(b.Band, 5, x + 70 * i, 71, -1, taCenter);
        b.Value[i]->SetFont(kSansSerif, 8);
        b.Value[i]->ShrinkToFit = true;
    }
    const int tops[3] = {106, 145, 181};
    for (int i = 0; i < 6; ++i) b.Signature[i] = SignatureLine(b.Band, tops[i % 3], i < 3 ? l1 : l2, l2 - l1);
}

template <typename B>
void DestroyItog(B& b) {
    DeleteOne(b.AveragesCaption);
    DeleteOne(b.CalculationLine);
    DeleteOne(b.StandardLine);
    DeleteAll(b.Value);
    DeleteAll(b.Signature);
    DeleteOne(b.Band);
}

struct SpecGeometry {
    int x, ruleWidth, captionWidth, standardLeft, l1, l2;
};

template <typename B>
void BuildSpecItog(B& b, TQuickRep* report, const SpecGeometry& g, uint8_t first, uint8_t composition,
                   uint8_t heatUnit) {
    const int f = FirstPosition(first);
    b.Band = MakeBand(report, 287);
    b.Band->Frame.DrawTop = true;
    b.Rule = Label(b.Band, 56, 2, g.ruleWidth, 14, taLeftJustify);
    b.Rule->Frame.DrawBottom = true;
    for (int i = 0; i < 10; ++i) {
        b.Heading[i] = HeadingCell(b.Band, 2, g.x + 70 * i, f + i, composition, heatUnit);
        b.Heading[i]->SetFont(kSansSerif, 8);
    }
    b.AveragesCaption = Label(b.Band, 76, 5, g.captionWidth, 21, taCenter, kAverages);
    b.AveragesCaption->SetFont(kSansSerif, 10, true);
    for (int i = 0; i < 10; ++i) {
        b.Value[i] = Label(b.Band, 78, g.x + 70 * i, 71, -1, taCenter);
        b.Value[i]->SetFont(kArial, 9);
        b.Value[i]->ShrinkToFit = true;
    }
    b.CalculationLine = AutoLabel(b.Band, 110, 2, kCalculation);
    b.CalculationLine->SetFont(kSansSerif, 10);
    b.StandardLine = AutoLabel(b.Band, 128, g.standardLeft, QString());
    b.StandardLine->SetFont(kSansSerif, 10);
    const int tops[3] = {165, 204, 240};
    for (int i = 0; i < 6; ++i) b.Signature[i] = SignatureLine(b.Band, tops[i % 3], i < 3 ? g.l1 : g.l2, g.l2 - g.l1);
}

template <typename B>
void DestroySpecItog(B& b) {
    DeleteOne(b.Rule);
    DeleteAll(b.Heading);
    DeleteOne(b.AveragesCaption);
    DeleteAll(b.Value);
    DeleteOne(b.CalculationLine);
    DeleteOne(b.StandardLine);
    DeleteAll(b.Signature);
    DeleteOne(b.Band);
}

// A value memo of the chromatograph tables: Arial 9, centred, no wrap.
TQRMemo* ValueMemo(TQRCustomBand* band, int top, int left, int width) {
    TQRMemo* m = Memo(band, top, left, width, taCenter);
    m->SetFont(kArial, 9);
    m->ShrinkToFit = true;  // values with many digits and decimals
    return m;
}

// A vertical rule: an empty label with the right side of its frame.
TQRLabel* VerticalRule(TQRCustomBand* band, int top, int left, int height) {
    TQRLabel* l = Label(band, top, left, 3, height, taLeftJustify);
    l->Frame.DrawRight = true;
    return l;
}

}  // namespace

QStringList ChromHeadingLines(int pos, uint8_t composition, uint8_t heatUnit) {
    if (pos < 0 || pos >= 20) return {QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")};
    const int param = ChromParamDisplayOrder[pos];
    const auto& heads = composition == 1 ? ChromParamHeadersVolume : ChromParamHeadersMolar;
    const auto& units = heatUnit == 1 ? ChromParamUnitsKcal : ChromParamUnitsMJ;
    return {QString::fromUtf8(heads[param][0]), QString::fromUtf8(heads[param][1]),
            QString::fromUtf8(heads[param][2]), QString::fromUtf8(units[param])};
}

// ---------------------------------------------------------------------------------------
TrepTitle::TrepTitle(TQuickRep* report) {
    Band = MakeBand(report, 115);
    struct Row {
        int top, height, size;
        bool bold;
        TAlignment align;
    };
    const Row rows[5] = {{3, 20, 12, true, taCenter},
                         {22, 17, 10, false, taLeftJustify},
                         {46, 20, 12, true, taCenter},
                         {69, 17, 10, false, taCenter},
                         {88, 17, 10, false, taCenter}};
    TQRLabel** labels[5] = {&Label1, &Label2, &Label3, &Label4, &Label5};
    for (int i = 0; i < 5; ++i) {
        *labels[i] = Label(Band, rows[i].top, i == 1 ? 4 : 2, 740, rows[i].height, rows[i].align);
        (*labels[i])->SetFont(kArial, rows[i].size, rows[i].bold);
    }
    // Label 1 holds the organisation name: 40 characters of the user's choosing, which in
    // wide capitals need more than the label's width at 12 points bold.
    Label1->ShrinkToFit = true;
}

TrepTitle::~TrepTitle() {
    DeleteOne(Label1);
    DeleteOne(Label2);
    DeleteOne(Label3);
    DeleteOne(Label4);
    DeleteOne(Label5);
    DeleteOne(Band);
}

ThdmItog::ThdmItog(TQuickRep* report) { BuildItog(*this, report, 225, 51, 382); }
ThdmItog::~ThdmItog() { DestroyItog(*this); }
TmomItog::TmomItog(TQuickRep* report) { BuildItog(*this, report, 190, 32, 363); }
TmomItog::~TmomItog() { DestroyItog(*this); }

ThdmSpecItog::ThdmSpecItog(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit) {
    // The averages caption as wide as the rule above it: "Средние значения" needs more
    // than 142 pixels in the printing font.
    BuildSpecItog(*this, report, {225, 178, 178, 2, 51, 382}, first, composition, heatUnit);
}
ThdmSpecItog::~ThdmSpecItog() { DestroySpecItog(*this); }
TmomSpecItog::TmomSpecItog(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit) {
    BuildSpecItog(*this, report, {190, 150, 178, 22, 32, 363}, first, composition, heatUnit);
}
TmomSpecItog::~TmomSpecItog() { DestroySpecItog(*this); }

// ---------------------------------------------------------------------------------------
ThdmTable::ThdmTable(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit) {
    const int f = FirstPosition(first);
    Band = MakeBand(report, 106);
    FrameAll(Band);
    Band->SetFont(kSansSerif, 8);
    Label[0] = ::Label(Band, 18, 2, 142, 27, taCenter, QStringLiteral("Начало"));
    Label[1] = ::Label(Band, 47, 2, 69, 23, taCenter, QStringLiteral("Дата"));
    Label[2] = ::Label(Band, 47, 75, 71, 23, taCenter, QStringLiteral("Время"));
    Label[3] = ::Label(Band, 18, 150, 75, 27, taCenter, QStringLiteral("Конец"));
    Label[4] = ::Label(Band, 47, 150, 75, 23, taCenter, QStringLiteral("Время"));
    for (int i = 0; i < 5; ++i) Label[i]->Frame.DrawBottom = true;
    Label[5] = ::Label(Band, 2, 145, 3, 67, taCenter);
    Label[6] = ::Label(Band, 46, 69, 4, 24, taCenter);
    Label[5]->Frame.DrawLeft = true;
    Label[6]->Frame.DrawLeft = true;
    DateMemo = ValueMemo(Band, 78, 4, 66);
    StartTimeMemo = ValueMemo(Band, 78, 75, 69);
    EndTimeMemo = ValueMemo(Band, 78, 151, 71);
    for (int i = 0; i < 10; ++i) Heading[i] = HeadingCell(Band, 2, 225 + 70 * i, f + i, composition, heatUnit);
    for (int i = 0; i < 10; ++i) Value[i] = ValueMemo(Band, 78, 225 + 70 * i, 71);
}

ThdmTable::~ThdmTable() {
    DeleteAll(Label);
    DeleteOne(DateMemo);
    DeleteOne(StartTimeMemo);
    DeleteOne(EndTimeMemo);
    DeleteAll(Heading);
    DeleteAll(Value);
    DeleteOne(Band);
}

TmomTable::TmomTable(TQuickRep* report, uint8_t first, uint8_t composition, uint8_t heatUnit) {
    const int f = FirstPosition(first);
    Band = MakeBand(report, 109);
    FrameAll(Band);
    Band->SetFont(kSansSerif, 8);
    Label[0] = ::Label(Band, 27, 8, 79, 23, taCenter, QStringLiteral("Дата"));
    Label[1] = ::Label(Band, 27, 101, 79, 23, taCenter, QStringLiteral("Время"));
    Label[2] = ::Label(Band, 2, 92, 3, 66, taCenter);
    Label[2]->Frame.DrawLeft = true;
    Label[3] = ::Label(Band, 68, 2, 188, 14, taCenter);
    Label[3]->Frame.DrawTop = true;
    DateMemo = ValueMemo(Band, 80, 8, 79);
    TimeMemo = ValueMemo(Band, 80, 101, 79);
    for (int i = 0; i < 10; ++i) Heading[i] = HeadingCell(Band, 2, 190 + 70 * i, f + i, composition, heatUnit);
    for (int i = 0; i < 10; ++i) Value[i] = ValueMemo(Band, 78, 190 + 70 * i, 71);
}

TmomTable::~TmomTable() {
    DeleteAll(Label);
    DeleteOne(DateMemo);
    DeleteOne(TimeMemo);
    DeleteAll(Heading);
    DeleteAll(Value);
    DeleteOne(Band);
}

// ---------------------------------------------------------------------------------------
// The log tables: seven columns side by side, a rule between neighbours. The columns are as
// wide as the longest texts the log views show (event names, list values, units) need in
// the printing font, within the page between the print's margins.
namespace {

struct LogColumns {
    int left[7];
    int width[7];
    int right() const { return left[6] + width[6]; }
};

constexpr int kLogColumnGap = 6;

LogColumns MakeLogColumns(const int (&widths)[7]) {
    LogColumns c{};
    int x = 0;
    for (int i = 0; i < 7; ++i) {
        c.left[i] = x;
        c.width[i] = widths[i];
        x += widths[i] + kLogColumnGap;
    }
    return c;
}

// The rule before column i: a line midway in the gap.
int RuleLeft(const LogColumns& c, int i) { return c.left[i] - kLogColumnGap / 2 - 3; }

// Date, time, event, object / reason, current value, set point, unit.
const LogColumns kDiagColumns = MakeLogColumns({56, 56, 330, 236, 66, 60, 58});
// Date, time, parameter name, old value, new value, unit, operator.
const LogColumns kAuditColumns = MakeLogColumns({66, 66, 320, 130, 130, 74, 74});

}  // namespace

TAlaTable::TAlaTable(TQuickRep* report) {
    const LogColumns& c = kDiagColumns;
    Band = MakeBand(report, 92);
    FrameAll(Band);
    Band->SetFont(kSansSerif, 8);
    struct Cap {
        int top, column;
        const char* text;
    };
    const Cap caps[12] = {
        {16, 0, "Дата"},      {16, 1, "Время"},     {5, 2, "Сообщение"}, {33, 2, "Событие"},
        {3, 4, "Текущее"},    {16, 4, "значение"},  {29, 4, "параметра"}, {9, 5, "Значение"},
        {23, 5, "уставки"},   {9, 6, "Единица"},    {23, 6, "измер."},    {33, 3, "Объект / Причина"},
    };
    for (int i = 0; i < 12; ++i) {
        const int col = caps[i].column;
        // "Сообщение" heads the event and object columns together.
        const int width = i == 2 ? c.left[3] + c.width[3] - c.left[2] : c.width[col];
        Caption[i] = Label(Band, caps[i].top, c.left[col], width, -1, taCenter, QString::fromUtf8(caps[i].text));
    }
    const int ruled[5] = {1, 2, 4, 5, 6};
    for (int i = 0; i < 5; ++i) VRule[i] = VerticalRule(Band, 1, RuleLeft(c, ruled[i]), 52);
    VRule[5] = VerticalRule(Band, 30, RuleLeft(c, 3), 22);
    HRule[0] = Label(Band, 26, c.left[2] - 2, c.left[3] + c.width[3] - c.left[2] + 4, 3, taLeftJustify);
    HRule[0]->SetFont(kSmallFonts, 2);
    HRule[0]->Frame.DrawBottom = true;
    HRule[1] = Label(Band, 51, 0, c.right(), 3, taLeftJustify);
    HRule[1]->SetFont(kSmallFonts, 2);
    HRule[1]->Frame.DrawTop = true;
    for (int i = 0; i < 7; ++i) {
        Memo[i] = ::Memo(Band, 63, c.left[i], c.width[i], (i == 2 || i == 3) ? taLeftJustify : taCenter);
        Memo[i]->ShrinkToFit = true;
    }
}

TAlaTable::~TAlaTable() {
    DeleteAll(Caption);
    DeleteAll(VRule);
    DeleteAll(HRule);
    DeleteAll(Memo);
    DeleteOne(Band);
}

TAudTable::TAudTable(TQuickRep* report) {
    const LogColumns& c = kAuditColumns;
    Band = MakeBand(report, 92);
    FrameAll(Band);
    Band->SetFont(kSansSerif, 8);
    struct Cap {
        int top, column;
        const char* text;
    };
    const Cap caps[11] = {
        {16, 0, "Дата"},     {16, 1, "Время"},      {16, 2, "Наименование  параметра"},
        {9, 3, "Старое"},    {23, 3, "значение"},   {9, 4, "Новое"},
        {23, 4, "значение"}, {9, 5, "Единица"},     {23, 5, "измер."},
        {9, 6, "Имя"},       {23, 6, "оператора"},
    };
    for (int i = 0; i < 11; ++i)
        Caption[i] = Label(Band, caps[i].top, c.left[caps[i].column], c.width[caps[i].column], -1, taCenter,
                           QString::fromUtf8(caps[i].text));
    for (int i = 0; i < 6; ++i) VRule[i] = VerticalRule(Band, 1, RuleLeft(c, i + 1), 50);
    HRule[0] = Label(Band, 51, 0, c.right(), 3, taLeftJustify);
    HRule[0]->Frame.DrawTop = true;
    for (int i = 0; i < 7; ++i) {
        Memo[i] = ::Memo(Band, 63, c.left[i], c.width[i], i == 2 ? taLeftJustify : taCenter);
        Memo[i]->ShrinkToFit = true;
    }
}

TAudTable::~TAudTable() {
    DeleteAll(Caption);
    DeleteAll(VRule);
    DeleteAll(HRule);
    DeleteAll(Memo);
    DeleteOne(Band);
}

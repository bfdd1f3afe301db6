// The one-page gas-quality documents (one-analysis passport, daily certificate, daily
// passport): texts and their places, row orders, names and units by the report settings,
// uncertainties only for the ISO method, "NAN" values, signature placeholders, conversion
// on a copy; and the print hooks installed for the views and the daily print loops.
#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/bytes.h"
#include "common/codepage.h"
#include "common/question.h"
#include "common/stringi.h"
#include "data/archformat.h"
#include "data/passport.h"
#include "data/ui/chromarchform.h"
#include "data/ui/formarhivhdm_chr.h"
#include "data/ui/formarhmom_wmt.h"
#include "reports/chromorder.h"
#include "reports/dailyreport.h"
#include "reports/docorder.h"
#include "reports/gascalc.h"
#include "reports/ui/formpasport.h"
#include "reports/ui/formpasport_mom.h"
#include "reports/ui/formquesprn.h"
#include "reports/ui/formsertif.h"
#include "reports/ui/printforms.h"
#include "reports/ui/reportcommands.h"
#include "support/reportink.h"
#include "support/tempdir.h"

using namespace qvr;

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }
const QString kUnderscores(41, QLatin1Char('_'));

// A plausible analysis: components in mole percent, ISO properties in MJ.
GasAnalysis SampleGas() {
    GasAnalysis a;
    const float comp[11] = {0.05f, 0.9f, 0.15f, 0.16f, 0.01f, 0.04f, 0.03f, 0.8f, 94.06f, 0.1f, 3.7f};
    for (int i = 0; i < 11; ++i) a.v[i] = comp[i];
    a.v[kGasHs] = 38.2f;
    a.v[kGasDensity] = 0.7001f;
    a.v[kGasWobbe] = 49.9f;
    a.v[kGasCompressibility] = 0.9978f;
    a.v[kGasSum] = 100.0f;
    a.v[kGasTemperature] = 18.0f;
    a.v[kGasHi] = 34.0f;
    a.v[kGasRelDensity] = 0.5812f;
    return a;
}

class DocPrint : public ::testing::Test {
protected:
    void SetUp() override {
        saved = ReportSettings;
        ReportSettings = {};
        for (int p = 0; p < 20; ++p) ReportSettings.fr[p] = 2;
        ReportSettings.fr[kGasDensity] = 4;
        ReportSettings.calc_formula = 1;
        BuildKcalColumns();
        ClearQuesRecord();
    }
    void TearDown() override {
        ReportSettings = saved;
        SetReportOutputHook(nullptr);
        SetDailyPrintChoiceHook(nullptr);
        SetPrintHeadingAsker(nullptr);
        SetChromArchivePrintHook(nullptr);
        SetMomentPassportPrintHook(nullptr);
        SetMoistureArchivePrintHook(nullptr);
        SetDailyPrintHook(nullptr);
    }
    ReportSettingsRecord saved{};
};

// The passport record as the 5-minute view fills it.
MomentPassportRecord MomentRecord(const GasAnalysis& a, const ReportFormatRecord& texts) {
    MomentPassportRecord r;
    const auto tb = texts.Bytes();
    std::memcpy(r.bytes + MomentPassportRecord::kReportTexts, tb.data(), tb.size());
    const std::string name = Win(" Узел учета 3  ");
    std::memcpy(r.bytes + MomentPassportRecord::kName, name.data(), name.size());
    r.bytes[MomentPassportRecord::kAddress] = 17;
    const uint8_t t[6] = {26, 11, 30, 14, 5, 9};
    std::memcpy(r.bytes + MomentPassportRecord::kAnalysisTime, t, 6);
    a.Store(r.bytes + MomentPassportRecord::kAnalysis);
    return r;
}

DailyReportRecord DailyRecord() {
    DailyReportRecord r;
    StoreTextField(r.format.certLine[0], ReportFormatRecord::kCertLineSize, Win("Строка сертификата 1"));
    StoreTextField(r.format.certLine[3], ReportFormatRecord::kCertLineSize, Win("Строка 4"));
    StoreTextField(r.format.representative[0], ReportFormatRecord::kRepresentativeSize,
                   Win("Иванов И.И. поставщик газа ООО Газ транспорт юг 1"));
    StoreTextField(r.format.passportLine[1], ReportFormatRecord::kPassportLineSize, Win("Химик Петрова"));
    const std::string name = Win("ГРС-2");
    std::memcpy(r.name, name.data(), name.size());
    r.address = 4;
    r.start = CtlMinuteTime(26, 11, 30, 10, 0);
    r.end = CtlMinuteTime(26, 12, 1, 10, 0);
    r.gas = SampleGas();
    return r;
}

TEST_F(DocPrint, MomentPassportGostTextsRowsAndPlaces) {
    ReportFormatRecord texts;
    MomentPassportRecord rec = MomentRecord(SampleGas(), texts);
    rec.bytes[MomentPassportRecord::kAnalysis + 4 * kGasDensity + 3] = 0x7F;  // density: exponent all ones
    rec.bytes[MomentPassportRecord::kAnalysis + 4 * kGasDensity + 2] = 0xC0;
    char org[41] = {};
    std::strcpy(org, Win("ПАО Газ").c_str());
    TFormMom_Pasport f;
    f.Passport = rec.bytes;
    f.OrgName = org;
    f.BuildMomentPassport();

    EXPECT_EQ(f.ControllerLine->Caption, Q("Контроллер \"Узел учета 3\"  (адрес 17)"));
    EXPECT_EQ(f.OrgLine->Caption, Q("ПАО Газ"));
    EXPECT_EQ(f.AnalysisLine->Caption, Q("по результатам однократного анализа  14:05:09  30 ноября 2026г"));
    EXPECT_EQ(f.MethodLine->Caption, Q("по ГОСТ 22667-82 и ГОСТ 30319.1-96"));
    EXPECT_EQ(f.Section2Line->Caption, Q("2. Физико-химические показатели"));
    // Rows in passport order: methane first, CO2 before nitrogen, then Hi, Wobbe, density.
    EXPECT_EQ(f.ln[0]->Caption, Q(GasParamNamesMolar[8]));
    EXPECT_EQ(f.ln[9]->Caption, Q(GasParamNamesMolar[9]));
    EXPECT_EQ(f.ln[10]->Caption, Q(GasParamNamesMolar[7]));
    EXPECT_EQ(f.ln[11]->Caption, Q(GasParamNamesMolar[18]));
    EXPECT_EQ(f.lv[0]->Caption, QStringLiteral("94.06"));
    EXPECT_EQ(f.lv[11]->Caption, QStringLiteral("34.00"));
    EXPECT_EQ(f.lv[12]->Caption, QStringLiteral("49.90"));
    EXPECT_EQ(f.lv[13]->Caption, QStringLiteral("NAN"));  // an invalid value
    EXPECT_EQ(f.lu[11]->Caption, Q("МДж/м3"));
    EXPECT_EQ(f.lu[13]->Caption, Q("кг/м3"));
    for (int i = 0; i < kPassportRowCount; ++i) EXPECT_TRUE(f.nv[size_t(i)]->Caption.isEmpty()) << i;
    // Empty passport lines print as underscores, three in each column.
    for (int k = 0; k < 6; ++k) EXPECT_EQ(f.Signature[k]->Caption, kUnderscores);

    ASSERT_EQ(f.QuickRep1.PageCount(), 1);
    const double left = MmToReportPixels(25);
    const double top = MmToReportPixels(15);
    const auto org1 = f.QuickRep1.FindText(Q("ПАО Газ"));
    ASSERT_EQ(org1.size(), 1u);
    EXPECT_NEAR(org1[0].rect.top(), top + 38, 0.01);
    // The value of row 1 under the title (190) and the heading band (60).
    int page = 0;
    QRectF r;
    ASSERT_TRUE(f.QuickRep1.ItemPlacement(f.lv[0], page, r));
    EXPECT_NEAR(r.left(), left + 436, 0.01);
    EXPECT_NEAR(r.top(), top + 190 + 60 + 10, 0.01);
    // Row 12 follows the 11 rows, the section band (55) and the second heading (53).
    ASSERT_TRUE(f.QuickRep1.ItemPlacement(f.ln[11], page, r));
    EXPECT_NEAR(r.top(), top + 190 + 60 + 11 * 41 + 55 + 53 + 10, 0.01);
    const auto lines = f.QuickRep1.FindText(kUnderscores);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NEAR(lines[0].rect.left(), left + 1, 0.01);
    EXPECT_NEAR(lines[3].rect.left(), left + 415, 0.01);
    EXPECT_NEAR(lines[2].rect.top() - lines[0].rect.top(), 138 - 44, 0.01);
    EXPECT_EQ(f.QuickRep1.FindText(Q("Наименование компонентов")).size(), 1u);
    EXPECT_EQ(f.QuickRep1.FindText(Q("неопределенность, %")).size(), 2u);
}

TEST_F(DocPrint, MomentPassportIsoUncertaintiesVolumeNamesAndKcal) {
    ReportSettings.calc_formula = 0;
    ReportSettings.prz_composition = 1;
    ReportSettings.thermal_unit = 1;
    ReportFormatRecord texts;
    StoreTextField(texts.passportLine[0], ReportFormatRecord::kPassportLineSize, Win("Начальник лаборатории"));
    StoreTextField(texts.passportLine[5], ReportFormatRecord::kPassportLineSize, Win("Оператор"));
    const GasAnalysis a = SampleGas();
    MomentPassportRecord rec = MomentRecord(a, texts);
    TFormMom_Pasport f;
    f.Passport = rec.bytes;
    f.BuildMomentPassport();

    EXPECT_EQ(f.MethodLine->Caption, Q("по ДСТУ ISO 6974:2007 и МВУ 06-063:2011"));
    EXPECT_EQ(f.Section2Line->Caption, Q("2. Физико-химические показатели, рассчитанные по ДСТУ ISO 6976:2009"));
    EXPECT_EQ(f.ln[0]->Caption, Q(GasParamNamesVolume[8]));
    EXPECT_EQ(f.ln[11]->Caption, Q(GasParamNamesMolar[18]));  // properties named alike
    EXPECT_EQ(f.lu[11]->Caption, Q("ккал/м3"));
    EXPECT_EQ(f.lu[12]->Caption, Q("ккал/м3"));
    EXPECT_EQ(f.Signature[0]->Caption, Q("Начальник лаборатории"));
    EXPECT_EQ(f.Signature[1]->Caption, kUnderscores);
    EXPECT_EQ(f.Signature[5]->Caption, Q("Оператор"));

    // The uncertainties of the analysis as the calculation gives them.
    ComputeComponentUncertainties(a);
    for (int i = 0; i < kPassportRowCount; ++i) {
        const int p = PassportParamOrder[i];
        const double u = p < kGasComponentCount ? ComponentUncertainty[p] : ComputePropertyUncertainty(a, p);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", int(ReportSettings.fr[p]), u);
        EXPECT_EQ(f.nv[size_t(i)]->Caption, QString::fromLatin1(buf)) << i;
        EXPECT_FALSE(f.nv[size_t(i)]->Caption.isEmpty()) << i;
    }
    // The passport does not convert the analysis again: values as stored.
    EXPECT_EQ(f.lv[11]->Caption, QStringLiteral("34.00"));
}

TEST_F(DocPrint, DailyCertificateTextsAndRows) {
    DailyReportRecord rec = DailyRecord();
    const auto before = rec.Bytes();
    TFormSert f;
    f.Report = &rec;
    f.BuildDailyCertificate();

    EXPECT_EQ(f.ControllerLine->Caption, Q("Контроллер \"ГРС-2\"  (адрес 4)"));
    EXPECT_EQ(f.DayLine->Caption, Q("За 30 ноября 2026 года"));  // the start date
    EXPECT_EQ(f.PeriodLine->Caption, Q("c  10:00  30 ноября 2026г          до   10:00  1 декабря 2026г"));
    EXPECT_EQ(f.CertLine[0]->Caption, Q("Строка сертификата 1"));
    EXPECT_TRUE(f.CertLine[1]->Caption.isEmpty());
    EXPECT_EQ(f.CertLine[3]->Caption, Q("Строка 4"));
    // A representative of 49 characters prints whole; an empty one as underscores.
    EXPECT_EQ(f.RepresentativeName[0]->Caption.size(), 49);
    EXPECT_EQ(f.RepresentativeName[0]->Caption, Q("Иванов И.И. поставщик газа ООО Газ транспорт юг 1"));
    EXPECT_EQ(f.RepresentativeName[1]->Caption, kUnderscores);
    // Certificate order: nitrogen before CO2; Hi, density, Wobbe, Hs, Z, relative density.
    const int order[17] = {8, 10, 1, 2, 3, 4, 5, 6, 0, 7, 9, 18, 12, 13, 11, 14, 19};
    for (int i = 0; i < 17; ++i) EXPECT_EQ(f.ln[size_t(i)]->Caption, Q(GasParamNamesMolar[order[i]])) << i;
    EXPECT_EQ(f.lv[12]->Caption.count(QLatin1Char('.')), 1);
    EXPECT_EQ(f.lv[12]->Caption.section(QLatin1Char('.'), 1).size(), 4);  // density, 4 decimals
    EXPECT_EQ(f.lu[13]->Caption, Q("МДж/м3"));

    // One page; the representatives at the foot of the page.
    ASSERT_EQ(f.QuickRep1.PageCount(), 1);
    const double left = MmToReportPixels(25);
    const double footerTop = MmToReportPixels(297 - 10) - 141;
    const auto reps = f.QuickRep1.FindText(Q("Представитель"));
    ASSERT_EQ(reps.size(), 2u);
    EXPECT_NEAR(reps[0].rect.left(), left + 4, 0.01);
    EXPECT_NEAR(reps[1].rect.left(), left + 422, 0.01);
    EXPECT_NEAR(reps[0].rect.top(), footerTop + 42, 0.01);
    EXPECT_EQ(f.QuickRep1.FindText(kUnderscores).size(), 3u);  // one empty name, two lines
    const auto title = f.QuickRep1.FindText(Q("СУТОЧНЫЙ  СЕРТИФИКАТ"));
    ASSERT_EQ(title.size(), 1u);
    EXPECT_TRUE(title[0].item->EffectiveFont().Bold);
    EXPECT_NEAR(title[0].rect.top(), MmToReportPixels(15) + 29, 0.01);
    // The record keeps its analysis as read.
    EXPECT_EQ(rec.Bytes(), before);
}

TEST_F(DocPrint, DailyValuesFollowTheSettingsAtEachBuild) {
    ReportSettings.calc_formula = 0;  // ISO: the controller's properties, converted by unit
    DailyReportRecord rec = DailyRecord();
    rec.gas.v[kGasWobbe] = std::numeric_limits<float>::infinity();
    TFormPasport mj;
    mj.Report = &rec;
    mj.BuildDailyPassport();
    EXPECT_EQ(mj.lv[11]->Caption, QStringLiteral("34.00"));  // Hi
    EXPECT_EQ(mj.lu[11]->Caption, Q("МДж/м3"));
    EXPECT_EQ(mj.lv[12]->Caption, QStringLiteral("NAN"));  // Wobbe index
    EXPECT_EQ(mj.lv[0]->Caption, QStringLiteral("94.06"));

    ReportSettings.thermal_unit = 1;
    ReportSettings.metan_corr = 1;
    TFormPasport kcal;
    kcal.Report = &rec;
    kcal.BuildDailyPassport();
    EXPECT_EQ(kcal.lv[11]->Caption, QStringLiteral("8128.72"));  // 34 MJ in kcal
    EXPECT_EQ(kcal.lu[11]->Caption, Q("ккал/м3"));
    // Methane by difference: 100 less the other ten components.
    EXPECT_EQ(kcal.lv[0]->Caption, QStringLiteral("94.06"));
    rec.gas.v[kGasMethane] = 50.0f;
    TFormPasport again;
    again.Report = &rec;
    again.BuildDailyPassport();
    EXPECT_EQ(again.lv[0]->Caption, QStringLiteral("94.06"));
    ReportSettings.metan_corr = 0;
    again.BuildDailyPassport();
    EXPECT_EQ(again.lv[0]->Caption, QStringLiteral("50.00"));
}

TEST_F(DocPrint, DailyPassportTextsAndSignatures) {
    DailyReportRecord rec = DailyRecord();
    rec.start = CtlMinuteTime(26, 12, 31, 9, 30);
    rec.end = CtlMinuteTime(27, 1, 1, 9, 30);
    TFormPasport f;
    f.Report = &rec;
    f.BuildDailyPassport();
    EXPECT_EQ(f.DayLine->Caption, Q("За 31 декабря 2026 года"));
    EXPECT_EQ(f.PeriodLine->Caption, Q("c  09:30  31 декабря 2026г          до   09:30  1 января 2027г"));
    EXPECT_EQ(f.Signature[0]->Caption, kUnderscores);
    EXPECT_EQ(f.Signature[1]->Caption, Q("Химик Петрова"));
    for (int k = 2; k < 6; ++k) EXPECT_EQ(f.Signature[k]->Caption, kUnderscores);
    EXPECT_EQ(f.ln[9]->Caption, Q(GasParamNamesMolar[9]));  // CO2 before nitrogen
    EXPECT_EQ(f.ln[13]->Caption, Q(GasParamNamesMolar[12]));
    ASSERT_EQ(f.QuickRep1.PageCount(), 1);
    EXPECT_EQ(f.QuickRep1.FindText(Q("СУТОЧНЫЙ  ПАСПОРТ")).size(), 1u);
    EXPECT_EQ(f.QuickRep1.FindText(Q("физико-химических показателей природного газа")).size(), 1u);
    int page = 0;
    QRectF r;
    ASSERT_TRUE(f.QuickRep1.ItemPlacement(f.Signature[3], page, r));
    EXPECT_NEAR(r.left(), MmToReportPixels(25) + 415, 0.01);
    EXPECT_NEAR(r.top(), MmToReportPixels(15) + 201 + 60 + 11 * 41 + 55 + 53 + 3 * 41 + 44, 0.01);

    // Signature lines of 49 wide capitals: even at the smallest size each stays within its
    // column, beginning at its left edge; the left one short of the right column, the right
    // one short of the paper's edge.
    const std::string wide = Win("ЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮМЖШЩЮ");
    for (int k : {0, 3}) StoreTextField(rec.format.passportLine[k], ReportFormatRecord::kPassportLineSize, wide);
    TFormPasport g;
    g.Report = &rec;
    g.BuildDailyPassport();
    for (int k : {0, 3}) {
        const LabelInk ink = InkOf(g.QuickRep1, g.Signature[k]);
        EXPECT_TRUE(ink.Inside()) << k << ": ink " << ink.ink.left() << ".." << ink.ink.right() << ", line "
                                  << ink.item.left() << ".." << ink.item.right();
        EXPECT_LT(ink.ink.left(), ink.item.left() + 2) << k;
    }

    TempDir tmp;
    for (const auto& [rep, name] : {std::pair<TQuickRep*, const char*>{&f.QuickRep1, "pasport.pdf"}}) {
        const QString path = QString::fromStdString(tmp.dir() + name);
        ASSERT_TRUE(rep->RenderToPdf(path));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().startsWith("%PDF"));
    }
    TFormSert s;
    s.Report = &rec;
    s.BuildDailyCertificate();
    TFormMom_Pasport m;
    const MomentPassportRecord mrec = MomentRecord(SampleGas(), ReportFormatRecord{});
    m.Passport = mrec.bytes;
    m.BuildMomentPassport();
    EXPECT_TRUE(s.QuickRep1.RenderToPdf(QString::fromStdString(tmp.dir() + "sert.pdf")));
    EXPECT_TRUE(m.QuickRep1.RenderToPdf(QString::fromStdString(tmp.dir() + "mom.pdf")));
}

// ---------------------------------------------------------------------------------------
// The installed hooks: what the views and the daily loops reach.

struct Output {
    bool print;
    int pages;
    QStringList texts;
};

std::vector<Output>& CaptureOutputs() {
    static std::vector<Output> outputs;
    outputs.clear();
    SetReportOutputHook([](TQuickRep& rep, bool print) {
        Output o{print, rep.PageCount(), {}};
        for (const auto& t : rep.TextPlacements()) o.texts << t.text;
        outputs.push_back(o);
        return true;
    });
    return outputs;
}

TEST_F(DocPrint, DailyLoopsPreviewAndPrintTheChosenDocument) {
    InstallPrintForms();
    std::vector<Output>& out = CaptureOutputs();
    DailyReportRecord rec = DailyRecord();
    std::vector<uint8_t> choices;
    SetDailyPrintChoiceHook([&](QWidget*, DailyReportRecord*) {
        const uint8_t c = choices.empty() ? 0 : choices.front();
        if (!choices.empty()) choices.erase(choices.begin());
        return c;
    });
    choices = {1, 2, 0};
    PrintCertificateLoop(&rec);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FALSE(out[0].print);
    EXPECT_TRUE(out[1].print);
    EXPECT_TRUE(out[0].texts.contains(Q("СУТОЧНЫЙ  СЕРТИФИКАТ")));
    EXPECT_EQ(out[0].pages, 1);

    out.clear();
    choices = {2, 0};
    PrintPassportLoop(&rec);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].print);
    EXPECT_TRUE(out[0].texts.contains(Q("СУТОЧНЫЙ  ПАСПОРТ")));
    EXPECT_TRUE(out[0].texts.contains(Q("Химик Петрова")));

    out.clear();
    const MomentPassportRecord mrec = MomentRecord(SampleGas(), ReportFormatRecord{});
    ASSERT_TRUE(CurrentMomentPassportPrintHook());
    CurrentMomentPassportPrintHook()(nullptr, mrec.bytes, "ORG", true);
    CurrentMomentPassportPrintHook()(nullptr, mrec.bytes, "ORG", false);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FALSE(out[0].print);
    EXPECT_TRUE(out[1].print);
    EXPECT_TRUE(out[0].texts.contains("ORG"));
    EXPECT_TRUE(out[0].texts.contains(Q("Контроллер \"Узел учета 3\"  (адрес 17)")));
}

TEST_F(DocPrint, ArchiveViewsPreviewTheirPrintouts) {
    InstallPrintForms();
    std::vector<Output>& out = CaptureOutputs();
    SetPrintHeadingAsker([](const ArchiveFileHeader*, PrintHeadingKind, char org[41]) {
        std::strcpy(org, "ORG");
        return true;
    });

    // An hourly chromatograph view of three records.
    std::vector<uint8_t> recs;
    for (uint8_t h = 0; h < 3; ++h) {
        std::vector<uint8_t> r(kChromHourDayRecordSize);
        const uint8_t stamp[9] = {26, 12, 7, h, 0, 0, uint8_t(h + 1), 0, 0};
        std::memcpy(r.data(), stamp, 9);
        for (int i = 0; i < 20; ++i) PutF32(r.data() + 10 + 4 * i, float(i) + 0.25f);
        PutF32(r.data() + 10 + 4 * 8, 92.5f);
        SealRecord(r.data(), r.size());
        recs.insert(recs.end(), r.begin(), r.end());
    }
    uint8_t name[20];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, "KVR-7", 5);
    const ArchiveFileHeader h = MakeArchiveFileHeader(DataKind::ChromHour, name, 21, CtlDateTime(26, 12, 7, 10, 11, 12),
                                                      CtlDateTime(26, 12, 7, 0, 0, 0), CtlDateTime(26, 12, 7, 3, 0, 0),
                                                      3, 9, 0);
    {
        TFormArhivHDM_Chr f;
        f.Header = &h;
        f.Records = &recs;
        f.show();
        f.BitBtn3Click();
        EXPECT_TRUE(ShownQues().empty());
    }
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].print);
    EXPECT_EQ(out[0].pages, 2);
    EXPECT_TRUE(out[0].texts.contains(Q("Часовые измерительные данные хроматографа")));
    EXPECT_TRUE(out[0].texts.contains(Q("Контроллер \"KVR-7\"  (адрес 21)")));
    EXPECT_TRUE(out[0].texts.contains(Q("из 2")));
    EXPECT_TRUE(out[0].texts.contains(QStringLiteral("92.50")) || out[0].texts.contains(QStringLiteral("92.5")));

    // A 5-minute moisture-analyser view of two records.
    out.clear();
    std::vector<uint8_t> wrecs(2 * kMoisture5MinRecordSize);
    for (int i = 0; i < 2; ++i) {
        StoreCtl(CtlDateTime(26, 12, 7, 9, uint8_t(5 * i), 0), wrecs.data() + i * kMoisture5MinRecordSize);
        SealRecord(wrecs.data() + i * kMoisture5MinRecordSize, kMoisture5MinRecordSize);
    }
    const ArchiveFileHeader wh = MakeArchiveFileHeader(DataKind::Wmt5Min, name, 21, CtlDateTime(26, 12, 7, 10, 11, 12),
                                                       CtlDateTime(26, 12, 7, 9, 0, 0), CtlDateTime(26, 12, 7, 9, 5, 0),
                                                       2, 9, 2);
    {
        TFormArhMom_Wmt f;
        f.Header = &wh;
        f.Records = &wrecs;
        f.show();
        f.BitBtn3Click();
    }
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].pages, 1);
    EXPECT_TRUE(out[0].texts.contains(Q("Мгновенные данные влагомера")));
    EXPECT_TRUE(out[0].texts.contains(Q("Р. газа")));
    EXPECT_TRUE(out[0].texts.contains(Q("из 1")));
}

}  // namespace

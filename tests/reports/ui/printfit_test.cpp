// Every printout of the program, in each of its kinds, with realistic texts and with the
// longest texts its editors and settings allow: every printed text shows whole at the font
// it prints in (TQuickRep::FitProblems finds nothing), and the pages that a user sees.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QStandardItemModel>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/bytes.h"
#include "common/codepage.h"
#include "common/dtfun.h"
#include "common/stringi.h"
#include "data/archformat.h"
#include "data/chromview.h"
#include "data/logview.h"
#include "data/passport.h"
#include "data/ui/chromarchform.h"
#include "data/ui/formarh_wmt.h"
#include "data/ui/logprint.h"
#include "reports/chromorder.h"
#include "reports/dailyreport.h"
#include "reports/gascalc.h"
#include "reports/ui/formpasport.h"
#include "reports/ui/formpasport_mom.h"
#include "reports/ui/formprnhdm_chr.h"
#include "reports/ui/formprnhdm_wmt.h"
#include "reports/ui/formsertif.h"
#include "support/printtest.h"

using namespace qvr;

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

// A text of exactly n characters: the phrase repeated and cut.
std::string Cut(const char* phrase, int n) {
    QString s;
    while (s.size() < n) s += Q(phrase);
    return Win(s.left(n).toStdString());
}

// The problems of a report in words, each distinct text and problem once with the pages
// it is found on.
std::string Describe(const std::vector<TQRFitProblem>& problems) {
    std::map<std::string, std::set<int>> distinct;
    for (const TQRFitProblem& p : problems) {
        const TQRFont f = p.item->EffectiveFont();
        distinct["\"" + p.text.toStdString() + "\": " + p.problem.toStdString() + " (" + f.Name.toStdString() + " " +
                 std::to_string(f.Size) + ")"]
            .insert(p.page);
    }
    std::string out;
    for (const auto& [what, pages] : distinct)
        out += "  " + what + ", " + std::to_string(pages.size()) + " page(s) from " + std::to_string(*pages.begin()) + "\n";
    return out;
}

#define EXPECT_FITS(rep, what)                                                                           \
    do {                                                                                                 \
        const auto problems_ = (rep).FitProblems();                                                     \
        EXPECT_TRUE(problems_.empty()) << (what) << ": " << problems_.size() << " texts do not fit\n" \
                                       << Describe(problems_);                                          \
    } while (0)

class PrintFit : public PrintTestBase {
protected:
    void SetUp() override {
        PrintTestBase::SetUp();
        for (uint8_t& f : ReportSettings.fr) f = 4;
        BuildKcalColumns();
        SetPrintedSet(Win("Узел учета ГРС-17 ЮГ"),  // 20 characters
                      247, CtlDateTime(26, 12, 7, 23, 58, 48), CtlDateTime(26, 11, 28, 23, 55, 0),
                      CtlDateTime(26, 12, 28, 23, 55, 0), Cut("ПАО «Укртрансгаз» ЛПУМГ Харьков-Южное №", 40));
    }
    // The settings under which the documents and archive prints are widest: kcal heats,
    // volume fractions, the most decimals the settings form offers.
    void WidestSettings(bool iso) {
        ReportSettings.thermal_unit = 1;
        ReportSettings.prz_composition = 1;
        ReportSettings.calc_formula = iso ? 0 : 1;
        for (uint8_t& f : ReportSettings.fr) f = 5;
    }
};

// A realistic analysis (mole percent, MJ) and the same in kcal as the views convert it.
GasAnalysis Gas(bool kcal) {
    GasAnalysis a;
    const float comp[11] = {0.0512f, 0.9123f, 0.1534f, 0.1645f, 0.0012f, 0.0434f, 0.0321f, 0.8123f, 93.9712f, 0.1234f,
                            3.7234f};
    for (int i = 0; i < 11; ++i) a.v[i] = comp[i];
    const double k = kcal ? 239.08 : 1.0;
    a.v[kGasHs] = float(38.2134 * k);
    a.v[kGasDensity] = 0.70012f;
    a.v[kGasWobbe] = float(49.9321 * k);
    a.v[kGasCompressibility] = 0.99781f;
    a.v[kGasSum] = 100.0f;
    a.v[kGasTemperature] = -12.5f;
    a.v[kGasOxygen] = 0.0123f;
    a.v[kGasHi] = float(34.4567 * k);
    a.v[kGasRelDensity] = 0.58123f;
    return a;
}

// ---------------------------------------------------------------------------------------
// Chromatograph archive prints: grids as the views fill them (dates and times with their
// leading blanks, values right-aligned in 8 characters, daily end times with the star).

void FillChromGrids(QStandardItemModel& left, QStandardItemModel& values, int rows, bool daily) {
    ShapeChromGrids(left, values, rows);
    const GasAnalysis a = Gas(ReportSettings.thermal_unit == 1);
    for (int r = 0; r < rows; ++r) {
        const int day = 1 + r % 28, hour = r % 24;
        left.setItem(r, 1, new QStandardItem(QString::asprintf("   %02d.12.26", day)));
        left.setItem(r, 2, new QStandardItem(QString::asprintf("   %02d:00:00", hour)));
        left.setItem(r, 3, new QStandardItem(QString::asprintf(daily ? "   %02d:00:00*" : "   %02d:00:00", hour)));
        for (int c = 0; c < 20; ++c) {
            const uint8_t p = ActiveChromParamOrder[c];
            const std::string t = p < 20 ? FormatChromValue(r % 7 == 6 ? -a.v[p] : a.v[p], ReportSettings.fr[p]) : "";
            values.setItem(r, 1 + c, new QStandardItem(QString::fromStdString(t)));
        }
    }
}

TEST_F(PrintFit, ChromatographArchivePrintsOfEveryKind) {
    QStandardItemModel left, values;
    float means[20];
    for (bool widest : {false, true}) {
        if (widest) WidestSettings(false);
        const GasAnalysis a = Gas(ReportSettings.thermal_unit == 1);
        for (int p = 0; p < 20; ++p) means[p] = a.v[p];
        for (uint8_t kind : {kPrintChromHour, kPrintChromDay, kPrintChrom5Min}) {
            // A month of hourly records; small sets with the means under the table.
            for (int rows : {24 * 31, 40}) {
                FillChromGrids(left, values, rows, kind == kPrintChromDay);
                header.recordCount = uint32_t(rows);
                TFormPrnHDM_Chr form;
                BuildChromArchivePrint(form, {.kind = kind, .header = &header, .orgName = org, .means = means,
                                              .leftGrid = &left, .valueGrid = &values});
                EXPECT_FITS(form.QuickRep1, "chromatograph kind " + std::to_string(kind) + ", " + std::to_string(rows) +
                                                " rows" + (widest ? ", widest settings" : ""));
            }
        }
    }
}

// ---------------------------------------------------------------------------------------

TEST_F(PrintFit, MoistureArchivePrintsOfEveryKindAndAnalyserType) {
    QStandardItemModel grid;
    for (uint8_t type : {uint8_t(1), uint8_t(2)}) {
        header.moistureType = type;
        for (uint8_t kind : {kPrintWmtHour, kPrintWmtDay, kPrintWmt5Min}) {
            const int rows = 120;
            grid.clear();
            grid.setColumnCount(8);
            grid.setRowCount(rows);
            for (int r = 0; r < rows; ++r) {
                const QStringList cells =
                    kind == kPrintWmt5Min
                        ? QStringList{"  07.12.26", "  23:55:00", "Норма", "  0x8F3C", "   -21.37", "   -18.05",
                                      type == 2 ? "    5.432" : "   54.321", "   -25.12"}
                        : QStringList{"  07.12.26", "  23:00:00", "   00:00:00*", "  0x8F", "   -21.37", "   -18.05",
                                      type == 2 ? "    5.432" : "   54.321", "   -25.12"};
                for (int c = 0; c < 8; ++c) grid.setItem(r, c, new QStandardItem(cells[c]));
            }
            header.recordCount = uint32_t(rows);
            TFormPrnHDM_Wmt form;
            BuildMoistureArchivePrint(form, {.kind = kind, .header = &header, .orgName = org, .grid = &grid});
            EXPECT_FITS(form.QuickRep1, "moisture kind " + std::to_string(kind) + ", type " + std::to_string(type));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Log prints: every text the log views can show, from records of every table and field
// (intervention log) and of every event code and object (diagnostic log).

std::vector<LogPrintRow> RowsOf(const std::vector<LogRowTexts>& texts) {
    std::vector<LogPrintRow> rows;
    for (const LogRowTexts& t : texts) {
        LogPrintRow row;
        for (int c = 0; c < 7; ++c) row[size_t(c)] = QString::fromStdString(t[size_t(c)]);
        rows.push_back(row);
    }
    return rows;
}

// Each distinct text of each column once; rows made of them column by column.
std::vector<LogRowTexts> DistinctRows(const std::vector<LogRowTexts>& all) {
    std::vector<std::set<std::string>> seen(7);
    std::vector<std::vector<std::string>> columns(7);
    for (const LogRowTexts& r : all)
        for (int c = 0; c < 7; ++c)
            if (seen[size_t(c)].insert(r[size_t(c)]).second) columns[size_t(c)].push_back(r[size_t(c)]);
    size_t n = 0;
    for (const auto& c : columns) n = std::max(n, c.size());
    std::vector<LogRowTexts> rows(n);
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < 7; ++c) {
            const auto& col = columns[size_t(c)];
            rows[i][size_t(c)] = col[i % col.size()];
        }
    return rows;
}

std::vector<LogRowTexts> AllAuditRows() {
    std::vector<LogRowTexts> all;
    uint8_t rec[AuditRecord::kSize];
    const float floats[] = {12345.6789f, -1234.5678f, 0.0001f};
    for (int table = 0; table < 32; ++table) {
        for (int field = 0; field < 24; ++field) {
            auto add = [&](uint32_t oldBits, uint32_t newBits) {
                std::memset(rec, 0, sizeof rec);
                StoreCtl(CtlDateTime(26, 12, 28, 23, 59, 58), rec);
                rec[AuditRecord::kTable] = uint8_t(table);
                rec[AuditRecord::kField] = uint8_t(field);
                rec[AuditRecord::kUnit] = uint8_t((table * 7 + field) % 38);
                PutU32(rec + AuditRecord::kOld, oldBits);
                PutU32(rec + AuditRecord::kNew, newBits);
                std::memcpy(rec + AuditRecord::kOperator, Win("Шмыг").data(), 4);
                SealRecord(rec, sizeof rec);
                all.push_back(AuditRow(rec, 1));
            };
            for (int b = 0; b < 256; ++b) add(uint32_t(b), uint32_t(255 - b));
            for (float f : floats) {
                uint32_t bits;
                std::memcpy(&bits, &f, 4);
                add(bits, bits);
            }
        }
    }
    return all;
}

std::vector<LogRowTexts> AllDiagRows(uint8_t moistureType) {
    std::vector<LogRowTexts> all;
    uint8_t rec[DiagRecord::kSize];
    for (int code = 0; code < 120; ++code) {
        for (int object : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 33, 34, 200, 201, 242, 243, 244, 255}) {
            for (int sub = 0; sub < 40; ++sub) {
                std::memset(rec, 0, sizeof rec);
                StoreCtl(CtlDateTime(26, 12, 28, 23, 59, 58), rec);
                rec[DiagRecord::kCode] = uint8_t(code);
                rec[DiagRecord::kObject] = uint8_t(object);
                rec[DiagRecord::kSubObject] = uint8_t(sub);
                PutF32(rec + DiagRecord::kValue, -12345.678f);
                PutF32(rec + DiagRecord::kSetPoint, 99999.99f);
                SealRecord(rec, sizeof rec);
                all.push_back(DiagRow(rec, moistureType));
            }
        }
    }
    return all;
}

// The log print of rows under the organisation heading (none: nullptr) into form.
void BuildLog(TFormPrnArhiv& form, PrintHeadingKind kind, const ArchiveFileHeader& header, const char* heading,
              const std::vector<LogPrintRow>& rows) {
    form.kind = kind;
    form.header = &header;
    form.heading = heading;
    form.grid = &rows;
    form.BuildLogPrint();
}

TEST_F(PrintFit, LogPrintsWithEveryTextTheViewsShow) {
    struct Case {
        PrintHeadingKind kind;
        std::vector<LogRowTexts> texts;
        const char* what;
    };
    std::vector<LogRowTexts> diag = DistinctRows(AllDiagRows(1));
    for (const LogRowTexts& r : DistinctRows(AllDiagRows(2))) diag.push_back(r);
    const Case cases[] = {{kPrintAuditLog, DistinctRows(AllAuditRows()), "intervention log"},
                          {kPrintDiagLog, diag, "diagnostic log"}};
    for (const Case& c : cases) {
        const std::vector<LogPrintRow> rows = RowsOf(c.texts);
        TFormPrnArhiv form;
        BuildLog(form, c.kind, header, org, rows);
        EXPECT_FITS(form.QuickRep1, c.what);
    }
}

// ---------------------------------------------------------------------------------------
// Documents: the one-analysis passport, the daily certificate and the daily passport, with
// the longest texts the report-texts editor allows.

ReportFormatRecord LongestTexts() {
    ReportFormatRecord t;
    const char* cert[4] = {"Газ соответствует требованиям ГОСТ 5542-2014 «Газы горючие природные для промышленного ",
                           "Отбор проб выполнен по ГОСТ 31370-2008, точка отбора: выход ГРС, узел учета газа № ",
                           "ЛИСТ СОГЛАСОВАНИЯ ПОКАЗАТЕЛЕЙ КАЧЕСТВА ГАЗА МЕЖДУ ПОСТАВЩИКОМ И ПОТРЕБИТЕЛЕМ ГАЗА ",
                           "Сертификат действителен только при наличии подписей представителей обеих сторон "};
    for (int i = 0; i < 4; ++i) StoreTextField(t.certLine[i], ReportFormatRecord::kCertLineSize, Cut(cert[i], 99));
    StoreTextField(t.representative[0], ReportFormatRecord::kRepresentativeSize,
                   Cut("Начальник ГИС ЛПУМГ «Харьковтрансгаз» Шевчишин ", 49));
    StoreTextField(t.representative[1], ReportFormatRecord::kRepresentativeSize,
                   Cut("ГЛАВНЫЙ МЕТРОЛОГ ОБЛГАЗА ЩЕРБАКОВ-ЖМУРКЕВИЧ М.Ю. ", 49));
    const char* lines[6] = {"Начальник химико-аналитической лаборатории ЛПУМГ ", "Инженер-химик 1 категории Шмыгальова Ж.Щ. ",
                            "ПРЕДСТАВИТЕЛЬ ПОСТАВЩИКА ГАЗА ЩЕРБАКОВ-ЖМУРКЕВИЧ ", "Диспетчер ГРС Ушакова-Шимкевич Щ.Ж. ",
                            "Главный инженер ЛПУМГ Шевчишин-Жмуркевич Ю.Щ. ", "Мастер ГРС Шумахер-Щербатюк Жанна Щ. "};
    for (int k = 0; k < 6; ++k) StoreTextField(t.passportLine[k], ReportFormatRecord::kPassportLineSize, Cut(lines[k], 49));
    return t;
}

// The one-analysis passport of the set's station: 30.09.26 23:55, the longest month name.
MomentPassportRecord MomentPassport(const ArchiveFileHeader& header, const ReportFormatRecord& texts,
                                    const GasAnalysis& gas) {
    MomentPassportRecord mrec;
    const auto tb = texts.Bytes();
    std::memcpy(mrec.bytes + MomentPassportRecord::kReportTexts, tb.data(), tb.size());
    std::memcpy(mrec.bytes + MomentPassportRecord::kName, header.name, 20);
    mrec.bytes[MomentPassportRecord::kAddress] = 247;
    const uint8_t t[6] = {26, 9, 30, 23, 55, 0};
    std::memcpy(mrec.bytes + MomentPassportRecord::kAnalysisTime, t, 6);
    gas.Store(mrec.bytes + MomentPassportRecord::kAnalysis);
    return mrec;
}

// The daily report of the set's station for the day ending 01.10.26 23:00.
DailyReportRecord DailyReport(const ArchiveFileHeader& header, const ReportFormatRecord& texts) {
    DailyReportRecord rec;
    rec.format = texts;
    std::memcpy(rec.name, header.name, 20);
    rec.address = 247;
    rec.start = CtlMinuteTime(26, 9, 30, 23, 0);
    rec.end = CtlMinuteTime(26, 10, 1, 23, 0);
    rec.gas = Gas(false);
    return rec;
}

TEST_F(PrintFit, DocumentsWithTheLongestTexts) {
    for (int variant = 0; variant < 3; ++variant) {
        // Plain settings, the widest with GOST, the widest with ISO (uncertainties).
        if (variant > 0) WidestSettings(variant == 2);
        const std::string v = " variant " + std::to_string(variant);
        for (bool longest : {false, true}) {
            const ReportFormatRecord texts = longest ? LongestTexts() : ReportFormatRecord{};
            MomentPassportRecord mrec = MomentPassport(header, texts, Gas(ReportSettings.thermal_unit == 1));
            TFormMom_Pasport passport;
            passport.Passport = mrec.bytes;
            passport.OrgName = org;
            passport.BuildMomentPassport();
            EXPECT_FITS(passport.QuickRep1, "one-analysis passport" + v);

            DailyReportRecord rec = DailyReport(header, texts);
            TFormSert cert;
            cert.Report = &rec;
            cert.BuildDailyCertificate();
            EXPECT_FITS(cert.QuickRep1, "daily certificate" + v);
            TFormPasport daily;
            daily.Report = &rec;
            daily.BuildDailyPassport();
            EXPECT_FITS(daily.QuickRep1, "daily passport" + v);
        }
    }
}

// ---------------------------------------------------------------------------------------
// The texts seen cut or run over before: each prints whole where it stands, in at least
// 6 points (the size it was drawn for where it is a fixed heading).

// The font sizes (pixels) a text prints in; empty when it is not printed or does not fit.
std::set<int> WholeIn(TQuickRep& rep, const QString& text) {
    for (const TQRFitProblem& p : rep.FitProblems())
        if (p.text == text) return {};
    std::set<int> sizes;
    for (const TQRTextPlacement& t : rep.FindText(text)) sizes.insert(t.font.pixelSize());
    return sizes;
}

TEST_F(PrintFit, TextsOnceCutPrintWhole) {
    // One-analysis passport: the uncertainty heading in its heading font (Arial 9 bold).
    MomentPassportRecord mrec;
    TFormMom_Pasport passport;
    passport.Passport = mrec.bytes;
    passport.BuildMomentPassport();
    EXPECT_EQ(WholeIn(passport.QuickRep1, Q("неопределенность, %")), (std::set<int>{15}));

    // Moisture print: the heading of column 7.
    QStandardItemModel grid(1, 8);
    TFormPrnHDM_Wmt wmt;
    BuildMoistureArchivePrint(wmt, {.kind = kPrintWmtHour, .header = &header, .grid = &grid});
    const std::set<int> heading = WholeIn(wmt.QuickRep1, Q("Прив. Т т.росы"));
    ASSERT_EQ(heading.size(), 1u);
    EXPECT_GE(*heading.begin(), 10);

    // Intervention log: dates and times as the view shows them (four leading blanks), list
    // values of the old and new value columns, on a full page and on a short last page.
    std::vector<LogPrintRow> rows;
    for (int i = 0; i < 64; ++i)
        rows.push_back({Q("    12.03.26"), Q("    14:03:07"), Q("Тип хроматографа"), Q("Переход запрещен"),
                        Q("Хроматограф тип 9"), Q("бит/с"), Q("Оп1")});
    rows.push_back({Q("    12.03.26"), Q("    14:03:08"), Q("Режим записи параметров газа в ВРГ"),
                    Q("В нач. часа (безусл.)"), Q("Ср. за посл. сутки"), Q(""), Q("Оп1")});
    TFormPrnArhiv log;
    BuildLog(log, kPrintAuditLog, header, nullptr, rows);
    ASSERT_EQ(log.QuickRep1.PageCount(), 2);
    for (const char* t : {"    12.03.26", "    14:03:07", "    14:03:08", "Переход запрещен", "Хроматограф тип 9",
                          "В нач. часа (безусл.)", "Ср. за посл. сутки"})
        EXPECT_FALSE(WholeIn(log.QuickRep1, Q(t)).empty()) << t;

    // Summary bands: "Средние значения" within its band, under the table and on a page of
    // its own (hourly and 5-minute).
    QStandardItemModel left(1, 4), values(1, 21);
    float means[20] = {};
    for (int rows : {1, 75}) {
        for (uint8_t kind : {kPrintChromHour, kPrintChrom5Min}) {
            header.recordCount = uint32_t(rows);
            left.setRowCount(rows);
            values.setRowCount(rows);
            TFormPrnHDM_Chr chrom;
            BuildChromArchivePrint(chrom, {.kind = kind, .header = &header, .means = means, .leftGrid = &left,
                                           .valueGrid = &values});
            EXPECT_EQ(WholeIn(chrom.QuickRep1, Q("Средние значения")), (std::set<int>{17})) << rows;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Sample printouts to look at: with QVR_PRINT_SAMPLES set to a folder, the prints of the
// tests above go there as PDF files through the printer path (a PDF printer).

bool PrintSample(TQuickRep& rep, const char* name) {
    const QByteArray dir = qgetenv("QVR_PRINT_SAMPLES");
    if (dir.isEmpty()) return true;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
    return rep.PrintTo(printer);
}

TEST_F(PrintFit, SamplePrintouts) {
    if (qgetenv("QVR_PRINT_SAMPLES").isEmpty()) GTEST_SKIP() << "QVR_PRINT_SAMPLES not set";
    WidestSettings(true);
    QStandardItemModel left, values;
    float means[20];
    const GasAnalysis a = Gas(true);
    for (int p = 0; p < 20; ++p) means[p] = a.v[p];
    const int month = 24 * 31;
    FillChromGrids(left, values, month, false);
    header.recordCount = uint32_t(month);
    TFormPrnHDM_Chr chrom;
    BuildChromArchivePrint(chrom, {.kind = kPrintChromHour, .header = &header, .orgName = org, .means = means,
                                   .leftGrid = &left, .valueGrid = &values});
    EXPECT_TRUE(PrintSample(chrom.QuickRep1, "hourly-month.pdf"));

    const ReportFormatRecord texts = LongestTexts();
    DailyReportRecord rec = DailyReport(header, texts);
    TFormSert cert;
    cert.Report = &rec;
    cert.BuildDailyCertificate();
    EXPECT_TRUE(PrintSample(cert.QuickRep1, "certificate.pdf"));
    TFormPasport daily;
    daily.Report = &rec;
    daily.BuildDailyPassport();
    EXPECT_TRUE(PrintSample(daily.QuickRep1, "daily-passport.pdf"));
    MomentPassportRecord mrec = MomentPassport(header, texts, a);
    TFormMom_Pasport passport;
    passport.Passport = mrec.bytes;
    passport.OrgName = org;
    passport.BuildMomentPassport();
    EXPECT_TRUE(PrintSample(passport.QuickRep1, "passport.pdf"));

    for (PrintHeadingKind kind : {kPrintAuditLog, kPrintDiagLog}) {
        const std::vector<LogPrintRow> rows =
            RowsOf(DistinctRows(kind == kPrintAuditLog ? AllAuditRows() : AllDiagRows(1)));
        TFormPrnArhiv log;
        BuildLog(log, kind, header, org, rows);
        EXPECT_TRUE(PrintSample(log.QuickRep1, kind == kPrintAuditLog ? "intervention-log.pdf" : "diagnostic-log.pdf"));
    }

    QStandardItemModel grid(70, 8);
    for (int r = 0; r < 70; ++r) {
        const QStringList cells{"  07.12.26", "  23:00:00", "   00:00:00*", "  0x8F", "   -21.37", "   -18.05",
                                "   54.321", "   -25.12"};
        for (int c = 0; c < 8; ++c) grid.setItem(r, c, new QStandardItem(cells[c]));
    }
    header.recordCount = 70;
    TFormPrnHDM_Wmt wmt;
    BuildMoistureArchivePrint(wmt, {.kind = kPrintWmtHour, .header = &header, .orgName = org, .grid = &grid});
    EXPECT_TRUE(PrintSample(wmt.QuickRep1, "moisture-hourly.pdf"));

    // Texts too wide for their items even at the smallest size: an organisation name and
    // signature lines of wide capitals.
    const std::string wide = Cut("ЖШЩЮМ", 49);
    std::strcpy(org, wide.substr(0, 40).c_str());
    FillChromGrids(left, values, 10, false);
    header.recordCount = 10;
    TFormPrnHDM_Chr wideChrom;
    BuildChromArchivePrint(wideChrom, {.kind = kPrintChromHour, .header = &header, .orgName = org, .means = means,
                                       .leftGrid = &left, .valueGrid = &values});
    EXPECT_TRUE(PrintSample(wideChrom.QuickRep1, "wide-org.pdf"));
    for (char* line : rec.format.passportLine) StoreTextField(line, ReportFormatRecord::kPassportLineSize, wide);
    TFormPasport wideDaily;
    wideDaily.Report = &rec;
    wideDaily.BuildDailyPassport();
    EXPECT_TRUE(PrintSample(wideDaily.QuickRep1, "wide-signatures.pdf"));
}

}  // namespace

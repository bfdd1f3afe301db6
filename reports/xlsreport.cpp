#include "reports/xlsreport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/codepage.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/suplfunc.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"

namespace qvr {

const uint8_t ExcelChromColumnTable[20] = {8, 10, 1, 2, 3, 4, 5, 6, 0, 255, 7, 9, 12, 18, 11, 13, 255, 255, 255, 255};
const uint8_t ExcelMoistureColumnOrder[4] = {0, 3, 1, 2};

namespace {

constexpr int kChromFirstColumn = 2;
constexpr int kMoistureFirstColumn = 24;
constexpr int kTemperatureColumn = 28;
constexpr int kMethane = 8;
constexpr int kDayFirstRow = 10;
constexpr int kDaySummaryRow = 34;
constexpr int kMonthAverageRow = 41;
constexpr int kProgressMax = 48;

bool IsHeat(uint8_t index) { return index == 11 || index == 13 || index == 18; }

bool MethaneValid(const GasAnalysis& gas) {
    const float m = gas.v[kMethane];
    return !IsFloatNaN(m) && m >= 0.001f;
}

void Show(int32_t kind, const std::string& a, const std::string& b) {
    g_QuesKind = kind;
    ShowQues(a, b);
}

void SetPanel2(const XlsReadUi& ui, const std::string& text) {
    if (!ui.statusBar) return;
    ui.statusBar->SetPanelText(2, text);
    ui.statusBar->Repaint();
}

// After a failed request: the engine's result text in panel 2, repainted, and the timer
// that clears it later.
void ShowFailedRequest(const XlsReadUi& ui, const std::string& text) {
    SetPanel2(ui, text);
    if (ui.startMessageTimer) ui.startMessageTimer();
}

// One archive request of a read that has kept `kept`; the reply's record count in n. A
// reply of records kept already is a stale one, which the engine skips. The count comes
// from the controller, so it must fit the frame it came in. Anything but an answer comes
// with the text for panel 2.
RequestOutcome ArchiveRequest(uint8_t function, const std::vector<uint8_t>& body, const KeptArchiveRecords& kept,
                              unsigned& n, std::string& failText) {
    n = 0;
    if (!g_Hgc) return RequestOutcome::None;
    const RequestOutcome got = g_Hgc->RequestRecords(function, body.data(), uint32_t(body.size()),
                                                     [&kept](const uint8_t* frame) { return kept.Stale(frame); });
    if (got != RequestOutcome::Answer) {
        failText = g_Hgc->ResultText();
        return got;
    }
    const unsigned count = ArchiveReplyRecords(g_Hgc->RxBuf, kept.RecordSize());
    if (count == kMalformedArchiveReply) {
        failText = RefusedReplyText(function, g_Hgc->ExchangeResultMessages[kResultBadLength]);
        return RequestOutcome::None;
    }
    n = count;
    return got;
}

const uint8_t* ReplyRecord(unsigned i, size_t recordSize) { return g_Hgc->RxBuf + kArchiveReplyRecords + i * recordSize; }

// The archive of a device (0 chromatograph, 1 moisture analyser) by unit (hour or day).
DataKind ArchiveOf(uint8_t device, int unit) {
    if (unit == kUnitHour) return device == 0 ? DataKind::ChromHour : DataKind::WmtHour;
    return device == 0 ? DataKind::ChromDay : DataKind::WmtDay;
}

std::vector<uint8_t> Body(uint8_t device, const CtlHourTime& start, const CtlHourTime& end, int width) {
    std::vector<uint8_t> b = {3, 0, device};
    const uint8_t s[4] = {start.year, start.month, start.day, start.hour};
    const uint8_t e[4] = {end.year, end.month, end.day, end.hour};
    b.insert(b.end(), s, s + width);
    b.insert(b.end(), e, e + width);
    return b;
}

// The daily record of one device for the report day. false after its message.
template <typename Record>
bool ReadDailyRecord(uint8_t device, const ReportDate& d, const XlsReadUi& ui, const char* failLine2,
                     const char* badFirst, Record& out) {
    SetPanel2(ui, "");
    const CtlHourTime day(d.year, d.month, d.day, 0);
    unsigned n = 0;
    std::string failText;
    const KeptArchiveRecords none(ArchiveOf(device, kUnitDay));
    const RequestOutcome got = ArchiveRequest(16, Body(device, day, day, 3), none, n, failText);
    // The window closing ended a wait of the request.
    if (got == RequestOutcome::Aborted) return false;
    const bool ok = got == RequestOutcome::Answer;
    if (!ok || n == 0) {
        ShowFailedRequest(ui, ok ? g_Hgc->ResultText() : failText);
        Show(kQuesNotice, "Суточные данные из архива", failLine2);
        return false;
    }
    const uint8_t* rec = ReplyRecord(0, Record::kSize);
    if (!RecordCrcOk(rec, Record::kSize)) {
        Show(kQuesNotice, badFirst, "(не совпадает КС записи");
        return false;
    }
    out = Record::Load(rec);
    return true;
}

enum class LoopEnd { Ok, Failed, Aborted };

// The hourly (unit hour) or daily (unit day) records of one device from start to end, in
// as many requests as the controller needs. pair: the chromatograph records' dates, which
// the moisture records must match position by position (null for the chromatograph).
LoopEnd ReadRecords(uint8_t device, int unit, int maxRecords, CtlHourTime start, const CtlHourTime& end,
                    const char* dataName, const std::vector<CtlHourTime>* pair, const XlsReadUi& ui,
                    IProgress* progress, int& position, std::vector<std::vector<uint8_t>>& out) {
    const uint8_t function = unit == kUnitHour ? 15 : 16;
    const int width = unit == kUnitHour ? 4 : 3;
    KeptArchiveRecords kept(ArchiveOf(device, unit));
    const size_t recordSize = kept.RecordSize();
    CtlHourTime expected = start;
    for (;;) {
        SetPanel2(ui, "");
        unsigned n = 0;
        std::string failText;
        const RequestOutcome got = ArchiveRequest(function, Body(device, expected, end, width), kept, n, failText);
        // Esc, or the window closing, ended a wait of the request.
        if (got == RequestOutcome::Aborted) return LoopEnd::Aborted;
        if (got != RequestOutcome::Answer) {
            ShowFailedRequest(ui, failText);
            Show(kQuesNotice, dataName, "не прочитаны");
            return LoopEnd::Failed;
        }
        if (n == 0) break;
        bool done = false;
        for (unsigned i = 0; i < n && !done; ++i) {
            const uint8_t* rec = ReplyRecord(i, recordSize);
            const size_t index = out.size();
            if (int(index) < maxRecords) out.emplace_back(rec, rec + recordSize);
            kept.Add(rec);
            if (progress) progress->SetPosition(++position);
            const CtlHourTime r = LoadCtlHourTime(rec);
            if (CompareCtlDateTimeByUnit(r, expected, unit) < 0 || CompareCtlDateTimeByUnit(r, end, unit) > 0) {
                Show(kQuesNotice, "Передаваемые контроллером данные не соответствуют", "запрошенному периоду");
                return LoopEnd::Failed;
            }
            if (pair) {
                // More moisture records than chromatograph ones: the count message says so.
                if (index >= pair->size()) return LoopEnd::Failed;
                if (CompareCtlDateTimeByUnit(r, (*pair)[index], unit) != 0) {
                    Show(kQuesNotice, "Несоответствие дат в записях", "архивов данных хроматографа и влагомера");
                    return LoopEnd::Failed;
                }
            }
            expected = r;
            if (int(out.size()) >= maxRecords) {
                done = true;
                break;
            }
            CtlHourTime next = expected;
            StepCtlDateTime(next, unit);
            if (CompareCtlDateTimeByUnit(next, end, unit) > 0)
                done = true;
            else
                expected = next;
        }
        if (done) break;
        ProcessMessages();
        if (g_Abort) return LoopEnd::Aborted;
    }
    if (out.empty()) {
        Show(kQuesNotice, dataName, "не прочитаны");
        return LoopEnd::Failed;
    }
    return LoopEnd::Ok;
}

// Both devices' records of a period, the count check, and the waiting window around them.
bool ReadBothDevices(int unit, int maxRecords, const CtlHourTime& start, const CtlHourTime& end,
                     const char* chromName, const char* moistName, const XlsReadUi& ui, XlsReportJob& job) {
    g_Abort = 0;
    g_AbortAllowed = 1;
    IProgress* progress = ui.openWait ? ui.openWait(kProgressMax) : nullptr;
    if (progress) progress->SetMax(kProgressMax);
    int position = 0;

    std::vector<std::vector<uint8_t>> chromRaw, moistRaw;
    LoopEnd result = ReadRecords(0, unit, maxRecords, start, end, chromName, nullptr, ui, progress, position, chromRaw);
    if (result == LoopEnd::Ok) {
        std::vector<CtlHourTime> dates;
        for (const auto& r : chromRaw) dates.push_back(LoadCtlHourTime(r.data()));
        result = ReadRecords(1, unit, maxRecords, start, end, moistName, &dates, ui, progress, position, moistRaw);
        if (result != LoopEnd::Aborted && chromRaw.size() != moistRaw.size()) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "хроматографа (%d) и влагомера (%d)", int(chromRaw.size()),
                          int(moistRaw.size()));
            Show(kQuesNotice, "Несоответствие количества прочитанных данных", buf);
            result = LoopEnd::Failed;
        }
    }
    g_AbortAllowed = 0;
    if (ui.startMessageTimer) ui.startMessageTimer();
    if (ui.closeWait) ui.closeWait();
    if (result != LoopEnd::Ok) return false;

    job.chrom.clear();
    job.moist.clear();
    for (const auto& r : chromRaw) job.chrom.push_back(ChromHourDayRecord::Load(r.data()));
    for (const auto& r : moistRaw) job.moist.push_back(MoistureHourDayRecord::Load(r.data()));
    return true;
}

CtlHourTime HourOf(const CtlMinuteTime& t) { return CtlHourTime(t.year, t.month, t.day, t.hour); }

}  // namespace

std::string XlsTemplatePath(uint8_t kind) { return g_ProgDir + (kind == 0 ? kDayTemplateName : kMonthTemplateName); }

std::string XlsReportPath(const XlsReportJob& job) {
    const size_t len = strnlen(job.objectName.data(), job.objectName.size());
    std::string name = WinToUtf8(job.objectName.substr(0, len));
    for (char& ch : name)
        if (ch == '/' || (static_cast<unsigned char>(ch) < 0x20)) ch = '_';
    char tail[32];
    if (job.kind == 0)
        std::snprintf(tail, sizeof tail, "_day_%02d%02d%02d.xlsx", job.date.year, job.date.month, job.date.day);
    else
        std::snprintf(tail, sizeof tail, "_mon_%02d%02d.xlsx", job.date.year, job.date.month);
    return g_ProgDir + "REPORT/" + name + tail;
}

void FillChromColumns(xlsx::Worksheet& sheet, const GasAnalysis& gas, uint8_t status, int row) {
    const bool blank = (status & (kChromControllerOff | kChromNoLink)) != 0 || !MethaneValid(gas);
    int column = kChromFirstColumn;
    for (uint8_t index : ExcelChromColumnTable) {
        if (column >= kMoistureFirstColumn) break;
        if (index == 255) {
            ++column;
            continue;
        }
        const int width = IsHeat(index) ? 3 : 1;
        if (blank) {
            for (int k = 0; k < width; ++k) sheet.Cells(row, column + k).Value("--");
        } else if (width == 3) {
            const float v = gas.v[index];
            sheet.Cells(row, column).Value(float(v * kKcalPerMJ));
            sheet.Cells(row, column + 1).Value(v);
            sheet.Cells(row, column + 2).Value(float(v * kKWhPerMJ));
        } else {
            sheet.Cells(row, column).Value(gas.v[index]);
        }
        column += width;
    }
    if (!blank) sheet.Cells(row, kTemperatureColumn).Value(gas.v[kGasTemperature]);
}

void FillMoistureColumns(xlsx::Worksheet& sheet, const float values[4], uint8_t status, int row) {
    const bool blank = (status & (kWmtControllerOff | kWmtNoLink)) != 0;
    for (int k = 0; k < 4; ++k) {
        const int column = kMoistureFirstColumn + k;
        if (blank) {
            sheet.Cells(row, column).Value("--");
            continue;
        }
        const uint8_t i = ExcelMoistureColumnOrder[k];
        sheet.Cells(row, column).Value(i == 2 ? float(values[i] * kKgfPerBar) : values[i]);
    }
}

void BuildDayReport(xlsx::Worksheet& sheet, const XlsReportJob& job) {
    const size_t len = strnlen(job.objectName.data(), job.objectName.size());
    sheet.Range("G2:AB2").Value(WinToUtf8(job.objectName.substr(0, len)));
    const size_t n = std::min(job.chrom.size(), job.moist.size());
    if (n > 0) {
        const HourDayStamp& a = job.chrom.front().stamp;
        const HourDayStamp& b = job.chrom[n - 1].stamp;
        char buf[128];
        std::snprintf(buf, sizeof buf, "За період з %02d.%02d.%02d %02d:00  по  %02d.%02d.%02d %02d:00", a.date[2],
                      a.date[1], a.date[0], a.start[0], b.date[2], b.date[1], b.date[0], b.start[0]);
        sheet.Cells(4, 22).Value(buf);
    }
    for (size_t i = 0; i < n; ++i) {
        const int row = kDayFirstRow + int(i);
        const ChromHourDayRecord& c = job.chrom[i];
        char buf[48];
        std::snprintf(buf, sizeof buf, "%02d.%02d.%02d  %02d:00", c.stamp.date[2], c.stamp.date[1], c.stamp.date[0],
                      c.stamp.start[0]);
        sheet.Cells(row, 1).Value(buf);
        FillChromColumns(sheet, c.gas, c.status, row);
        FillMoistureColumns(sheet, job.moist[i].values, job.moist[i].status, row);
    }
    FillChromColumns(sheet, job.chromSummary.gas, job.chromSummary.status, kDaySummaryRow);
    FillMoistureColumns(sheet, job.moistSummary.values, job.moistSummary.status, kDaySummaryRow);
}

void BuildMonthReport(xlsx::Worksheet& sheet, const XlsReportJob& job) {
    const size_t len = strnlen(job.objectName.data(), job.objectName.size());
    sheet.Range("G2:AB2").Value(WinToUtf8(job.objectName.substr(0, len)));
    const size_t n = std::min(job.chrom.size(), job.moist.size());
    if (n > 0) {
        const HourDayStamp& a = job.chrom.front().stamp;
        const HourDayStamp& b = job.chrom[n - 1].stamp;
        char buf[128];
        std::snprintf(buf, sizeof buf, "За період з %02d.%02d.%02d по  %02d.%02d.%02d", a.date[2], a.date[1],
                      a.date[0], b.date[2], b.date[1], b.date[0]);
        sheet.Cells(4, 22).Value(buf);
    }
    // Each record on its own day's row (the template numbers rows 10..40 as days 1..31), so
    // a day missing from an archive leaves its part of the row empty and no later record
    // moves up. A day outside 1..31 from a damaged record has no row.
    auto dayRow = [](const HourDayStamp& s) { return s.date[2] >= 1 && s.date[2] <= 31 ? 9 + s.date[2] : 0; };
    for (const ChromHourDayRecord& c : job.chrom)
        if (const int row = dayRow(c.stamp)) FillChromColumns(sheet, c.gas, c.status, row);
    for (const MoistureHourDayRecord& m : job.moist)
        if (const int row = dayRow(m.stamp)) FillMoistureColumns(sheet, m.values, m.status, row);
    const float hi = job.chromSummary.gas.v[18], hs = job.chromSummary.gas.v[11];
    sheet.Cells(kMonthAverageRow, 15).Value(float(hi * kKcalPerMJ));
    sheet.Cells(kMonthAverageRow, 16).Value(hi);
    sheet.Cells(kMonthAverageRow, 17).Value(float(hi * kKWhPerMJ));
    sheet.Cells(kMonthAverageRow, 18).Value(float(hs * kKcalPerMJ));
    sheet.Cells(kMonthAverageRow, 19).Value(hs);
    sheet.Cells(kMonthAverageRow, 20).Value(float(hs * kKWhPerMJ));
}

ChromHourDayRecord MonthlyAverage(const std::vector<ChromHourDayRecord>& days) {
    ChromHourDayRecord avg;  // zeroed
    double sum[kGasParamCount] = {};
    int n[kGasParamCount] = {};
    for (const auto& d : days) {
        if (!MethaneValid(d.gas)) continue;
        // Within a qualifying day an invalid value is left out of its own mean only.
        for (int k = 0; k < kGasParamCount; ++k) {
            if (IsFloatNaN(d.gas.v[k])) continue;
            sum[k] += d.gas.v[k];
            ++n[k];
        }
    }
    for (int k = 0; k < kGasParamCount; ++k)
        if (n[k] > 0) avg.gas.v[k] = float(sum[k] / n[k]);
    return avg;
}

bool MakeXlsReport(const XlsReportJob& job, const XlsMessageBox& messageBox) {
    auto box = [&](const char* text, const char* caption, bool icon) {
        if (messageBox) messageBox(text, caption, icon);
    };
    const std::string path = XlsReportPath(job);
    if (FileExists(path)) {
        Show(kQuesQuestion, "Файл отчета " + FileNameOnly(path) + " уже есть.", "Вы хотите заменить существующий отчет?");
        if (g_QuesAnswer != 1) return false;
        RemoveFile(path);
    }
    std::unique_ptr<xlsx::Application> app;
    {
        HourglassScope hourglass;
        app = xlsx::Application::Create("excel.application");
    }
    if (!app) {
        box(kXlsNoApplication, "Ошибка", true);
        return false;
    }
    bool saved = false;
    {
        HourglassScope hourglass;
        try {
            xlsx::Workbook& wb = app->WorkBooks().Open(XlsTemplatePath(job.kind));
            xlsx::Worksheet& sheet = wb.ActiveSheet();
            if (job.kind == 0)
                BuildDayReport(sheet, job);
            else
                BuildMonthReport(sheet, job);
            // The REPORT folder is made when it is not there yet.
            MakeDir(g_ProgDir + "REPORT");
            app->WorkBooks().Item(1).SaveAs(path);
            saved = true;
        } catch (const std::exception&) {
            box(kXlsFileError, "", false);
        }
        if (saved) Show(kQuesNotice, "Данные сохранены в файле " + FileNameOnly(path), "");
        try {
            if (app->WorkBooks().Count() > 0) app->WorkBooks().Item(1).Close();
        } catch (const std::exception&) {
            box(kXlsCloseError, "", false);
        }
    }
    return saved;
}

bool ReadDayReportData(const ReportDate& date, const ArchiveSpan& span, const XlsReadUi& ui, XlsReportJob& job) {
    HourglassScope hourglass;
    job.kind = 0;
    job.date = date;
    if (!ReadDailyRecord(0, date, ui, " хроматографа не прочитаны", "Суточные данные хроматографа недостоверны",
                         job.chromSummary))
        return false;
    if (!ReadDailyRecord(1, date, ui, "влагомера не прочитаны", "Суточные данные влагомера недостоверны",
                         job.moistSummary))
        return false;

    CtlHourTime start(date.year, date.month, date.day, date.hour);
    const CtlHourTime begin = HourOf(span.begin);
    if (CompareCtlDateTimeByUnit(start, begin, kUnitHour) < 0) start = begin;
    CtlHourTime end(date.year, date.month, date.day, date.hour);
    StepCtlDateTime(end, kUnitDay);
    StepBackCtlDateTime(end, kUnitHour);
    return ReadBothDevices(kUnitHour, 24, start, end, "Часовые данные хроматографа из архива",
                           "Часовые данные влагомера из архива", ui, job);
}

bool ReadMonthReportData(const ReportDate& date, const ArchiveSpan& span, const XlsReadUi& ui, XlsReportJob& job) {
    HourglassScope hourglass;
    job.kind = 1;
    job.date = date;
    const int days = DaysInMonth(2000 + date.year, date.month);
    if (days <= 0) return false;
    CtlHourTime first(date.year, date.month, 1, 0);
    CtlHourTime last(date.year, date.month, uint8_t(days), 0);
    const CtlHourTime begin(span.begin.year, span.begin.month, span.begin.day, 0);
    const CtlHourTime endDay(span.end.year, span.end.month, span.end.day, 0);
    if (CompareCtlDateTimeByUnit(first, begin, kUnitDay) < 0) first = begin;
    if (CompareCtlDateTimeByUnit(last, endDay, kUnitDay) > 0) last = endDay;
    if (!ReadBothDevices(kUnitDay, days, first, last, "Суточные данные хроматографа из архива",
                         "Суточные данные влагомера из архива", ui, job))
        return false;
    job.chromSummary = MonthlyAverage(job.chrom);
    return true;
}

}  // namespace qvr

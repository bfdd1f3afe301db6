#include "reports/dailyreport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/codepage.h"
#include "common/crc16.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "data/readui.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"

namespace qvr {

namespace {

constexpr uint8_t kDailyArchiveFunction = 16;
constexpr size_t kReplyCountByte = 4;
constexpr size_t kReplyRecords = 5;

void Notice(int32_t kind, const std::string& line1, const std::string& line2) {
    g_QuesKind = kind;
    ShowQues(line1, line2);
}

void SetPanel2(IStatusBar* bar, const std::string& text) {
    if (bar) {
        bar->SetPanelText(2, text);
        bar->Repaint();
    }
}

}  // namespace

// ---------------------------------------------------------------- records

std::array<uint8_t, ReportFormatRecord::kSize> ReportFormatRecord::Bytes() const {
    std::array<uint8_t, kSize> b{};
    for (size_t i = 0; i < kCertLineCount; ++i) std::memcpy(&b[kCertLines + i * kCertLineSize], certLine[i], kCertLineSize);
    for (size_t i = 0; i < kRepresentativeCount; ++i)
        std::memcpy(&b[kRepresentatives + i * kRepresentativeSize], representative[i], kRepresentativeSize);
    b[kContractHour] = contractHour;
    for (size_t i = 0; i < kPassportLineCount; ++i)
        std::memcpy(&b[kPassportLines + i * kPassportLineSize], passportLine[i], kPassportLineSize);
    return b;
}

ReportFormatRecord ReportFormatRecord::FromBytes(const uint8_t* p) {
    ReportFormatRecord r;
    for (size_t i = 0; i < kCertLineCount; ++i) std::memcpy(r.certLine[i], p + kCertLines + i * kCertLineSize, kCertLineSize);
    for (size_t i = 0; i < kRepresentativeCount; ++i)
        std::memcpy(r.representative[i], p + kRepresentatives + i * kRepresentativeSize, kRepresentativeSize);
    r.contractHour = p[kContractHour];
    for (size_t i = 0; i < kPassportLineCount; ++i)
        std::memcpy(r.passportLine[i], p + kPassportLines + i * kPassportLineSize, kPassportLineSize);
    return r;
}

std::array<uint8_t, DailyReportRecord::kSize> DailyReportRecord::Bytes() const {
    std::array<uint8_t, kSize> b{};
    const auto f = format.Bytes();
    std::memcpy(&b[kFormat], f.data(), f.size());
    std::memcpy(&b[kName], name, sizeof name);
    b[kAddress] = address;
    StoreCtl(start, &b[kStart]);
    StoreCtl(end, &b[kEnd]);
    gas.Store(&b[kGas]);
    return b;
}

DailyReportRecord DailyReportRecord::FromBytes(const uint8_t* p) {
    DailyReportRecord r;
    r.format = ReportFormatRecord::FromBytes(p + kFormat);
    std::memcpy(r.name, p + kName, sizeof r.name);
    r.address = p[kAddress];
    r.start = LoadCtlMinuteTime(p + kStart);
    r.end = LoadCtlMinuteTime(p + kEnd);
    r.gas = GasAnalysis::Load(p + kGas);
    return r;
}

void StoreTextField(char* field, size_t width, const std::string& win) {
    if (!field || width == 0) return;
    std::memset(field, 0, width);
    std::memcpy(field, win.data(), std::min(win.size(), width - 1));
}

// ---------------------------------------------------------------- files

std::string ReportFolder() { return g_ProgDir + "REPORT"; }
std::string ReportFormatPath() { return ReportFolder() + "/report.ini"; }

std::string DailyReportFileName(const CtlHourTime& start) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "rep%02d%02d%02d.srt", start.year % 100, start.month % 100, start.day % 100);
    return buf;
}

std::string DailyReportPath(const CtlHourTime& start) { return ReportFolder() + "/" + DailyReportFileName(start); }

ReportFileStatus ReadReportFormat(ReportFormatRecord& r, uint8_t missingHour) {
    r = ReportFormatRecord{};
    r.contractHour = missingHour;
    std::vector<uint8_t> data;
    if (!ReadFileStart(ReportFormatPath(), ReportFormatRecord::kSize, data)) return ReportFileStatus::Missing;
    // The record is the file's first 801 bytes: what a shorter file holds is laid over the
    // empty record, and bytes beyond the record are not part of it.
    std::array<uint8_t, ReportFormatRecord::kSize> bytes = r.Bytes();
    std::copy(data.begin(), data.end(), bytes.begin());
    r = ReportFormatRecord::FromBytes(bytes.data());
    return ReportFileStatus::Ok;
}

bool WriteReportFormat(const ReportFormatRecord& r, std::string* error) {
    MakeDir(ReportFolder());
    const auto b = r.Bytes();
    return WriteFileAtomic(ReportFormatPath(), b.data(), b.size(), error);
}

ReportFileStatus LoadDailyReport(const std::string& path, DailyReportRecord& r) {
    std::vector<uint8_t> data;
    // One byte past the record is enough to tell a file of another size.
    if (!ReadFileStart(path, DailyReportRecord::kSize + 1, data)) return ReportFileStatus::Missing;
    if (data.size() != DailyReportRecord::kSize) return ReportFileStatus::WrongSize;
    r = DailyReportRecord::FromBytes(data.data());
    return ReportFileStatus::Ok;
}

bool SaveDailyReport(const std::string& path, const DailyReportRecord& r, std::string* error) {
    MakeDir(ReportFolder());
    const auto b = r.Bytes();
    return WriteFileAtomic(path, b.data(), b.size(), error);
}

// ---------------------------------------------------------------- making a daily report

void PrepareDailyReport(DailyReportRecord& r) {
    r = DailyReportRecord{};
    ReportFormatRecord texts;
    ReadReportFormat(texts, 0);
    r.format = texts;
    if (const uint8_t* name = TablePtr(5)) std::memcpy(r.name, name, sizeof r.name);
    r.address = g_Hgc ? g_Hgc->Address : 0;
    r.format.contractHour = ContractHour();
}

bool SetReportDay(DailyReportRecord& r, const CalDate& day, const ArchiveSpan& span) {
    CtlHourTime t(uint8_t(day.year - 2000), uint8_t(day.month), uint8_t(day.day), r.format.contractHour);
    r.start = CtlMinuteTime(t);
    r.start.minute = 0;
    StepCtlDateTime(t, kUnitDay);
    r.end = CtlMinuteTime(t);
    r.end.minute = 0;
    return CompareCtlDateTimeByUnit(r.start, span.begin, kUnitDay) >= 0 &&
           CompareCtlDateTimeByUnit(r.start, span.end, kUnitDay) <= 0;
}

bool ReadDailyAnalysis(DailyReportRecord& r, IStatusBar* statusBar, const std::function<void()>& startMessageTimer) {
    std::string failText;
    bool ok = false;
    uint8_t record[kChromHourDayRecordSize] = {};
    {
        HourglassScope hourglass;
        SetPanel2(statusBar, "");
        const uint8_t body[9] = {3, 0, 0, r.start.year, r.start.month, r.start.day,
                                 r.start.year, r.start.month, r.start.day};
        if (!g_Hgc) {
            failText = "Команда 16.";
        } else if (!g_Hgc->Request(kDailyArchiveFunction, body, sizeof body, 0)) {
            failText = g_Hgc->ResultText();
        } else {
            // The count comes from the controller: the first record must lie inside the
            // frame it came in.
            const unsigned len = g_Hgc->RxBuf[2];
            const unsigned n = len >= kReplyRecords + 2 ? g_Hgc->RxBuf[kReplyCountByte] : 0;
            if (n > 0 && kReplyRecords + kChromHourDayRecordSize + 2 > len) {
                failText = RefusedReplyText(kDailyArchiveFunction, g_Hgc->ExchangeResultMessages[kResultBadLength]);
            } else if (n == 0) {
                failText = g_Hgc->ResultText();
            } else {
                std::memcpy(record, g_Hgc->RxBuf + kReplyRecords, sizeof record);
                ok = true;
            }
        }
    }
    if (!ok) {
        SetPanel2(statusBar, failText);
        if (startMessageTimer) startMessageTimer();
        Notice(kQuesNotice, "Суточные данные из архива", "не прочитаны");
        return false;
    }
    if (Crc16(record, sizeof record) != 0) {
        Notice(kQuesNotice, "Суточные данные недостоверны", "(не совпадает КС записи");
        return false;
    }
    r.gas = GasAnalysis::Load(record + ChromHourDayRecord::kGas);
    return true;
}

bool SaveDailyReportWithMessage(const DailyReportRecord& r) {
    const std::string path = DailyReportPath(r.start);
    if (SaveDailyReport(path, r)) {
        Notice(kQuesNotice, "Данные для создания отчета", "сохранены в файле " + FileNameOnly(path));
        return true;
    }
    Notice(kQuesNotice, "Ошибка создания файла.", "Данные для создания отчета не сохранены");
    return false;
}

}  // namespace qvr

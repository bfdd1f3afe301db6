#include "link/conffun.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "app/connstatus.h"
#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/doswin.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "link/hgcbox.h"

int g_ConfigEndPauseMs = 500;

namespace {

constexpr int kPanelName = 1;
constexpr int kPanelStatus = 2;
constexpr size_t kNameSize = 20;

// Offsets of the parts of a reply to a table request: the echoed request, then the data.
constexpr int kReplyEcho = 5;
constexpr int kReplyData = 8;
constexpr int kReplyFrameExtra = kReplyData + 2;  // head and CRC around the data

std::string Fmt(const char* fmt, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

void Panel(qvr::IStatusBar* bar, int panel, const std::string& text) { qvr::StatusPanelRef{bar, panel}.SetText(text); }

// "<verb> %d (поля %d-%d)" or, for one field, "<verb> %d (поле %d)".
std::string RangeText(const char* verb, const TableRequest& r) {
    if (r.count > 1) return Fmt("%s %d (поля %d-%d)", verb, r.table, r.first, r.first + r.count - 1);
    return Fmt("%s %d (поле %d)", verb, r.table, r.first);
}

std::string TableLine(int table, const std::string& name) { return Fmt("Табл. %d \"%s\".", table, name.c_str()); }

// A request the layer can carry: a table with fields, the fields inside it, the data
// within the frame limit.
bool RequestFits(const TableRequest& r, int dataLimit) {
    if (!IsValidTable(r.table) || FieldSize(r.table) == 0) return false;
    if (!IsValidFieldRange(r.table, r.first, r.count)) return false;
    return int(r.count) * FieldSize(r.table) <= dataLimit;
}

std::string RefusedText(const TableRequest& r) {
    return Fmt("Недопустимый запрос: таблица %d, поля %d-%d", r.table, r.first, r.first + r.count - 1);
}

std::string ShortReplyText(uint8_t function) {
    return Fmt("Команда %d.  Длина ответа не соответствует запросу", function);
}

bool ReplyEchoes(const TableRequest& r) {
    const uint8_t* e = g_Hgc->RxBuf + kReplyEcho;
    return e[0] == r.table && e[1] == r.first && e[2] == r.count;
}

// The controller answered with another request's echo: in the reply taken (the plain loop
// takes any), or in every reply that came (the engine skipped them all: result 89).
bool EchoMismatch(const TableRequest& r, bool answered) {
    if (!answered) return g_Hgc->Result == kResultInDoubt;
    return g_Hgc->RxBuf[2] >= kReplyFrameExtra && !ReplyEchoes(r);
}

// Asks the retry question of kind 7 and empties panel 2; true when the user said Yes.
bool AskRetry(qvr::IStatusBar* bar, const std::string& line1, const std::string& line2) {
    g_QuesKind = qvr::kQuesRetry;
    qvr::ShowQues(line1, line2);
    Panel(bar, kPanelStatus, "");
    return g_QuesAnswer == 1;
}

// The controller name of the image (Windows-1251) without leading and trailing blanks,
// as UTF-8 for the status bar.
std::string TrimmedName() {
    std::string name = qvr::FieldText(TablePtr(5), kNameSize);
    size_t b = name.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    size_t e = name.find_last_not_of(' ');
    return qvr::WinToUtf8(name.substr(b, e - b + 1));
}

// Number of flow computers of the image, never more than the tables hold.
int FlowComputerCount() { return std::min<int>(TablePtr(9)[0], kMaxFlowComputers); }

// Reads or writes fields 0..count-1 of the table in requests of at most `limit` fields.
// A count of 0 still makes one request with field count 0.
bool TransferTable(int table, int count, bool write, qvr::IStatusBar* bar) {
    const int limit = write ? WriteChunkFields(table) : ReadChunkFields(table);
    if (limit <= 0) return false;
    int first = 0;
    do {
        int chunk = std::min(count - first, limit);
        TableRequest r{uint8_t(table), uint8_t(first), uint8_t(chunk)};
        bool ok = write ? WriteTableFields(r, bar, 1) : ReadTableFields(r, bar, 1);
        if (!ok) return false;
        first += chunk;
    } while (first < count);
    return true;
}

int ConfigTableCount() {
    int n = 0;
    for (int t = 0; t < kTableCount; ++t) n += IsConfigTable(t) ? 1 : 0;
    return n;
}

void SetProgressMax(qvr::IProgress* p, int max) {
    if (p) p->SetMax(max);
}
void SetProgress(qvr::IProgress* p, int pos) {
    if (p) p->SetPosition(pos);
}

// The pause with the progress full at the end of a whole-configuration operation; the
// window keeps processing messages.
void PumpedPause(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        qvr::ProcessMessages();
        auto left = end - std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(10)));
    }
}

// The user's link parameters of the link kind in use.
LinkParams& CurrentLinkParams() {
    switch (ConnSettings.Conn_Prz) {
        case 1: return ConnSettings.Fon;
        case 2: return ConnSettings.Ethr;
        default: return ConnSettings.Dir;
    }
}

// Everything after a successful write of table 3: the engine and the stored link follow
// the controller to its new address and rate.
void FollowNewLink(qvr::IStatusBar* bar) {
    if (g_RestoreAndDisconnect) return;
    const uint8_t* t3 = TablePtr(3);
    FollowControllerLink(t3[0], qvr::IndexToBaud(t3[1]), bar);
}

bool Blank(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0) return false;
    return true;
}

bool InputError(const std::string& line1, const std::string& line2) {
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues(line1, line2);
    return false;
}

// The user block of the record (table 4): exactly one manufacturer-adjuster (level 1),
// names and codes given and distinct. Clears unused entries and the reserved bytes.
bool CheckUsers(ConfigRecord* rec) {
    using namespace cfgrec;
    auto entry = [&](size_t i) { return rec->data() + UserEntry(i); };
    int level1 = 0;
    for (size_t i = 0; i < kUserCount; ++i) level1 += entry(i)[kUserLevel] == 1 ? 1 : 0;
    if (level1 == 0)
        return InputError("В списке зарегистрированных пользователей", "не зарегистрирован производитель-наладчик");
    if (level1 > 1) return InputError("Может быть зарегистрирован", "только один производитель-наладчик");

    for (size_t i = 0; i < kUserCount; ++i) {
        uint8_t* e = entry(i);
        if (e[kUserLevel] == 0) {
            std::memset(e + kUserName, ' ', kUserNameSize);
            std::memset(e + kUserPassword, ' ', kUserPasswordSize);
            std::memset(e + kUserCode, ' ', kUserCodeSize);
        }
        e[kUserReserved] = 0;
    }

    auto active = [&](size_t i) { return entry(i)[kUserLevel] >= 1 && entry(i)[kUserLevel] <= 4; };
    for (size_t i = 0; i < kUserCount; ++i) {
        if (!active(i)) continue;
        const uint8_t* e = entry(i);
        const int no = int(i) + 1;
        if (Blank(e + kUserName, kUserNameSize))
            return InputError(Fmt("Номер пользователя в таблице: %d.", no), "Не задано имя пользователя");
        if (e[kUserCode] == 0 || Blank(e + kUserCode, kUserCodeSize))
            return InputError(Fmt("Номер пользователя в таблице: %d.", no), "Не задан код идентификации пользователя");
        for (size_t j = i + 1; j < kUserCount; ++j) {
            if (!active(j)) continue;
            const uint8_t* o = entry(j);
            if (std::memcmp(e + kUserName, o + kUserName, kUserNameSize) == 0)
                return InputError(Fmt("Пользователи   %d и %d.", no, int(j) + 1), "Совпадение имен пользователей");
            if (std::memcmp(e + kUserCode, o + kUserCode, kUserCodeSize) == 0)
                return InputError(Fmt("Пользователи   %d и %d.", no, int(j) + 1),
                                  "Совпадение кодов идентификации пользователя");
        }
    }
    return true;
}

void CopyIn(int table, const ConfigRecord* rec, size_t offset) {
    std::memcpy(TablePtr(table), rec->data() + offset, TableSize(table));
}
void CopyOut(int table, ConfigRecord* rec, size_t offset) {
    std::memcpy(rec->data() + offset, TablePtr(table), TableSize(table));
}

// The tables 21..29 part of the record that both directions copy whole.
struct RecordArea {
    int table;
    size_t offset;
};
constexpr RecordArea kTailAreas[] = {
    {21, cfgrec::kTable21}, {22, cfgrec::kTable22}, {23, cfgrec::kTable23}, {24, cfgrec::kTable24},
    {25, cfgrec::kTable25}, {26, cfgrec::kTable26}, {28, cfgrec::kTable28}, {29, cfgrec::kTable29},
};

}  // namespace

void FollowControllerLink(uint8_t address, uint32_t baud, qvr::IStatusBar* bar) {
    LinkParams& p = CurrentLinkParams();
    if (g_Hgc) g_Hgc->Address = address;
    p.Adr = address;
    // Only a direct line runs at the controller's rate: over a modem the port talks to the
    // modem, over TCP there is no rate. A rate of 0 (an index outside the rate table) would
    // leave the line without one: the old rate stays.
    if (ConnSettings.Conn_Prz == 0 && baud != 0) {
        if (g_Hgc) g_Hgc->Baud = baud;
        p.Rate = int32_t(baud);
    }
    ShowConnectionStatus(bar);
}

// ------------------------------------------------------------------ identification

IdentRecord GetIdentRecord() {
    IdentRecord r;
    std::memcpy(&r, TablePtr(0), sizeof r);
    return r;
}

uint8_t IdentByte(int i) { return (i >= 0 && i < int(sizeof(IdentRecord))) ? TablePtr(0)[i] : 0; }

std::string TableDisplayName(int table) {
    if (!IsValidTable(table) || !ConfigTableNames[table]) return "";
    std::string s = ConfigTableNames[table];
    if (!s.empty() && s[0] == ' ') s.erase(0, 1);
    return s;
}

// ------------------------------------------------------------------ ranges

bool ReadTableFields(const TableRequest& request, qvr::IStatusBar* bar, uint8_t interactive) {
    return ReadTableFields(request, bar, interactive, TableDisplayName(request.table));
}

bool ReadTableFields(const TableRequest* request, qvr::IStatusBar* bar, uint8_t interactive) {
    if (!request) return false;
    return ReadTableFields(*request, bar, interactive, TableDisplayName(request->table));
}

bool ReadTableFields(const TableRequest& request, qvr::IStatusBar* bar, uint8_t interactive,
                     const std::string& subject) {
    const TableRequest r = request;
    if (!RequestFits(r, kReadDataLimit)) {
        if (interactive) Panel(bar, kPanelStatus, RefusedText(r));
        return false;
    }
    if (!g_Hgc) return false;
    const size_t n = size_t(r.count) * FieldSize(r.table);
    uint8_t* dst = TablePtr(r.table) + size_t(r.first) * FieldSize(r.table);

    for (;;) {
        if (interactive) Panel(bar, kPanelStatus, RangeText("Чтение из таблицы", r));
        std::string failText;
        const bool answered = g_Hgc->Request(1, &r, sizeof r, 0);
        if (EchoMismatch(r, answered)) {
            if (AskRetry(bar, "Несоответствие запрошенных и переданных данных.", TableLine(r.table, subject))) continue;
            return false;
        }
        if (answered) {
            if (g_Hgc->RxBuf[2] != kReplyFrameExtra + n) {
                // The data would not be the fields asked for: copy nothing.
                failText = ShortReplyText(1);
            } else {
                std::memcpy(dst, g_Hgc->RxBuf + kReplyData, n);
                if (interactive) Panel(bar, kPanelStatus, "");
                return true;
            }
        } else {
            failText = g_Hgc->ResultText();
        }
        if (!interactive) return false;
        Panel(bar, kPanelStatus, failText);
        if (AskRetry(bar, Fmt("Не выполнено чтение из таблицы %d.", r.table), "\"" + subject + "\""))
            continue;
        return false;
    }
}

bool WriteTableFields(const TableRequest& request, qvr::IStatusBar* bar, uint8_t interactive) {
    return WriteTableFields(&request, bar, interactive);
}

bool WriteTableFields(const TableRequest* request, qvr::IStatusBar* bar, uint8_t interactive) {
    if (!request) return false;
    const TableRequest r = *request;
    if (!RequestFits(r, kWriteDataLimit)) {
        Panel(bar, kPanelStatus, RefusedText(r));
        return false;
    }
    if (!g_Hgc) return false;
    const size_t n = size_t(r.count) * FieldSize(r.table);
    uint8_t body[3 + kWriteDataLimit];
    body[0] = r.table;
    body[1] = r.first;
    body[2] = r.count;
    std::memcpy(body + 3, TablePtr(r.table) + size_t(r.first) * FieldSize(r.table), n);

    for (;;) {
        Panel(bar, kPanelStatus, RangeText("Запись в таблицу", r));
        std::string failText;
        const bool answered = g_Hgc->Request(2, body, uint32_t(n + 3), 0);
        if (EchoMismatch(r, answered)) {
            if (AskRetry(bar, "Несоответствие заголовка ответа заголовку запроса на запись.",
                         TableLine(r.table, TableDisplayName(r.table))))
                continue;
            return false;
        }
        if (answered) {
            if (g_Hgc->RxBuf[2] < kReplyFrameExtra) {
                failText = ShortReplyText(2);
            } else {
                Panel(bar, kPanelStatus, "");
                return true;
            }
        } else {
            failText = g_Hgc->ResultText();
        }
        if (!interactive) return false;
        Panel(bar, kPanelStatus, failText);
        if (AskRetry(bar, Fmt("Не выполнена запись в таблицу %d.", r.table),
                     "\"" + TableDisplayName(r.table) + "\"."))
            continue;
        return false;
    }
}

bool WriteChangedFields(const TableRequest& request, const void* oldCopy, qvr::IStatusBar* bar) {
    return WriteChangedFields(&request, oldCopy, bar);
}

bool WriteChangedFields(const TableRequest* request, const void* oldCopy, qvr::IStatusBar* bar) {
    if (!request || !oldCopy) return false;
    const TableRequest r = *request;
    if (!IsValidTable(r.table) || FieldSize(r.table) == 0 || !IsValidFieldRange(r.table, r.first, r.count)) {
        Panel(bar, kPanelStatus, RefusedText(r));
        return false;
    }
    const size_t size = size_t(FieldSize(r.table));
    const uint8_t* cur = TablePtr(r.table) + r.first * size;
    const uint8_t* old = static_cast<const uint8_t*>(oldCopy);
    if (std::memcmp(cur, old, r.count * size) == 0) return true;

    std::vector<bool> changed(r.count);
    int lo = -1, hi = -1;
    for (int i = 0; i < r.count; ++i) {
        changed[i] = std::memcmp(cur + i * size, old + i * size, size) != 0;
        if (changed[i]) {
            if (lo < 0) lo = i;
            hi = i;
        }
    }
    const int span = hi - lo + 1;
    // One write of the fields from..from+count-1 of the range; a range larger than one
    // frame holds (table 13 of 16 flow computers) goes in consecutive chunks.
    const int chunkLimit = WriteChunkFields(r.table);
    auto write = [&](int from, int count) {
        int done = 0;
        do {
            const int chunk = std::min(count - done, chunkLimit);
            TableRequest w{r.table, uint8_t(r.first + from + done), uint8_t(chunk)};
            if (!WriteTableFields(w, bar, 1)) return false;
            done += chunk;
        } while (done < count);
        return true;
    };
    const bool allChanged = std::all_of(changed.begin() + lo, changed.begin() + hi + 1, [](bool c) { return c; });
    if (span <= 2 || allChanged) return write(lo, span);

    // Runs of consecutive changed fields; each write costs its data plus the frame.
    std::vector<std::pair<int, int>> runs;  // first, count (relative to the range)
    for (int i = lo; i <= hi;) {
        if (!changed[i]) {
            ++i;
            continue;
        }
        int j = i;
        while (j <= hi && changed[j]) ++j;
        runs.push_back({i, j - i});
        i = j;
    }
    const int64_t spanCost = int64_t(span) * int64_t(size) + kWriteFrameOverhead;
    int64_t runsCost = 0;
    for (const auto& run : runs) runsCost += int64_t(run.second) * int64_t(size) + kWriteFrameOverhead;
    if (runsCost > spanCost) return write(lo, span);
    bool ok = true;
    for (const auto& run : runs) {
        ok = write(run.first, run.second);
        if (!ok) break;
    }
    return ok;
}

// ------------------------------------------------------------------ whole configuration

bool ReadConfigFromController(qvr::IStatusBar* bar, qvr::IProgress* progress) {
    const int max = ConfigTableCount() + 1;
    SetProgressMax(progress, max);
    int pos = 0;
    SetProgress(progress, pos);
    for (int t = 0; t < kTableCount; ++t) {
        if (!IsConfigTable(t) || t == 13) continue;
        int count = FieldCount(t);
        if (t >= 17 && t <= 20) count = FlowComputerCount();
        if (!TransferTable(t, count, false, bar)) return false;
        SetProgress(progress, ++pos);
        if (t == 5) {
            if (IdentByte(ident::kTextCodePage) == 0) qvr::DosToWin(TablePtr(5), kNameSize);
            Panel(bar, kPanelName, TrimmedName());
        } else if (t == 6) {
            g_MoisturePresent = FieldPtr(6, 8)[0];
        } else if (t == 9 && TablePtr(9)[0] > kMaxFlowComputers) {
            // The tables hold 16 flow computers: take the first 16 and say so.
            const int reported = TablePtr(9)[0];
            TablePtr(9)[0] = kMaxFlowComputers;
            g_QuesKind = qvr::kQuesNotice;
            qvr::ShowQues(Fmt("Контроллер сообщает о %d вычислителях РГ.", reported),
                          Fmt("Используются данные первых %d.", kMaxFlowComputers));
        }
    }
    SetProgress(progress, max);
    PumpedPause(g_ConfigEndPauseMs);
    return true;
}

bool WriteConfigToController(TableStateBuffer* state, qvr::IStatusBar* bar, qvr::IProgress* progress) {
    if (!state) return false;
    const int max = ConfigTableCount();
    SetProgressMax(progress, max);
    int pos = 0;
    SetProgress(progress, pos);

    // The flow-computer tables first, in the order the controller checks them against
    // table 9; only the fields of the flow computers present.
    const int firstTables[] = {9, 17, 18, 19, 20, 13};
    for (int t : firstTables) {
        if (!state->toWrite[t]) continue;
        const int count = t == 9 ? FieldCount(9) : FlowComputerCount();
        if (!TransferTable(t, count, true, bar)) return false;
        state->toWrite[t] = 0;
        SetProgress(progress, ++pos);
    }

    for (int t = 0; t < kTableCount; ++t) {
        if (!state->toWrite[t] || FieldCount(t) == 0) continue;
        if (t == 5) {
            // The controller may keep its name in CP866; the image keeps Windows-1251
            // whatever the outcome of the write.
            uint8_t* name = TablePtr(5);
            uint8_t saved[kNameSize];
            std::memcpy(saved, name, kNameSize);
            if (IdentByte(ident::kTextCodePage) == 0) qvr::WinToDos(name, kNameSize);
            const bool ok = TransferTable(t, FieldCount(t), true, bar);
            std::memcpy(name, saved, kNameSize);
            if (!ok) return false;
            Panel(bar, kPanelName, TrimmedName());
        } else {
            if (!TransferTable(t, FieldCount(t), true, bar)) return false;
            if (t == 3) FollowNewLink(bar);
            if (t == 6) g_MoisturePresent = FieldPtr(6, 8)[0];
        }
        SetProgress(progress, ++pos);
    }
    SetProgress(progress, max);
    PumpedPause(g_ConfigEndPauseMs);
    return true;
}

// ------------------------------------------------------------------ configuration record

bool LoadConfigRecord(ConfigRecord* record, uint8_t checkUsers) {
    using namespace cfgrec;
    if (!record) return false;
    const uint8_t* rec = record->data();
    CopyIn(5, record, kName);
    CopyIn(3, record, kTable3);
    if (checkUsers) {
        if (!CheckUsers(record)) return false;
        CopyIn(4, record, kUsers);
    }
    CopyIn(6, record, kTable6);
    if (rec[kTable14] == 0) return InputError("Неверно задан адрес хроматографа", "");
    CopyIn(14, record, kTable14);
    if (rec[kTable15] == 0) return InputError("Неверно задан адрес влагомера", "");
    CopyIn(15, record, kTable15);

    const int n = rec[kFlowComputerNumber];
    if (n > kMaxFlowComputers)
        return InputError(Fmt("Неверно задано число вычислителей РГ: %d.", n),
                          Fmt("Допускается не более %d.", kMaxFlowComputers));
    CopyIn(9, record, kTable9);
    for (int i = 0; i < n; ++i) {
        const uint8_t* e = rec + FlowComputerEntry(size_t(i));
        if (e[kFcAddress] == 0) return InputError("Неверно заданы адреса вычислителей РГ", "");
        FieldPtr(17, i)[0] = e[kFcType];
        FieldPtr(18, i)[0] = e[kFcAddress];
        FieldPtr(19, i)[0] = e[kFcPipelines];
        FieldPtr(20, i)[0] = e[kFcByteOrder];
        std::memcpy(FieldPtr(13, i), e + kFcPassword, kFcPasswordSize);
    }
    for (const RecordArea& a : kTailAreas) CopyIn(a.table, record, a.offset);
    return true;
}

void StoreConfigRecord(ConfigRecord* record) {
    using namespace cfgrec;
    if (!record) return;
    uint8_t* rec = record->data();
    rec[kOrigin] = 1;
    CopyOut(0, record, kIdent);
    CopyOut(5, record, kName);
    CopyOut(3, record, kTable3);
    CopyOut(4, record, kUsers);
    CopyOut(6, record, kTable6);
    CopyOut(14, record, kTable14);
    CopyOut(15, record, kTable15);
    CopyOut(9, record, kTable9);
    const int n = FlowComputerCount();
    rec[kFlowComputerNumber] = uint8_t(n);
    for (int i = 0; i < n; ++i) {
        uint8_t* e = rec + FlowComputerEntry(size_t(i));
        e[kFcType] = FieldPtr(17, i)[0];
        e[kFcAddress] = FieldPtr(18, i)[0];
        e[kFcPipelines] = FieldPtr(19, i)[0];
        e[kFcByteOrder] = FieldPtr(20, i)[0];
        // Passwords are never read from a controller.
        std::memset(e + kFcPassword, ' ', kFcPasswordSize);
    }
    for (const RecordArea& a : kTailAreas) CopyOut(a.table, record, a.offset);
}

#include "data/logview.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/doswin.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "params/gaslimits.h"

namespace qvr {

const TextRowLayout kDiagTextRowLayout = {
    kDiagTextRowSize, {{0, 20}, {20, 20}, {40, 100}, {140, 100}, {240, 20}, {260, 20}, {280, 20}}};
const TextRowLayout kAuditTextRowLayout = {
    kAuditTextRowSize, {{0, 20}, {20, 20}, {40, 100}, {140, 20}, {160, 20}, {180, 20}, {200, 5}}};

const char* const kLogCrcWarning = "  ***  Данные в записи недостоверны (не совпадает КС)";
const char* const kLogCrcMark = "   ***";

namespace {

enum Cell { kDate = 0, kTime, kText, kObject, kValue, kSetPoint, kUnit };
// The audit row's cells under their own names.
enum AuditCell { kName = 2, kOld = 3, kNew = 4, kAuditUnit = 5, kOperator = 6 };

std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* format, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return buf;
}

std::string Trimmed(const char* s) {
    std::string t = s ? s : "";
    const size_t b = t.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    const size_t e = t.find_last_not_of(' ');
    return t.substr(b, e - b + 1);
}

// A value the formatter cannot express shows "?".
std::string Value4(float v) {
    std::string s = FormatValue4(v);
    return s.empty() ? "?" : s;
}

// ---------------------------------------------------------------------------------------
// Diagnostic messages.

std::string MoistureObjectText(uint8_t type, uint8_t object, uint8_t sub) {
    auto unknown = [&](const char* open) {
        return std::string(open) + MoistureTypeNames[type] + Fmt(". Табл. = %d  Инд. = %d)", object, sub);
    };
    switch (type) {
    case 0:
        if (sub < kMoistureStatusBitNamesCount) return MoistureStatusBitNames[sub];
        return unknown("??? (");
    case 1:
        return unknown("??? ( ");
    case 2:
        if (sub < kMoistureEventNamesCount) return MoistureEventNames[sub];
        return unknown("??? (");
    default:
        return Fmt("??? (Код влаг. %d. Табл. = %d  Инд. = %d)", type, object, sub);
    }
}

// ---------------------------------------------------------------------------------------
// Interventions.

enum class Fmt_ : uint8_t { None, D2, N, B, L, Y, X, Hr, Mon, Day, Fd, Name4, WeekDay, Season };

struct AuditField {
    std::string name;
    Fmt_ format = Fmt_::None;
    const char* const* list = nullptr;  // L
    int listSize = 0;
};

AuditField Other(int table, int field) { return {Fmt("Табл. %d;  Поле %d", table, field)}; }
AuditField Reserve(int table, int field) { return {Fmt("Табл.%d.  Резервное поле № %d", table, field)}; }
AuditField Named(const char* name, Fmt_ f) { return {name, f}; }
template <int N>
AuditField Listed(std::string name, const char* const (&list)[N]) {
    return {std::move(name), Fmt_::L, list, N};
}
AuditField Listed(std::string name, const char* const* list, int n) { return {std::move(name), Fmt_::L, list, n}; }

const char* const kModbusModes[] = {" ASCII", " RTU"};
const char* const kParities[] = {"Отсутств.", "Нечетный", "Четный"};
const char* const kGasWriteModes[] = {"Не записывать", "В нач. часа (усл.)", "В нач. часа (безусл.)",
                                      "За сутки (безусл.)"};

// The name of the changed parameter and the format of its values.
AuditField AuditFieldOf(int table, int field) {
    switch (table) {
    case 2: {
        static const char* const kNames[] = {"Время, год",     "Время, месяц",   "Время, день", "Время, час",
                                             "Время, минута",  "Время, секунда", "Время, день недели",
                                             "Тип времени"};
        if (field <= 5) return Named(kNames[field], Fmt_::D2);
        if (field == 6) return Named(kNames[6], Fmt_::WeekDay);
        if (field == 7) return Named(kNames[7], Fmt_::Season);
        return Other(table, field);
    }
    case 3:
        if (field == 0) return Named("Адрес контроллера", Fmt_::N);
        if (field == 1) return Named("Скорость обмена с ВУ", Fmt_::B);
        if (field == 2) return Named("Кол. преамбул при ответе ВУ", Fmt_::N);
        if (field == 3) return Reserve(table, field);
        return Other(table, field);
    case 4:
        return Named("Параметры доступа пользователя", Fmt_::None);
    case 5:
        return Named("Наименование контроллера", Fmt_::Name4);
    case 6:
        switch (field) {
        case 0: return Named("Месяц перехода на летнее время", Fmt_::Mon);
        case 1: return Named("День перехода на летнее время", Fmt_::Day);
        case 2: return Named("Час перехода на летнее время", Fmt_::N);
        case 3: return Named("Месяц перехода на зимнее время", Fmt_::Mon);
        case 4: return Named("День перехода на зимнее время", Fmt_::Day);
        case 5: return Named("Час перехода на зимнее время", Fmt_::N);
        case 6: return Named("Контрактный час", Fmt_::N);
        case 7: return Named("Наличие подключенного хроматографа", Fmt_::Y);
        case 8: return Named("Наличие подключенного влагомера", Fmt_::Y);
        case 9: return Reserve(table, field);
        default: return Other(table, field);
        }
    case 9:
        switch (field) {
        case 0: return Named("Количество подключенных ВРГ", Fmt_::N);
        case 1: return Named("Скорость обмена c ВРГ", Fmt_::B);
        case 2: return Named("Количество неудачных опросов ВРГ", Fmt_::N);
        case 3: return Named("Таймаут ожидания ответа от ВРГ", Fmt_::N);
        case 4: return Named("Кол. преамбул  в запросе к вычислителю РГ", Fmt_::N);
        case 5: return Listed("Режим записи параметров газа в ВРГ", kGasWriteModes);
        case 6: return Named("Индекс ВРГ, для чтения температуры газа.", Fmt_::N);
        case 7: return Named("Номер нитки ВРГ, у которого читаем температуру газа", Fmt_::N);
        default: return Other(table, field);
        }
    case 13:
        if (field < 16) return {Fmt("Пароль на запись в ВРГ %d", field)};
        return {"Пароль на запись в ВРГ № ?"};
    case 14:
        switch (field) {
        case 0: return Named("Адрес хроматографа", Fmt_::N);
        case 1: return Named("Скорость обмена c хроматографом", Fmt_::B);
        case 2: return Listed("Режим обмена MODBUS с хроматографом", kModbusModes);
        case 3: return Listed("Тип четности хроматографа", kParities);
        case 4: return Named("Таймаут ожидания ответа от хроматографа", Fmt_::N);
        case 5: return Named("Кол. неудачных опросов хроматографа", Fmt_::N);
        case 6: return Listed("Тип хроматографа", ChromTypeNames, kChromTypeNamesCount);
        case 7: return Reserve(table, field);
        default: return Other(table, field);
        }
    case 15:
        switch (field) {
        case 0: return Named("Адрес влагомера", Fmt_::N);
        case 1: return Named("Скорость обмена c влагомером", Fmt_::B);
        case 2: return Listed("Режим обмена MODBUS с влагомером", kModbusModes);
        case 3: return Listed("Тип четности влагомера", kParities);
        case 4: return Named("Таймаут ожидания ответа от влагомера", Fmt_::N);
        case 5: return Named("Кол. неудачных опросов влагомера", Fmt_::N);
        case 6: return Listed("Тип влагомера", MoistureTypeNames, kMoistureTypeNamesCount);
        case 7: return Reserve(table, field);
        default: return Other(table, field);
        }
    case 17:
        return Listed(field < 16 ? Fmt("Тип ВРГ %d", field) : std::string("Тип ВРГ  № ?"), FlowComputerTypeNames,
                      kFlowComputerTypeNamesCount);
    case 18:
        return {field < 16 ? Fmt("Адрес подключенного ВРГ %d", field) : std::string("Адрес подключенного ВРГ № ?"),
                Fmt_::N};
    case 19:
        return {field < 16 ? Fmt("Необходимость записи парам. газа для т/п ВРГ %d", field)
                           : std::string("Необходимость записи парам. газа для т/п ВРГ ?"),
                Fmt_::X};
    case 20:
        return Listed(field < 16 ? Fmt("Порядок байтов многоб. перем. ВРГ %d", field)
                                 : std::string("Порядок байтов многоб. перем. ВРГ № ?"),
                      ByteOrderNames, kByteOrderNamesCount);
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26: {
        static const char* const kPrefix[] = {"НР   ", "ЗН   ", "НПУ  ", "ВПУ  ", "НДП  ", "ВДП  "};
        const std::string param = field < kGasParamShortNamesCount ? Trimmed(GasParamShortNames[field]) : " ?";
        std::string name = std::string(kPrefix[table - 21]) + param;
        if (table == 21) return Listed(std::move(name), SendModeNames, kSendModeNamesCount);
        return {std::move(name), Fmt_::Fd};
    }
    case 28:
        if (field == 0) return Named("Период рассылки параметров газа в ВРГ", Fmt_::Hr);
        if (field == 1) return Reserve(table, field);
        return Other(table, field);
    default:
        return Other(table, field);
    }
}

// Four characters, ending at a zero byte, as display text.
std::string FourChars(const uint8_t* p, bool fromDos) {
    char c[4];
    std::memcpy(c, p, 4);
    if (fromDos) DosToWin(c, 4);
    size_t n = 0;
    while (n < 4 && c[n] != 0) ++n;
    return WinToUtf8(std::string_view(c, n));
}

std::string AuditValue(const AuditField& f, int table, int field, const uint8_t* v, bool fromDos) {
    const uint8_t b = v[0];
    switch (f.format) {
    case Fmt_::None:
        return {};
    case Fmt_::D2:
        return Fmt("  %02d", b);
    case Fmt_::N:
        return Fmt("%d", b);
    case Fmt_::B:
        return Fmt("%u", unsigned(IndexToBaud(b)));
    case Fmt_::L:
        return b < f.listSize && f.list[b] ? f.list[b] : "?";
    case Fmt_::Y:
        return b == 0 ? "Нет" : "Есть";
    case Fmt_::X:
        return Fmt(" 0x%02X", b);
    case Fmt_::Hr:
        return Fmt("%dч", b);
    case Fmt_::Mon:
        return b < kMonthNamesCount ? MonthNames[b] : "?";
    case Fmt_::Day:
        return DstDayRuleText(b);
    case Fmt_::Fd: {
        const GasParamLimitDescr* d = field < kGasParamCount ? GasParamLimitOf(table, field) : nullptr;
        return FormatLimitValue(GetF32(v), d ? d->decimals : 4);
    }
    case Fmt_::Name4: {
        // Text ends at a zero byte, so the dots follow only a full name.
        std::string s = FourChars(v, fromDos);
        if (std::memchr(v, 0, 4) == nullptr) s += "...";
        return s;
    }
    case Fmt_::WeekDay:
        return b >= 1 && b <= 7 ? WeekDayNames[b - 1] : "?";
    case Fmt_::Season:
        return b < kTimeSeasonNamesCount ? TimeSeasonNames[b] : "?";
    }
    return {};
}

}  // namespace

const TextRowLayout& TextRowLayoutOf(uint8_t log) { return log == kAuditLog ? kAuditTextRowLayout : kDiagTextRowLayout; }

void StoreTextRow(const LogRowTexts& row, const TextRowLayout& layout, uint8_t* out) {
    std::memset(out, 0, layout.size);
    for (int c = 0; c < kLogCells; ++c) {
        if (row[c].empty()) continue;
        const std::string win = Win(row[c]);
        const size_t n = win.size() < layout.cells[c].width - 1 ? win.size() : layout.cells[c].width - 1;
        std::memcpy(out + layout.cells[c].offset, win.data(), n);
    }
}

LogRowTexts LoadTextRow(const uint8_t* in, const TextRowLayout& layout) {
    LogRowTexts row;
    for (int c = 0; c < kLogCells; ++c) {
        // A cell that fills its width without a terminator ends at its width.
        row[c] = WinToUtf8(FieldText(in + layout.cells[c].offset, layout.cells[c].width));
    }
    return row;
}

void FormatDiagRecord(const uint8_t* r, uint8_t moistureType, LogRowTexts& row) {
    const uint8_t code = r[DiagRecord::kCode];
    const uint8_t object = r[DiagRecord::kObject];
    const uint8_t sub = r[DiagRecord::kSubObject];
    row[kText] = code < kDiagEventTextsCount ? DiagEventTexts[code] : Fmt("Код диагностики = %d", code);
    row[kObject].clear();
    row[kValue].clear();
    row[kSetPoint].clear();
    row[kUnit].clear();
    switch (code) {
    case 2:
    case 3:
    case 81:
        break;
    case 4:
        row[kObject] = object < kArchiveKindNamesCount ? ArchiveKindNames[object] : " ?";
        break;
    case 10:
    case 11:
        if (object == 33) {
            row[kObject] = sub == 0 ? "Хроматограф" : sub == 1 ? "Влагомер" : Fmt("Тaбл. = %d", object);
        } else if (object == 34) {
            row[kObject] = Fmt("Вычислитель расхода газа (Адр. = %d)", sub);
        } else {
            row[kObject] = Fmt("Тaбл. = %d", object);
        }
        break;
    case 12: case 13: case 14: case 15: case 16: case 17:
    case 44: case 45: case 46: case 47:
    case 60: case 61: case 62: case 63: case 64: case 65: case 66: case 67: case 68:
        if (sub < kGasParamShortNamesCount) {
            row[kObject] = GasParamShortNames[sub];
            const GasParamLimitDescr* d = GasParamLimitOf(23, sub);
            if (d) row[kUnit] = d->unit;
        } else {
            row[kObject] = "  ?";
        }
        row[kValue] = Value4(GetF32(r + DiagRecord::kValue));
        row[kSetPoint] = Value4(GetF32(r + DiagRecord::kSetPoint));
        break;
    case 22:
    case 23:
        if (object == 200) {
            if (sub < kChromFaultNamesCount && sub != 6 && sub != 7) row[kObject] = ChromFaultNames[sub];
            else row[kObject] = Fmt("Табл. = %d  Инд. = %d", object, sub);
        } else if (object == 201) {
            row[kObject] = MoistureObjectText(moistureType, object, sub);
        }
        break;
    case 40:
    case 41:
        if (object == 242) row[kObject] = "Предыдущий год";
        else if (object == 243) row[kObject] = "Базовый год";
        else if (object == 244) row[kObject] = "Тип времени";
        else row[kObject] = Fmt("Таблица %d", object);
        break;
    case 42:
    case 43:
        row[kObject] = Fmt("Таблица %d", object);
        break;
    case 48:
    case 49:
        row[kObject] = Fmt("Вычислитель РГ. (Адр. = %d)", sub);
        break;
    case 59:
        row[kObject] = Fmt("Старое значение КС = %08X", unsigned(GetU32(r + DiagRecord::kValue)));
        row[kValue] = Fmt("%08X", unsigned(GetU32(r + DiagRecord::kSetPoint)));
        break;
    default:
        row[kObject] = Fmt("??? (Табл. = %d  Инд. = %d)", object, sub);
        break;
    }
}

LogRowTexts DiagRow(const uint8_t* r, uint8_t moistureType, bool* crcOk) {
    LogRowTexts row;
    const bool ok = RecordCrcOk(r, kDiagRecordSize);
    if (crcOk) *crcOk = ok;
    if (!ok) {
        row[kDate] = kLogCrcMark;
        return row;
    }
    row[kDate] = Fmt("  %02d.%02d.%02d", r[2], r[1], r[0]);
    row[kTime] = Fmt("  %02d:%02d:%02d", r[3], r[4], r[5]);
    FormatDiagRecord(r, moistureType, row);
    return row;
}

std::string DstDayRuleText(uint8_t b) {
    if (!(b & 0x80)) return Fmt("%d", b);
    static const char* const kPrefix[2][3] = {{"1", "2", "3"}, {"п", "пп", ""}};
    const int a = (b >> 6) & 1;
    const int n = (b & 0x07) - 1;
    const int w = ((b >> 3) & 0x07) - 1;
    if (n < 0 || n > 2 || w < 0 || w > 6) return "?";
    return std::string(kPrefix[a][n]) + WeekDayShortNames[w];
}

void FormatAuditRecord(const uint8_t* r, uint8_t textCodePage, LogRowTexts& row) {
    const int table = r[AuditRecord::kTable];
    const int field = r[AuditRecord::kField];
    const uint8_t unit = r[AuditRecord::kUnit];
    row[kOperator] = FourChars(r + AuditRecord::kOperator, false);
    row[kAuditUnit] = unit < kMeasureUnitNamesCount ? MeasureUnitNames[unit] : "?";
    const AuditField f = AuditFieldOf(table, field);
    row[kName] = f.name;
    const bool fromDos = textCodePage == 0;
    row[kOld] = AuditValue(f, table, field, r + AuditRecord::kOld, fromDos);
    row[kNew] = AuditValue(f, table, field, r + AuditRecord::kNew, fromDos);
    if (f.format == Fmt_::B) row[kAuditUnit] = "бит/с";
}

LogRowTexts AuditRow(const uint8_t* r, uint8_t textCodePage, bool* crcOk) {
    LogRowTexts row;
    const bool ok = RecordCrcOk(r, kAuditRecordSize);
    if (crcOk) *crcOk = ok;
    if (!ok) {
        row[kDate] = kLogCrcMark;
        return row;
    }
    row[kDate] = Fmt("    %02d.%02d.%02d", r[2], r[1], r[0]);
    row[kTime] = Fmt("    %02d:%02d:%02d", r[3], r[4], r[5]);
    FormatAuditRecord(r, textCodePage, row);
    return row;
}

size_t LogRowCount(const LogData& data) {
    size_t size;
    if (data.mode == kLogModeFromFile) size = TextRowLayoutOf(data.log).size;
    else size = data.log == kAuditLog ? kAuditRecordSize : kDiagRecordSize;
    const size_t whole = data.rows.size() / size;
    return data.header.recordCount < whole ? data.header.recordCount : whole;
}

LogRows BuildLogRows(const LogData& data, uint8_t textCodePage) {
    LogRows out;
    const size_t n = LogRowCount(data);
    out.rows.reserve(n);
    if (data.mode == kLogModeFromFile) {
        const TextRowLayout& layout = TextRowLayoutOf(data.log);
        for (size_t i = 0; i < n; ++i) out.rows.push_back(LoadTextRow(data.rows.data() + i * layout.size, layout));
        return out;
    }
    const bool audit = data.log == kAuditLog;
    const size_t size = audit ? kAuditRecordSize : kDiagRecordSize;
    for (size_t i = 0; i < n; ++i) {
        bool ok = true;
        const uint8_t* r = data.rows.data() + i * size;
        out.rows.push_back(audit ? AuditRow(r, textCodePage, &ok) : DiagRow(r, data.header.moistureType, &ok));
        if (!ok) out.crcFailed = true;
    }
    return out;
}

std::string LogCaption(const LogData& data) {
    const char* what =
        data.log == kAuditLog ? "Сообщения о вмешательствах оператора" : "Диагностические сообщения";
    if (data.mode == kLogModeByIndex) {
        // An empty set reads as "from first to first": no index below the first is shown.
        const size_t n = LogRowCount(data);
        const uint32_t last = n ? uint32_t(data.firstIndex + n - 1) : data.firstIndex;
        return Fmt("%s с индексами от %u до %u", what, data.firstIndex, last);
    }
    const uint8_t* s = data.header.periodStart;
    const uint8_t* e = data.header.periodEnd;
    return Fmt("%s за период с %02d.%02d.%02d %02d:%02d:%02d по %02d.%02d.%02d %02d:%02d:%02d", what, s[2], s[1],
               s[0], s[3], s[4], s[5], e[2], e[1], e[0], e[3], e[4], e[5]);
}

std::vector<uint8_t> BuildTextRows(const std::vector<LogRowTexts>& rows, uint8_t log) {
    const TextRowLayout& layout = TextRowLayoutOf(log);
    std::vector<uint8_t> out(rows.size() * layout.size);
    for (size_t i = 0; i < rows.size(); ++i) StoreTextRow(rows[i], layout, out.data() + i * layout.size);
    return out;
}

DataSaveRequest LogSaveRequest(uint8_t log, uint8_t address, const std::tm& today) {
    DataSaveRequest r;
    const bool audit = log == kAuditLog;
    const DataKind dk = audit ? DataKind::AuditLog : DataKind::DiagLog;
    r.title = "Введите имя файла для сохранения данных";
    r.folder = DataFolder(dk);
    r.proposal = DefaultDataFileName(r.folder, dk, address, today);
    r.filters = {audit ? "Data Files (*.aud)" : "Data Files (*.ala)", "DataFiles(*.*)"};
    r.filterIndex = 1;
    return r;
}

}  // namespace qvr

// The log views' texts: diagnostic and intervention records decoded into their seven
// cells, captions, CRC marks, and the saved text rows of .ala / .aud files byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/globals.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "data/logview.h"
#include "params/gaslimits.h"

using namespace qvr;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Diag(uint8_t code, uint8_t object, uint8_t sub, uint32_t value = 0, uint32_t setPoint = 0) {
    Bytes r(kDiagRecordSize);
    const uint8_t t[6] = {26, 12, 7, 8, 9, 10};
    std::memcpy(r.data(), t, 6);
    r[DiagRecord::kCode] = code;
    r[DiagRecord::kObject] = object;
    r[DiagRecord::kSubObject] = sub;
    PutU32(r.data() + DiagRecord::kValue, value);
    PutU32(r.data() + DiagRecord::kSetPoint, setPoint);
    SealRecord(r.data(), r.size());
    return r;
}

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

Bytes Audit(uint8_t table, uint8_t field, uint8_t unit, const uint8_t oldV[4], const uint8_t newV[4],
            const char op[4] = "OPER") {
    Bytes r(kAuditRecordSize);
    const uint8_t t[6] = {26, 11, 30, 23, 59, 1};
    std::memcpy(r.data(), t, 6);
    r[AuditRecord::kTable] = table;
    r[AuditRecord::kField] = field;
    r[AuditRecord::kUnit] = unit;
    std::memcpy(r.data() + AuditRecord::kOld, oldV, 4);
    std::memcpy(r.data() + AuditRecord::kNew, newV, 4);
    std::memcpy(r.data() + AuditRecord::kOperator, op, 4);
    SealRecord(r.data(), r.size());
    return r;
}

Bytes AuditBytes(uint8_t table, uint8_t field, uint8_t oldB, uint8_t newB, uint8_t unit = 0) {
    const uint8_t o[4] = {oldB, 0, 0, 0}, n[4] = {newB, 0, 0, 0};
    return Audit(table, field, unit, o, n);
}

Bytes AuditFloats(uint8_t table, uint8_t field, float oldF, float newF) {
    uint8_t o[4], n[4];
    PutU32(o, Bits(oldF));
    PutU32(n, Bits(newF));
    return Audit(table, field, 0, o, n);
}

LogData Set(uint8_t log, uint8_t mode, const std::vector<Bytes>& records, uint32_t first = 0) {
    LogData d;
    d.log = log;
    d.mode = mode;
    d.firstIndex = first;
    d.header.periodStart[0] = 26, d.header.periodStart[1] = 12, d.header.periodStart[2] = 1;
    d.header.periodStart[3] = 0, d.header.periodStart[4] = 5, d.header.periodStart[5] = 9;
    d.header.periodEnd[0] = 26, d.header.periodEnd[1] = 12, d.header.periodEnd[2] = 7;
    d.header.periodEnd[3] = 23, d.header.periodEnd[4] = 59, d.header.periodEnd[5] = 59;
    for (const Bytes& r : records) d.rows.insert(d.rows.end(), r.begin(), r.end());
    d.header.recordCount = uint32_t(records.size());
    return d;
}

}  // namespace

TEST(LogView, Captions) {
    std::vector<Bytes> eleven(11, Diag(2, 0, 0));
    EXPECT_EQ(LogCaption(Set(kDiagLog, kLogModeByIndex, eleven, 100)),
              "Диагностические сообщения с индексами от 100 до 110");
    EXPECT_EQ(LogCaption(Set(kDiagLog, kLogModeByPeriod, eleven)),
              "Диагностические сообщения за период с 01.12.26 00:05:09 по 07.12.26 23:59:59");
    EXPECT_EQ(LogCaption(Set(kDiagLog, kLogModeFromFile, {})),
              "Диагностические сообщения за период с 01.12.26 00:05:09 по 07.12.26 23:59:59");
    EXPECT_EQ(LogCaption(Set(kAuditLog, kLogModeByIndex, {AuditBytes(3, 0, 1, 2)}, 7)),
              "Сообщения о вмешательствах оператора с индексами от 7 до 7");
    EXPECT_EQ(LogCaption(Set(kAuditLog, kLogModeByPeriod, {})),
              "Сообщения о вмешательствах оператора за период с 01.12.26 00:05:09 по 07.12.26 23:59:59");
    // An empty set by index never shows an index below the first (nor wraps at 0).
    EXPECT_EQ(LogCaption(Set(kDiagLog, kLogModeByIndex, {}, 0)), "Диагностические сообщения с индексами от 0 до 0");
}

TEST(LogView, DiagDateTimeAndGasParameterEvents) {
    const float value = 12.5f, setPoint = 10.0f;
    LogRowTexts row = DiagRow(Diag(12, 0, 8, Bits(value), Bits(setPoint)).data(), 0);
    EXPECT_EQ(row[0], "  07.12.26");
    EXPECT_EQ(row[1], "  08:09:10");
    EXPECT_EQ(row[2], "Значение стало ниже нижней АУ");
    EXPECT_EQ(row[3], GasParamShortNames[8]);
    EXPECT_EQ(row[4], FormatValue4(value));
    EXPECT_EQ(row[5], FormatValue4(setPoint));
    EXPECT_EQ(row[6], GasParamLimitOf(23, 8)->unit);

    // Gas parameter out of range: "  ?", values still shown, no unit.
    row = DiagRow(Diag(12, 0, 25, Bits(value), Bits(setPoint)).data(), 0);
    EXPECT_EQ(row[3], "  ?");
    EXPECT_EQ(row[4], FormatValue4(value));
    EXPECT_EQ(row[5], FormatValue4(setPoint));
    EXPECT_EQ(row[6], "");

    row = DiagRow(Diag(66, 0, 3, Bits(1.0f), Bits(2.0f)).data(), 0);
    EXPECT_EQ(row[2], "Значение стало выше нижнего предела измер.");
    EXPECT_EQ(row[3], GasParamShortNames[3]);
}

TEST(LogView, DiagObjectTextsByCode) {
    auto obj = [](uint8_t code, uint8_t object, uint8_t sub, uint8_t type = 0) {
        return DiagRow(Diag(code, object, sub).data(), type)[3];
    };
    LogRowTexts power = DiagRow(Diag(2, 5, 6, 1, 1).data(), 0);
    EXPECT_EQ(power[2], "Снято напряжение питания");
    for (int c = 3; c < 7; ++c) EXPECT_EQ(power[c], "");

    EXPECT_EQ(obj(4, 1, 0), "Архив вмешательств");
    EXPECT_EQ(obj(4, 10, 0), " ?");
    EXPECT_EQ(obj(10, 33, 0), "Хроматограф");
    EXPECT_EQ(obj(11, 33, 1), "Влагомер");
    EXPECT_EQ(obj(10, 33, 2), "Тaбл. = 33");
    EXPECT_EQ(obj(10, 34, 7), "Вычислитель расхода газа (Адр. = 7)");
    EXPECT_EQ(obj(11, 12, 0), "Тaбл. = 12");
    EXPECT_EQ(obj(22, 200, 0), ChromFaultNames[0]);
    EXPECT_EQ(obj(22, 200, 6), "Табл. = 200  Инд. = 6");
    EXPECT_EQ(obj(23, 200, 18), "Табл. = 200  Инд. = 18");
    EXPECT_EQ(obj(22, 202, 1), "");
    EXPECT_EQ(obj(40, 243, 0), "Базовый год");
    EXPECT_EQ(obj(41, 12, 0), "Таблица 12");
    EXPECT_EQ(obj(43, 5, 0), "Таблица 5");
    EXPECT_EQ(obj(49, 0, 3), "Вычислитель РГ. (Адр. = 3)");
    EXPECT_EQ(obj(81, 1, 1), "");
    EXPECT_EQ(obj(30, 9, 4), "??? (Табл. = 9  Инд. = 4)");

    // Unknown codes: the code in the event cell, the generic object text.
    LogRowTexts unknown = DiagRow(Diag(100, 3, 4).data(), 0);
    EXPECT_EQ(unknown[2], "Код диагностики = 100");
    EXPECT_EQ(unknown[3], "??? (Табл. = 3  Инд. = 4)");
}

TEST(LogView, DiagMoistureAnalyserEventsByType) {
    auto obj = [](uint8_t sub, uint8_t type) { return DiagRow(Diag(22, 201, sub).data(), type)[3]; };
    EXPECT_EQ(obj(3, 2), "Ошибка датчика давления");
    EXPECT_EQ(obj(0, 0), "Бит 0. General fault condition");
    EXPECT_EQ(obj(15, 0), "Бит 15. Reserved");
    EXPECT_EQ(obj(16, 0), std::string("??? (") + MoistureTypeNames[0] + ". Табл. = 201  Инд. = 16)");
    EXPECT_EQ(obj(0, 1), std::string("??? ( ") + MoistureTypeNames[1] + ". Табл. = 201  Инд. = 0)");
    EXPECT_EQ(obj(8, 2), std::string("??? (") + MoistureTypeNames[2] + ". Табл. = 201  Инд. = 8)");
    EXPECT_EQ(obj(1, 5), "??? (Код влаг. 5. Табл. = 201  Инд. = 1)");
}

TEST(LogView, DiagFirmwareChecksumsInHex) {
    LogRowTexts row = DiagRow(Diag(59, 0, 0, 0x00ABCDEF, 0xDEADBEEF).data(), 0);
    EXPECT_EQ(row[2], "Изменилась контрольная сумма прошивки");
    EXPECT_EQ(row[3], "Старое значение КС = 00ABCDEF");
    EXPECT_EQ(row[4], "DEADBEEF");
    EXPECT_EQ(row[5], "");
}

TEST(LogView, CrcFailuresMarkTheirRowsOnly) {
    Bytes bad = Diag(3, 0, 0);
    bad[DiagRecord::kCode] = 4;
    LogRows rows = BuildLogRows(Set(kDiagLog, kLogModeByIndex, {bad, Diag(3, 0, 0), bad}), 1);
    ASSERT_EQ(rows.rows.size(), 3u);
    EXPECT_TRUE(rows.crcFailed);
    EXPECT_EQ(rows.rows[0][0], "   ***");
    for (int c = 1; c < 7; ++c) EXPECT_EQ(rows.rows[0][c], "");
    EXPECT_EQ(rows.rows[1][2], "Подано напряжение питания");

    Bytes badAudit = AuditBytes(3, 0, 1, 2);
    badAudit[23] ^= 1;
    LogRows audit = BuildLogRows(Set(kAuditLog, kLogModeByPeriod, {badAudit, badAudit}), 1);
    EXPECT_TRUE(audit.crcFailed);
    EXPECT_EQ(audit.rows[1][0], "   ***");
    EXPECT_EQ(audit.rows[1][6], "");
    EXPECT_FALSE(BuildLogRows(Set(kAuditLog, kLogModeByPeriod, {AuditBytes(3, 0, 1, 2)}), 1).crcFailed);
}

TEST(LogView, AuditBaudRatesAndUnit) {
    LogRowTexts row = AuditRow(AuditBytes(14, 1, 11, 13, 4).data(), 1);
    EXPECT_EQ(row[0], "    30.11.26");
    EXPECT_EQ(row[1], "    23:59:01");
    EXPECT_EQ(row[2], "Скорость обмена c хроматографом");
    EXPECT_EQ(row[3], std::to_string(BaudRates[11]));
    EXPECT_EQ(row[4], std::to_string(BaudRates[13]));
    EXPECT_EQ(row[5], "бит/с");
    EXPECT_EQ(row[6], "OPER");
    // An index outside the table shows 0.
    EXPECT_EQ(AuditRow(AuditBytes(3, 1, 22, 0).data(), 1)[3], "0");
}

TEST(LogView, AuditSwitchDaysAndMonths) {
    EXPECT_EQ(AuditRow(AuditBytes(6, 1, 0x89, 0x15).data(), 1)[3], std::string("1") + WeekDayShortNames[0]);
    EXPECT_EQ(AuditRow(AuditBytes(6, 1, 0x89, 0x15).data(), 1)[4], "21");
    EXPECT_EQ(DstDayRuleText(0xC9), std::string("п") + WeekDayShortNames[0]);
    EXPECT_EQ(DstDayRuleText(0xCB), WeekDayShortNames[0]);             // a = 1, n = 2: no prefix
    EXPECT_EQ(DstDayRuleText(0x80 | (7 << 3) | 2), std::string("2") + WeekDayShortNames[6]);
    EXPECT_EQ(DstDayRuleText(0x8C), "?");  // n = 3
    EXPECT_EQ(DstDayRuleText(0x81), "?");  // w = -1
    EXPECT_EQ(DstDayRuleText(0xB9), std::string("1") + WeekDayShortNames[6]);  // w = 6, the last
    EXPECT_EQ(DstDayRuleText(0xCF), "?");  // n = 6
    LogRowTexts mon = AuditRow(AuditBytes(6, 3, 0, 13).data(), 1);
    EXPECT_EQ(mon[2], "Месяц перехода на зимнее время");
    EXPECT_EQ(mon[3], "Переход запрещен");
    EXPECT_EQ(mon[4], "?");
    EXPECT_EQ(AuditRow(AuditBytes(6, 9, 1, 2).data(), 1)[2], "Табл.6.  Резервное поле № 9");
    EXPECT_EQ(AuditRow(AuditBytes(6, 7, 0, 5).data(), 1)[4], "Есть");
    EXPECT_EQ(AuditRow(AuditBytes(6, 7, 0, 5).data(), 1)[3], "Нет");
}

TEST(LogView, AuditGasParameterValues) {
    const GasParamLimitDescr* d = GasParamLimitOf(22, 8);
    ASSERT_NE(d, nullptr);
    LogRowTexts row = AuditRow(AuditFloats(22, 8, 0.5f, 1.25f).data(), 1);
    EXPECT_EQ(row[2], "ЗН   " + [] {
        std::string s = GasParamShortNames[8];
        s.erase(0, s.find_first_not_of(' '));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    }());
    EXPECT_EQ(row[3], FormatLimitValue(0.5, d->decimals));
    EXPECT_EQ(row[4], FormatLimitValue(1.25, d->decimals));

    LogRowTexts beyond = AuditRow(AuditFloats(25, 25, 0.5f, 1.25f).data(), 1);
    EXPECT_EQ(beyond[2], "НДП   ?");
    EXPECT_EQ(beyond[3], "0.5000");
    EXPECT_EQ(beyond[4], "1.2500");

    LogRowTexts send = AuditRow(AuditBytes(21, 2, 1, 3).data(), 1);
    EXPECT_EQ(send[3], "Ср. за посл. час");
    EXPECT_EQ(send[4], "?");
}

TEST(LogView, AuditNamesOperatorsAndOtherTables) {
    // CP866 "АБВГ" is converted when the controller keeps its texts in CP866.
    const uint8_t dos[4] = {0x80, 0x81, 0x82, 0x83};
    const uint8_t win[4] = {0xC0, 0xC1, 0xC2, 0xC3};
    EXPECT_EQ(AuditRow(Audit(5, 0, 0, dos, dos).data(), 0)[3], "АБВГ...");
    EXPECT_EQ(AuditRow(Audit(5, 0, 0, win, win).data(), 1)[4], "АБВГ...");
    const uint8_t shortName[4] = {'A', 'B', 0, 'C'};
    EXPECT_EQ(AuditRow(Audit(5, 3, 0, shortName, shortName).data(), 1)[3], "AB");

    // Operator names end at a zero byte.
    const uint8_t z[4] = {};
    EXPECT_EQ(AuditRow(Audit(3, 0, 0, z, z, "AB\0C").data(), 1)[6], "AB");

    LogRowTexts other = AuditRow(AuditBytes(29, 3, 1, 2, 36).data(), 1);
    EXPECT_EQ(other[2], "Табл. 29;  Поле 3");
    EXPECT_EQ(other[3], "");
    EXPECT_EQ(other[4], "");
    EXPECT_EQ(other[5], MeasureUnitNames[36]);
    EXPECT_EQ(AuditRow(AuditBytes(2, 1, 1, 2, 37).data(), 1)[5], "?");

    EXPECT_EQ(AuditRow(AuditBytes(2, 0, 7, 26).data(), 1)[4], "  26");
    EXPECT_EQ(AuditRow(AuditBytes(2, 6, 1, 0).data(), 1)[3], "Воскресенье");
    EXPECT_EQ(AuditRow(AuditBytes(2, 6, 1, 8).data(), 1)[4], "?");
    EXPECT_EQ(AuditRow(AuditBytes(2, 7, 1, 2).data(), 1)[3], "Зимнее");
    EXPECT_EQ(AuditRow(AuditBytes(2, 7, 1, 2).data(), 1)[4], "?");
    EXPECT_EQ(AuditRow(AuditBytes(2, 8, 1, 2).data(), 1)[2], "Табл. 2;  Поле 8");
    EXPECT_EQ(AuditRow(AuditBytes(4, 9, 1, 2).data(), 1)[2], "Параметры доступа пользователя");
    EXPECT_EQ(AuditRow(AuditBytes(4, 9, 1, 2).data(), 1)[3], "");
    EXPECT_EQ(AuditRow(AuditBytes(13, 15, 1, 2).data(), 1)[2], "Пароль на запись в ВРГ 15");
    EXPECT_EQ(AuditRow(AuditBytes(13, 16, 1, 2).data(), 1)[2], "Пароль на запись в ВРГ № ?");
    EXPECT_EQ(AuditRow(AuditBytes(14, 3, 2, 3).data(), 1)[3], "Четный");
    EXPECT_EQ(AuditRow(AuditBytes(14, 3, 2, 3).data(), 1)[4], "?");
    EXPECT_EQ(AuditRow(AuditBytes(15, 6, 2, 3).data(), 1)[3], MoistureTypeNames[2]);
    EXPECT_EQ(AuditRow(AuditBytes(17, 16, 0, 1).data(), 1)[2], "Тип ВРГ  № ?");
    EXPECT_EQ(AuditRow(AuditBytes(17, 4, 0, 1).data(), 1)[4], FlowComputerTypeNames[1]);
    EXPECT_EQ(AuditRow(AuditBytes(19, 2, 0xA5, 1).data(), 1)[3], " 0xA5");
    EXPECT_EQ(AuditRow(AuditBytes(20, 0, 1, 2).data(), 1)[3], ByteOrderNames[1]);
    EXPECT_EQ(AuditRow(AuditBytes(28, 0, 3, 24).data(), 1)[4], "24ч");
    EXPECT_EQ(AuditRow(AuditBytes(28, 1, 3, 24).data(), 1)[2], "Табл.28.  Резервное поле № 1");
    EXPECT_EQ(AuditRow(AuditBytes(9, 5, 3, 4).data(), 1)[3], "За сутки (безусл.)");
    EXPECT_EQ(AuditRow(AuditBytes(9, 5, 3, 4).data(), 1)[4], "?");
}

TEST(LogView, TextRowBytesAndRoundTrip) {
    // Each cell in Windows-1251 at its offset, zero-padded; a long text cut to width - 1.
    LogRowTexts row{"  07.12.26", "  08:09:10", std::string(150, 'x'), "Объект", "1.5", "2.5", "%"};
    uint8_t diag[kDiagTextRowSize];
    StoreTextRow(row, kDiagTextRowLayout, diag);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(diag), 10), "  07.12.26");
    EXPECT_EQ(diag[10], 0);
    EXPECT_EQ(diag[20], ' ');
    EXPECT_EQ(std::string(reinterpret_cast<char*>(diag + 40), 99), std::string(99, 'x'));
    EXPECT_EQ(diag[139], 0);
    EXPECT_EQ(diag[140], 0xCE);  // "О" in Windows-1251
    EXPECT_EQ(diag[280], '%');
    LogRowTexts back = LoadTextRow(diag, kDiagTextRowLayout);
    EXPECT_EQ(back[2], std::string(99, 'x'));
    EXPECT_EQ(back[3], "Объект");
    EXPECT_EQ(back[6], "%");

    // The operator cell of an intervention row holds four characters.
    LogRowTexts a{"d", "t", "n", "o", "n", "u", "ABCDE"};
    uint8_t audit[kAuditTextRowSize];
    StoreTextRow(a, kAuditTextRowLayout, audit);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(audit + 200), 4), "ABCD");
    EXPECT_EQ(audit[204], 0);
    EXPECT_EQ(LoadTextRow(audit, kAuditTextRowLayout)[6], "ABCD");

    // A damaged file whose cell lacks its terminator reads no further than the cell.
    std::memset(audit + 180, 'U', 25);
    EXPECT_EQ(LoadTextRow(audit, kAuditTextRowLayout)[5], std::string(20, 'U'));
    EXPECT_EQ(LoadTextRow(audit, kAuditTextRowLayout)[6], "UUUUU");

    // Rows saved from records read back as the same texts.
    LogData set = Set(kDiagLog, kLogModeByPeriod,
                      {Diag(59, 0, 0, 1, 2), Diag(12, 0, 25, Bits(3.0f), Bits(4.0f)), Diag(22, 201, 3)});
    set.header.moistureType = 2;
    LogRows shown = BuildLogRows(set, 1);
    LogData file = set;
    file.mode = kLogModeFromFile;
    file.rows = BuildTextRows(shown.rows, kDiagLog);
    ASSERT_EQ(file.rows.size(), 3 * kDiagTextRowSize);
    EXPECT_EQ(BuildLogRows(file, 1).rows, shown.rows);

    LogData auditSet = Set(kAuditLog, kLogModeByIndex, {AuditBytes(14, 1, 11, 13), AuditBytes(6, 1, 0x89, 0x15)});
    LogRows auditShown = BuildLogRows(auditSet, 1);
    LogData auditFile = auditSet;
    auditFile.mode = kLogModeFromFile;
    auditFile.rows = BuildTextRows(auditShown.rows, kAuditLog);
    ASSERT_EQ(auditFile.rows.size(), 2 * kAuditTextRowSize);
    EXPECT_EQ(BuildLogRows(auditFile, 1).rows, auditShown.rows);

    // A count larger than the rows given is cut to them.
    auditFile.header.recordCount = 9;
    EXPECT_EQ(BuildLogRows(auditFile, 1).rows.size(), 2u);
}

TEST(LogView, SaveSetUp) {
    const std::string saved = g_ProgDir;
    g_ProgDir = "/prog/";
    std::tm today{};
    today.tm_year = 127, today.tm_mon = 0, today.tm_mday = 3;
    DataSaveRequest a = LogSaveRequest(kDiagLog, 200, today);
    EXPECT_EQ(a.title, "Введите имя файла для сохранения данных");
    EXPECT_EQ(a.folder, "/prog/ALAFILES");
    EXPECT_EQ(a.proposal, "/prog/ALAFILES/qvr_13-200-270103.ala");
    EXPECT_EQ(a.filters, (std::vector<std::string>{"Data Files (*.ala)", "DataFiles(*.*)"}));
    EXPECT_EQ(a.filterIndex, 1);
    DataSaveRequest b = LogSaveRequest(kAuditLog, 1, today);
    EXPECT_EQ(b.folder, "/prog/AUDFILES");
    EXPECT_EQ(b.proposal, "/prog/AUDFILES/qvr_13-001-270103.aud");
    EXPECT_EQ(b.filters[0], "Data Files (*.aud)");
    g_ProgDir = saved;
}

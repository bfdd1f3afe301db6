#include <gtest/gtest.h>

#include <string>

#include "common/codepage.h"
#include "common/stringi.h"

namespace {
template <int N>
void ExpectAllSetAndWin1251(const char* (&arr)[N], const char* name) {
    for (int i = 0; i < N; ++i) {
        ASSERT_NE(arr[i], nullptr) << name << "[" << i << "]";
        std::string win;
        EXPECT_TRUE(qvr::Utf8ToWin(arr[i], win)) << name << "[" << i << "] is not Windows-1251";
    }
}
}  // namespace

TEST(StringTable, FilledBeforeInitAndEveryTextFitsTheCodePage) {
    // Filled before main: a reader that runs before the main window still gets texts.
    EXPECT_STREQ(ConfigTableNames[0], " Общие параметры идентификации");
    qvr::InitStringTable();
    qvr::InitStringTable();  // a second call changes nothing
#define CHECK(a) ExpectAllSetAndWin1251(a, #a)
    CHECK(ConfigTableNames); CHECK(MeasureUnitNames); CHECK(MonthNames); CHECK(MonthNamesGenitive);
    CHECK(WeekOrdinalNames); CHECK(WeekDayNames); CHECK(WeekDayShortNames); CHECK(TimeSeasonNames);
    CHECK(ArchiveKindNames); CHECK(ModbusModeNames); CHECK(ParityNames); CHECK(GasWriteModeNames);
    CHECK(ByteOrderNames); CHECK(ZoneNames); CHECK(GasParamShortNames); CHECK(GasParamNamesMolar);
    CHECK(GasParamNamesVolume); CHECK(ChromFaultNames); CHECK(MoistureStatusBitNames);
    CHECK(MoistureEventNames); CHECK(ChromTypeNames); CHECK(MoistureTypeNames);
    CHECK(FlowComputerTypeNames); CHECK(SendModeNames); CHECK(DiagEventTexts); CHECK(UserLevelNames);
#undef CHECK
}

// Spot checks where a wrong text would show: leading blanks, doubled blanks, Latin letters
// among Cyrillic ones, empty entries, and the index conventions.
TEST(StringTable, TextsThatAreEasyToGetWrong) {
    qvr::InitStringTable();
    EXPECT_STREQ(ConfigTableNames[15], "Параметры связи с влагомером по MODBUS прот.");  // no blank
    EXPECT_STREQ(ConfigTableNames[31], "");
    EXPECT_STREQ(ConfigTableNames[33], " Наличие связи с  хроматографом");
    EXPECT_STREQ(ConfigTableNames[36], "Скользящие средние значения данных хроматографа");
    EXPECT_STREQ(ConfigTableNames[37], "");
    EXPECT_STREQ(MeasureUnitNames[0], "");
    EXPECT_STREQ(MeasureUnitNames[4], "A");  // Latin A
    EXPECT_STREQ(MeasureUnitNames[15], "c");  // Latin c
    EXPECT_STREQ(MeasureUnitNames[25], "кгс/см2 * сс)");
    EXPECT_STREQ(MeasureUnitNames[36], "°C/(кгс/см2)");
    EXPECT_STREQ(MonthNames[0], "Переход запрещен");
    EXPECT_STREQ(MonthNames[12], "Декабрь");
    EXPECT_STREQ(MonthNamesGenitive[0], "января");
    EXPECT_STREQ(WeekDayNames[0], "Воскресенье");
    EXPECT_STREQ(WeekDayShortNames[0], "Вс");
    EXPECT_STREQ(WeekOrdinalNames[3], "Предпоследний");
    EXPECT_STREQ(ModbusModeNames[1], " RTU");
    EXPECT_STREQ(ByteOrderNames[0], "Мл. адрес -- ст. байт");
    EXPECT_STREQ(ZoneNames[0], " Норма");
    EXPECT_STREQ(GasParamShortNames[0], " Молярная доля C6 + 47");  // Latin C
    EXPECT_STREQ(GasParamNamesMolar[0], " Молярная доля С6 + 47");  // Cyrillic С
    EXPECT_STREQ(GasParamNamesMolar[6], " Молярная доля  n-пентана (n-C5H12)");
    EXPECT_STREQ(GasParamNamesMolar[12], " Абсолютная  плотность°");
    EXPECT_STREQ(GasParamNamesVolume[12], " Абсолютная  плотность");
    EXPECT_STREQ(GasParamShortNames[15], " Сумма мол.долей всeх компонентов");  // Latin e
    EXPECT_STREQ(GasParamNamesVolume[17], " Объемная доля кислорода (О2)");
    EXPECT_STREQ(ChromFaultNames[6], "?");
    EXPECT_STREQ(ChromFaultNames[17], "Хроматограф не отвечает");
    EXPECT_STREQ(MoistureStatusBitNames[15], "Бит 15. Reserved");
    EXPECT_STREQ(MoistureEventNames[6], "Изменены  настройки");
    EXPECT_STREQ(UserLevelNames[1], "Производитель-наладчик");
    for (int code : {0, 1, 5, 6, 7, 8, 9}) EXPECT_STREQ(DiagEventTexts[code], "") << code;
    EXPECT_STREQ(DiagEventTexts[2], "Снято напряжение питания");
    EXPECT_STREQ(DiagEventTexts[22], "Значение стало \"ИСТИНА\"");
    EXPECT_STREQ(DiagEventTexts[76], "Программа перевела контроллер в режим «Ручное управление»");
    EXPECT_STREQ(DiagEventTexts[81], "Нет данных для рассылки");
    EXPECT_EQ(kChromTypeNamesCount, 10);
    EXPECT_EQ(kMoistureTypeNamesCount, 3);
    EXPECT_EQ(kFlowComputerTypeNamesCount, 4);
    EXPECT_EQ(kDiagEventTextsCount, 82);
}

// The status of chromatograph archive records in words: which lines each bit gives, in
// which order, when the status word is left out, and the captions of the detail form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/chromstatus.h"

using namespace qvr;
using Lines = std::vector<std::string>;

namespace {
const std::string kNoLinkMoment = std::string("Не было связи с ") + kChromUnitWord;
const std::string kNoLinkMeans = std::string("Использовалась ЗПЗ - не было связи с ") + kChromUnitWord;
}  // namespace

TEST(ChromStatus, MomentNormalShowsNormaInBothSections) {
    const uint8_t word[2] = {0, 0};
    const ChromStatusText t = DecodeChromStatus(0, 0x00, word);
    EXPECT_EQ(t.byteHeading, "  Статус контроллера: 0x00");
    EXPECT_EQ(t.byteLines, Lines{"Норма"});
    ASSERT_TRUE(t.wordShown);
    EXPECT_EQ(t.wordHeading, "  Статус хроматографа: 0x0000");
    EXPECT_EQ(t.wordLines, Lines{"Норма"});
}

TEST(ChromStatus, ControllerOffOrNoLinkHidesTheWord) {
    const uint8_t word[2] = {0xFF, 0xFF};
    ChromStatusText t = DecodeChromStatus(0, 0x22, word);
    EXPECT_EQ(t.byteLines, (Lines{"Контроллер был выключен", kNoLinkMoment}));
    EXPECT_FALSE(t.wordShown);
    EXPECT_TRUE(t.wordLines.empty());

    t = DecodeChromStatus(0, 0x20, word);
    EXPECT_EQ(t.byteLines, Lines{kNoLinkMoment});
    EXPECT_FALSE(t.wordShown);

    // All bits: seven lines in bit order, bit 0x04 has none.
    t = DecodeChromStatus(0, 0xFF, word);
    EXPECT_EQ(t.byteHeading, "  Статус контроллера: 0xFF");
    EXPECT_EQ(t.byteLines, (Lines{"Выполнялась ручная калибровка хроматографа", "Контроллер был выключен",
                                  "Нештатное состояние хроматографа", "Значение вышло за допускаемые пределы",
                                  kNoLinkMoment, "Хроматограф не обновил данные",
                                  "Выполнялась калибровка автоматическая хроматографа"}));
    EXPECT_FALSE(t.wordShown);
}

TEST(ChromStatus, WordIsLittleEndianShownHighByteFirst) {
    const uint8_t word[2] = {0x81, 0x00};  // low, high
    ChromStatusText t = DecodeChromStatus(0, 0x08, word);
    EXPECT_EQ(t.byteLines, Lines{"Нештатное состояние хроматографа"});
    ASSERT_TRUE(t.wordShown);
    EXPECT_EQ(t.wordHeading, "  Статус хроматографа: 0x0081");
    EXPECT_EQ(t.wordLines, (Lines{" Неудачная автокалибровка", " Хроматограф не отвечает"}));

    const uint8_t high[2] = {0x00, 0x80};
    t = DecodeChromStatus(0, 0x04, high);  // 0x04 alone: a status with no line of its own
    EXPECT_TRUE(t.byteLines.empty());
    EXPECT_EQ(t.wordHeading, "  Статус хроматографа: 0x8000");
    EXPECT_EQ(t.wordLines, Lines{" Не поступают данные от хроматографа"});

    const uint8_t all[2] = {0xFF, 0xFF};
    t = DecodeChromStatus(0, 0x00, all);
    ASSERT_EQ(t.wordLines.size(), 16u);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(t.wordLines[k], ChromStatusWordTexts[k]);
    for (const char* s : ChromStatusWordTexts) EXPECT_EQ(s[0], ' ');
}

TEST(ChromStatus, MeansShowOnlyTheSubstituteBits) {
    ChromStatusText t = DecodeChromStatus(1, 0x80, nullptr);
    EXPECT_EQ(t.byteHeading, "  Статус контроллера: 0x80");
    EXPECT_TRUE(t.byteLines.empty());
    EXPECT_FALSE(t.wordShown);

    EXPECT_TRUE(DecodeChromStatus(1, 0x85, nullptr).byteLines.empty());
    EXPECT_EQ(DecodeChromStatus(1, 0, nullptr).byteLines, Lines{"Норма"});

    t = DecodeChromStatus(1, 0xFF, nullptr);
    EXPECT_EQ(t.byteLines, (Lines{"Нет данных - контроллер был выключен",
                                  "Использовалась ЗПЗ - был нештатный режим работы хроматографа",
                                  "Использовалась ЗПЗ - значение выходило за допускаемые пределы", kNoLinkMeans,
                                  "Использовалась ЗПЗ - хроматограф не обновил данные"}));
    EXPECT_FALSE(t.wordShown);
}

TEST(ChromStatus, DetailCaptions) {
    const uint8_t mom[9] = {26, 12, 7, 9, 35, 4};
    EXPECT_EQ(ChromStatusCaptionMoment(mom), " Мгновенные 5-минутные данные (07.12.26  09:35:04)");

    uint8_t hd[9] = {26, 12, 7, 10, 0, 0, 11, 0, 0};
    EXPECT_EQ(ChromStatusCaptionHourDay(hd, false), " Часовые данные с 07.12.26 10:00:00 по 11:00:00");
    hd[3] = 10;
    hd[6] = 0x98;  // flag set: hour masked, no star
    EXPECT_EQ(ChromStatusCaptionHourDay(hd, true), " Суточные данные с 07.12.26 10:00:00 по 24:00:00");
    hd[6] = 0x18;  // flag clear: star behind
    EXPECT_EQ(ChromStatusCaptionHourDay(hd, true), " Суточные данные с 07.12.26 10:00:00 по 24:00:00*");
}

// Typed numbers and the identification and functions texts.
#include <gtest/gtest.h>

#include "params/linkparams.h"

TEST(LinkParams, ParseDecimal) {
    uint32_t v = 77;
    EXPECT_FALSE(qvr::ParseDecimal("", v));
    EXPECT_FALSE(qvr::ParseDecimal("   ", v));
    EXPECT_FALSE(qvr::ParseDecimal("1%", v));
    EXPECT_FALSE(qvr::ParseDecimal("'5", v));
    EXPECT_FALSE(qvr::ParseDecimal("1 2", v));
    EXPECT_FALSE(qvr::ParseDecimal("-1", v));
    EXPECT_FALSE(qvr::ParseDecimal("1234567890", v));  // ten digits
    EXPECT_EQ(v, 77u);                                // untouched on failure
    ASSERT_TRUE(qvr::ParseDecimal(" 0012 ", v));
    EXPECT_EQ(v, 12u);
    ASSERT_TRUE(qvr::ParseDecimal("999999999", v));
    EXPECT_EQ(v, 999999999u);
    ASSERT_TRUE(qvr::ParseDecimal("0", v));
    EXPECT_EQ(v, 0u);
}

TEST(LinkParams, IdentTextsFromController) {
    const uint8_t t[18] = {0, 'I', 2, 14, 26, 3, 9, 14, 5, 7, 1, 1, 0, 0, 1, 2, 30, 99};
    qvr::IdentTexts r = qvr::MakeIdentTexts(t, 1);
    EXPECT_EQ(r.typeCode, "73");
    EXPECT_EQ(r.softwareVersion, "14");
    EXPECT_EQ(r.hardwareVersion, "2");
    EXPECT_EQ(r.buildDate, "09.03.26  14:05:07");
    EXPECT_EQ(r.byteOrder, "Мл. адрес - мл. байт");
    EXPECT_EQ(r.destroyed, "Разрушенных таблиц нет");
    EXPECT_FALSE(r.destroyedAlarm);
    EXPECT_EQ(r.multiRate, "Есть");
    EXPECT_EQ(r.addressChange, "Есть");
    EXPECT_EQ(r.protocol, "1.2.30");
}

TEST(LinkParams, IdentTextsOddValues) {
    uint8_t t[18] = {22, 'I', 1, 13, 99, 13, 31, 23, 59, 59, 0, 0, 1, 5, 0, 0, 0, 0};
    qvr::IdentTexts r = qvr::MakeIdentTexts(t, 1);
    EXPECT_EQ(r.buildDate, "31.**.99  23:59:59");  // month 13
    EXPECT_EQ(r.byteOrder, "Мл. адрес - ст. байт");
    EXPECT_EQ(r.destroyed, "Разрушена таблица 22");
    EXPECT_TRUE(r.destroyedAlarm);
    EXPECT_EQ(r.multiRate, "Нет");
    EXPECT_EQ(r.addressChange, "Нет. Адрес = 5");
    t[4] = 100;
    t[5] = 0;
    t[6] = 0;
    t[7] = 24;
    t[8] = 60;
    t[9] = 60;
    t[10] = 2;
    r = qvr::MakeIdentTexts(t, 1);
    EXPECT_EQ(r.buildDate, "**.**.**  **:**:**");
    EXPECT_EQ(r.byteOrder, " ? ");
    t[6] = 32;
    EXPECT_EQ(qvr::MakeIdentTexts(t, 1).buildDate.substr(0, 2), "**");
}

// A new configuration record knows the type and the software version only.
TEST(LinkParams, IdentTextsOfNewRecord) {
    const uint8_t t[18] = {0, 'I', 0, 13};
    qvr::IdentTexts r = qvr::MakeIdentTexts(t, 0);
    EXPECT_EQ(r.typeCode, "73");
    EXPECT_EQ(r.softwareVersion, "13");
    for (const std::string* s : {&r.hardwareVersion, &r.buildDate, &r.byteOrder, &r.destroyed, &r.multiRate,
                                 &r.addressChange, &r.protocol})
        EXPECT_TRUE(s->empty());
    EXPECT_TRUE(qvr::MakeIdentTexts(nullptr, 1).typeCode.empty());
}

TEST(LinkParams, FunctionStateText) {
    EXPECT_EQ(qvr::FunctionStateText(0), "Невозможно");
    EXPECT_EQ(qvr::FunctionStateText(1), "Возможно");
    EXPECT_EQ(qvr::FunctionStateText(255), "Возможно");
}

#include "params/linkparams.h"

#include <cstdio>

namespace qvr {

bool ParseDecimal(const std::string& text, uint32_t& value) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    size_t e = text.find_last_not_of(' ');
    if (e - b + 1 > 9) return false;
    uint32_t v = 0;
    for (size_t i = b; i <= e; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint32_t(c - '0');
    }
    value = v;
    return true;
}

namespace {

std::string Dec(int v) { return std::to_string(v); }

// "%02d" of a date part, or "**" when it lies outside lo..hi.
std::string DatePart(int v, int lo, int hi) {
    if (v < lo || v > hi) return "**";
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

}  // namespace

IdentTexts MakeIdentTexts(const uint8_t* t, uint8_t mode) {
    IdentTexts r;
    if (!t) return r;
    r.typeCode = Dec(t[1]);
    r.softwareVersion = Dec(t[3]);
    if (mode != 1) return r;
    r.hardwareVersion = Dec(t[2]);
    // Bytes 4..9: year, month, day, hour, minute, second; shown day first.
    r.buildDate = DatePart(t[6], 1, 31) + "." + DatePart(t[5], 1, 12) + "." + DatePart(t[4], 0, 99) + "  " +
                  DatePart(t[7], 0, 23) + ":" + DatePart(t[8], 0, 59) + ":" + DatePart(t[9], 0, 59);
    r.byteOrder = t[10] == 0 ? "Мл. адрес - ст. байт" : t[10] == 1 ? "Мл. адрес - мл. байт" : " ? ";
    if (t[0] == 0) {
        r.destroyed = "Разрушенных таблиц нет";
    } else {
        r.destroyed = "Разрушена таблица " + Dec(t[0]);
        r.destroyedAlarm = true;
    }
    r.multiRate = t[11] != 0 ? "Есть" : "Нет";
    r.addressChange = t[13] == 0 ? "Есть" : "Нет. Адрес = " + Dec(t[13]);
    r.protocol = Dec(t[14]) + "." + Dec(t[15]) + "." + Dec(t[16]);
    return r;
}

std::string FunctionStateText(uint8_t field) { return field != 0 ? "Возможно" : "Невозможно"; }

}  // namespace qvr

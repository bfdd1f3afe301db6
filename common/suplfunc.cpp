#include "common/suplfunc.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <cstring>

#include "common/bytes.h"
#include "common/codepage.h"

namespace qvr {

namespace {

// Upper case of every Windows-1251 byte, built once from the code points of the page:
// a letter whose capital is on the page maps to that capital's byte.
struct UpperTable {
    unsigned char map[256];
    UpperTable() {
        for (int b = 0; b < 256; ++b) {
            map[b] = static_cast<unsigned char>(b);
            char32_t cp = WinCharToUnicode(static_cast<unsigned char>(b));
            char32_t up = cp;
            if (cp >= U'a' && cp <= U'z')
                up = cp - 0x20;
            else if (cp >= 0x0430 && cp <= 0x044F)  // а..я
                up = cp - 0x20;
            else if (cp >= 0x0450 && cp <= 0x045F)  // ѐ..џ (ё, є, і, ї, ј, љ, њ, ћ, ќ, ў, џ, ђ, ѓ, ѕ)
                up = cp - 0x50;
            else if (cp == 0x0491)  // ґ
                up = 0x0490;
            if (up == cp) continue;
            for (int c = 0; c < 256; ++c) {
                if (WinCharToUnicode(static_cast<unsigned char>(c)) == up) {
                    map[b] = static_cast<unsigned char>(c);
                    break;
                }
            }
        }
    }
};

const UpperTable& Upper() {
    static const UpperTable table;
    return table;
}

// Fixed-point text with `dec` decimals of a value first rounded to 10 significant
// digits (halves away from zero at the last kept decimal); the exponent form takes
// over beyond 10 integer digits.
std::string FixedText(double v, int dec) {
    char sci[64];
    auto r = std::to_chars(sci, sci + sizeof sci - 1, v, std::chars_format::scientific, 9);
    if (r.ec != std::errc()) return "NAN";
    *r.ptr = 0;
    // sci is [-]d.ddddddddde[+-]XX; the C locale plays no part.
    const char* p = sci;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    std::string digits;
    while (*p && *p != 'e') {
        if (*p >= '0' && *p <= '9') digits += *p;
        ++p;
    }
    if (*p != 'e' || digits.size() != 10) return "NAN";
    int exp10 = std::atoi(p + 1);
    if (exp10 >= 10) {
        char buf[64];
        auto g = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
        if (g.ec != std::errc()) return "NAN";
        return std::string(buf, g.ptr);
    }
    // value = 0.d0d1..d9 x 10^(exp10 + 1); keep the digits down to 10^-dec.
    int keep = exp10 + dec + 1;
    std::string s;  // the kept digits: the value x 10^dec as an integer
    bool roundUp = false;
    if (keep >= 10) {
        s = digits + std::string(size_t(keep - 10), '0');
    } else if (keep > 0) {
        s = digits.substr(0, size_t(keep));
        roundUp = digits[size_t(keep)] >= '5';
    } else if (keep == 0) {
        roundUp = digits[0] >= '5';
    }
    if (roundUp) {
        int i = int(s.size()) - 1;
        while (i >= 0 && s[size_t(i)] == '9') s[size_t(i--)] = '0';
        if (i >= 0)
            ++s[size_t(i)];
        else
            s.insert(s.begin(), '1');
    }
    if (s.size() < size_t(dec + 1)) s.insert(0, size_t(dec + 1) - s.size(), '0');
    bool zero = s.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (negative && !zero) out += '-';
    out += s.substr(0, s.size() - size_t(dec));
    if (dec > 0) {
        out += '.';
        out += s.substr(s.size() - size_t(dec));
    }
    return out;
}

struct Band {
    double below;  // the band holds magnitudes under this bound
    int decimals;
};

std::string FormatValue(float v, const Band* bands, size_t count, int lastDecimals,
                        int expDecimals) {
    if (IsFloatNaN(v)) return "NAN";
    double value = v;
    double m = std::fabs(value);
    if (m == 0) return "0";
    if (m < 1e-6) {
        // Same text as printf's "%.4e" / "%.2e", but independent of the C locale.
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, expDecimals);
        if (r.ec != std::errc()) return "NAN";
        return std::string(buf, r.ptr);
    }
    int dec = lastDecimals;
    for (size_t i = 0; i < count; ++i) {
        if (m < bands[i].below) {
            dec = bands[i].decimals;
            break;
        }
    }
    return FixedText(value, dec);
}

const Band kBands4[] = {{1e-4, 5}, {10, 4}, {100, 3}, {1000, 2}, {10000, 1}};
const Band kBands6[] = {{1e-4, 6}, {0.001, 5}, {0.01, 4}, {1, 3}, {100, 2}, {1000, 1}};

void CopyOut(const std::string& s, char* buf, size_t size) {
    if (!buf || size == 0) return;
    size_t n = s.size() < size - 1 ? s.size() : size - 1;
    std::memcpy(buf, s.data(), n);
    buf[n] = 0;
}

}  // namespace

unsigned char WinUpper(unsigned char c) { return Upper().map[c]; }

int StrCmpNoCase(const char* a, const char* b) {
    // Compared in full: the texts are expected to be short, but nothing here relies on it.
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a ? a : "");
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b ? b : "");
    const UpperTable& t = Upper();
    for (;; ++x, ++y) {
        unsigned char cx = t.map[*x];
        unsigned char cy = t.map[*y];
        if (cx != cy) return cx < cy ? -1 : 1;
        if (cx == 0) return 0;
    }
}

int CompareByte(const void* a, const void* b) {
    unsigned char x = *static_cast<const unsigned char*>(a);
    unsigned char y = *static_cast<const unsigned char*>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

void SwapBytes16(uint16_t* p) { *p = uint16_t((*p >> 8) | (*p << 8)); }

bool IsFloatNaN(const void* p) {
    uint32_t u = GetU32(static_cast<const uint8_t*>(p));
    return ((u >> 23) & 0xFF) == 0xFF;
}

bool IsFloatNaN(float v) {
    uint8_t b[4];
    PutF32(b, v);
    return IsFloatNaN(b);
}

std::string FormatValue4(float v) { return FormatValue(v, kBands4, std::size(kBands4), 0, 4); }
std::string FormatValue6(float v) { return FormatValue(v, kBands6, std::size(kBands6), 0, 2); }
void FormatValue4(float v, char* buf, size_t size) { CopyOut(FormatValue4(v), buf, size); }
void FormatValue6(float v, char* buf, size_t size) { CopyOut(FormatValue6(v), buf, size); }

const uint32_t BaudRates[kBaudRateCount] = {300,   600,   1200,  2400,  3200,  3600,   4800,   5760,
                                            6400,  7200,  7680,  9600,  11520, 12800,  14400,  19200,
                                            23040, 28800, 38400, 57600, 115200, 230400};

int BaudToIndex(uint32_t rate) {
    for (int i = 0; i < kBaudRateCount; ++i)
        if (BaudRates[i] == rate) return i;
    return -1;
}

uint32_t IndexToBaud(int32_t index) {
    if (index < 0 || index >= kBaudRateCount) return 0;
    return BaudRates[index];
}

}  // namespace qvr

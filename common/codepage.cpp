#include "common/codepage.h"

#include <cstring>

namespace qvr {

namespace {
// Code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
const char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

int UnicodeToWin(char32_t cp) {
    if (cp < 0x80) return int(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return int(cp - 0x0410 + 0xC0);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}
}  // namespace

char32_t WinCharToUnicode(unsigned char c) {
    if (c < 0x80) return c;
    if (c >= 0xC0) return char32_t(0x0410 + (c - 0xC0));
    return kHigh[c - 0x80];
}

std::string WinToUtf8(std::string_view win) {
    std::string out;
    out.reserve(win.size() * 2);
    for (unsigned char c : win) AppendUtf8(out, WinCharToUnicode(c));
    return out;
}

bool Utf8ToWin(std::string_view s, std::string& win) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = s[i];
        char32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            return false;
        }
        if (i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = s[i + k];
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        int b = UnicodeToWin(cp);
        if (b < 0) return false;
        out += char(b);
        i += len;
    }
    win = std::move(out);
    return true;
}

std::string Win(std::string_view utf8) {
    std::string out;
    if (Utf8ToWin(utf8, out)) return out;
    // Fall back character by character.
    out.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        size_t len = 1;
        unsigned char c = utf8[i];
        if ((c & 0xE0) == 0xC0) len = 2;
        else if ((c & 0xF0) == 0xE0) len = 3;
        else if ((c & 0xF8) == 0xF0) len = 4;
        std::string one;
        if (i + len <= utf8.size() && Utf8ToWin(utf8.substr(i, len), one)) out += one;
        else out += '?';
        i += len;
    }
    return out;
}

std::string FieldText(const void* field, size_t width) {
    const char* p = static_cast<const char*>(field);
    size_t n = 0;
    while (n < width && p[n] != '\0') ++n;
    return std::string(p, n);
}

}  // namespace qvr

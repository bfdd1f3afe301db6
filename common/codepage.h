// Windows-1251 <-> Unicode (UTF-8) for display and input. Files, settings and controller
// text keep their Windows-1251 bytes; only what is shown or typed is converted here.
#pragma once
#include <string>
#include <string_view>

namespace qvr {

// Every one of the 256 bytes maps to a code point (0x98, undefined in Windows-1251,
// maps to U+0098), so this never fails.
std::string WinToUtf8(std::string_view win);

// Converts UTF-8 to Windows-1251. Returns false (and converts nothing) when a character
// cannot be held by Windows-1251 or the UTF-8 is malformed.
bool Utf8ToWin(std::string_view utf8, std::string& win);

// Convenience for source literals that are known to be representable: returns the
// Windows-1251 bytes, with '?' for anything that is not.
std::string Win(std::string_view utf8);

// The code point of one Windows-1251 byte.
char32_t WinCharToUnicode(unsigned char c);

// Text of a fixed-width field: bytes up to the first zero (or the whole field).
std::string FieldText(const void* field, size_t width);

}  // namespace qvr

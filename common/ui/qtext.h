// Conversions between Windows-1251 bytes (files, settings, controller text) and QString.
#pragma once
#include <QString>
#include <string>

#include "common/codepage.h"

namespace qvr {

inline QString FromWin(const std::string& win) { return QString::fromStdString(WinToUtf8(win)); }
inline QString FromWin(const char* field, size_t width) { return FromWin(FieldText(field, width)); }
inline QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// False when the text holds a character Windows-1251 cannot hold.
inline bool ToWin(const QString& text, std::string& win) { return Utf8ToWin(text.toStdString(), win); }

}  // namespace qvr

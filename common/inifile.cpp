#include "common/inifile.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "common/fileutil.h"
#include "common/suplfunc.h"

namespace qvr {

namespace {

// Settings files hold a few kilobytes; one far larger is not a settings file.
constexpr size_t kIniMaxFileSize = size_t(4) << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// UTF-16 and UTF-32 text, which the program cannot read and must not replace: a byte-order
// mark, or zero bytes standing alone or in twos and threes between the others (the high
// bytes of every Latin letter, digit, blank and line end) as often as one to every four of
// them. Windows-1251 text holds zero bytes only by accident: a stray one, or the zero-filled
// tail (dropped before this check) or block that a crash can leave.
bool IsWideText(const std::string& data) {
    const auto starts = [&](const char* mark, size_t n) {
        return data.size() >= n && data.compare(0, n, mark, n) == 0;
    };
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2) || starts("\0\0\xFE\xFF", 4)) return true;
    size_t shortRunZeros = 0, others = 0;
    for (size_t i = 0; i < data.size();) {
        if (data[i] != '\0') {
            ++others;
            ++i;
            continue;
        }
        size_t run = 0;
        while (i < data.size() && data[i] == '\0') ++run, ++i;
        if (run <= 3) shortRunZeros += run;
    }
    return shortRunZeros > 0 && shortRunZeros * 4 >= others;
}

// Whether anything stands at the path, following a symbolic link (one that leads nowhere
// is written through like a missing file).
bool PathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string Fold(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = char(WinUpper((unsigned char)c));
    return r;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::function<void(const std::string&)>& ErrorHandler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

// Reads 1..maxDigits decimal digits at s[pos]; false when there is none.
bool ReadNumber(std::string_view s, size_t& pos, int maxDigits, int& value) {
    int n = 0;
    value = 0;
    while (pos < s.size() && n < maxDigits && s[pos] >= '0' && s[pos] <= '9') {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++n;
    }
    return n > 0;
}

}  // namespace

bool ParseIniInteger(std::string_view text, int32_t& value) {
    std::string_view s = Trim(text);
    bool neg = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    bool hex = false;
    if (s[0] == '$') {
        hex = true;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        hex = true;
        s.remove_prefix(2);
    }
    if (s.empty()) return false;
    if (hex) {
        if (s.size() > 8) {
            // Leading zeros may make it longer; the value itself must fit 32 bits.
            size_t z = 0;
            while (z + 8 < s.size() && s[z] == '0') ++z;
            s.remove_prefix(z);
            if (s.size() > 8) return false;
        }
        uint32_t v = 0;
        for (char c : s) {
            int d = HexDigit(c);
            if (d < 0) return false;
            v = (v << 4) | uint32_t(d);
        }
        value = int32_t(neg ? uint32_t(0) - v : v);
        return true;
    }
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(INT32_MAX) + 1) return false;
    }
    if (neg) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = int32_t(v);
    return true;
}

std::string FormatIniDateTime(TDateTime dt) {
    DateTimeParts p = DecodeDateTime(dt);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %d:%02d:%02d", p.day, p.month, p.year, p.hour, p.minute,
                  p.second);
    return buf;
}

bool ParseIniDateTime(std::string_view text, TDateTime& dt) {
    std::string_view s = Trim(text);
    size_t pos = 0;
    int day, month, year, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(s, pos, 2, day) || pos >= s.size() || s[pos++] != '.') return false;
    if (!ReadNumber(s, pos, 2, month) || pos >= s.size() || s[pos++] != '.') return false;
    size_t ys = pos;
    if (!ReadNumber(s, pos, 4, year)) return false;
    if (pos - ys == 2) year += 2000;  // a two-digit year
    else if (pos - ys != 4) return false;
    if (pos < s.size()) {
        if (!IsBlank(s[pos])) return false;
        while (pos < s.size() && IsBlank(s[pos])) ++pos;
        if (!ReadNumber(s, pos, 2, hour) || pos >= s.size() || s[pos++] != ':') return false;
        if (!ReadNumber(s, pos, 2, minute)) return false;
        if (pos < s.size()) {
            if (s[pos++] != ':') return false;
            if (!ReadNumber(s, pos, 2, second)) return false;
        }
        if (pos != s.size()) return false;
    }
    if (month < 1 || month > 12 || year < 1 || day < 1 || day > DaysInMonth(year, month)) return false;
    if (hour > 23 || minute > 59 || second > 59) return false;
    dt = EncodeDateTime(year, month, day, hour, minute, second);
    return true;
}

// ---- IniFile ----

IniFile::Line IniFile::ParseLine(std::string text) {
    Line line;
    line.text = std::move(text);
    std::string_view s = line.text;
    if (s.size() >= 3 && std::memcmp(s.data(), "\xEF\xBB\xBF", 3) == 0) s.remove_prefix(3);
    std::string_view t = Trim(s);
    if (!t.empty() && t[0] == '[') {
        t.remove_prefix(1);
        size_t close = t.find(']');
        line.kind = 1;
        line.name = Fold(Trim(t.substr(0, close)));
        return line;
    }
    if (t.empty() || t[0] == ';') return line;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return line;
    std::string_view key = Trim(t.substr(0, eq));
    if (key.empty()) return line;
    line.kind = 2;
    line.name = Fold(key);
    return line;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::string data;
    // A file that is there but cannot be read (no permission; not a regular file, such as a
    // folder, a FIFO or a link to a device; larger than any settings file), or is UTF-16 or
    // UTF-32 text, reads as empty (every key its default) and is kept: Save refuses to
    // replace it. A zero-filled tail is no part of the text and is dropped.
    const bool read = ReadWholeFile(path_, data, kIniMaxFileSize);
    if (read) data.erase(data.find_last_not_of('\0') + 1);
    if (!read || IsWideText(data)) {
        unreadable_ = PathExists(path_);
        return;
    }
    loaded_ = true;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines_.push_back(ParseLine(data.substr(start)));
            break;
        }
        lines_.push_back(ParseLine(data.substr(start, end - start)));
        start = end + 1;
        if (data[end] == '\r' && start < data.size() && data[start] == '\n') ++start;
    }
}

int IniFile::FindSection(std::string_view section) const {
    std::string name = Fold(Trim(section));
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == 1 && lines_[i].name == name) return int(i);
    return -1;
}

const IniFile::Line* IniFile::FindKey(std::string_view section, std::string_view key) const {
    int s = FindSection(section);
    if (s < 0) return nullptr;
    std::string name = Fold(Trim(key));
    for (size_t i = size_t(s) + 1; i < lines_.size() && lines_[i].kind != 1; ++i)
        if (lines_[i].kind == 2 && lines_[i].name == name) return &lines_[i];
    return nullptr;
}

bool IniFile::SectionExists(std::string_view section) const { return FindSection(section) >= 0; }

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const Line* line = FindKey(section, key);
    if (!line) return std::string(def.substr(0, kIniMaxValue));
    std::string_view s = line->text;
    s = s.substr(s.find('=') + 1);
    s = Trim(s.substr(0, s.find('\0')));  // a stray zero byte ends the value
    return std::string(s.substr(0, kIniMaxValue));
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const Line* line = FindKey(section, key);
    if (!line) return def;
    int32_t v;
    return ParseIniInteger(ReadString(section, key), v) ? v : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

TDateTime IniFile::ReadDateTime(std::string_view section, std::string_view key, TDateTime def) const {
    TDateTime dt;
    return ParseIniDateTime(ReadString(section, key), dt) ? dt : def;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string keyText(Trim(key));
    std::string text = keyText + "=" + std::string(value);
    int s = FindSection(section);
    if (s < 0) {
        lines_.push_back(ParseLine("[" + std::string(Trim(section)) + "]"));
        lines_.push_back(ParseLine(text));
        return;
    }
    std::string name = Fold(keyText);
    size_t i = size_t(s) + 1;
    size_t lastContent = size_t(s);
    for (; i < lines_.size() && lines_[i].kind != 1; ++i) {
        if (lines_[i].kind == 2 && lines_[i].name == name) {
            // Keep the key as it is spelt in the file; replace only the value.
            std::string_view old = lines_[i].text;
            lines_[i].text = std::string(old.substr(0, old.find('=') + 1)) + std::string(value);
            return;
        }
        if (!Trim(lines_[i].text).empty()) lastContent = i;
    }
    lines_.insert(lines_.begin() + long(lastContent + 1), ParseLine(text));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteDateTime(std::string_view section, std::string_view key, TDateTime value) {
    WriteString(section, key, FormatIniDateTime(value));
}

std::string IniFile::Text() const {
    std::string out;
    for (const Line& l : lines_) {
        out += l.text;
        out += "\r\n";
    }
    return out;
}

bool IniFile::Save(std::string* error) {
    std::string detail;
    if (!(unreadable_ && PathExists(path_)) && WriteFileAtomic(path_, Text(), &detail)) {
        loaded_ = true;
        unreadable_ = false;
        return true;
    }
    if (error) *error = "Unable to write to " + path_;
    return false;
}

void SetIniErrorHandler(std::function<void(const std::string& message)> handler) {
    ErrorHandler() = std::move(handler);
}

void ReportIniError(const std::string& message) {
    if (ErrorHandler())
        ErrorHandler()(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace qvr

// The settings text format shared by all settings files of the program: Windows-1251
// text, "[section]" lines and "key=value" lines, section and key names matched without
// regard to letter case. Files are read leniently (CR LF, LF or CR line ends) and written
// with CR LF through WriteFileAtomic. Every line the program does not write is kept.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dtfun.h"

namespace qvr {

// Values are read up to this many characters.
constexpr size_t kIniMaxValue = 2047;

// Integer text: optional sign, then decimal digits, or hexadecimal after "$" or after
// "0x"/"0X" (with at least one digit behind it). Hexadecimal keeps the low 32 bits.
// False for anything else, or for a decimal value outside the 32-bit range.
bool ParseIniInteger(std::string_view text, int32_t& value);

// Date-time text of the settings files: "dd.MM.yyyy H:mm:ss". Reading accepts one or two
// digits for every part but the year, a missing time (midnight) and missing seconds.
std::string FormatIniDateTime(TDateTime dt);
bool ParseIniDateTime(std::string_view text, TDateTime& dt);

// One settings file held in memory. The constructor reads the file (a missing or
// unreadable file is an empty one); Save writes it back atomically. A file that exists
// but could not be read (no permission; not a regular file, such as a folder, a FIFO or a
// link to a device; over 4 MiB; or UTF-16 or UTF-32 text) is never replaced: Save refuses
// while it is there, so the user's file stays as it was. Stray zero bytes in Windows-1251
// text do not make it unreadable: a zero-filled tail is dropped, and a zero byte inside a
// value ends the value.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }
    // False when the file was missing, unreadable or UTF-16 or UTF-32 text.
    bool Loaded() const { return loaded_; }
    // True when the file was there but could not be read or was UTF-16 or UTF-32 text.
    bool Unreadable() const { return unreadable_; }

    bool SectionExists(std::string_view section) const;
    bool KeyExists(std::string_view section, std::string_view key) const;

    // Blanks around the value are dropped; at most kIniMaxValue characters.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    TDateTime ReadDateTime(std::string_view section, std::string_view key, TDateTime def) const;

    // Replaces the value where the key stands, or adds the key at the end of its section,
    // or the section at the end of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void WriteDateTime(std::string_view section, std::string_view key, TDateTime value);

    // The whole text as it would be saved (CR LF line ends).
    std::string Text() const;
    // Writes the file through WriteFileAtomic. On failure (also for a read-only file and
    // for one that could not be read) error gets "Unable to write to <path>" and the old
    // file stays whole.
    bool Save(std::string* error = nullptr);

private:
    struct Line {
        std::string text;   // raw bytes without the line end
        int kind = 0;       // 0 other, 1 section header, 2 key line
        std::string name;   // folded section or key name
    };
    static Line ParseLine(std::string text);
    const Line* FindKey(std::string_view section, std::string_view key) const;
    int FindSection(std::string_view section) const;  // line index of the header, -1 when missing

    std::string path_;
    bool loaded_ = false;
    bool unreadable_ = false;
    std::vector<Line> lines_;
};

// Where the "Unable to write to <path>" error of a settings writer is shown. The window
// installs the application's error display; without one the text goes to stderr.
void SetIniErrorHandler(std::function<void(const std::string& message)> handler);
void ReportIniError(const std::string& message);

}  // namespace qvr

// What stands above every printout: the kind of data printed (PrintHeadingKind), the texts
// the print heading question shows for it, and the organisation name (OrgTitle) kept
// between runs as 40 raw Windows-1251 bytes in INI/title.ini under the program folder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qvr {

// Kind of data in a printout.
using PrintHeadingKind = uint8_t;
enum : PrintHeadingKind {
    kPrintChromHour = 0,
    kPrintChromDay = 1,
    kPrintChrom5Min = 2,
    kPrintDiagLog = 3,
    kPrintAuditLog = 4,
    kPrintCalibQuality = 5,
    kPrintWmtHour = 6,
    kPrintWmtDay = 7,
    kPrintWmt5Min = 8,
};
constexpr int kPrintHeadingKindCount = 9;

// Organisation name: 40 bytes in the file, a 41-byte zero-terminated buffer in memory.
constexpr size_t kOrgTitleSize = 40;

// "<program folder>INI/title.ini", beside the other settings files.
std::string OrgTitlePath();

// Reads the name into name[41]: zeroed first, then up to 40 bytes of the file, so the
// name ends at its first zero byte or after 40 characters. A missing or unreadable file
// gives an empty name.
void ReadOrgTitle(char name[kOrgTitleSize + 1]);
// Writes the first 40 bytes of name (zero-padded) as the whole file, creating the INI
// folder when it is missing; false when the file cannot be written.
bool WriteOrgTitle(const char name[kOrgTitleSize + 1]);

// Texts of the print heading question by kind (UTF-8): what is printed, the controller
// line under it, and the period line built from the 6-byte period start and end (year -
// 2000, month, day, hour, minute, second) in the kind's format: by hours, by days or to
// the second. A kind above 8 gives an empty kind text, "контроллерa КВР" and the format
// to the second.
const char* PrintHeadingKindText(PrintHeadingKind kind);
const char* PrintHeadingControllerLine(PrintHeadingKind kind);
std::string PrintHeadingPeriodLine(PrintHeadingKind kind, const uint8_t start[6], const uint8_t end[6]);

}  // namespace qvr

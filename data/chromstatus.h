// The status of one chromatograph archive record in words: the controller's status byte
// (both record kinds) and, for the 5-minute records, the chromatograph's 16-bit status
// word. The detail form of the archive views shows what these functions build.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qvr {

// Texts of the bits of the chromatograph status word, bit k = entry k (each begins with
// one blank).
extern const char* const ChromStatusWordTexts[16];

// The word naming the chromatograph's measuring unit at the end of the no-link texts.
extern const char* const kChromUnitWord;

// Record kinds of the decoding: 0 a 5-minute record (status byte and status word),
// 1 an hourly or daily record (status byte only).
enum : uint8_t { kChromStatusMoment = 0, kChromStatusHourDay = 1 };

struct ChromStatusText {
    std::string byteHeading;             // "  Статус контроллера: 0x.."
    std::vector<std::string> byteLines;  // "Норма", one line per set bit, or nothing
    bool wordShown = false;              // the status-word section is shown
    std::string wordHeading;             // "  Статус хроматографа: 0x...."
    std::vector<std::string> wordLines;
};

// Builds the text of a record. statusWord: bytes 7 and 8 of a 5-minute record, low byte
// first (ignored in mode 1; null reads as 0).
ChromStatusText DecodeChromStatus(uint8_t mode, uint8_t statusByte, const uint8_t* statusWord);

// Captions of the detail form for one raw record: a 5-minute record (93 bytes) or an
// hourly or daily record (92 bytes).
std::string ChromStatusCaptionMoment(const uint8_t* record);
std::string ChromStatusCaptionHourDay(const uint8_t* record, bool daily);

}  // namespace qvr

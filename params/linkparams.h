// Plain helpers of the link-parameter, identification and functions forms: the byte
// positions of the link tables, the parse of a typed decimal number, and the texts the
// identification and functions views show for the bytes of tables 0 and 8.
#pragma once
#include <cstdint>
#include <string>

// Field positions (one byte each) of the link tables.
namespace linktab {
// Table 3, link to the upper level.
constexpr int kVuAddress = 0;
constexpr int kVuRate = 1;
constexpr int kVuPreambles = 2;
constexpr int kVuZero = 3;
constexpr int kVuSize = 4;
// Table 9, link to the flow computers.
constexpr int kVichCount = 0;
constexpr int kVichRate = 1;
constexpr int kVichFailures = 2;
constexpr int kVichTimeout = 3;
constexpr int kVichPreambles = 4;
constexpr int kVichWriteMode = 5;
constexpr int kVichTempSource = 6;
constexpr int kVichPipeline = 7;
constexpr int kVichSize = 8;
constexpr int kVichMaxCount = 16;
// Tables 14 (chromatograph) and 15 (moisture analyser).
constexpr int kMbAddress = 0;
constexpr int kMbRate = 1;
constexpr int kMbMode = 2;
constexpr int kMbParity = 3;
constexpr int kMbTimeout = 4;
constexpr int kMbFailures = 5;
constexpr int kMbType = 6;
constexpr int kMbZero = 7;
constexpr int kMbSize = 8;
constexpr uint8_t kChromType = 9;  // the one chromatograph type serviced
// Table 29, the controller's Ethernet interface: three 4-byte addresses, then four
// u32 little-endian ports.
constexpr int kEthIp = 0;
constexpr int kEthMask = 4;
constexpr int kEthGateway = 8;
constexpr int kEthPorts = 12;
constexpr int kEthSize = 28;
constexpr uint32_t kEthPortMax = 65535;
// Table 5, the controller name: 20 blank-padded characters.
constexpr int kNameSize = 20;
}  // namespace linktab

namespace qvr {

// Value of a typed decimal number: at least one digit, nothing but digits (blanks around
// it are ignored), at most nine digits. False otherwise, so a text such as "1%" (the key
// filter lets '%' through) counts as out of range.
bool ParseDecimal(const std::string& text, uint32_t& value);

// The texts of the identification view for the 18 bytes of table 0. With mode 0 only the
// type and the software version are known: every other text is empty.
struct IdentTexts {
    std::string typeCode;        // byte 1, "%d"
    std::string softwareVersion; // byte 3
    std::string hardwareVersion; // byte 2
    std::string buildDate;       // "dd.mm.yy  hh:mm:ss", "**" for an out-of-range part
    std::string byteOrder;       // byte 10
    std::string destroyed;       // byte 0
    bool destroyedAlarm = false; // a destroyed table is reported (shown in red)
    std::string multiRate;       // byte 11
    std::string addressChange;   // byte 13
    std::string protocol;        // bytes 14..16, "%d.%d.%d"
};
IdentTexts MakeIdentTexts(const uint8_t* table0, uint8_t mode);

// "Возможно" for a non-zero field of table 8, "Невозможно" for 0.
std::string FunctionStateText(uint8_t field);

}  // namespace qvr

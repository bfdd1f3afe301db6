// The one-analysis passport record: what the 5-minute chromatograph view hands to the
// print choice form and to the passport print. A packed byte record (921 bytes) written
// field by field at its offsets.
#pragma once
#include <cstddef>
#include <cstdint>

#include "data/archformat.h"

namespace qvr {

constexpr size_t kMomentPassportSize = 921;

struct MomentPassportRecord {
    static constexpr size_t kKind = 0;           // always 0
    static constexpr size_t kReportTexts = 1;    // 801 bytes of REPORT/report.ini
    static constexpr size_t kName = 802;         // 20 bytes: header bytes 4-23
    static constexpr size_t kAddress = 822;      // header byte 24
    static constexpr size_t kReadTime = 823;     // header bytes 25-30
    static constexpr size_t kAnalysisTime = 829; // bytes 0-5 of the chosen record
    static constexpr size_t kZero = 835;         // 6 bytes nothing reads
    static constexpr size_t kAnalysis = 841;     // 80 bytes: the converted analysis
    static constexpr size_t kReportTextsSize = 801;

    uint8_t bytes[kMomentPassportSize] = {};

    // Zeroes the record and fills name, address and read time from a set's header.
    void Reset(const ArchiveFileHeader& header);
    // Time (6 bytes of a 5-minute record) and converted analysis of the chosen record.
    void SetAnalysis(const uint8_t* record, const GasAnalysis& converted);
};
static_assert(MomentPassportRecord::kAnalysis + kGasAnalysisSize == kMomentPassportSize);

}  // namespace qvr

#include "data/passport.h"

#include <cstring>

namespace qvr {

void MomentPassportRecord::Reset(const ArchiveFileHeader& header) {
    std::memset(bytes, 0, sizeof bytes);
    const auto h = header.Bytes();
    std::memcpy(bytes + kName, h.data() + hdr::kName, 20);
    bytes[kAddress] = h[hdr::kAddress];
    std::memcpy(bytes + kReadTime, h.data() + hdr::kReadTime, 6);
}

void MomentPassportRecord::SetAnalysis(const uint8_t* record, const GasAnalysis& converted) {
    std::memcpy(bytes + kAnalysisTime, record + Chrom5MinRecord::kTime, 6);
    converted.Store(bytes + kAnalysis);
}

}  // namespace qvr

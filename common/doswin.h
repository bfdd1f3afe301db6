// Windows-1251 <-> CP866 as the controller stores its name: each byte goes through a
// fixed 256-entry table. Characters of both pages map to each other; the rest become
// the substitutes the controller has always received ('_', '-', '+', '|', ...).
#pragma once
#include <cstddef>
#include <cstdint>

namespace qvr {

extern const uint8_t kWinToDos[256];
extern const uint8_t kDosToWin[256];

// Convert n bytes in place.
void WinToDos(void* buf, size_t n);
void DosToWin(void* buf, size_t n);

}  // namespace qvr

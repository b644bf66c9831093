// State and helpers shared by the pack sources of src/files/.
#pragma once
#include <cstdint>
#include <string>

#include "files/files_limits.h"

// Entries over all registered packs, summed at registration.
extern uint32_t g_PackEntryTotal;
// Update packs found by the walk, slot n-1 for "updaten.qpf"; registered
// after every other pack.
struct UpdateSlot {
  std::string name, hostPath;
};
extern UpdateSlot g_PackUpdateSlots[kPackUpdateSlots];

// 1..9 when the file-name part of a registered name (without folder and
// extension) is "update1" .. "update9" in any case, else 0.
int Pack_UpdateNumber(const std::string& name);

// Little-endian fields of a buffer.
inline uint32_t Pack_GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t Pack_GetU64(const uint8_t* p) {
  return uint64_t(Pack_GetU32(p + 4)) << 32 | Pack_GetU32(p);
}

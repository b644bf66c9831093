// Format constants of the engine's own files that the engine and the tools
// that write those files (pack builder, scene compiler, test fixtures) must
// share byte for byte. Change nothing here without rebuilding every pack and
// scene file: old data would no longer decode.
#pragma once
#include <array>
#include <cstdint>

// ---- Pack archives (.qpf) ----------------------------------------------
// Header: magic, u32 version, u32 file count, u32 directory size, 16 free
// bytes; the directory follows at kPackHeaderSize.
inline constexpr char kPackMagic[4] = {'Q', 'P', 'F', '\0'};
constexpr uint32_t kPackVersion = 480;       // what our tools write
constexpr uint32_t kPackVersionMin = 234;    // oldest pack the engine reads
constexpr uint32_t kPackHeaderSize = 32;
// A directory entry is kPackDirEntryFixed bytes plus the name:
//   u32 name hash, u8 coded length, name (complemented), u8 type,
//   u8 compression, u32 unpacked, u32 stored, u64 data offset, u32 data hash.
constexpr uint32_t kPackDirEntryFixed = 27;
constexpr uint8_t kPackStored = 0;
constexpr uint8_t kPackZlib = 1;

// Repair record after each entry's stored bytes: u32 parity size (0 or
// kRepairBlock), u32 block count, u16 per block, then the parity block.
constexpr uint32_t kRepairBlock = 1024;

// The name-length table is the identity with these thirteen pairs
// exchanged. A coded length b decodes as g_PackLenTable[255 - b]; since the
// table is its own inverse, a writer codes length L as 255 - table[L].
struct PackLenSwap {
  uint8_t a, b;
};
inline constexpr std::array<PackLenSwap, 13> kPackLenSwaps = {{
    {3, 200}, {7, 91}, {12, 250}, {18, 133}, {25, 64}, {31, 177}, {40, 222},
    {47, 101}, {55, 160}, {66, 244}, {73, 118}, {88, 199}, {97, 141},
}};

// Every value appears in at most one pair, so the table is a permutation.
constexpr bool Pack_SwapsDisjoint() {
  bool seen[256] = {};
  for (const PackLenSwap& s : kPackLenSwaps) {
    if (s.a == s.b || seen[s.a] || seen[s.b]) return false;
    seen[s.a] = seen[s.b] = true;
  }
  return true;
}
static_assert(Pack_SwapsDisjoint(), "name-length swaps must be disjoint pairs");

// The table built from the swaps; the engine keeps its own copy in
// g_PackLenTable, a writer may use this one directly.
constexpr std::array<uint8_t, 256> Pack_MakeLenTable() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = uint8_t(i);
  for (const PackLenSwap& s : kPackLenSwaps) {
    uint8_t x = t[s.a];
    t[s.a] = t[s.b];
    t[s.b] = x;
  }
  return t;
}

// ---- Scene files -------------------------------------------------------
// The 4-byte XOR key of the scene sections is the CRC-32 of this word, most
// significant byte first (key[0] = crc >> 24).
inline constexpr char kSceneKeyWord[] = "TVRNSCENE";
static_assert(sizeof(kSceneKeyWord) == 10, "the scene key word has nine characters");

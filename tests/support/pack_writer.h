// Fixture writer for pack archives (.qpf) and compiler-store images.
//
//   std::string pack = Pack_Build({{"bg\\title.png", pngBytes, true},
//                                  {"qvbin\\qvcfg.qbn", cfg}});
//   dir.Write("data.qpf", pack);
//
// Names are written with '\' separators; the directory hash is taken over
// the lower-cased name, as the engine's lookup computes it. Every entry gets
// a correct data hash and (unless switched off) a full repair record.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct PackEntryDesc {
  std::string name;        // e.g. "qvbin\\qvt.qbn"; '/' becomes '\'
  std::string bytes;       // the file's contents
  bool compress = false;   // zlib (true) or stored
  int type = -1;           // type byte; -1 takes it from the extension
};

struct PackOptions {
  uint32_t version = 480;
  bool repair = true;      // write repair records (else P = 0, N = 0)
  int zlibLevel = 6;
};

// Where one entry landed in the built pack, for tests that damage or patch
// it. All offsets are from the start of the pack.
struct PackEntryLayout {
  size_t dirAt = 0;        // the entry's name hash in the directory
  uint32_t nameLen = 0;    // L
  size_t dataAt = 0;       // first stored byte
  uint32_t stored = 0;     // stored bytes
  uint32_t unpacked = 0;
  size_t recordAt = 0;     // the repair record (u32 P)
  // Offsets of the directory fields after the name.
  size_t TypeAt() const { return dirAt + 5 + nameLen; }
  size_t CompressionAt() const { return dirAt + 6 + nameLen; }
  size_t UnpackedAt() const { return dirAt + 7 + nameLen; }
  size_t StoredAt() const { return dirAt + 11 + nameLen; }
  size_t OffsetAt() const { return dirAt + 15 + nameLen; }
  size_t HashAt() const { return dirAt + 23 + nameLen; }
  size_t BlockCountAt() const { return recordAt + 4; }
  size_t ChecksAt() const { return recordAt + 8; }
  size_t ParityAt() const { return recordAt + 8 + 2 * ((stored + 1023) / 1024); }
};
struct PackLayout {
  size_t dirSize = 0;
  std::vector<PackEntryLayout> entries;
};

// Builds a whole pack. `layout`, when given, receives where each entry went.
std::string Pack_Build(const std::vector<PackEntryDesc>& entries, const PackOptions& opts = {},
                       PackLayout* layout = nullptr);

// The entries of a pack from a map of name to bytes, all stored or all zlib.
std::vector<PackEntryDesc> Pack_Descs(const std::map<std::string, std::string>& files,
                                      bool compress = false);

// Damage knobs: flips `count` bytes (XOR 0xA5) of stored block `block` of an
// entry, starting at `at` within the block.
void Pack_DamageBlock(std::string& pack, const PackEntryLayout& e, uint32_t block,
                      uint32_t at = 0, uint32_t count = 1);
// Overwrites little-endian fields in place.
void Pack_PatchU8(std::string& pack, size_t at, uint8_t v);
void Pack_PatchU32(std::string& pack, size_t at, uint32_t v);
void Pack_PatchU64(std::string& pack, size_t at, uint64_t v);

// A compiler-store data area: {u32 name length, name, u32 data length, data}
// per file, in the map's order.
std::string Fixture_StoreArea(const std::map<std::string, std::string>& files);
// Puts the files into the engine's compiler store (g_CompiledFiles); false
// when the engine refused the area.
bool Fixture_UseStore(const std::map<std::string, std::string>& files);

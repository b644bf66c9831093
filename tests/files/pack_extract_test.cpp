// Entry extraction, verification and repair.
#include <random>

#include "files/formats.h"
#include "files_test_util.h"

namespace {

std::string Noise(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char(rng() % 7 + 'a');  // compressible
  return s;
}

// One pack "p.qpf" in a game folder, its index built.
struct OnePack {
  GameDir g;
  PackLayout lay;
  std::string pack;
  OnePack(const std::vector<PackEntryDesc>& entries, const PackOptions& o = {}) {
    pack = Pack_Build(entries, o, &lay);
  }
  void Write() {
    g.Write("p.qpf", pack);
    ASSERT_EQ(BuildIndex(), 0);
  }
};

TEST(PackExtract, StoredAndZlibRoundTripAtBlockEdges) {
  std::vector<PackEntryDesc> entries;
  for (size_t n : {0, 1, 1023, 1024, 1025, 5000}) {
    entries.push_back({"s" + std::to_string(n), Noise(n, uint32_t(n)), false});
    entries.push_back({"z" + std::to_string(n), Noise(n, uint32_t(n)), true});
  }
  OnePack p(entries);
  p.Write();
  ErrCapture w;
  for (const auto& e : entries) EXPECT_EQ(LoadAll(e.name.c_str()), e.bytes) << e.name;
  EXPECT_TRUE(w.Numbers().empty());
}

struct RepairCase {
  const char* what;
  bool compress;
  size_t size;
  std::vector<std::pair<uint32_t, uint32_t>> damage;  // block, count of bytes
  bool repaired;
};

TEST(PackExtract, OneDamagedBlockIsRepairedTwoAreReported) {
  const RepairCase cases[] = {
      {"stored, one byte", false, 5000, {{1, 1}}, true},
      {"stored, whole block", false, 5000, {{2, 1024}}, true},
      {"stored, last short block", false, 5000, {{4, 3}}, true},
      {"stored, single short block", false, 700, {{0, 5}}, true},
      {"zlib, one byte", true, 20000, {{0, 1}}, true},
      {"stored, two blocks", false, 5000, {{0, 1}, {3, 1}}, false},
      {"zlib, two blocks", true, 20000, {{0, 2}, {1, 2}}, false},
  };
  for (const auto& c : cases) {
    std::string bytes = Noise(c.size, 7);
    OnePack p({{"e.bin", bytes, c.compress}});
    ASSERT_GT(p.lay.entries[0].stored, 1024u * (c.damage.back().first)) << c.what;
    for (auto [block, count] : c.damage) Pack_DamageBlock(p.pack, p.lay.entries[0], block, 0, count);
    p.Write();
    ErrCapture w;
    std::string got = LoadAll("e.bin");
    if (c.repaired) {
      EXPECT_EQ(got, bytes) << c.what;
      EXPECT_TRUE(w.Numbers().empty()) << c.what;
    } else {
      EXPECT_EQ(got, "<load -2>") << c.what;
      EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104100}) << c.what;
    }
  }
}

TEST(PackExtract, RepairRecordProblemsGive104100) {
  const struct {
    const char* what;
    bool compress;
    void (*patch)(std::string&, const PackEntryLayout&);
  } cases[] = {
      {"no record, stored", false, nullptr},
      {"no record, zlib", true, nullptr},
      {"parity size 512", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.recordAt, 512); }},
      {"parity size huge", true, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.recordAt, 0xFFFFFFFFu); }},
      {"block count wrong", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.BlockCountAt(), 9999999); }},
      {"block count short", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.BlockCountAt(), 1); }},
      {"record cut off", false, [](std::string& p, const PackEntryLayout& e) { p.resize(e.ParityAt() + 10); }},
  };
  for (const auto& c : cases) {
    PackOptions o;
    o.repair = c.patch != nullptr;
    OnePack p({{"e.bin", Noise(3000, 3), c.compress}}, o);
    Pack_DamageBlock(p.pack, p.lay.entries[0], 0);
    if (c.patch) c.patch(p.pack, p.lay.entries[0]);
    p.Write();
    ErrCapture w;
    EXPECT_EQ(LoadAll("e.bin"), "<load -2>") << c.what;
    EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104100}) << c.what;
  }
}

TEST(PackExtract, BadEntryFieldsAreReportedWithoutCrashOrHugeAllocations) {
  const struct {
    const char* what;
    bool compress;
    void (*patch)(std::string&, const PackEntryLayout&);
    int32_t error;
    int result;
  } cases[] = {
      {"compression 2", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU8(p, e.CompressionAt(), 2); }, 901040, -3},
      {"stored size differs from unpacked", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.UnpackedAt(), e.unpacked + 1); }, 104100, -2},
      {"unpacked too small for zlib", true, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.UnpackedAt(), e.unpacked - 1); }, 900040, -2},
      {"unpacked larger than zlib gives", true, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.UnpackedAt(), e.unpacked + 10); }, 104100, -2},
      {"unpacked absurd for zlib", true, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.UnpackedAt(), 0xFFFFFFFFu); }, 104100, -2},
      {"stored bytes that are not zlib", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU8(p, e.CompressionAt(), 1); }, 104100, -2},
      {"hash wrong, no damage", false, [](std::string& p, const PackEntryLayout& e) { Pack_PatchU32(p, e.HashAt(), 1234); }, 104100, -2},
  };
  for (const auto& c : cases) {
    OnePack p({{"e.bin", Noise(3000, 5), c.compress}});
    c.patch(p.pack, p.lay.entries[0]);
    p.Write();
    ErrCapture w;
    FileRef ref;
    ASSERT_EQ(File_Lookup(ref, "e.bin", true), kFileSrcPack) << c.what;
    EXPECT_EQ(File_Load(ref, "e.bin"), c.result) << c.what;
    EXPECT_EQ(ref.data, nullptr) << c.what;
    EXPECT_EQ(w.Numbers(), std::vector<int32_t>{c.error}) << c.what;
    EXPECT_EQ(g_QuitRequested.load(), 1) << c.what;
  }
}

TEST(PackExtract, PackGoneAtLoadIs901040) {
  OnePack p(std::vector<PackEntryDesc>{{"e.bin", "data"}});
  p.Write();
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "e.bin", true), kFileSrcPack);
  std::filesystem::remove(p.g.path() + "/p.qpf");
  ErrCapture w;
  EXPECT_EQ(File_Load(ref, "e.bin"), -3);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{901040});
}

TEST(PackExtract, PackShrunkAfterIndexingIsReported) {
  OnePack p({{"e.bin", Noise(4000, 1)}});
  p.Write();
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "e.bin", true), kFileSrcPack);
  p.g.Write("p.qpf", p.pack.substr(0, p.lay.entries[0].dataAt + 100));
  ErrCapture w;
  EXPECT_LT(File_Load(ref, "e.bin"), 0);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104010});
}

TEST(PackExtract, VerifyAndRepairResults) {
  std::string bytes = Noise(2500, 9);
  OnePack p({{"e.bin", bytes}});
  p.Write();
  const PackEntryLayout& e = p.lay.entries[0];
  uint32_t hash = Hash_Murmur2(bytes.data(), bytes.size());
  PackFile pf;
  ASSERT_EQ(Pack_Open(pf, 0), 0);
  std::string data = bytes;
  auto* d = reinterpret_cast<uint8_t*>(data.data());
  EXPECT_EQ(File_VerifyAndRepair(pf, d, uint32_t(data.size()), hash), 0);
  data[2400] ^= 1;  // last, short block
  ASSERT_TRUE(File_SeekInSource(pf, e.recordAt));
  EXPECT_EQ(File_VerifyAndRepair(pf, d, uint32_t(data.size()), hash), 1);
  EXPECT_EQ(data, bytes);
  data[10] ^= 1;
  data[1500] ^= 1;
  ASSERT_TRUE(File_SeekInSource(pf, e.recordAt));
  EXPECT_EQ(File_VerifyAndRepair(pf, d, uint32_t(data.size()), hash), -1);
}

// The game as the engine gets it: through a pack holding the engine
// configuration, and through the compiler store, read back byte for byte.
TEST(PackExtract, GameAsPackAndAsStoreReadsBack) {
  const std::map<std::string, std::string> game = {
      {"qvbin\\qvcfg.qbn", Noise(200, 1)}, {"qvbin\\qve.qbn", Noise(3000, 2)},
      {"qvbin\\qvt00000.qbn", Noise(9000, 3)}, {"bg\\title.png", Noise(70000, 4)},
  };
  {
    GameDir g;
    std::vector<PackEntryDesc> descs;
    bool z = false;
    for (const auto& [n, b] : game) descs.push_back({n, b, z = !z});
    g.Write("data.qpf", Pack_Build(descs));
    ASSERT_EQ(BuildIndex(), 0);
    EXPECT_EQ(g_DataPackaged, 1);
    for (const auto& [n, b] : game) {
      FileRef ref;
      ASSERT_EQ(File_LoadNeeded(ref, n.c_str()), 0) << n;
      EXPECT_EQ(Bytes(ref), b) << n;
      std::free(ref.data);
    }
  }
  File_StoreClear();
  Pack_Reset();
  ASSERT_TRUE(Fixture_UseStore(game));
  for (const auto& [n, b] : game) {
    FileRef ref;
    ASSERT_EQ(File_LoadNeeded(ref, n.c_str()), 0) << n;
    EXPECT_EQ(Bytes(ref), b) << n;
    std::free(ref.data);
  }
}

}  // namespace

// Pack registration, the index, update packs, duplicates, limits and bad
// directories.
#include <algorithm>
#include <set>

#include "files/formats.h"
#include "files_test_util.h"

namespace {

TEST(PackNameTable, ThirteenSwapsAndTheSceneKey) {
  Pack_InitNameTable();
  int moved = 0;
  std::set<int> values;
  for (int i = 0; i < 256; ++i) {
    values.insert(g_PackLenTable[i]);
    if (g_PackLenTable[i] != i) ++moved;
    EXPECT_EQ(g_PackLenTable[g_PackLenTable[i]], i);  // its own inverse
  }
  EXPECT_EQ(values.size(), 256u);
  EXPECT_EQ(moved, 26);
  uint32_t crc = Crc32_Block(kSceneKeyWord, 9);
  EXPECT_EQ(g_SceneKey[0], uint8_t(crc >> 24));
  EXPECT_EQ(g_SceneKey[3], uint8_t(crc));
}

TEST(PackIndex, PacksOfTheGameFolderAndPacOnly) {
  GameDir g;
  g.Write("a.qpf", Pack_Build({{"a.txt", "A"}}));
  g.Write("PAC/B.QPF", Pack_Build({{"b.txt", "B"}}));
  g.Write("other/c.qpf", Pack_Build({{"c.txt", "C"}}));
  g.Write("pac/pac/d.qpf", Pack_Build({{"d.txt", "D"}}));
  g.Write("notapack.qpf", "PK\x03\x04 something else entirely");
  g.Write("tiny.qpf", "QP");
  g.Write("a.qpfx", Pack_Build({{"e.txt", "E"}}));
  ErrCapture w;
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_TRUE(w.Numbers().empty());
  EXPECT_EQ(g_PackList.count, 2u);
  EXPECT_EQ(LoadAll("a.txt"), "A");
  EXPECT_EQ(LoadAll("b.txt"), "B");
  EXPECT_EQ(LoadAll("c.txt"), "<missing>");
  EXPECT_EQ(LoadAll("d.txt"), "<missing>");
  EXPECT_EQ(LoadAll("e.txt"), "<missing>");
  EXPECT_EQ(g_DataPackaged, 0);
}

TEST(PackIndex, RowsSortedAndNamesMatchedCaseInsensitively) {
  GameDir g;
  std::vector<PackEntryDesc> entries;
  for (int i = 0; i < 300; ++i) entries.push_back({"Dir/File" + std::to_string(i) + ".TXT", std::to_string(i)});
  g.Write("many.qpf", Pack_Build(entries));
  ASSERT_EQ(BuildIndex(), 0);
  ASSERT_EQ(g_PackIndex.count, 300u);
  EXPECT_TRUE(std::is_sorted(g_PackIndex.hash.begin(), g_PackIndex.hash.end()));
  for (int i = 0; i < 300; i += 37) {
    std::string n = "dir\\file" + std::to_string(i) + ".txt";
    EXPECT_EQ(LoadAll(n.c_str()), std::to_string(i));
  }
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "dir\\file5.txt", true), kFileSrcPack);
  EXPECT_EQ(ref.type, 0);
}

TEST(PackIndex, TypeComesFromTheDirectory) {
  GameDir g;
  g.Write("t.qpf", Pack_Build({{"x.png", "p"}, {"y.dat", "d", false, 7}}));
  ASSERT_EQ(BuildIndex(), 0);
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "x.png", true), kFileSrcPack);
  EXPECT_EQ(ref.type, kFileTypePng);
  ASSERT_EQ(File_Lookup(ref, "y.dat", true), kFileSrcPack);
  EXPECT_EQ(ref.type, 7);
}

TEST(PackIndex, UpdatePacksOverrideInNumberOrder) {
  GameDir g;
  g.Write("base.qpf", Pack_Build({{"a.txt", "base"}, {"b.txt", "base"}, {"c.txt", "base"}}));
  g.Write("update3.qpf", Pack_Build({{"a.txt", "u3"}, {"b.txt", "u3"}}));
  g.Write("pac/Update1.qpf", Pack_Build({{"a.txt", "u1"}, {"b.txt", "u1"}}));
  g.Write("update2.qpf", Pack_Build({{"b.txt", "u2"}}));
  ErrCapture w;
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_TRUE(w.Numbers().empty());
  EXPECT_EQ(LoadAll("a.txt"), "u3");
  EXPECT_EQ(LoadAll("b.txt"), "u3");
  EXPECT_EQ(LoadAll("c.txt"), "base");
  EXPECT_EQ(g_PackList.count, 4u);
  EXPECT_EQ(g_PackList.names.back(), ".\\update3.qpf");
}

TEST(PackIndex, DuplicateOutsideAnUpdatePackIs104150WithQuitZero) {
  GameDir g;
  g.Write("one.qpf", Pack_Build({{"a.txt", "1"}}));
  g.Write("pac/two.qpf", Pack_Build({{"A.TXT", "2"}}));
  ErrCapture w;
  EXPECT_EQ(BuildIndex(), -1);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104150});
  EXPECT_EQ(g_QuitRequested.load(), 0);
}

TEST(PackIndex, DuplicateInsideOnePackIs104150) {
  GameDir g;
  g.Write("one.qpf", Pack_Build({{"a.txt", "1"}, {"a.txt", "2"}}));
  ErrCapture w;
  EXPECT_EQ(BuildIndex(), -1);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104150});
}

TEST(PackIndex, SameHashDifferentNamesAreBothFound) {
  GameDir g;
  PackLayout lay;
  std::string pack = Pack_Build({{"a.txt", "A"}, {"b.txt", "B"}}, {}, &lay);
  // Give b the hash of a: a lookup of a must check the stored name.
  uint32_t ha = Hash_Murmur2("a.txt", 5);
  Pack_PatchU32(pack, lay.entries[1].dirAt, ha);
  g.Write("p.qpf", pack);
  ErrCapture w;
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_TRUE(w.Numbers().empty());
  EXPECT_EQ(LoadAll("a.txt"), "A");
  EXPECT_EQ(LoadAll("b.txt"), "<missing>");  // its own hash is in no row
}

TEST(PackIndex, EngineConfigurationInAPackSetsDataPackaged) {
  GameDir g;
  g.Write("game.qpf", Pack_Build({{"QVBIN\\QVCFG.QBN", "cfg"}}));
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_EQ(g_DataPackaged, 1);
  EXPECT_EQ(LoadAll("qvbin\\qvcfg.qbn"), "cfg");
}

TEST(PackIndex, PacksStayReachableAfterTheCurrentDirectoryChanges) {
  GameDir g;
  g.Write("game.qpf", Pack_Build({{"a.txt", "A"}}));
  ASSERT_EQ(BuildIndex(), 0);
  TempDir elsewhere;
  std::filesystem::current_path(elsewhere.path());  // as after the compiler link
  EXPECT_EQ(LoadAll("a.txt"), "A");
}

TEST(PackIndex, VersionLimit) {
  const struct {
    uint32_t version;
    int result;
    std::vector<int32_t> errors;
  } cases[] = {{233, -1, {104120}}, {234, 0, {}}, {480, 0, {}}, {0, -1, {104120}}};
  for (const auto& c : cases) {
    GameDir g;
    PackOptions o;
    o.version = c.version;
    g.Write("v.qpf", Pack_Build({{"a.txt", "A"}}, o));
    ErrCapture w;
    EXPECT_EQ(BuildIndex(), c.result) << c.version;
    EXPECT_EQ(w.Numbers(), c.errors) << c.version;
  }
}

TEST(PackIndex, NinetyNinePacksAcceptedHundredthRefused) {
  for (int n : {99, 100}) {
    GameDir g;
    std::string pack = Pack_Build({});
    for (int i = 0; i < n; ++i) g.Write("p" + std::to_string(100 + i) + ".qpf", pack);
    ErrCapture w;
    EXPECT_EQ(BuildIndex(), n == 99 ? 0 : -1) << n;
    EXPECT_EQ(w.Numbers(), n == 99 ? std::vector<int32_t>{} : std::vector<int32_t>{104130}) << n;
  }
}

TEST(PackIndex, EntryLimitJustUnderAndOver) {
  for (uint32_t extra : {0u, 1u}) {
    GameDir g;
    PackOptions o;
    o.repair = false;
    std::vector<PackEntryDesc> big;
    for (uint32_t i = 0; i < 99998; ++i) big.push_back({std::to_string(i), ""});
    g.Write("big.qpf", Pack_Build(big, o));
    std::vector<PackEntryDesc> small;
    for (uint32_t i = 0; i < 1 + extra; ++i) small.push_back({"s" + std::to_string(i), "x"});
    g.Write("small.qpf", Pack_Build(small, o));
    ErrCapture w;
    EXPECT_EQ(BuildIndex(), extra ? -1 : 0);
    EXPECT_EQ(w.Numbers(), extra ? std::vector<int32_t>{104140} : std::vector<int32_t>{});
    if (!extra) {
      EXPECT_EQ(g_PackIndex.count, 99999u);
      EXPECT_EQ(LoadAll("s0"), "x");
      EXPECT_EQ(LoadAll("99997"), "");
    }
  }
}

// Each case damages one field of a good pack; the build must report it
// with its number and leave nothing behind that a lookup could trip over.
struct BadPackCase {
  const char* what;
  void (*damage)(std::string& pack, const PackLayout& lay);
  int32_t error;
};

TEST(PackIndex, BadHeadersAndDirectoriesAreReported) {
  const BadPackCase cases[] = {
      {"cut after magic", [](std::string& p, const PackLayout&) { p.resize(6); }, 104010},
      {"cut inside header", [](std::string& p, const PackLayout&) { p.resize(20); }, 104010},
      {"cut inside directory", [](std::string& p, const PackLayout& l) { p.resize(32 + l.dirSize / 2); }, 104010},
      {"cut inside data", [](std::string& p, const PackLayout& l) { p.resize(l.entries[1].dataAt + 2); }, 104010},
      {"directory size all ones", [](std::string& p, const PackLayout&) { Pack_PatchU32(p, 12, 0xFFFFFFFFu); }, 104010},
      {"directory size past end", [](std::string& p, const PackLayout&) { Pack_PatchU32(p, 12, uint32_t(p.size())); }, 104010},
      {"directory size too small", [](std::string& p, const PackLayout& l) { Pack_PatchU32(p, 12, uint32_t(l.dirSize - 3)); }, 104010},
      {"file count too big", [](std::string& p, const PackLayout&) { Pack_PatchU32(p, 8, 3); }, 104010},
      {"file count huge", [](std::string& p, const PackLayout&) { Pack_PatchU32(p, 8, 0xFFFFFFF0u); }, 104140},
      {"name length past directory", [](std::string& p, const PackLayout& l) { Pack_PatchU8(p, l.entries[1].dirAt + 4, 0); }, 104010},
      {"data offset past end", [](std::string& p, const PackLayout& l) { Pack_PatchU64(p, l.entries[0].OffsetAt(), 1ull << 40); }, 104010},
      {"offset plus size past end", [](std::string& p, const PackLayout& l) { Pack_PatchU32(p, l.entries[1].StoredAt(), uint32_t(p.size())); }, 104010},
      {"stored size all ones", [](std::string& p, const PackLayout& l) { Pack_PatchU32(p, l.entries[0].StoredAt(), 0xFFFFFFFFu); }, 104010},
  };
  for (const auto& c : cases) {
    GameDir g;
    PackLayout lay;
    std::string pack = Pack_Build({{"first.txt", std::string(3000, 'a')}, {"second.txt", "bb", true}}, {}, &lay);
    c.damage(pack, lay);
    g.Write("bad.qpf", pack);
    ErrCapture w;
    EXPECT_EQ(BuildIndex(), -1) << c.what;
    EXPECT_EQ(w.Numbers(), std::vector<int32_t>{c.error}) << c.what;
    EXPECT_EQ(g_QuitRequested.load(), 1) << c.what;
  }
}

TEST(PackIndex, UpdatePackFailureStopsTheBuild) {
  GameDir g;
  g.Write("base.qpf", Pack_Build({{"a.txt", "A"}}));
  PackOptions old;
  old.version = 100;
  g.Write("update1.qpf", Pack_Build({{"a.txt", "B"}}, old));
  ErrCapture w;
  EXPECT_EQ(BuildIndex(), -1);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104120});
}

TEST(PackIndex, AppendedPackAtItsOffset) {
  GameDir g;
  std::string exe(777, '\x7f');
  g.Write("game", exe + Pack_Build({{"qvbin\\qvcfg.qbn", "cfg"}, {"a.txt", "A", true}}));
  g.Write("ignored.qpf", Pack_Build({{"b.txt", "B"}}));
  g_FileAppended = {1, g.path() + "/game", exe.size()};
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_EQ(LoadAll("a.txt"), "A");
  EXPECT_EQ(LoadAll("b.txt"), "<missing>");
}

TEST(PackIndex, PackRemovedAfterIndexingFailsTheLookupQuietly) {
  GameDir g;
  g.Write("p.qpf", Pack_Build({{"a.txt", "A"}}));
  ASSERT_EQ(BuildIndex(), 0);
  std::filesystem::remove(g.path() + "/p.qpf");
  ErrCapture w;
  FileRef ref;
  EXPECT_EQ(File_Lookup(ref, "a.txt", true), -2);
  char out[kFilePathMax];
  EXPECT_EQ(File_Resolve(ref, out, "a.txt", kResolveExact), -1);
  EXPECT_TRUE(w.Numbers().empty());
}

}  // namespace

namespace {

TEST(PackSort, RowsMoveTogetherWhateverTheHashes) {
  const struct {
    const char* what;
    uint32_t (*hash)(uint32_t i);
  } cases[] = {
      {"all equal", [](uint32_t) { return 5u; }},
      {"descending", [](uint32_t i) { return 0xFFFFFFFFu - i; }},
      {"two values", [](uint32_t i) { return i % 2 ? 0u : 0xFFFFFFFFu; }},
      {"scrambled", [](uint32_t i) { return i * 2654435761u; }},
  };
  for (const auto& c : cases) {
    const uint32_t n = 99999;
    g_PackIndex = PackIndex{};
    g_PackIndex.count = n;
    for (uint32_t i = 0; i < n; ++i) {
      g_PackIndex.hash.push_back(c.hash(i));
      g_PackIndex.pack.push_back(i);
      g_PackIndex.pos.push_back(c.hash(i) ^ 0x5555u);
    }
    Pack_SortIndex(0, n - 1);
    EXPECT_TRUE(std::is_sorted(g_PackIndex.hash.begin(), g_PackIndex.hash.end())) << c.what;
    std::vector<uint32_t> packs = g_PackIndex.pack;
    std::sort(packs.begin(), packs.end());
    for (uint32_t i = 0; i < n; ++i) {
      ASSERT_EQ(packs[i], i) << c.what;
      ASSERT_EQ(g_PackIndex.hash[i], c.hash(g_PackIndex.pack[i])) << c.what;
      ASSERT_EQ(g_PackIndex.pos[i], g_PackIndex.hash[i] ^ 0x5555u) << c.what;
    }
  }
}

TEST(PackIndex, FreeHeaderBytesAreNeverRead) {
  GameDir g;
  std::string pack = Pack_Build({{"a.txt", "A"}});
  for (size_t i = 16; i < 32; ++i) pack[i] = char(0xEE);
  g.Write("p.qpf", pack);
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_EQ(LoadAll("a.txt"), "A");
}

TEST(PackIndex, DamagedStoredNameIsNotFound) {
  GameDir g;
  PackLayout lay;
  std::string pack = Pack_Build({{"a.txt", "A"}}, {}, &lay);
  pack[lay.entries[0].dirAt + 5] = char(~uint8_t('b'));  // "b.txt" stored under a's hash
  g.Write("p.qpf", pack);
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_EQ(LoadAll("a.txt"), "<missing>");
  EXPECT_EQ(LoadAll("b.txt"), "<missing>");
}

}  // namespace

namespace {

const char* const kPacSpellings[8] = {"pac", "Pac", "pAc", "paC", "PAc", "PaC", "pAC", "PAC"};

// `n` folders spelled "pac" in some case, breadth first, eight per parent.
void MakePacFolders(const std::string& root, int n) {
  std::vector<std::string> level = {root};
  while (n > 0) {
    std::vector<std::string> next;
    for (const std::string& parent : level) {
      for (const char* s : kPacSpellings) {
        if (n-- <= 0) break;
        next.push_back(parent + "/" + s);
        std::filesystem::create_directories(next.back());
      }
    }
    level = std::move(next);
  }
}

TEST(PackWalk, FolderCountLimit) {
  for (int n : {999, 1000}) {
    GameDir g;
    MakePacFolders(g.path(), n);
    Pack_InitNameTable();
    ErrCapture w;
    EXPECT_EQ(Pack_FindArchives(10, "."), n == 999 ? 0 : -1) << n;
    EXPECT_EQ(w.Numbers(), n == 999 ? std::vector<int32_t>{} : std::vector<int32_t>{104110}) << n;
  }
}

TEST(PackWalk, DepthLimit) {
  for (int n : {30, 31}) {
    GameDir g;
    std::string p = g.path();
    for (int i = 0; i < n; ++i) p += "/pac";
    std::filesystem::create_directories(p);
    g.Write("pac/x.qpf", Pack_Build({{"x", "x"}}));
    Pack_InitNameTable();
    ErrCapture w;
    EXPECT_EQ(Pack_FindArchives(100, "."), n == 30 ? 0 : -1) << n;
    EXPECT_EQ(w.Numbers(), n == 30 ? std::vector<int32_t>{} : std::vector<int32_t>{104111}) << n;
  }
}

}  // namespace

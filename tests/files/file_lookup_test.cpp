// Lookup over the four sources, extension tries, type codes, loose files.
#include <cstring>
#include <filesystem>

#include "files_test_util.h"

namespace {

TEST(FileTypeFromExt, CodesByEnding) {
  const struct {
    const char* name;
    uint8_t type;
  } cases[] = {
      {"a.bmp", 1}, {"a.png", 2}, {"a.jpg", 3}, {"a.gif", 4}, {"a.wav", 5}, {"a.ogg", 6},
      {"a.psd", 7}, {"a.qcg", 8}, {"a.psb", 9}, {"A.PNG", 2}, {"x.Ogg", 6}, {"a.jpeg", 0},
      {"png", 0},   {"", 0},      {"a.txt", 0}, {"bmp.png", 2}, {"a.qcg.png", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(File_TypeFromExt(c.name), c.type) << c.name;
}

// Puts "same.txt" into all four sources, each with its own contents.
void FillAllSources(GameDir& g) {
  g.Write("same.txt", "loose");
  g.Write("data.qpf", Pack_Build({{"same.txt", "pack"}}));
  ASSERT_EQ(BuildIndex(), 0);
  ASSERT_TRUE(Fixture_UseStore({{"same.txt", "store"}}));
  static char name[] = "same.txt";
  static uint8_t bytes[] = {'c', 'a', 'c', 'h', 'e'};
  g_MemCache[2].count = 1;
  g_MemCache[2].slots[0] = {name, 5, 0, bytes};
}

TEST(FileLookup, SourcesInOrderCacheStoreLoosePack) {
  GameDir g;
  FillAllSources(g);
  EXPECT_EQ(LoadAll("same.txt"), "cache");
  g_MemCache[2].count = 0;
  EXPECT_EQ(LoadAll("same.txt"), "store");
  File_StoreClear();
  EXPECT_EQ(LoadAll("same.txt"), "loose");
  std::filesystem::remove(g.path() + "/same.txt");
  EXPECT_EQ(LoadAll("same.txt"), "pack");
}

TEST(FileLookup, FoundSourceAndPlaceRecorded) {
  GameDir g;
  FillAllSources(g);
  FileRef ref;
  EXPECT_EQ(File_Lookup(ref, "same.txt", true), kFileSrcMemCache);
  EXPECT_EQ(ref.cacheGroup, 2u);
  EXPECT_EQ(ref.cacheSlot, 0u);
  g_MemCache[2].count = 0;
  EXPECT_EQ(File_Lookup(ref, "same.txt", true), kFileSrcStore);
  EXPECT_EQ(ref.type, 0);  // a store hit has no type
  EXPECT_EQ(File_Lookup(ref, "missing.txt", true), 0);
  EXPECT_EQ(ref.source, kFileSrcNone);
}

TEST(FileLookup, AppendedDataPutPacksBeforeLooseFiles) {
  GameDir g;
  std::string exe = std::string(4096, 'x');
  g.Write("game.bin", exe + Pack_Build({{"same.txt", "appended"}}));
  g.Write("same.txt", "loose");
  g_FileAppended.present = 1;
  g_FileAppended.exePath = g.path() + "/game.bin";
  g_FileAppended.packStart = exe.size();
  ASSERT_EQ(BuildIndex(), 0);
  EXPECT_EQ(LoadAll("same.txt"), "appended");
  EXPECT_EQ(g_PackList.count, 1u);
}

TEST(FileLookup, LooseFilesCaseInsensitiveAndNotFolders) {
  GameDir g;
  g.Write("BG/Title.PNG", "png");
  g.Write("Folder.png/inner", "x");
  EXPECT_EQ(LoadAll("bg\\title.png"), "png");
  EXPECT_TRUE(File_Exists("bg\\title.png"));
  EXPECT_FALSE(File_Exists("folder.png"));
  FileRef ref;
  char out[kFilePathMax];
  EXPECT_EQ(File_Resolve(ref, out, "folder", kResolveImage), 1);
  EXPECT_FALSE(File_Exists("\\etc\\passwd"));
}

TEST(FileLookup, JapaneseLooseNameMatchesByItsShiftJisBytes) {
  GameDir g;
  // "画像" in UTF-8 on disk; the engine asks in Shift-JIS.
  g.Write("画像/A.txt", "jp");
  EXPECT_EQ(LoadAll("\x89\xe6\x91\x9c\\a.txt"), "jp");
}

TEST(FileLookup, StoreComparesExactlySoTrailBytesStayApart) {
  GameDir g;
  // 0x83 0x41 and 0x83 0x61 are two different katakana; folding the trail
  // byte would take one for the other.
  ASSERT_TRUE(Fixture_UseStore({{"\x83\x41.txt", "first"}, {"\x83\x61.txt", "second"}}));
  EXPECT_EQ(LoadAll("\x83\x41.txt"), "first");
  EXPECT_EQ(LoadAll("\x83\x61.txt"), "second");
}

struct ResolveCase {
  const char* name;
  int kind;
  int result;
  const char* out;
};

TEST(FileResolve, ExtensionTriesAndNames) {
  GameDir g;
  g.Write("bg/title.bmp", "bmp");
  g.Write("bg/title.png", "png");
  g.Write("x.qcg.png", "qcgpng");
  g.Write("x.qcg", "qcg");
  g.Write("se/hit.wav", "wav");
  g.Write("only.psb", "psb");
  const ResolveCase cases[] = {
      {"BG/Title", kResolveImage, 0, "bg\\title.png"},
      {"bg\\title", kResolveImage, 0, "bg\\title.png"},
      {"./bg/../bg/title", kResolveImage, 0, "bg\\title.png"},
      {"bg/title.bmp", kResolveImage, 0, "bg\\title.bmp"},
      {"chara/face.PNG", kResolveImage, 1, "chara\\face.png"},
      {"x.qcg", kResolveImage, 0, "x.qcg.png"},
      {"x.qcg", kResolveExact, 0, "x.qcg"},
      {"only", kResolveImage, 0, "only.psb"},
      {"se/hit", kResolveSound, 0, "se\\hit.wav"},
      {"se/hit.ogg", kResolveSound, 1, "se\\hit.ogg"},
      {"bg/title", 5, -1, nullptr},
      {"bg/title", 2, -1, nullptr},
  };
  for (const auto& c : cases) {
    FileRef ref;
    char out[kFilePathMax] = {};
    EXPECT_EQ(File_Resolve(ref, out, c.name, c.kind), c.result) << c.name;
    if (c.out) {
      EXPECT_STREQ(out, c.out) << c.name;
    }
  }
}

TEST(FileResolve, SetsTheTypeOfTheFileFound) {
  GameDir g;
  g.Write("a.jpg", "j");
  FileRef ref;
  char out[kFilePathMax];
  ASSERT_EQ(File_Resolve(ref, out, "a", kResolveImage), 0);
  EXPECT_EQ(ref.type, kFileTypeJpg);
  EXPECT_EQ(ref.source, kFileSrcLoose);
}

TEST(FileResolve, OrderFromConfigurationAndUnknownCodesSkipped) {
  GameDir g;
  g.Write("a.png", "p");
  g.Write("a.gif", "g");
  g.Write("s.ogg", "o");
  g.Write("s.wav", "w");
  FileRef ref;
  char out[kFilePathMax];
  const uint8_t gifFirst[5] = {0, 9, 4, 1, 2};
  std::memcpy(g_ImageExtOrder, gifFirst, 5);
  ASSERT_EQ(File_Resolve(ref, out, "a", kResolveImage), 0);
  EXPECT_STREQ(out, "a.gif");
  const uint8_t none[5] = {0, 0, 6, 7, 255};
  std::memcpy(g_ImageExtOrder, none, 5);
  EXPECT_EQ(File_Resolve(ref, out, "a", kResolveImage), 1);
  g_SoundExtOrder[0] = 2;
  g_SoundExtOrder[1] = 1;
  ASSERT_EQ(File_Resolve(ref, out, "s", kResolveSound), 0);
  EXPECT_STREQ(out, "s.wav");
}

TEST(FileResolve, NamesTooLongForTheBuffersAreFoundNowhere) {
  GameDir g;
  std::string longName(300, 'a');
  std::string edge(kFilePathMax - 4, 'b');  // no room left for ".png" and the NUL
  FileRef ref;
  char out[kFilePathMax];
  EXPECT_EQ(File_Resolve(ref, out, longName.c_str(), kResolveImage), 1);
  EXPECT_EQ(File_Resolve(ref, out, edge.c_str(), kResolveImage), 1);
  EXPECT_EQ(File_Resolve(ref, out, longName.c_str(), kResolveExact), 1);
  EXPECT_LT(std::strlen(out), kFilePathMax);
}

TEST(FileResolve, CacheAndStoreWinOverLooseAndPack) {
  GameDir g;
  g.Write("img.png", "loose");
  ASSERT_TRUE(Fixture_UseStore({{"img.png", "store"}}));
  FileRef ref;
  char out[kFilePathMax];
  ASSERT_EQ(File_Resolve(ref, out, "IMG", kResolveImage), 0);
  EXPECT_EQ(ref.source, kFileSrcStore);
}

TEST(FileLoad, EmptyLooseFileLoadsWithData) {
  GameDir g;
  g.Write("empty.txt", "");
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "empty.txt", false), kFileSrcLoose);
  ASSERT_EQ(File_Load(ref, "empty.txt"), 0);
  EXPECT_EQ(ref.size, 0u);
  EXPECT_NE(ref.data, nullptr);
  std::free(ref.data);
}

TEST(FileLoad, LooseFileOf4GiBIsRefusedNotTruncated) {
  GameDir g;
  g.Write("huge.bin", "");
  std::error_code ec;
  std::filesystem::resize_file(g.path() + "/huge.bin", (uint64_t(1) << 32), ec);  // sparse
  if (ec) GTEST_SKIP() << "no sparse files here";
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "huge.bin", false), kFileSrcLoose);
  ErrCapture w;
  EXPECT_EQ(File_Load(ref, "huge.bin"), -3);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104010});
  EXPECT_EQ(ref.data, nullptr);
}

TEST(FileLoad, LooseFileGoneBeforeLoadIsReported) {
  GameDir g;
  g.Write("gone.txt", "x");
  FileRef ref;
  ASSERT_EQ(File_Lookup(ref, "gone.txt", false), kFileSrcLoose);
  std::filesystem::remove(g.path() + "/gone.txt");
  ErrCapture w;
  EXPECT_EQ(File_Load(ref, "gone.txt"), -3);
  EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104010});
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST(FileLoad, NeededFileMissingIs104060AndUnknownSourceMinus2) {
  GameDir g;
  FileRef ref;
  {
    ErrCapture w;
    EXPECT_LT(File_LoadNeeded(ref, "qvbin/none.qbn"), 0);
    EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104060});
  }
  FileRef odd;
  odd.source = 7;
  EXPECT_EQ(File_Load(odd, "x"), -2);
}

TEST(FileLoad, NeededFileFromStoreWithMixedCaseName) {
  GameDir g;
  ASSERT_TRUE(Fixture_UseStore({{"QVBIN\\QVT.QBN", "vars"}}));
  FileRef ref;
  ASSERT_EQ(File_LoadNeeded(ref, "qvbin/QVT.qbn"), 0);
  EXPECT_EQ(Bytes(ref), "vars");
  std::free(ref.data);
}

}  // namespace

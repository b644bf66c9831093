// File commands on a temporary game folder, the text table split by table
// of cases, and the preload cache's eviction order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "files/files.h"
#include "platform/fs.h"
#include "scene_testutil.h"
#include "support/test_env.h"
#include "vm/file_cmds.h"

namespace {

constexpr uint32_t kI = 1000, kT = 1001, kA = 1002;

struct InFolder {
  InFolder() : old(std::filesystem::current_path()) { std::filesystem::current_path(dir.path()); }
  ~InFolder() { std::filesystem::current_path(old); }
  TempDir dir;
  std::filesystem::path old;
};

struct FileRun {
  explicit FileRun(const std::function<void(fx::Scene&)>& body) {
    g_QuitRequested = 0;
    fx::Game g;
    g.IntVar(kI, {}, -1).TextVar(kT, {}, "old").IntVar(kA, {8}, -1).TextVar(1003, {1});
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    if (loaded == 0) RunFrames(1);
  }
  ~FileRun() { Script_FreeAll(); }
  int loaded;
  ErrCapture log;
};

fx::Expr E(int i) { return fx::Elem(kA, {fx::Int(i)}); }

TEST(FileCmds, FoldersCopiesDeletesAndQueries) {
  InFolder f;
  f.dir.Write("Data/one.txt", "hello");
  FileRun r([](fx::Scene& s) {
    s.Cmd("file", {{"folder", fx::Text("made/deep/er")}, {"mkdir", fx::Int(1)}});
    s.Cmd("file", {{"file", fx::Text("data/ONE.txt")}, {"file2", fx::Text("made/two.txt")}, {"copy", fx::Int(1)}});
    s.Cmd("filequery", {{"folder", fx::Text("made\\deep\\er")}, {"exists", fx::Int(1)}, {"result", E(0)}});
    s.Cmd("filequery", {{"file", fx::Text("made/two.txt")}, {"exists", fx::Int(1)}, {"result", E(1)}});
    s.Cmd("filequery", {{"file", fx::Text("made/two.txt")}, {"size", fx::Int(1)}, {"result", E(2)}});
    s.Cmd("filequery", {{"file", fx::Text("made")}, {"size", fx::Int(1)}, {"result", E(3)}});
    s.Cmd("file", {{"file", fx::Text("made/two.txt")}, {"delete", fx::Int(1)}});
    s.Cmd("filequery", {{"file", fx::Text("made/two.txt")}, {"exists", fx::Int(1)}, {"result", E(4)}});
    s.Cmd("file", {{"folder", fx::Text("made/deep/er")}, {"delete", fx::Int(1)}});
    s.Cmd("filequery", {{"folder", fx::Text("made/deep/er")}, {"exists", fx::Int(1)}, {"result", E(5)}});
    s.Cmd("filequery", {{"folder", fx::Text("made/deep")}, {"exists", fx::Int(1)}, {"result", E(6)}});
    s.Cmd("filequery", {{"file", fx::Text("x")}, {"exists", fx::Int(1)}, {"result", fx::Var(kT)}});
  });
  ASSERT_EQ(r.loaded, 0);
  const int64_t want[] = {1, 1, 5, 0, 0, 0, 1};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(IntVar(kA, i), want[i]) << i;
  EXPECT_TRUE(r.log.Has(101140));  // a text result variable
}

TEST(FileCmds, ImageExistsUsesTheResolversExtensions) {
  InFolder f;
  f.dir.Write("a.psb", "x");
  f.dir.Write("b.psd", "x");
  FileRun r([](fx::Scene& s) {
    s.Cmd("filequery", {{"image", fx::Text("a")}, {"exists", fx::Int(1)}, {"result", E(0)}});
    s.Cmd("filequery", {{"image", fx::Text("b")}, {"exists", fx::Int(1)}, {"result", E(1)}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(kA, 0), 1);
  EXPECT_EQ(IntVar(kA, 1), 0);
}

TEST(TextTable, SplitByCase) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> want;
  } cases[] = {
      {"two lines with CR LF", "a,b\r\nc\r\n", {"a", "b", "c"}},
      {"no final line end", "a,b\nc", {"a", "b", "c"}},
      {"one column", "x\ny\n", {"x", "y"}},
      {"empty line", "a\n\nb\n", {"a", "", "b"}},
      {"leading comma", ",a\n", {"", "a"}},
      {"blanks before a field", "  a,\tb c\n", {"a", "b c"}},
      {"quoted comma", "\"a,b\",'c,d',e\n", {"\"a,b\"", "'c,d'", "e"}},
      {"CR alone", "a\rb\r", {"a", "b"}},
      {"double-byte trail comma", "\x83\x2c,z\n", {"\x83\x2c", "z"}},
      {"empty data", "", {}},
  };
  for (const Case& c : cases) {
    auto got = File_SplitTextTable(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size());
    EXPECT_EQ(got, c.want) << c.what;
  }
}

TEST(FileCmds, TextTableIntoAGrowingArrayAndItsCount) {
  InFolder f;
  f.dir.Write("t.csv", "a,b\r\nc\r\n");
  FileRun r([](fx::Scene& s) {
    s.Cmd("texttable", {{"file", fx::Text("T.CSV")}, {"split", fx::Int(1)}, {"target", fx::Elem(1003, {fx::Int(0)})}});
    s.Cmd("texttable", {{"file", fx::Text("t.csv")}, {"count", fx::Int(1)}, {"target", fx::Var(kI)}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  EXPECT_EQ(StrVar(1003, 0), "a");
  EXPECT_EQ(StrVar(1003, 1), "b");
  EXPECT_EQ(StrVar(1003, 2), "c");
  EXPECT_EQ(IntVar(kI), 3);
  FileRun missing([](fx::Scene& s) {
    s.Cmd("texttable", {{"file", fx::Text("none.csv")}, {"count", fx::Int(1)}, {"target", fx::Var(kI)}});
  });
  EXPECT_EQ(missing.log.First(), 104060);
}

TEST(MemCache, EvictionOrderByCase) {
  InFolder f;
  for (int i = 0; i < 514; ++i) f.dir.Write("p" + std::to_string(i) + ".png", std::string(size_t(i % 7 + 1), 'x'));
  struct Step {
    const char* what;
    std::vector<int> preload;  // file numbers, in order
    int wantFirst, wantLast, wantCount;
  } steps[] = {
      {"three in order", {0, 1, 2}, 0, 2, 3},
      {"again makes it newest", {0}, 1, 0, 3},
  };
  File_ClearMemCache();
  for (const Step& st : steps) {
    for (int n : st.preload) ASSERT_EQ(File_PreloadToMemCache(0, ("p" + std::to_string(n)).c_str(), kResolveImage), 0);
    const MemCacheGroup& g = g_MemCache[0];
    ASSERT_EQ(g.count, st.wantCount) << st.what;
    EXPECT_STREQ(g.slots[0].name, ("p" + std::to_string(st.wantFirst) + ".png").c_str()) << st.what;
    EXPECT_STREQ(g.slots[g.count - 1].name, ("p" + std::to_string(st.wantLast) + ".png").c_str()) << st.what;
  }
  File_ClearMemCache();
  uint64_t sum = 0;
  for (int i = 0; i < 513; ++i) {
    ASSERT_EQ(File_PreloadToMemCache(1, ("p" + std::to_string(i)).c_str(), kResolveImage), 0);
    if (i >= 1) sum += uint64_t(i % 7 + 1);
  }
  EXPECT_EQ(g_MemCache[1].count, 512);
  EXPECT_STREQ(g_MemCache[1].slots[0].name, "p1.png");
  EXPECT_EQ(g_MemCache[1].total, sum);
  // The cached copy is found after the loose file is gone.
  std::filesystem::remove(f.dir.path() + "/p5.png");
  FileRef ref;
  char out[kFilePathMax];
  EXPECT_EQ(File_Resolve(ref, out, "p5", kResolveImage), 0);
  EXPECT_EQ(ref.source, kFileSrcMemCache);
  File_ClearMemCache();
}

}  // namespace

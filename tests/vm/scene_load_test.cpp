// Scene loading: threaded code from a fixture game, the load-time label
// resolution, the per-section XOR, scene-scope variables, and bad scene
// files that must be refused with a number (once) instead of being run.
#include <gtest/gtest.h>

#include <functional>

#include "scene_testutil.h"

namespace {

// A game whose scene 0 starts at SYSTEM_START, runs `body` and then waits.
fx::Game MakeGame(const std::function<void(fx::Scene&)>& body) {
  fx::Game g;
  g.IntVar(1000);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  body(s);
  EndWithWait(s);
  return g;
}

// Applies the scene key to the four sections (its own inverse), so a test
// can patch a scene file's plain bytes.
void XorSections(std::string& f) {
  uint8_t key[4];
  fx::SceneKey(key);
  size_t at = 32;
  for (int k = 0; k < 4; ++k) {
    uint32_t n;
    std::memcpy(&n, f.data() + 12 + 4 * k, 4);
    for (size_t i = 0; i < n && at + i < f.size(); ++i) f[at + i] = char(uint8_t(f[at + i]) ^ key[i & 3]);
    at += n;
  }
}

TEST(SceneLoad, MinimalGameRunsItsAssignment) {
  ErrCapture log;
  fx::Game g = MakeGame([](fx::Scene& s) { s.Let(fx::Var(1000), fx::Int(42)); });
  ASSERT_EQ(LoadGame(g), 0) << log.First();
  RunFrames(2);
  EXPECT_EQ(IntVar(1000), 42);
  EXPECT_TRUE(log.Empty()) << log.First();
}

TEST(SceneLoad, SecondLoadReturnsTheSameCode) {
  fx::Game g = MakeGame([](fx::Scene&) {});
  ASSERT_EQ(LoadGame(g), 0);
  const SceneCode* a = Scene_Code(0);
  ASSERT_NE(a, nullptr);
  File_StoreClear();  // a second read would now fail
  EXPECT_EQ(Scene_Load(0), 1);
  EXPECT_EQ(Scene_Code(0), a);
}

TEST(SceneLoad, ConstantLabelsAreResolvedAtLoad) {
  fx::Game g;
  g.IntVar(1000);
  g.TextVar(1001, {}, "there");
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Jump("there");                                        // pc 0: constant
  s.JumpTo(fx::Var(1001).As(fx::kTypeText));              // pc 1: from a variable
  s.Call("there");                                        // pc 2
  s.Label("there");
  EndWithWait(s);
  ASSERT_EQ(LoadGame(g), 0);
  const SceneCode* c = Scene_Code(0);
  ASSERT_NE(c, nullptr);
  int32_t there = Label_Find("there", 5);
  ASSERT_GE(there, 0);
  EXPECT_EQ(c->desc[0][0].length, uint32_t(there) + kJumpResolvedBit);
  EXPECT_LT(c->desc[1][0].length, kJumpResolvedBit);
  uint16_t idx;
  std::memcpy(&idx, &c->desc[2][0].type, 2);
  EXPECT_EQ(idx, there == 0 ? 0 : there);  // index 0 cannot be stored
  EXPECT_EQ(Label_Find("absent", 6), -1);
}

TEST(SceneLoad, EachSectionRestartsTheKey) {
  fx::Game g;
  g.IntVar(1000);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Line(100).Let(fx::Var(1000), fx::Int8(3));  // 5 + 4 expression bytes: odd
  s.Line(200).Let(fx::Var(1000), fx::Int8(4));
  EndWithWait(s);
  ASSERT_EQ(LoadGame(g), 0);
  const SceneCode* c = Scene_Code(0);
  ASSERT_NE(c, nullptr);
  EXPECT_NE(c->exprSize % 4, 0u);
  EXPECT_EQ(c->lines[0], 100u);
  EXPECT_EQ(c->lines[1], 200u);
  EXPECT_EQ(c->argc[0], 2);
}

TEST(SceneLoad, SceneVariablesAreSetWhenTheSceneLoads) {
  fx::Game g = MakeGame([](fx::Scene&) {});
  g.IntVar(1001, {2}, 5, /*scope*/ 2, /*scene*/ 1);
  fx::Scene& s1 = g.Scene(1);
  EndWithWait(s1);
  ASSERT_EQ(LoadGame(g), 0);
  EXPECT_EQ(g_VarTable.vars[1001].type, 0);
  ASSERT_EQ(Scene_Load(1), 1);
  EXPECT_EQ(IntVar(1001, 1), 5);
}

TEST(SceneLoad, MissingOrUnlistedScenesAreReported) {
  fx::Game g = MakeGame([](fx::Scene&) {});
  g.ListScene(3, "gone.txt");
  {
    ErrCapture log;
    ASSERT_EQ(LoadGame(g), 0) << log.First();
  }
  {
    ErrCapture log;
    EXPECT_EQ(Scene_Load(3), 0);
    EXPECT_EQ(log.First(), 104060);
  }
  ErrCapture log;
  EXPECT_EQ(Scene_Load(4), 0);  // beyond the scene list
  EXPECT_EQ(log.First(), 104060);
}

// Bad scene files: each is refused with 104010, once; the scene then stays
// unloaded.
TEST(SceneLoad, MalformedScenesAreRefused) {
  struct Case {
    const char* what;
    std::function<void(std::string&)> patch;  // on the plain bytes
  };
  auto u32 = [](std::string& f, size_t at, uint32_t v) { fx::PatchU32(f, at, v); };
  const Case cases[] = {
      {"header cut", [](std::string& f) { f.resize(20); }},
      {"sections past the end", [](std::string& f) { f.resize(f.size() - 1); }},
      {"instruction size wrong", [&](std::string& f) { u32(f, 12, 12); }},
      {"line size wrong", [&](std::string& f) { u32(f, 24, 4); }},
      {"descriptor size not 12s", [&](std::string& f) { u32(f, 16, 13); }},
      {"argc past the descriptors", [](std::string& f) { f[32 + 1] = char(200); }},
      {"expression past its section", [&](std::string& f) { u32(f, 32 + 4 * 2 + 4, 0x7fffffff); }},
      {"offset past its section", [&](std::string& f) { u32(f, 32 + 4 * 2 + 8, 0xfffffff0u); }},
      {"value type 0", [](std::string& f) { f[32 + 4 * 2 + 2] = 0; }},
      {"value type 5", [](std::string& f) { f[32 + 4 * 2 + 2] = 5; }},
  };
  for (const Case& c : cases) {
    fx::Game g;
    g.IntVar(1000);
    fx::Scene& s0 = g.Scene(0);
    s0.Label("SYSTEM_START");
    EndWithWait(s0);
    fx::Scene& s1 = g.Scene(1);
    s1.Let(fx::Var(1000), fx::Int(1));  // pc 0: two descriptors
    s1.Raw(102, {{0, 1, 0, fx::Int(1), {}, {}}});
    fx::Files files = g.Build();
    std::string& f = files["qvbin\\qvt00001.qbn"];
    XorSections(f);
    c.patch(f);
    if (f.size() >= 32) XorSections(f);
    Pack_InitNameTable();
    ASSERT_TRUE(fx::UseStore(files));
    ASSERT_EQ(Obj_CreateSystemRoots(), 0);
    ASSERT_EQ(Script_LoadAll(), 0);
    ErrCapture log;
    EXPECT_EQ(Scene_Load(1), 0) << c.what;
    EXPECT_EQ(log.First(), 104010) << c.what;
    log.Clear();
    EXPECT_EQ(Scene_Load(1), 0) << c.what;
    EXPECT_TRUE(log.Empty()) << c.what;
    Script_FreeAll();
  }
}

TEST(SceneLoad, BlockPcsOutsideTheSceneAreRefused) {
  struct Case {
    const char* what;
    std::function<void(fx::Scene&)> body;
  };
  const Case cases[] = {
      {"IF end", [](fx::Scene& s) { s.Raw(45, {{0, 1, 0, fx::Int(1), {}, {}}, {1, 1, 0, {}, 0u, 0u}, {2, 1, 0, {}, 99u, 0u}}); }},
      {"IF next", [](fx::Scene& s) { s.Raw(45, {{0, 1, 0, fx::Int(1), {}, {}}, {1, 1, 0, {}, 3u, 0u}, {2, 1, 0, {}, 1u, 0u}}); }},
      {"ELSE-IF next", [](fx::Scene& s) { s.Raw(11, {{0, 1, 0, fx::Int(1), {}, {}}, {1, 1, 0, {}, 2u, 0u}}); }},
      {"LOOP end", [](fx::Scene& s) { s.Raw(56, {{0, 1, 0, fx::Int(1), {}, {}}, {1, 1, 0, {}, 2u, 0u}}); }},
      {"IF with one descriptor", [](fx::Scene& s) { s.Raw(45, {{0, 1, 0, fx::Int(1), {}, {}}}); }},
      {"ELSE-IF with one descriptor", [](fx::Scene& s) { s.Raw(11, {{0, 1, 0, fx::Int(1), {}, {}}}); }},
      {"LET with one descriptor", [](fx::Scene& s) { s.Raw(54, {{1, 1, 0, fx::Var(1000), {}, {}}}); }},
      {"jump without label", [](fx::Scene& s) { s.Raw(43); }},
  };
  for (const Case& c : cases) {
    fx::Game g;
    g.IntVar(1000);
    fx::Scene& s0 = g.Scene(0);
    s0.Label("SYSTEM_START");
    EndWithWait(s0);
    fx::Scene& s1 = g.Scene(1);
    c.body(s1);
    s1.Raw(102, {{0, 1, 0, fx::Int(1), {}, {}}});
    ASSERT_EQ(LoadGame(g), 0);
    ErrCapture log;
    EXPECT_EQ(Scene_Load(1), 0) << c.what;
    EXPECT_EQ(log.First(), 104010) << c.what;
    Script_FreeAll();
  }
}

TEST(SceneLoad, UnknownCommandNumbersRunTheUnknownHandler) {
  fx::Game g;
  g.IntVar(1000);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Raw(200);  // beyond the table
  EndWithWait(s);
  ErrCapture log;
  ASSERT_EQ(LoadGame(g), 0);
  EXPECT_EQ(Scene_Code(0)->handlers[1][0], Cmd_Unknown);
  RunFrames(1);
  EXPECT_EQ(log.First(), 900050);
  EXPECT_EQ(g_QuitRequested, 1);
}

TEST(SceneLoad, AnUnassignedNumberReportsWhenRun) {
  fx::Game g;
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Raw(17);
  EndWithWait(s);
  ErrCapture log;
  ASSERT_EQ(LoadGame(g), 0);
  RunFrames(1);
  EXPECT_EQ(log.First(), 900050);
}

}  // namespace

namespace {

// The call's 16-bit label field cannot hold an index of 65536 or more: such
// a label is left for run time instead of being cut to the wrong label.
TEST(SceneLoad, CallLabelsBeyondSixteenBitsAreNotPreResolved) {
  fx::Game g;
  std::string high;  // a name whose hash sorts it last
  for (int i = 0; i < 70000; ++i) {
    std::string n = "l" + std::to_string(i);
    g.Label(n, 0, 0);
    if (high.empty() && (Hash_Murmur2(n.data(), n.size()) >> 24) == 0xFF) high = n;
  }
  ASSERT_FALSE(high.empty());
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Call(high);
  s.Jump(high);
  EndWithWait(s);
  ASSERT_EQ(LoadGame(g), 0);
  int32_t idx = Label_Find(high.data(), high.size());
  ASSERT_GE(idx, 65536);
  const SceneCode* c = Scene_Code(0);
  uint16_t v;
  std::memcpy(&v, &c->desc[0][0].type, 2);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(c->desc[1][0].length, uint32_t(idx) + kJumpResolvedBit);
}

}  // namespace

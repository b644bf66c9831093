// System variables read by fixture scenes: the VM's own numbers, the
// engine-wide ones, the getters that higher subsystems install, and the text
// numbers.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "base/base.h"
#include "render/gpu.h"
#include "scene_testutil.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "shell/sysinfo.h"
#include "vm/host.h"
#include "text/text.h"
#include "vm/sysvar_hooks.h"

namespace {

// Runs one scene that copies each (number, index) read into 2000 + row.
struct SysVarRun {
  struct Read {
    int32_t number;
    int64_t index;
  };
  SysVarRun(const std::vector<Read>& ints, const std::vector<Read>& texts,
            const std::function<void(fx::Game&)>& extra = {}) {
    g_QuitRequested = 0;
    fx::Game g;
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    std::set<int32_t> declared;
    auto declare = [&](int32_t n, bool text) {
      if (!declared.insert(n).second) return;
      if (text) g.TextVar(uint16_t(n), {0x10001});
      else g.IntVar(uint16_t(n), {64});
    };
    for (size_t i = 0; i < ints.size(); ++i) {
      declare(ints[i].number, false);
      g.IntVar(uint16_t(2000 + i));
      s.Let(fx::Var(int32_t(2000 + i)), fx::Elem(ints[i].number, {fx::Int(ints[i].index)}));
    }
    for (size_t i = 0; i < texts.size(); ++i) {
      declare(texts[i].number, true);
      g.TextVar(uint16_t(3000 + i));
      s.Let(fx::Var(int32_t(3000 + i)), fx::Elem(texts[i].number, {fx::Int(texts[i].index)}).As(fx::kTypeText));
    }
    if (extra) extra(g);
    EndWithWait(s);
    loaded = LoadGame(g);
    if (loaded == 0) RunFrames(1);
  }
  ~SysVarRun() {
    Script_FreeAll();
    g_SysVarHooks = SysVarHooks();
  }
  int loaded;
  ErrCapture log;
};

TEST(SysVar, ConstantsAndEngineWideValues) {
  g_DataDirNotWritable = 1;
  g_SysVarUserByte = 1;
  g_SoundMode = 2;
  struct Case {
    int32_t number;
    int64_t index, want;
  } cases[] = {
      {49, 0, 999}, {108, 5, 480}, {9, 0, 1}, {121, 0, 1}, {4, 0, 1},
      {3, 0, 0},    {8, 0, 0},     {143, 0, 0}, {0, 16, 0}, {1, 5, 0},
  };
  std::vector<SysVarRun::Read> reads;
  for (const Case& c : cases) reads.push_back({c.number, c.index});
  SysVarRun r(reads, {});
  ASSERT_EQ(r.loaded, 0) << r.log.First();
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(IntVar(uint32_t(2000 + i)), cases[i].want) << cases[i].number << "[" << cases[i].index << "]";
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  g_DataDirNotWritable = 0;
  g_SysVarUserByte = 0;
  g_SoundMode = 0;
}

TEST(SysVar, MemoryFiguresAreConsistent) {
  SysVarRun r({{5, 0}, {6, 0}, {7, 0}}, {});
  ASSERT_EQ(r.loaded, 0);
  int64_t total = IntVar(2000), load = IntVar(2001), avail = IntVar(2002);
  EXPECT_GT(total, 0);
  EXPECT_LE(total, 0x7FFFFFFF);
  EXPECT_LE(avail, total);
  EXPECT_GE(load, 0);
  EXPECT_LE(load, 100);
}

// A getter installed by a higher subsystem answers before the VM; its
// absence reads as 0.
int64_t g_HookSeen = 0;
bool FakeSound(int32_t number, int64_t index, int64_t* out) {
  if (number != 4 && number != 113) return false;
  g_HookSeen = index;
  *out = number == 4 ? 7 : 1;
  return true;
}

TEST(SysVar, HooksAnswerFirstAndMissingOnesReadZero) {
  {
    SysVarRun r({{113, 0}, {115, 0}, {117, 0}}, {});
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(IntVar(2000), 0);
    EXPECT_EQ(IntVar(2001), 0);
    EXPECT_EQ(IntVar(2002), 0);
  }
  g_SysVarHooks.sound = FakeSound;
  SysVarRun r({{4, 3}, {113, 0}}, {}, [](fx::Game&) {});
  // LoadGame installs the shell's getter only; the sound slot set above stays.
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(2000), 7);
  EXPECT_EQ(IntVar(2001), 1);
}

TEST(SysVar, CharacterByCode) {
  struct Case {
    int64_t code;
    const char* want;
  } cases[] = {
      {0x41, "A"}, {0xB1, "\xB1"}, {0x82A0, "\x82\xA0"}, {0x955C, "\x95\x5C"},
      {0x81, ""},  {0x80, ""},     {0x8200, ""},         {0x827F, ""},
      {0x4141, ""}, {0, ""},       {0x10000, ""},
  };
  std::vector<SysVarRun::Read> reads;
  for (const Case& c : cases) reads.push_back({127, c.code});
  SysVarRun r({}, reads);
  ASSERT_EQ(r.loaded, 0) << r.log.First();
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(StrVar(uint32_t(3000 + i)), cases[i].want) << std::hex << cases[i].code;
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

TEST(SysVar, MessageTextAndOpsThroughTheTextGetter) {
  ASSERT_EQ(Msg_CreateRecord(), 0);
  std::memcpy(g_MsgCurrent->text, "ab\x82\xa0", 4);
  g_MsgCurrent->textCount = 4;
  std::memcpy(g_MsgCurrent->ops, "112", 3);
  g_MsgCurrent->opCount = 3;
  SysVarRun r({}, {{122, 0}, {123, 0}, {12, 0}, {14, 0}});
  ASSERT_EQ(r.loaded, 0) << r.log.First();
  EXPECT_EQ(StrVar(3000), "ab\x82\xa0");
  EXPECT_EQ(StrVar(3001), "112");
  EXPECT_EQ(StrVar(3002), "");
  EXPECT_EQ(StrVar(3003), "");
}

// The engine and window-event words read through the shell's getter, each
// from its own word; 113 from the renderer's drawing mode.
TEST(SysVar, EngineAndWindowEventWords) {
  struct Case {
    int32_t number;
    std::function<void()> set;
    int64_t want;
  } cases[] = {
      {3, [] { g_DirectXVersion = 9; }, 9},
      {114, [] { g_DesktopMetrics.refreshRate = 75; }, 75},
      {117, [] { g_CloseRequest = 1; }, 1},
      {118, [] { g_MinimizeRequest = 2; }, 2},
      {119, [] { g_MaximizeRequest = 3; }, 3},
      {120, [] { g_ScreenModeRequest = 4; }, 4},
      {132, [] { g_MenuCommand = 0x1234567890ull; }, 0x1234567890ll},
      {145, [] { g_LastKeyDown = 13; }, 13},
      {146, [] { g_LastMouseButton = 4; }, 4},
      {113, [] { g_D3dMode.FullGpu = 1; }, 1},
  };
  std::vector<SysVarRun::Read> reads;
  for (const Case& c : cases) {
    c.set();
    reads.push_back({c.number, 0});
  }
  SysVarRun r(reads, {}, [](fx::Game&) { Shell_InstallVmHooks(); });
  ASSERT_EQ(r.loaded, 0) << r.log.First();
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(IntVar(uint32_t(2000 + i)), cases[i].want) << cases[i].number;
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  g_DirectXVersion = 0;
  g_DesktopMetrics.refreshRate = -1;
  g_CloseRequest = g_MinimizeRequest = g_MaximizeRequest = g_ScreenModeRequest = 0;
  g_MenuCommand = 0;
  g_LastKeyDown = g_LastMouseButton = 0;
  g_D3dMode.FullGpu = 0;
  g_VmHostHooks = VmHostHooks();
}

// The engine and window-event words are read-only: a script that assigns
// to one is told so and the word keeps what the engine wrote.
TEST(SysVar, EngineAndWindowEventWordsAreReadOnly) {
  g_CloseRequest = 1;
  g_MenuCommand = 30001;
  g_LastKeyDown = 13;
  for (int32_t n : {3, 114, 117, 118, 119, 120, 132, 145, 146}) {
    g_QuitRequested = 0;
    fx::Game g;
    g.IntVar(uint16_t(n));
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    s.Let(fx::Var(n), fx::Int(1));
    EndWithWait(s);
    ErrCapture log;
    ASSERT_EQ(LoadGame(g), 0);
    RunFrames(1);
    EXPECT_EQ(log.First(), 101150) << n;
    Script_FreeAll();
  }
  EXPECT_EQ(g_CloseRequest.load(), 1);
  EXPECT_EQ(g_MenuCommand.load(), 30001u);
  EXPECT_EQ(g_LastKeyDown.load(), 13u);
  g_CloseRequest = 0;
  g_LastKeyDown = 0;
  g_MenuCommand = 0;
  g_SysVarHooks = SysVarHooks();
}

// The start-up's arguments and local time, the dropped files, the screen
// size, the sub windows' mouse positions and the top-level tasks.
TEST(SysVar, ArgumentsDropsScreenWindowsAndTasks) {
  g_Args.count = 3;
  g_DroppedFiles.count = 2;
  g_Screen.screenW = 800;
  g_Screen.screenH = 600;
  for (int i = 0; i < 8; ++i) g_StartLocalTime[i] = 100 + i;
  WindowRec subs[3];
  for (int i = 0; i < 3; ++i) {
    subs[i].mouseX = 11 * (i + 1);
    subs[i].mouseY = 44 + 11 * i;
    g_WindowRecs[i + 1] = &subs[i];
  }
  struct Case {
    int32_t number;
    int64_t index, want;
  } cases[] = {
      {13, 0, 3},   {15, 0, 2},   {115, 0, 800}, {116, 0, 600}, {135, 0, 11}, {136, 0, 22},
      {137, 0, 33}, {140, 0, 44}, {141, 0, 55},  {142, 0, 66},  {0, 8, 100},  {0, 15, 107},
  };
  std::vector<SysVarRun::Read> reads;
  for (const Case& c : cases) reads.push_back({c.number, c.index});
  reads.push_back({126, 0});
  SysVarRun r(reads, {});
  ASSERT_EQ(r.loaded, 0) << r.log.First();
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(IntVar(uint32_t(2000 + i)), cases[i].want) << cases[i].number << "[" << cases[i].index << "]";
  const ObjNode* tasks = g_TreeRoots[kTreeTask].root;
  ASSERT_NE(tasks, nullptr);
  EXPECT_GE(tasks->childCount, 1u);
  EXPECT_EQ(IntVar(uint32_t(2000 + std::size(cases))), int64_t(tasks->childCount));
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  for (int i = 1; i < 4; ++i) g_WindowRecs[i] = nullptr;
  g_Args.count = 0;
  g_DroppedFiles.count = 0;
  g_Screen = ScreenSizes();
  for (int i = 0; i < 8; ++i) g_StartLocalTime[i] = 0;
}

}  // namespace

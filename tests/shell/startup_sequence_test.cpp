// Sys_Startup: its step order, where each failure stops it and with what
// result, the switches, the screen-buffer size and the tables built once.
#include <algorithm>

#include "e2e/engine_game.h"
#include "fail_alloc.h"
#include "graphics/blend.h"
#include "platform/text.h"
#include "platform/threads.h"
#include "support/err_capture.h"
#include "text/text.h"
#include "vm/cmd_schema.h"

using namespace e2e;

extern uint8_t g_CmdFlags[128];

namespace {

std::vector<std::string> g_Trace;
void Record(const char* step) { g_Trace.push_back(step); }

// Desktop and worker count of the fake capability step.
int32_t g_FakeDesktopW = 0, g_FakeDesktopH = 0;
uint8_t g_FakeOs = 255;
uint8_t g_FakeWorkers = 0;
int FakeCaps() {
  Sys_ReadCaps();
  g_OsVersionCode = g_FakeOs;
  if (g_FakeDesktopW) g_DesktopMetrics.width = g_FakeDesktopW, g_DesktopMetrics.height = g_FakeDesktopH;
  if (g_FakeWorkers) g_WorkerCount = g_FakeWorkers;
  return 0;
}

// Threads started during the step named here are refused from the
// `g_RefuseThreadFrom`-th on (0: the first), as a system out of threads
// would refuse them; threads of other steps start as usual.
const char* g_RefuseThreadAt = nullptr;
int g_RefuseThreadFrom = 0;
bool RefusingThreadStart(std::thread* out, std::function<void()> body) {
  static int s_seen = 0;
  if (g_RefuseThreadAt && !g_Trace.empty() && g_Trace.back() == g_RefuseThreadAt &&
      s_seen++ >= g_RefuseThreadFrom)
    return false;
  *out = std::thread(std::move(body));
  return true;
}
void RefuseThreadsAt(const char* step, int from = 0) {
  g_RefuseThreadAt = step;
  g_RefuseThreadFrom = from;
  g_PlatThreadStart = RefusingThreadStart;
}

class StartupSeq : public EngineGame {
 protected:
  void SetUp() override {
    EngineGame::SetUp();
    g_Trace.clear();
    g_StartupTraceHook = Record;
    Idle(Main());
  }
  void TearDown() override {
    g_StartupTraceHook = nullptr;
    EngineGame::TearDown();
  }
  bool BoxSaid(const char* utf8) const {
    std::string sjis = Text_Utf8ToSjis(utf8);
    return std::any_of(boxes.begin(), boxes.end(),
                       [&](const std::string& b) { return b.find(sjis) != std::string::npos; });
  }

 public:
  std::string dropFile;  // a game file left out of the pack
  void UseFrameThread() { game.Cfg().frameThread = 1; }
};

TEST_F(StartupSeq, RunsEveryStepInOrder) {
  ASSERT_EQ(Start(), 0);
  const std::vector<std::string> want = {
      "config",     "pixelops",    "caps",         "osversion",    "packnames",
      "qvcfg",      "info",        "packindex",    "folderlock",   "datadir",
      "tables",     "tempprobe",   "binresource",  "windows",      "engineconfig",
      "screenbuffer", "mainwindow", "timerperiod", "roots",        "sound",
      "joysticks",  "emote",       "clock",        "sysinfo",      "scripts",
      "workers",    "soundthread", "screenmode",   "playtimers",   "gpudevice",
      "framethread"};
  EXPECT_EQ(g_Trace, want);
  EXPECT_EQ(g_DataPackaged, 1);  // the configuration came from a pack
  EXPECT_EQ(g_DataDir, g_ExeDir);
  EXPECT_EQ(g_DataDirNotWritable, 0);
  ASSERT_NE(g_WindowRecs[0], nullptr);
  EXPECT_EQ(g_WindowRecs[0]->logicalW, 160);
  EXPECT_NE(g_WindowRecs[0]->layerSet, nullptr);
  EXPECT_EQ(g_ScreenBuffer.width, 160);
  EXPECT_EQ(g_ScreenBuffer.height, 120);
  EXPECT_EQ(g_FrameThreadState.load(), kThreadNeverStarted);
  EXPECT_TRUE(boxes.empty());
}

// Each failure stops the start-up at its step with its result; nothing
// after it runs.
TEST_F(StartupSeq, FailuresStopAtTheirStep) {
  struct Case {
    const char* what;
    void (*prepare)(StartupSeq*);
    int result;
    const char* lastStep;
    const char* box;  // UTF-8 text expected in a box, or null
    int32_t err = 0;  // error number expected among the reports, or 0
  };
  const Case cases[] = {
      {"old system", [](StartupSeq*) { g_FakeOs = 5; }, -1, "osversion",
       "Windows95/NT3.5/NT4 では起動できません。"},
      // Without the configuration in the pack the data count as loose; the
      // compiler link is left out so that the configuration step is reached.
      {"no configuration",
       [](StartupSeq* t) {
         t->dropFile = "qvbin\\qvcfg.qbn";
         Startup_ReplaceStep("datadir", [] { return 0; });
       },
       -1, "engineconfig", nullptr},
      {"no labels", [](StartupSeq* t) { t->dropFile = "qvbin\\qvl.qbn"; }, 1, "scripts", nullptr},
      {"buffer of nothing", [](StartupSeq*) { g_FakeDesktopW = g_FakeDesktopH = 1; }, -1,
       "screenbuffer", nullptr},
      {"no window", [](StartupSeq*) { setenv("SDL_VIDEODRIVER", "no-such-driver", 1); }, -1,
       "mainwindow", "ウィンドウが生成できませんでした。"},
      // Every message command reads the current message record.
      {"no message record",
       [](StartupSeq*) {
         Sys_ForgetTables();
         delete g_MsgCurrent;
         g_MsgCurrent = nullptr;
         g_FailNothrowSize = sizeof(MessageRec);
       },
       -1, "tables", nullptr, 100010},
      {"no object trees",
       [](StartupSeq*) {
         ObjTreeRoot& menus = g_TreeRoots[kTreeMenu];
         Obj_DeleteTree(menus.root);
         menus.root = nullptr;
         Obj_RegisterRootMaker(kTreeMenu, [](ObjTreeRoot&) { return int32_t(1); });
       },
       -1, "roots", nullptr, 100010},
      // Window 0's root layer "W0" cannot be made: its record is refused
      // once the layer tree's own root holds one.
      {"no root layer W0",
       [](StartupSeq*) {
         g_FailNothrowWhen = [](size_t n) {
           const ObjNode* root = g_TreeRoots[kTreeLayer].root;
           return n == sizeof(LayerImage) && !g_Trace.empty() && g_Trace.back() == "roots" &&
                  root && root->record;
         };
       },
       -1, "roots", nullptr, 100010},
      // The system gives no thread for the pixel workers: none, or only the
      // first of two (the pool then holds one worker until the shut-down).
      {"no worker thread", [](StartupSeq*) { RefuseThreadsAt("workers"); }, -1, "workers",
       nullptr, 100010},
      {"second worker thread refused",
       [](StartupSeq*) {
         g_FakeWorkers = 2;
         RefuseThreadsAt("workers", 1);
       },
       -1, "workers", nullptr, 100010},
      {"no frame thread",
       [](StartupSeq* t) {
         t->UseFrameThread();
         RefuseThreadsAt("framethread");
       },
       -1, "framethread", nullptr, 100010},
  };
  int which = 0;
  if (const char* e = std::getenv("STARTUP_CASE")) which = std::atoi(e);
  // Every case runs in a fresh process through the death-test machinery, so
  // that its engine state does not leak into the next one.
  for (int i = 0; i < int(std::size(cases)); ++i) {
    if (which != 0 && which != i + 1) continue;
    EXPECT_EXIT(
        {
          const Case& c = cases[i];
          c.prepare(this);
          Startup_ReplaceStep("caps", FakeCaps);
          if (dropFile.empty()) {
            Install();
          } else {
            fx::Files files = game.Build();
            files.erase(dropFile);
            dir.Write("data.qpf", fx::PackImage(files));
            Fs_SetCurrentDir(dir.path());
            Boot_InitPathsFrom(dir.path() + "/tavren");
          }
          ErrCapture errs;
          int r = Sys_Startup();
          g_FailNothrowSize = 0;
          g_FailNothrowWhen = nullptr;
          bool ok = r == c.result && !g_Trace.empty() && g_Trace.back() == c.lastStep &&
                    (!c.box || BoxSaid(c.box)) && (!c.err || errs.Has(c.err));
          if (c.result == 1) ok = ok && g_QuitRequested == 1;  // App_RequestQuit ran
          Boot_Shutdown();
          std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << cases[i].what;
  }
}

TEST_F(StartupSeq, SettingsSwitchInAnyCaseOnlyStartsTheSettings) {
  static char a0[] = "tavren", a1[] = "/QvCfG";
  static char* argv[] = {a0, a1, nullptr};
  g_ProcessArgc = 2;
  g_ProcessArgv = argv;
  EXPECT_EQ(Start(), -1);
  EXPECT_EQ(g_Trace.back(), "qvcfg");
  // The program is not there: said so, not silent.
  EXPECT_TRUE(BoxSaid("エンジン設定 を起動できませんでした。"));
  g_ProcessArgv = nullptr;
  g_ProcessArgc = 0;
}

TEST(StartupSwitch, ComparesWithoutCase) {
  struct Case { const char* arg; bool match; };
  const Case cases[] = {{"/qvcfg", true}, {"/QVCFG", true}, {"/QvCfG", true},
                        {"/qvcfg ", false}, {"qvcfg", false}, {"/qvcf", false}, {"", false}};
  for (const Case& c : cases) EXPECT_EQ(Startup_IsSwitch(c.arg, "/qvcfg"), c.match) << c.arg;
}

TEST_F(StartupSeq, InfoSwitchReportsTheNotices) {
  static char a0[] = "tavren", a1[] = "/INFO";
  static char* argv[] = {a0, a1, nullptr};
  g_ProcessArgc = 2;
  g_ProcessArgv = argv;
  EXPECT_EQ(Start(), -1);
  EXPECT_EQ(g_Trace.back(), "info");
  EXPECT_STREQ(g_ErrCaption, "License Information");
  EXPECT_EQ(g_QuitRequested.load(), 1);
  g_ProcessArgv = nullptr;
  g_ProcessArgc = 0;
}

TEST(StartupBuffer, HalvesToTheDesktopWhenLarger) {
  struct Case { int32_t lw, lh, dw, dh, w, h; };
  const Case cases[] = {
      {1920, 1080, 1280, 1024, 640, 512},  // wider than the desktop
      {800, 1200, 1920, 1080, 960, 540},   // taller
      {1280, 1024, 1280, 1024, 1280, 1024},  // exactly the desktop
      {640, 480, 1920, 1080, 640, 480},
      {1300, 1000, 1279, 1023, 639, 511},  // halved toward zero
  };
  for (const Case& c : cases) {
    int32_t w = 0, h = 0;
    Startup_BufferSize(c.lw, c.lh, c.dw, c.dh, &w, &h);
    EXPECT_EQ(w, c.w) << c.lw << "x" << c.lh;
    EXPECT_EQ(h, c.h) << c.lw << "x" << c.lh;
  }
}

TEST_F(StartupSeq, LargeGameOnSmallDesktopGetsHalfDesktopBufferThenTheFittedWindow) {
  game.Cfg().width = 1920;
  game.Cfg().height = 1080;
  g_FakeDesktopW = 1280;
  g_FakeDesktopH = 1024;
  Startup_ReplaceStep("caps", FakeCaps);
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(g_ScreenBuffer.width, 640);
  EXPECT_EQ(g_ScreenBuffer.height, 512);
  // Then the window's size rules: the desktop's width at the aspect.
  EXPECT_EQ(g_Screen.shownW, 1280);
  EXPECT_EQ(g_Screen.shownH, 720);
  EXPECT_EQ(g_WindowRecs[0]->logicalW, 1920);
}

// A screen saver covers the desktop and takes no typed text.
TEST_F(StartupSeq, ScreenSaverModeTakesTheDesktopAndDetachesTheInputMethod) {
  g_ScreenSaverMode = 1;
  ASSERT_EQ(Start(), 0);
  g_ScreenSaverMode = 0;
  EXPECT_EQ(g_WindowRecs[0]->logicalW, g_DesktopMetrics.width);
  EXPECT_FALSE(Plat_IsTextInputOn());
  Plat_SetTextInput(true);
}

TEST(StartupTables, AreBuiltOnce) {
  Pix_InitOps(1, 1);
  Sys_InitTables();
  EXPECT_EQ(g_CmdFlags[0], 1);
  EXPECT_EQ(g_CmdFlags[127], 1);
  EXPECT_EQ(Blend_Product(255, 255), 255);
  EXPECT_EQ(Blend_Product(128, -255), -128);
  g_CmdFlags[5] = 7;
  Sys_InitTables();
  EXPECT_EQ(g_CmdFlags[5], 7);  // a second call changes nothing
  ASSERT_NE(CmdSchema_Get(14), nullptr);
  EXPECT_EQ(CmdSchema_Get(14)->handler, &Cmd_End);
}

}  // namespace

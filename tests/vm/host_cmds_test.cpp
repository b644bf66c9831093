// Host and engine commands run from fixture scenes: clipboard, boxes and
// text input with their answers, command flags, frame rate, label test,
// registry values, settings and play timers, system functions.
#include <gtest/gtest.h>

#include <functional>

#include "base/base.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/registry_file.h"
#include "platform/ui_dialog.h"
#include "scene_testutil.h"
#include "shell/startup.h"
#include "shell/window.h"
#include "vm/host.h"

namespace {

constexpr uint32_t kI = 1000, kD = 1001, kT = 1002, kA = 1003;

// A game with 1000 int, 1001 double, 1002 text, 1003 int[4]; `body` runs in
// the system task once.
struct HostRun {
  explicit HostRun(const std::function<void(fx::Scene&)>& body, int frames = 1,
                   const std::function<void(fx::Game&)>& more = {}) {
    g_QuitRequested = 0;
    fx::Game g;
    g.IntVar(kI, {}, -1).DoubleVar(kD, {}, -1).TextVar(kT, {}, "old").IntVar(kA, {4}, -1);
    if (more) more(g);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    if (loaded == 0) RunFrames(frames);
  }
  ~HostRun() {
    Script_FreeAll();
    MsgBox_SetRecorder({});
    TextInput_SetRecorder({});
  }
  int loaded;
  ErrCapture log;
};

TEST(HostCmds, CommandFlagsByIdPlusTwo) {
  HostRun r([](fx::Scene& s) { s.Cmd("cmdflags", {{"f2", fx::Int(0)}, {"f119", fx::Int(7)}}); });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(g_CmdFlags[2], 0);
  EXPECT_EQ(g_CmdFlags[1], 1);
  EXPECT_EQ(g_CmdFlags[119], 7);
  g_CmdFlags[2] = g_CmdFlags[119] = 1;
}

TEST(HostCmds, FrameRateIsClampedSoPacingNeverDividesByZero) {
  struct Case {
    int64_t fps;
    uint32_t want;
  } cases[] = {{30, 30}, {0, 1}, {-5, 1}, {5000, 1000}, {1000, 1000}};
  for (const Case& c : cases) {
    HostRun r([&](fx::Scene& s) { s.Cmd("framerate", {{"fps", fx::Int(c.fps)}, {"skip", fx::Int(0)}}); });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(g_FrameRate, c.want) << c.fps;
    EXPECT_EQ(g_FrameSkipOn, 0u);
  }
  g_FrameRate = 60;
  g_FrameSkipOn = 1;
}

TEST(HostCmds, LabelExists) {
  HostRun r([](fx::Scene& s) {
    s.Cmd("labelexists", {{"label", fx::Text("SYSTEM_START")}, {"target", fx::Elem(kA, {fx::Int(0)})},
                          {"query", fx::Int(1)}});
    s.Cmd("labelexists", {{"label", fx::Text("nowhere")}, {"target", fx::Elem(kA, {fx::Int(1)})},
                          {"query", fx::Int(1)}});
    s.Cmd("labelexists", {{"label", fx::Text("SYSTEM_START")}, {"target", fx::Elem(kA, {fx::Int(2)})}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(kA, 0), 1);
  EXPECT_EQ(IntVar(kA, 1), 0);
  EXPECT_EQ(IntVar(kA, 2), -1);  // without id 2 nothing is written
}

TEST(HostCmds, MessageBoxAnswersByButtonSet) {
  struct Case {
    const char* buttons;  // "" OK only
    int pressed;
    int64_t want;
    size_t offered;
  } cases[] = {
      {"", 1, 1, 1},          {"okcancel", 2, 2, 2},  {"yesno", 1, 1, 2},
      {"yesno", 2, 2, 2},     {"yesnocancel", 3, 3, 3}, {"yesno", 3, -1, 2},
  };
  for (const Case& c : cases) {
    MsgBoxRequest seen;
    MsgBox_SetRecorder([&](const MsgBoxRequest& q) {
      seen = q;
      return c.pressed;
    });
    HostRun r([&](fx::Scene& s) {
      std::vector<fx::Arg> args = {{"caption", fx::Text("cap")}, {"message", fx::Text("msg")},
                                   {"answer", fx::Var(kI)}, {"default", fx::Int(2)}, {"icon", fx::Int(2)}};
      if (*c.buttons) args.push_back({c.buttons, fx::Int(1)});
      s.Cmd("dialog", args);
    });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(IntVar(kI), c.want) << c.buttons << " " << c.pressed;
    ASSERT_EQ(seen.buttons.size(), c.offered);
    EXPECT_EQ(seen.caption, "cap");
    EXPECT_EQ(seen.text, "msg");
    EXPECT_EQ(seen.icon, MsgBoxIcon::Info);
    if (std::string(c.buttons) == "yesno") {
      for (const auto& b : seen.buttons) EXPECT_FALSE(b.isCancel) << "Escape must not answer Yes/No";
    }
    if (c.offered >= 2) {
      EXPECT_TRUE(seen.buttons[1].isDefault);
    }
  }
}

TEST(HostCmds, PromptDialogStoresOkAndTextAndRefusesATextAnswer) {
  TextInputRequest seen;
  TextInput_SetRecorder([&](const TextInputRequest& q) {
    seen = q;
    return TextInputResult{TextInputAnswer::Ok, "typed"};
  });
  HostRun r([](fx::Scene& s) {
    s.Cmd("dialog", {{"caption", fx::Text("c")}, {"message", fx::Text("p")}, {"initial", fx::Text("i")},
                     {"input", fx::Int(1)}, {"limit", fx::Int(8)}, {"answer", fx::Var(kI)},
                     {"text", fx::Var(kT)}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(seen.form, TextInputForm::Prompt);
  EXPECT_EQ(seen.initial, "i");
  EXPECT_EQ(seen.maxChars, 8);
  EXPECT_EQ(IntVar(kI), 1);
  EXPECT_EQ(StrVar(kT), "typed");
  EXPECT_TRUE(r.log.Empty()) << r.log.First();

  HostRun bad([](fx::Scene& s) { s.Cmd("dialog", {{"input", fx::Int(1)}, {"answer", fx::Var(kT)}}); });
  EXPECT_TRUE(bad.log.Has(101140));
}

TEST(HostCmds, LineDialogResultIsVisibleAndCancelClearsTheText) {
  std::vector<TextInputResult> answers = {{TextInputAnswer::Ok, "first"}, {TextInputAnswer::Cancel, ""}};
  size_t next = 0;
  TextInput_SetRecorder([&](const TextInputRequest& q) {
    EXPECT_EQ(q.form, TextInputForm::Line);
    EXPECT_EQ(q.maxChars, kTextInputLineChars);
    return answers[next++];
  });
  HostRun r([](fx::Scene& s) {
    s.Cmd("sysfunc", {{"fn", fx::Int(10201)}, {"target", fx::Elem(kA, {fx::Int(0)})}, {"initial", fx::Text("x")}});
    s.Cmd("sysfunc", {{"fn", fx::Int(10205)}, {"target", fx::Var(kT)}});
    s.Cmd("sysfunc", {{"fn", fx::Int(10201)}, {"target", fx::Elem(kA, {fx::Int(1)})}});
    s.Cmd("sysfunc", {{"fn", fx::Int(10205)}, {"target", fx::Elem(kT, {})}});
    s.Cmd("sysfunc", {{"fn", fx::Int(1)}, {"target", fx::Elem(kA, {fx::Int(2)})}});
    s.Cmd("sysfunc", {{"fn", fx::Int((int64_t(1) << 32) | 1)}, {"target", fx::Elem(kA, {fx::Int(3)})}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(next, 2u);
  EXPECT_EQ(IntVar(kA, 0), 1);
  EXPECT_EQ(IntVar(kA, 1), 0);
  EXPECT_EQ(StrVar(kT), "");  // the cancel left no old text
  EXPECT_EQ(IntVar(kA, 2), 502);
  EXPECT_EQ(IntVar(kA, 3), -1);  // a number with an upper half does nothing
}

TEST(HostCmds, ClipboardRoundTripDropsControlBytes) {
  HostRun r([](fx::Scene& s) {
    s.Cmd("clipset", {{"go", fx::Int(1)}, {"text", fx::Text("a\tb\x82\xa0" "c")}});
    s.Cmd("clipget", {{"go", fx::Int(1)}, {"text", fx::Var(kT)}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(StrVar(kT), "ab\x82\xa0" "c");
}

TEST(HostCmds, ClipboardFilterBoundsEveryStep) {
  std::string longText(1023, 'x');
  EXPECT_EQ(Clip_FilterText(longText + "\x82\xa0"), longText);      // the pair would pass 1024
  EXPECT_EQ(Clip_FilterText(longText + "yz"), longText + "y");
  EXPECT_EQ(Clip_FilterText(std::string("ab\x82")), "ab");          // a lead byte at the end
  EXPECT_EQ(Clip_FilterText(std::string("a\0b", 3)), "a");
  EXPECT_EQ(Clip_FilterText("\x01\x1f" " x"), " x");
}

TEST(HostCmds, RegistryReadsByEitherSeparatorAndClearsMissing) {
  RegFile file = Reg_ParseFile(
      "[HKEY_CURRENT_USER\\Software\\Maker\\Game]\n"
      "\"Dir\"=\"C:\\\\Games\"\n"
      "Level=dword:0000002a\n"
      "@=\"default\"\n");
  g_RegFileOverride = &file;
  HostRun r([](fx::Scene& s) {
    s.Cmd("regread", {{"key", fx::Text("HKEY_CURRENT_USER/Software/Maker/Game")}, {"name", fx::Text("dir")},
                      {"target", fx::Var(kT)}});
    s.Cmd("regread", {{"key", fx::Text("HKEY_CURRENT_USER\\software\\maker\\game")}, {"name", fx::Text("Level")},
                      {"target", fx::Elem(kA, {fx::Int(0)})}});
    s.Cmd("regread", {{"key", fx::Text("HKEY_CURRENT_USER\\Software\\Maker\\Game")}, {"name", fx::Text("none")},
                      {"target", fx::Elem(kA, {fx::Int(1)})}});
    s.Cmd("regread", {{"key", fx::Text("HKEY_NOWHERE\\Software")}, {"name", fx::Text("Dir")},
                      {"target", fx::Elem(kA, {fx::Int(2)})}});
  });
  g_RegFileOverride = nullptr;
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(StrVar(kT), "C:\\Games");
  EXPECT_EQ(IntVar(kA, 0), 42);
  EXPECT_EQ(IntVar(kA, 1), 0);   // missing: cleared
  EXPECT_EQ(IntVar(kA, 2), -1);  // no known root: nothing happens
}

TEST(RegistryFile, ParsesLinesAndSkipsBadOnes) {
  RegFile f = Reg_ParseFile(
      "Orphan=1\n; comment\n[HKEY_LOCAL_MACHINE\\A\\]\r\nx=plain text\r\n\"q\"=\"a\\\"b\"\n"
      "bad line\nn=dword:zz\nn2=dword:123456789\n[HKEY_LOCAL_MACHINE\\A]\nx=later\n");
  const RegValue* x = Reg_Find(f, "hkey_local_machine/a", "X");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->text, "later");
  const RegValue* q = Reg_Find(f, "HKEY_LOCAL_MACHINE\\A", "q");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->text, "a\"b");
  EXPECT_EQ(Reg_Find(f, "HKEY_LOCAL_MACHINE\\A", "n"), nullptr);
  EXPECT_EQ(Reg_Find(f, "HKEY_LOCAL_MACHINE\\A", "n2"), nullptr);
  EXPECT_EQ(Reg_Find(f, "", "Orphan"), nullptr);
}

TEST(RegistryFile, AQuotedAtIsTheDefaultValueAsItsLookupIs) {
  RegFile f = Reg_ParseFile("[HKEY_LOCAL_MACHINE\\A]\n\"@\"=\"v\"\n");
  const RegValue* v = Reg_Find(f, "HKEY_LOCAL_MACHINE\\A", "@");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->text, "v");
  EXPECT_EQ(Reg_Find(f, "HKEY_LOCAL_MACHINE\\A", ""), v);
}

TEST(HostCmds, StoppingTimerTwoForFiveSecondsTakesFiveSecondsOffIt) {
  Clock_SetManual(true, 100000);
  Timer_StartAll(Clock_Ms32());
  Clock_Advance(1000);
  HostRun stop([](fx::Scene& s) { s.Cmd("settings", {{"timer2", fx::Int(0)}}); });
  Clock_Advance(5000);
  HostRun start([](fx::Scene& s) { s.Cmd("settings", {{"timer2", fx::Int(1)}}); });
  uint32_t now = Clock_Ms32();
  EXPECT_EQ(Timer_Read(0, now), 6000u);
  EXPECT_EQ(Timer_Read(1, now), 1000u);
  EXPECT_EQ(Timer_Read(2, now), 6000u);
  Timer_StartAll(now);
  Clock_SetManual(false);
}

// The play timers keep their 32-bit arithmetic across the wrap of the
// millisecond tick: a stop and a restart on either side of it still take
// exactly the stopped time off, and number 1 at index 0 wraps with the tick.
TEST(HostCmds, PlayTimersCountAcrossTheTickWrap) {
  Clock_SetManual(true, 0xFFFFF000u);  // 4096 ms before the wrap
  Timer_StartAll(Clock_Ms32());
  Clock_Advance(1000);
  HostRun stop([](fx::Scene& s) { s.Cmd("settings", {{"timer3", fx::Int(0)}}); });
  Clock_Advance(5000);  // the tick wraps while timer 3 is stopped
  HostRun start([](fx::Scene& s) {
    s.Cmd("settings", {{"timer3", fx::Int(1)}, {"timer4", fx::Int(2)}});
  });
  Clock_Advance(1000);
  HostRun read([](fx::Scene& s) {
    for (int k = 0; k < 4; ++k) s.Let(fx::Elem(kA, {fx::Int(k)}), fx::Elem(1, {fx::Int(k + 1)}));
    s.Let(fx::Var(kI), fx::Elem(1, {fx::Int(0)}));
    s.Let(fx::Var(kD), fx::Var(111));
  }, 1, [](fx::Game& g) { g.IntVar(1, {5}).IntVar(111); });
  EXPECT_EQ(IntVar(kA, 0), 7000);
  EXPECT_EQ(IntVar(kA, 1), 7000);
  EXPECT_EQ(IntVar(kA, 2), 2000);
  EXPECT_EQ(IntVar(kA, 3), 7000);  // a value other than 0 or 1 changes nothing
  EXPECT_EQ(IntVar(kI), 2904);     // the tick itself wrapped
  EXPECT_EQ(DblVar(kD), 7000.0);
  EXPECT_EQ(g_PlayTimers[2].stamp, 0u);
  Timer_StartAll(Clock_Ms32());
  Clock_SetManual(false);
}

// Command 91's logical size: in a plain window the screen and shown sizes
// follow it; in full screen or maximised the picture is fitted again into
// the screen size that stays.
TEST(HostCmds, SettingsLogicalSizeByWindowState) {
  struct Case {
    bool full, maximized;
    int32_t screenW, screenH;
    int64_t w, h;
    int32_t logicalW, logicalH, wantScreenW, wantScreenH, shownW, shownH;
  } cases[] = {
      {false, false, 640, 480, 9000, 300, 8192, 300, 8192, 300, 8192, 300},  // clamped
      {false, false, 640, 480, 50, 100, 128, 128, 128, 128, 128, 128},
      {true, false, 1920, 1080, 400, 300, 400, 300, 1920, 1080, 1440, 1080},
      {false, true, 1000, 1000, 400, 300, 400, 300, 1000, 1000, 1000, 750},
      {false, false, 640, 480, 400, 300, 400, 300, 400, 300, 400, 300},
  };
  WindowRec rec;
  g_WindowRecs[0] = &rec;
  Shell_InstallVmHooks();
  for (const Case& c : cases) {
    g_FullScreen = c.full;
    g_MainSize.maximized = c.maximized;
    g_Screen.screenW = c.screenW;
    g_Screen.screenH = c.screenH;
    g_Screen.shownW = g_Screen.shownH = 0;
    HostRun r([&](fx::Scene& s) { s.Cmd("settings", {{"width", fx::Int(c.w)}, {"height", fx::Int(c.h)}}); });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_TRUE(r.log.Empty()) << r.log.First();
    std::string at = std::to_string(c.w) + " x " + std::to_string(c.h) + (c.full ? " full" : "") +
                     (c.maximized ? " maximised" : "");
    EXPECT_EQ(rec.logicalW, c.logicalW) << at;
    EXPECT_EQ(rec.logicalH, c.logicalH) << at;
    EXPECT_EQ(g_Screen.screenW, c.wantScreenW) << at;
    EXPECT_EQ(g_Screen.screenH, c.wantScreenH) << at;
    EXPECT_EQ(g_Screen.shownW, c.shownW) << at;
    EXPECT_EQ(g_Screen.shownH, c.shownH) << at;
  }
  g_FullScreen = 0;
  g_MainSize.maximized = 0;
  g_Screen = ScreenSizes();
  g_WindowRecs[0] = nullptr;
  g_VmHostHooks = VmHostHooks();
  g_SysVarHooks = SysVarHooks();
}

}  // namespace

namespace {
std::vector<int> g_CursorCalls;
TEST(HostCmds, MouseKeysChangeRequestsTheCursor) {
  g_VmHostHooks.requestCursor = [](bool shown) { g_CursorCalls.push_back(shown ? 1 : 0); };
  g_InputOptions.mouseKeys = 1;
  HostRun r([](fx::Scene& s) {
    s.Cmd("inputopt", {{"mousekeys", fx::Int(0)}});
    s.Cmd("inputopt", {{"mousekeys", fx::Int(0)}});
    s.Cmd("inputopt", {{"mousekeys", fx::Int(1)}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(g_CursorCalls, (std::vector<int>{0, 1}));
  g_VmHostHooks.requestCursor = nullptr;
  g_InputOptions.mouseKeys = 1;
}
}  // namespace

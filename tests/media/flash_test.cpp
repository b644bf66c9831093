// The Flash host's command state machine against a recording back end, and
// the product's back end, which has no control.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "media_fixture.h"
#include "support/err_capture.h"

using namespace mediatest;

namespace {

// What the recording back end saw and what it answers.
struct FakeFlash {
  int windows = 0, windowsAlive = 0, controls = 0, releases = 0;
  int32_t lastRect[4] = {};
  std::u16string lastPath;
  bool hostMissing = false, controlFails = false, windowFails = false;
  bool playing = true;
  std::u16string tavrex;
  bool hasTavrex = false;
};
FakeFlash* g_Fake = nullptr;
int s_ControlToken;

FlashBackend RecordingBackend() {
  FlashBackend b;
  b.createWindow = [](PlatWindow*, const int32_t r[4]) -> void* {
    if (g_Fake->windowFails) return nullptr;
    std::copy(r, r + 4, g_Fake->lastRect);
    ++g_Fake->windows, ++g_Fake->windowsAlive;
    return g_Fake;
  };
  b.destroyWindow = [](void*) { --g_Fake->windowsAlive; };
  b.loadHost = [] { return !g_Fake->hostMissing; };
  b.createControl = [](void*, const std::u16string& path, int32_t* frames) -> void* {
    g_Fake->lastPath = path;
    if (g_Fake->controlFails) return nullptr;
    ++g_Fake->controls;
    *frames = 120;
    return &s_ControlToken;
  };
  b.releaseControl = [](void* c) {
    EXPECT_EQ(c, &s_ControlToken);
    ++g_Fake->releases;
  };
  b.isPlaying = [](void*) { return g_Fake->playing; };
  b.currentFrame = [](void*) { return int32_t(42); };
  b.getVariable = [](void*, const std::u16string& name, std::u16string* v) {
    if (name != u"tavrex" || !g_Fake->hasTavrex) return false;
    *v = g_Fake->tavrex;
    return true;
  };
  return b;
}

void Window0(MediaWindowInfo* w) {
  w->logicalW = 800, w->logicalH = 600;
  w->shownW = 400, w->shownH = 300;
  w->boxX = 10, w->boxY = 20;
}

class FlashHost : public MediaGame {
 protected:
  void SetUp() override {
    MediaGame::SetUp();
    g_Fake = &fake;
    g_FlashBackend = RecordingBackend();
    g_MediaWindowHook = Window0;
    old = std::filesystem::current_path();
    dir = std::filesystem::path(::testing::TempDir()) / ("flash-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "movie");
    std::ofstream(dir / "movie" / "intro.swf") << "FWS";
    std::filesystem::current_path(dir);
    savedExeDir = g_ExeDir;
    g_ExeDir = "\\game\\";
  }
  void TearDown() override {
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
    g_ExeDir = savedExeDir;
    g_MediaWindowHook = nullptr;
    MediaGame::TearDown();
    g_Fake = nullptr;
  }
  void Run(const std::function<void(fx::Scene&)>& body) {
    body(Main());
    Idle(Main());
    ASSERT_TRUE(Load());
    Frames(1);
  }

  FakeFlash fake;
  std::filesystem::path old, dir;
  std::string savedExeDir;
};

TEST_F(FlashHost, OpensScaledAndLetterBoxedWithTheFullPath) {
  Run([](fx::Scene& s) {
    s.Cmd("flash", {{"file", fx::Text("Movie/Intro.swf")}, {"open", fx::Int(1)}, {"x", fx::Int(100)},
                    {"y", fx::Int(50)}, {"w", fx::Int(200)}, {"user", fx::Int(9)}});
  });
  EXPECT_FALSE(g_QuitRequested);
  EXPECT_EQ(g_FlashOpen, 1);
  EXPECT_EQ(fake.windows, 1);
  // x, y offset by the letter box; w scaled 400/800; h defaults to the
  // logical height, scaled 300/600.
  EXPECT_EQ(fake.lastRect[0], 110);
  EXPECT_EQ(fake.lastRect[1], 70);
  EXPECT_EQ(fake.lastRect[2], 100);
  EXPECT_EQ(fake.lastRect[3], 300);
  EXPECT_EQ(fake.lastPath, u"\\game\\movie\\intro.swf");
  EXPECT_EQ(g_FlashTotalFrames, 120);
  EXPECT_EQ(g_FlashUserValue, 9);
  EXPECT_EQ(g_FlashControlCount, 1);
}

TEST_F(FlashHost, OnlyTheValueOneOpensAndTheRectangleTakesOperators) {
  Run([](fx::Scene& s) {
    s.Cmd("flash", {{"file", fx::Text("movie\\intro.swf")}, {"open", fx::Int(0)}});
    s.Cmd("flash", {{"x", fx::Int(10), fx::kOpAdd}, {"open", fx::Int(2)}});
    s.Cmd("flash", {{"x", fx::Int(10), fx::kOpAdd}});
  });
  EXPECT_EQ(g_FlashOpen, 0);
  EXPECT_EQ(fake.windows, 0);
  EXPECT_EQ(g_FlashX, 20);
  EXPECT_EQ(g_FlashY, 0);
  EXPECT_EQ(g_FlashWidth, 800);
  EXPECT_EQ(g_FlashHeight, 600);
}

TEST_F(FlashHost, AMissingFileIs104060) {
  ErrCapture log;
  Run([](fx::Scene& s) { s.Cmd("flash", {{"file", fx::Text("movie/none.swf")}, {"open", fx::Int(1)}}); });
  EXPECT_EQ(log.First(), 104060);
  EXPECT_EQ(g_FlashOpen, 0);
  EXPECT_EQ(fake.windows, 0);
}

TEST_F(FlashHost, QueriesOpenAndClosed) {
  game.IntVar(1000, {10}).DoubleVar(1001).TextVar(1002);
  Run([](fx::Scene& s) {
    s.Cmd("flash", {{"file", fx::Text("movie/intro.swf")}, {"open", fx::Int(1)}, {"x", fx::Int(3)},
                    {"user", fx::Int(5)}});
    const char* slots[] = {"playing", "x", "y", "w", "h", "frame", "user", "frames"};
    for (int i = 0; i < 8; ++i)
      s.Cmd("flashvalue", {{slots[i], fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(i)})}});
    s.Cmd("flashclose", {});
    s.Let(fx::Var(1001), fx::Dbl(7.5));
    s.Let(fx::Elem(1000, {fx::Int(8)}), fx::Int(77));
    s.Cmd("flashvalue", {{"frames", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(8)})}});
    s.Cmd("flashvalue", {{"frame", fx::Int(1)}, {"target", fx::Var(1001)}});
  });
  const int64_t want[8] = {1, 3, 0, 800, 600, 42, 5, 120};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Var_GetIntElement(1000, i), want[i]) << i;
  EXPECT_EQ(Var_GetIntElement(1000, 8), 0);  // closed: 0 written
  EXPECT_DOUBLE_EQ(Var_ReadFloatElement(1001, 0), 0.0);
  EXPECT_FALSE(g_QuitRequested);
  EXPECT_EQ(fake.windowsAlive, 0);
  EXPECT_EQ(fake.releases, 1);
}

TEST_F(FlashHost, AClosedQueryIntoATextElementIs101140) {
  ErrCapture log;
  game.TextVar(1002);
  Run([](fx::Scene& s) { s.Cmd("flashvalue", {{"user", fx::Int(1)}, {"target", fx::Var(1002)}}); });
  EXPECT_EQ(log.First(), 101140);
}

TEST_F(FlashHost, ASecondOpenReplacesTheFirstAndACloseLeavesNothing) {
  Run([](fx::Scene& s) {
    s.Cmd("flash", {{"file", fx::Text("movie/intro.swf")}, {"open", fx::Int(1)}});
    s.Cmd("flash", {{"open", fx::Int(1)}});
    s.Cmd("flashclose", {});
  });
  EXPECT_EQ(fake.windows, 2);
  EXPECT_EQ(fake.windowsAlive, 0);
  EXPECT_EQ(fake.controls, 2);
  EXPECT_EQ(fake.releases, 2);
  EXPECT_EQ(g_FlashControlCount, 0);
  EXPECT_EQ(g_FlashControl, nullptr);
  EXPECT_EQ(Flash_IsPlaying(), 0);  // nothing released is reached again
  Flash_ReleaseControl();          // the shut-down's release does nothing now
  EXPECT_EQ(fake.releases, 2);
}

TEST_F(FlashHost, AFailedControlLeavesNoWindowAndNoOpenMovie) {
  fake.controlFails = true;
  Run([](fx::Scene& s) { s.Cmd("flash", {{"file", fx::Text("movie/intro.swf")}, {"open", fx::Int(1)}}); });
  EXPECT_EQ(g_FlashOpen, 0);
  EXPECT_EQ(fake.windowsAlive, 0);
  EXPECT_EQ(g_FlashControlCount, 0);
}

TEST_F(FlashHost, AWindowThatCannotBeMadeShowsItsBox) {
  BoxLog boxes;
  fake.windowFails = true;
  Run([](fx::Scene& s) { s.Cmd("flash", {{"file", fx::Text("movie/intro.swf")}, {"open", fx::Int(1)}}); });
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"ウィンドウを生成できませんでした。"}));
  EXPECT_EQ(g_FlashOpen, 0);
}

TEST_F(FlashHost, TheRootVariableAnswersOrTheBoxSaysWhatToCheck) {
  BoxLog boxes;
  game.IntVar(1000, {2});
  fake.hasTavrex = true;
  fake.tavrex = u"314";
  Run([](fx::Scene& s) {
    s.Cmd("flash", {{"file", fx::Text("movie/intro.swf")}, {"open", fx::Int(1)}});
    s.Cmd("flashvalue", {{"tavrex", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(0)})}});
    s.Cmd("flashclose", {});
    s.Cmd("flashvalue", {{"tavrex", fx::Int(1)}, {"target", fx::Elem(1000, {fx::Int(1)})}});
  });
  EXPECT_EQ(Var_GetIntElement(1000, 0), 314);
  EXPECT_EQ(Var_GetIntElement(1000, 1), 0);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0].rfind("変数 tavrex が見つかりませんでした。", 0), 0u);
}

TEST_F(FlashHost, TheProductBackEndHasNoControlAndSaysSoEachTime) {
  BoxLog boxes;
  g_FlashBackend = Flash_NullBackend();
  Run([](fx::Scene& s) {
    s.Cmd("flash", {{"file", fx::Text("movie/intro.swf")}, {"open", fx::Int(1)}});
    s.Cmd("flash", {{"open", fx::Int(1)}});
  });
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"ATL.DLLが見つかりませんでした。",
                                                    "ATL.DLLが見つかりませんでした。"}));
  EXPECT_EQ(g_FlashOpen, 0);
  EXPECT_EQ(g_FlashControlCount, 0);
  EXPECT_FALSE(g_QuitRequested);
}

}  // namespace

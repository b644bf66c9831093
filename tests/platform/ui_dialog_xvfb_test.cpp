// Engine-drawn boxes and dialogs on a real X server (run under xvfb-run):
// the Japanese text and button labels read back through the server with
// ImageMagick's import and found glyph for glyph, the keyboard and the
// mouse, the text-input forms and a quit signal. Skipped without a display.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/events.h"
#include "platform/msgbox.h"
#include "platform/signals.h"
#include "platform/text.h"
#include "platform/ui_dialog.h"
#include "platform/ui_window.h"
#include "platform/window.h"
#include "support/test_env.h"
#include "support/xserver.h"

namespace {

// SDL scancodes of the keys the cases press.
constexpr int32_t kScReturn = 40, kScEscape = 41, kScBackspace = 42, kScTab = 43;
constexpr int32_t kScRight = 79;

std::string S(const char* utf8) { return Text_Utf8ToSjis(utf8); }

// A screen rectangle read from the X server, as 0xRRGGBB pixels.
struct Grab {
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px;
};

Grab GrabScreen(const PlatRect& r, const std::string& dir, const std::string& png = "") {
  Grab g;
  std::string crop = xsrv::Geometry(r);
  std::string file = dir + "/grab.rgb";
  std::string cmd = "import -window root -crop " + crop + " -depth 8 rgb:" + file + " 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return g;
  if (!png.empty())
    std::system(("import -window root -crop " + crop + " '" + png + "' 2>/dev/null").c_str());
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> rgb((std::istreambuf_iterator<char>(in)), {});
  if (rgb.size() != size_t(r.w) * size_t(r.h) * 3) return g;
  g.w = r.w;
  g.h = r.h;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3)
    g.px.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
  return g;
}

// The text as the dialogs draw it on `background`, cut to its ink.
UiCanvas Reference(const std::string& sjis, uint32_t background, int32_t* ink) {
  UiCanvas c;
  c.Resize(UiText_Width(sjis, kUiTextPx) + 4, kUiTextPx + 4, background);
  UiDraw_Text(c, 2, 2, sjis, 0x000000, kUiTextPx);
  int32_t x0 = c.w, y0 = c.h, x1 = -1, y1 = -1;
  *ink = 0;
  for (int32_t y = 0; y < c.h; ++y)
    for (int32_t x = 0; x < c.w; ++x)
      if (c.px[size_t(y) * c.w + x] != background) {
        ++*ink;
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  UiCanvas out;
  if (x1 < 0) return out;
  out.Resize(x1 - x0 + 1, y1 - y0 + 1, background);
  for (int32_t y = 0; y < out.h; ++y)
    for (int32_t x = 0; x < out.w; ++x)
      out.px[size_t(y) * out.w + x] = c.px[size_t(y + y0) * c.w + x + x0];
  return out;
}

bool Near(uint32_t a, uint32_t b) {
  for (int sh = 0; sh <= 16; sh += 8)
    if (std::abs(int((a >> sh) & 0xFF) - int((b >> sh) & 0xFF)) > 2) return false;
  return true;
}

// Whether the grab holds the reference picture somewhere, pixel for pixel.
bool Contains(const Grab& g, const UiCanvas& t) {
  if (t.w == 0 || t.w > g.w || t.h > g.h) return false;
  for (int32_t y = 0; y + t.h <= g.h; ++y)
    for (int32_t x = 0; x + t.w <= g.w; ++x) {
      bool same = true;
      for (int32_t ty = 0; ty < t.h && same; ++ty)
        for (int32_t tx = 0; tx < t.w && same; ++tx)
          same = Near(g.px[size_t(y + ty) * g.w + x + tx], t.px[size_t(ty) * t.w + tx]);
      if (same) return true;
    }
  return false;
}

// Grabs the rectangle until every reference shows in it (a loaded X server
// may paint late), at most for 3 s; returns the last grab.
Grab GrabPainted(const PlatRect& r, const std::string& dir, const std::string& png,
                 const std::vector<UiCanvas>& refs) {
  Grab g;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  do {
    g = GrabScreen(r, dir, png);
    bool all = g.w > 0;
    for (const UiCanvas& ref : refs) all = all && Contains(g, ref);
    if (all) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < until);
  return g;
}

class UiXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xsrv::HaveDisplay("import")) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(xsrv::StartVideo());
    MsgBox_SetInteractive(true);
  }
  void TearDown() override {
    MsgBox_SetInteractive(false);
    PlatSignal_Reset();
  }

  // Shows the dialog with `show` on this thread while `answer` runs on
  // another once the window is on the screen. A dialog still up 10 s after
  // that is ended with a quit signal, so a failing case cannot hang.
  template <class Show>
  auto WithDialog(Show show, std::function<void(const PlatRect&)> answer) {
    PlatRect r;
    return xsrv::WithWatchdog(show, [&] { return UiWindow_ModalRect(&r); },
                              [&] {
                                std::this_thread::sleep_for(std::chrono::milliseconds(300));  // mapped and painted
                                if (UiWindow_ModalRect(&r)) answer(r);
                              });
  }

  TempDir dir;
};

void Keys(std::initializer_list<int32_t> scancodes) {
  for (int32_t sc : scancodes) {
    UiWindow_InjectKey(sc);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

TEST_F(UiXvfb, JapaneseTextAndButtonLabelsReadBack) {
  const std::string text = S("[.\\data.qpf]ファイルを\n読み込めませんでした。");
  MsgBoxRequest req;
  req.caption = S("エラー");
  req.text = text;
  req.icon = MsgBoxIcon::Error;
  req.buttons = {{6, S("はい"), true}, {7, S("いいえ"), false, true, true}};
  for (const char* s : {"[.\\data.qpf]ファイルを", "読み込めませんでした。", "はい", "いいえ"})
    EXPECT_TRUE(UiText_HasGlyphs(S(s), kUiTextPx)) << s;  // no missing-glyph boxes
  struct Expect {
    const char* utf8;
    uint32_t background;
  } expects[] = {
      {"[.\\data.qpf]ファイルを", 0xFFFFFF},
      {"読み込めませんでした。", 0xFFFFFF},
      {"はい", 0xE1E1E1},
      {"いいえ", 0xE1E1E1},
  };
  std::vector<UiCanvas> refs;
  for (const Expect& e : expects) {
    int32_t ink = 0;
    refs.push_back(Reference(S(e.utf8), e.background, &ink));
    EXPECT_GT(ink, 30) << e.utf8;
  }
  Grab shot;
  int answer = WithDialog([&] { return MsgBox_Show(req); },
                          [&](const PlatRect& r) {
                            shot = GrabPainted(r, dir.path(),
                                               std::string(TEST_BINARY_DIR) + "/ui_box_xvfb.png",
                                               refs);
                            Keys({kScReturn});
                          });
  EXPECT_EQ(answer, 6);  // Enter: the default button
  ASSERT_GT(shot.w, 0) << "nothing read back";
  for (size_t i = 0; i < refs.size(); ++i)
    EXPECT_TRUE(Contains(shot, refs[i])) << expects[i].utf8 << " not found on the screen";
}

TEST_F(UiXvfb, KeyboardAndMouseChooseTheButton) {
  MsgBoxRequest req;
  req.text = S("終了します。よろしいですか？");
  req.buttons = {{6, S("はい"), true}, {7, S("いいえ"), false, true, true}};
  struct Case {
    const char* name;
    std::function<void(const PlatRect&)> act;
    int answer;
  } cases[] = {
      {"Enter", [](const PlatRect&) { Keys({kScReturn}); }, 6},
      {"Right, then Enter", [](const PlatRect&) { Keys({kScRight, kScReturn}); }, 7},
      {"Tab twice comes back", [](const PlatRect&) { Keys({kScTab, kScTab, kScReturn}); }, 6},
      {"Escape", [](const PlatRect&) { Keys({kScEscape}); }, 7},
      {"a click on the second button",
       [](const PlatRect& r) {
         // Buttons sit right-aligned in the footer: the last one ends 16 px
         // from the right edge, 12 px above the bottom.
         UiWindow_InjectClick(r.w - 16 - 44, r.h - 12 - 13);
       },
       7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WithDialog([&] { return MsgBox_Show(req); }, c.act), c.answer) << c.name;
}

TEST_F(UiXvfb, StayingButtonKeepsTheBoxUp) {
  MsgBoxRequest req;
  req.text = "x";
  req.buttons = {{1033, S("エディタで開く"), true, true, false, true},
                 {1034, S("閉じる"), false, true, true}};
  int presses = 0;
  req.onStayingPress = [&](int id) { presses += id == 1033; };
  int answer = WithDialog([&] { return MsgBox_Show(req); },
                          [](const PlatRect&) { Keys({kScReturn, kScReturn, kScTab, kScReturn}); });
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(answer, 1034);
}

TEST_F(UiXvfb, TextInputFormsTypeAndEnd) {
  TextInputRequest prompt;
  prompt.caption = S("名前");
  prompt.prompt = S("名前を入力してください");
  prompt.initial = S("太郎");
  prompt.maxChars = 4;
  // Escape cannot leave the prompt form; typing stops at the limit.
  int32_t ink = 0;
  std::vector<UiCanvas> refs = {Reference(prompt.prompt, 0xF0F0F0, &ink),
                                Reference(prompt.initial, 0xFFFFFF, &ink)};
  Grab shot;
  TextInputResult r = WithDialog([&] { return TextInput_Show(prompt); },
                                 [&](const PlatRect& rect) {
                                   shot = GrabPainted(rect, dir.path(),
                                                      std::string(TEST_BINARY_DIR) +
                                                          "/ui_input_xvfb.png",
                                                      refs);
                                   Keys({kScEscape, kScBackspace});
                                   UiWindow_InjectText("次郎三");
                                   std::this_thread::sleep_for(std::chrono::milliseconds(50));
                                   Keys({kScReturn});
                                 });
  EXPECT_EQ(r.answer, TextInputAnswer::Ok);
  EXPECT_EQ(r.text, S("太次郎三"));
  EXPECT_TRUE(Contains(shot, refs[0])) << "prompt not shown";
  EXPECT_TRUE(Contains(shot, refs[1])) << "field not shown";

  TextInputRequest line;
  line.form = TextInputForm::Line;
  line.initial = "abc";
  r = WithDialog([&] { return TextInput_Show(line); }, [](const PlatRect&) { Keys({kScEscape}); });
  EXPECT_EQ(r.answer, TextInputAnswer::Cancel);
  EXPECT_EQ(r.text, "");
  r = WithDialog([&] { return TextInput_Show(line); },
                 [](const PlatRect&) {
                   UiWindow_InjectText("d");
                   std::this_thread::sleep_for(std::chrono::milliseconds(50));
                   Keys({kScReturn});
                 });
  EXPECT_EQ(r.answer, TextInputAnswer::Ok);
  EXPECT_EQ(r.text, "abcd");
}

TEST_F(UiXvfb, QuitSignalEndsTheBoxWithItsDefault) {
  MsgBoxRequest req;
  req.text = S("終了します。よろしいですか？");
  req.buttons = {{6, S("はい"), true}, {7, S("いいえ"), false, true, true}};
  auto start = std::chrono::steady_clock::now();
  int answer =
      WithDialog([&] { return MsgBox_Show(req); }, [](const PlatRect&) { std::raise(SIGTERM); });
  EXPECT_EQ(answer, 7);
  EXPECT_TRUE(PlatSignal_Pending());
  // After the signal no box waits for an answer.
  EXPECT_EQ(MsgBox_Show(req), 7);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(UiXvfb, BoxFromAnotherThreadRunsOnTheMainThread) {
  MsgBoxRequest req;
  req.text = S("別のスレッドから");
  std::atomic<int> answer{0};
  std::thread asker([&] { answer = MsgBox_Show(req); });
  // This (the main) thread pumps as the message loop does; the box runs in it.
  PlatRect r;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::thread presser([&] {
    while (!UiWindow_ModalRect(&r) && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Keys({kScReturn});
  });
  while (answer == 0 && std::chrono::steady_clock::now() < until) {
    Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  presser.join();
  if (answer == 0) std::raise(SIGTERM);
  asker.join();
  EXPECT_EQ(answer, 1);
}

}  // namespace

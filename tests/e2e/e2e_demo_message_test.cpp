// The demo's message window end to end: both messages typed into the
// window over the pictures, the wait between them passed by Enter or a
// click through the platform's events, or by its time limit, and the typed
// glyphs checked in the presented frame.
#include "e2e/demo_run.h"

using namespace e2e;

namespace {

// The glyphs of `lines` are in the window, and nothing else is.
void ExpectShows(const std::vector<uint32_t>& shown, int32_t w, const char* const (&lines)[2],
                 const char* what) {
  TextMask mask = MaskOf(lines);
  ASSERT_GT(mask.cells.size(), 20u) << what;
  GlyphCheck c = CheckGlyphs(shown, w, mask);
  EXPECT_GT(c.inkPixels, 200) << what;
  EXPECT_EQ(c.inkWrong, 0) << what << ": glyph pixels that are not the text's white";
  EXPECT_EQ(c.strayInk, 0) << what << ": bright pixels where no glyph is";
  EXPECT_EQ(c.emptyCells, 0) << what << ": characters without ink";
}

// Font-independent: the box is drawn, dark over the hills, where no text
// goes (the text layer's bottom right corner).
void ExpectBox(const std::vector<uint32_t>& shown, int32_t w) {
  int x = demo::kTextX + demo::kTextW - 2, y = demo::kTextY + demo::kTextH - 2;
  uint32_t v = shown[size_t(y) * size_t(w) + size_t(x)];
  EXPECT_LE(int(v & 0xFF), BoxCeiling(demo::kBoxB));
  EXPECT_LE(int(v >> 8 & 0xFF), BoxCeiling(demo::kBoxG));
  EXPECT_LE(int(v >> 16 & 0xFF), BoxCeiling(demo::kBoxR));
  uint32_t under;
  std::memcpy(&under, demo::Background().At(uint32_t(x), uint32_t(y)), 4);
  EXPECT_FALSE(Near(v | 0xFF000000u, under | 0xFF000000u, 8));
}

// Frames the first message takes to type: its first character at once,
// then one per delay (half for a 1-byte character), on 60 frames a second.
int TypingFrames(const char* const (&lines)[2]) {
  int ms = -demo::kCharDelayMs;
  for (const char* l : lines) {
    std::string sj = Text_Utf8ToSjis(l);
    for (size_t i = 0; i < sj.size(); ++i) {
      bool two = IsLeadByte(uint8_t(sj[i])) && i + 1 < sj.size();
      ms += two ? demo::kCharDelayMs : demo::kCharDelayMs / 2;
      i += two;
    }
  }
  return ms * 60 / 1000;
}

TEST_F(E2eDemo, WithoutAKeyTheWaitEndsByItselfAndBothMessagesShow) {
  InstallDemo();
  ASSERT_EQ(Sys_Startup(), 0);
  int typed = RunToStage(1, 400);
  ASSERT_GT(typed, 0);
  // Typed on the character clock, not at once.
  const int want = TypingFrames(demo::kMessage1);
  EXPECT_GE(typed, want - 3);
  EXPECT_LE(typed, want + 4);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> shown = Shown(&w, &h);
  ASSERT_EQ(w, int32_t(demo::kWidth));
  ExpectBox(shown, w);
  if (StandInFontsInstalled()) ExpectShows(shown, w, demo::kMessage1, "first message");
  // Nobody presses anything: the wait ends after its time limit.
  int waited = RunToStage(2, 400);
  EXPECT_GE(waited, demo::kAdvanceWaitFrames - 1);
  EXPECT_LE(waited, demo::kAdvanceWaitFrames + 2);
  EXPECT_EQ(Var_GetIntElement(demo::kVarAdvanced, 0), 0);
  ASSERT_GT(RunToStage(3, 400), 0);
  // The rest of the demo runs to its own end with the second message up.
  const int total = demo::kWalkFrames + demo::kRestFrames;
  while (g_FrameCounter < uint64_t(total + 5) && Turn()) {
  }
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_EQ(g_FrameCounter, uint64_t(total + 1));
  shown = Shown(&w, &h);
  ASSERT_EQ(w, int32_t(demo::kWidth));
  ExpectBox(shown, w);
  // The page mark cleared the first message: only the second one shows.
  if (StandInFontsInstalled()) ExpectShows(shown, w, demo::kMessage2, "second message");
  EXPECT_TRUE(boxes.empty());
}

// Enter or a left click at the wait goes on to the second message at once.
class E2eDemoPress : public E2eDemo, public ::testing::WithParamInterface<bool> {};

TEST_P(E2eDemoPress, PressAtTheWaitShowsTheSecondMessage) {
  const bool enter = GetParam();
  InstallDemo();
  ASSERT_EQ(Sys_Startup(), 0);
  ASSERT_GT(RunToStage(1, 400), 0);
  ASSERT_EQ(Frames(10), 10);
  EXPECT_EQ(Stage(), 1);  // still waiting
  Press(enter);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(Stage(), 2);  // the press was seen in its first frame
  EXPECT_EQ(Var_GetIntElement(demo::kVarAdvanced, 0), 1);
  int typed = RunToStage(3, 400);
  ASSERT_GT(typed, 0);
  EXPECT_LE(typed, TypingFrames(demo::kMessage2) + 4);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> shown = Shown(&w, &h);
  ASSERT_EQ(w, int32_t(demo::kWidth));
  ExpectBox(shown, w);
  if (StandInFontsInstalled()) ExpectShows(shown, w, demo::kMessage2, "second message");
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(EnterOrClick, E2eDemoPress, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Enter" : "Click"; });

// A press while the first message is typing shows the rest of it at once,
// and the same press does not also pass the wait after it.
TEST_F(E2eDemo, PressDuringTypingShowsTheRestButNotTheNextMessage) {
  InstallDemo();
  ASSERT_EQ(Sys_Startup(), 0);
  ASSERT_EQ(Frames(10), 10);
  ASSERT_EQ(Stage(), 0);
  Press(true);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(Frames(2), 2);
  EXPECT_EQ(Stage(), 1);
  ASSERT_EQ(Frames(20), 20);
  EXPECT_EQ(Stage(), 1);  // waiting for a new press or the time
  int32_t w = 0, h = 0;
  std::vector<uint32_t> shown = Shown(&w, &h);
  ASSERT_EQ(w, int32_t(demo::kWidth));
  if (StandInFontsInstalled()) ExpectShows(shown, w, demo::kMessage1, "first message");
}

}  // namespace

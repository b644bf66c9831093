// Typing on the manual clock, driven through Msg_StepTask on the record
// directly: delays, late frames, clicks, the skip key, marks and drops.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "text_testutil.h"
#include "vm/vm.h"

namespace {

class Typing : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock_SetManual(true, 1000);
    ASSERT_EQ(Msg_CreateRecord(), 0);
    g_MsgGlyphDrawer = FakeGlyphDrawer;
    FakeDraws().clear();
    errors.Clear();
    g_MsgCurrent->layer = layer.node;
    task.msgFlag = 0;
    for (auto& k : g_KeyCounters) k.counter = 0;
    g_MsgShowAll = 0;
  }
  void TearDown() override { Clock_SetManual(false); }

  // Appends text (UTF-8) with the record's current settings.
  void Text(const char* utf8) {
    std::string sj = Sj(utf8);
    ASSERT_TRUE(Msg_AppendChars(sj.data(), int(sj.size()), false));
  }
  // Closes the block as command 79 does in text mode 1.
  void Close(bool click = true, bool newLine = true, bool page = true) {
    if (click) Msg_AppendControl('C', false, true);
    if (newLine) Msg_AppendControl('R', true, true);
    if (page) Msg_AppendControl('P', false, true);
    Msg_AppendControl('E', false, true);
    task.msgFlag = 1;
  }
  void Step() { Msg_StepTask(&task); }
  void Key(int key, int64_t counter) { g_KeyCounters[size_t(key)].counter = counter; }
  size_t Drawn() const { return FakeDraws().size(); }

  TestLayer layer{400, 200};
  ErrCapture errors;
  TaskRec task{};
};

TEST_F(Typing, FirstCharacterAtOnceThenOnePerDelay) {
  g_MsgCurrent->delay = 100;
  Text("あいうえ");
  Close();
  Step();
  EXPECT_EQ(Drawn(), 1u);
  Clock_Advance(99);
  Step();
  EXPECT_EQ(Drawn(), 1u);
  Clock_Advance(1);
  Step();
  EXPECT_EQ(Drawn(), 2u);
  Clock_Advance(100);
  Step();
  EXPECT_EQ(Drawn(), 3u);
  EXPECT_EQ(FakeDrawnText(), "あいう");
  EXPECT_EQ(FakeDraws()[1].x, 20);
  EXPECT_EQ(task.msgFlag, 1);
}

TEST_F(Typing, LateFrameTypesSeveralAndKeepsTheCadence) {
  g_MsgCurrent->delay = 100;
  Text("あいうえおか");
  Close();
  Step();
  Clock_Advance(350);  // characters 2, 3 and 4 fell due at 100, 200, 300
  Step();
  EXPECT_EQ(Drawn(), 4u);
  Clock_Advance(50);  // 400: the fifth is due on the old cadence
  Step();
  EXPECT_EQ(Drawn(), 5u);
}

TEST_F(Typing, OneByteCharactersTakeHalfTheDelay) {
  g_MsgCurrent->delay = 100;
  Text("ab");
  Close();
  EXPECT_EQ(g_MsgCurrent->opDelay[0], 50);
  Step();
  Clock_Advance(50);
  Step();
  EXPECT_EQ(Drawn(), 2u);
}

TEST_F(Typing, ClickDuringTypingShowsTheRestThenWaits) {
  g_MsgCurrent->delay = 1000;
  Text("あいうえ");
  Close();
  Step();
  Key(1, 1);  // left button went down this frame
  Step();
  EXPECT_EQ(Drawn(), 1u);  // shown from the second poll on: the next step types all
  Key(1, 2);  // still held: acts no more
  Step();
  EXPECT_EQ(Drawn(), 4u);
  EXPECT_EQ(g_MsgCurrent->waiting, 1);
  EXPECT_EQ(task.msgFlag, 1);
  Step();
  EXPECT_EQ(task.msgFlag, 1);  // a held key never passes the click mark
  Key(1, 1);
  Step();
  EXPECT_EQ(g_MsgCurrent->waiting, 0);  // past the mark; the rest types next pass
  EXPECT_EQ(task.msgFlag, 1);
  Key(1, 2);
  Step();
  EXPECT_EQ(task.msgFlag, 0);
  EXPECT_EQ(g_MsgCurrent->opCount, 0);
  EXPECT_EQ(g_MsgCurrent->resume, 1);
}

TEST_F(Typing, EnterIsAClickKeyToo) {
  Text("あい");
  Close();
  Step();
  EXPECT_EQ(g_MsgCurrent->waiting, 1);
  Key(13, 1);
  Step();
  EXPECT_EQ(g_MsgCurrent->waiting, 0);
  Key(13, 2);
  Step();
  EXPECT_EQ(task.msgFlag, 0);
}

TEST_F(Typing, SkipKeyShowsTheBlockAndPassesItsClickInOnePass) {
  g_MsgCurrent->delay = 1000;
  Text("あいうえ");
  Close();
  Key(17, 5);  // Ctrl held
  Step();
  EXPECT_EQ(Drawn(), 4u);
  EXPECT_EQ(g_MsgCurrent->waiting, 0);
  EXPECT_EQ(g_MsgCurrent->ops[g_MsgCurrent->opPos], 'R');  // the click mark is passed
  Step();
  EXPECT_EQ(task.msgFlag, 0);
}

TEST_F(Typing, ResumeRestartsTheClockAfterAClickWait) {
  g_MsgCurrent->delay = 100;
  Text("あい");
  Msg_AppendControl('C', false);
  Text("うえ");
  Close(false, false, false);
  Step();
  Clock_Advance(100);
  Step();
  EXPECT_EQ(g_MsgCurrent->waiting, 1);
  Clock_Advance(5000);  // a long wait at the mark is not made up
  Key(1, 1);
  Step();
  EXPECT_EQ(g_MsgCurrent->waiting, 0);
  Key(1, 2);
  Step();  // the clock restarts now: "う" is due a full delay later
  EXPECT_EQ(Drawn(), 2u);
  Clock_Advance(99);
  Step();
  EXPECT_EQ(Drawn(), 2u);
  Clock_Advance(1);
  Step();
  EXPECT_EQ(Drawn(), 3u);
}

TEST_F(Typing, NewLineAndPageMarks) {
  g_MsgCurrent->lineHeight = 30;
  Text("あい");
  Msg_AppendControl('R', true);
  Text("う");
  Msg_AppendControl('P', true);
  Text("え");
  Close(false, false, false);
  layer.px()[5] = 0xFF123456;
  Step();
  ASSERT_EQ(Drawn(), 4u);
  EXPECT_EQ(FakeDraws()[2].x, 0);
  EXPECT_EQ(FakeDraws()[2].y, 30);
  EXPECT_EQ(FakeDraws()[3].x, 0);
  EXPECT_EQ(FakeDraws()[3].y, 0);
  EXPECT_EQ(layer.At(5, 0), 0u);  // the page cleared the layer
  EXPECT_TRUE(layer.ParentDirty());
  EXPECT_EQ(task.msgFlag, 0);
}

TEST_F(Typing, OverflowBelowTheBottomIsDroppedAndTheClickStillWaits) {
  TestLayer small(100, 50);
  g_MsgCurrent->layer = small.node;
  Text("あいうえおかきくけこさしすせそ");  // 3 per line, 2 lines fit
  Close();
  Step();
  EXPECT_EQ(FakeDrawnText(), "あいうえおか");
  EXPECT_EQ(g_MsgCurrent->waiting, 1);
  EXPECT_EQ(g_MsgCurrent->textPos, g_MsgCurrent->textCount);
  EXPECT_EQ(task.msgFlag, 1);
}

TEST_F(Typing, NothingIsDrawnAfterADropEvenAfterAPage) {
  TestLayer small(100, 50);
  g_MsgCurrent->layer = small.node;
  Text("あいうえおかきくけこ");
  Msg_AppendControl('P', true);
  Text("さし");
  Close(false, false, false);
  Step();
  EXPECT_EQ(FakeDrawnText(), "あいうえおか");
  EXPECT_EQ(task.msgFlag, 0);
}

TEST_F(Typing, MessageWithoutALayerEndsAtOnce) {
  g_MsgCurrent->layer = nullptr;
  Text("あい");
  Close();
  Step();
  EXPECT_EQ(task.msgFlag, 0);
  EXPECT_EQ(g_MsgCurrent->opCount, 0);
  EXPECT_EQ(Drawn(), 0u);
}

TEST_F(Typing, TextModeZeroEmptiesWithoutTyping) {
  g_MsgCurrent->textMode = 0;
  Text("あい");
  Msg_AppendControl('E', false, true);
  g_MsgCurrent->needsReset = 1;
  task.msgFlag = 1;
  Step();
  EXPECT_EQ(task.msgFlag, 0);
  EXPECT_EQ(Drawn(), 0u);
  EXPECT_EQ(g_MsgCurrent->textCount, 0);
}

TEST_F(Typing, DelaysAreKeptWithin16Bits) {
  g_MsgCurrent->delay = 40000;
  Text("aあ");
  g_MsgCurrent->delay = -5;
  Text("い");
  EXPECT_EQ(g_MsgCurrent->opDelay[0], 20000);
  EXPECT_EQ(g_MsgCurrent->opDelay[1], 32767);
  EXPECT_EQ(g_MsgCurrent->opDelay[2], 0);
  Close(false, false, false);
  Step();
  Clock_Advance(32766);
  Step();
  EXPECT_EQ(Drawn(), 1u);
  Clock_Advance(1);
  Step();
  EXPECT_EQ(Drawn(), 3u);  // a huge delay still falls due
}

TEST_F(Typing, UnknownOpIsReported) {
  Text("あ");
  Msg_AppendControl('Z', false, true);
  task.msgFlag = 1;
  Step();
  ASSERT_FALSE(errors.Empty());
  EXPECT_EQ(errors.Last(), kErrMsgBadOp);
}

TEST_F(Typing, RunnerHookTypesTheTask) {
  Msg_InstallHooks();
  EXPECT_EQ(g_MsgStepTaskHook, &Msg_StepTask);
}

}  // namespace

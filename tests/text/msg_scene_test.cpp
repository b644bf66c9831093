// Messages typed from compiled fixture scenes: the message commands through
// the task runner, with the manual clock and the key counters.
#include "msg_game.h"

namespace {

std::string Ops() { return std::string(reinterpret_cast<const char*>(g_MsgCurrent->ops), size_t(g_MsgCurrent->opCount)); }
std::string RecText() { return std::string(g_MsgCurrent->text, size_t(g_MsgCurrent->textCount)); }

TEST_F(MsgGame, TypesTwoMessagesWithAClickWaitBetween) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  MessageLayer(s, 320, 120, 100);
  Text(s, Sj("あいう"));
  End(s);
  s.Let(fx::Var(1000), fx::Int(1));
  Text(s, Sj("えお"));
  End(s);
  s.Let(fx::Var(1000), fx::Int(2));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(2);  // the closing command yields; typing starts on the next pass
  EXPECT_GT(InkIn(0, 20), 0);  // the first character at once
  EXPECT_EQ(InkIn(20, 60), 0);
  Clock_Advance(99);
  Frames(1);
  EXPECT_EQ(InkIn(20, 40), 0);
  Clock_Advance(1);
  Frames(1);
  EXPECT_GT(InkIn(20, 40), 0);  // the second after its delay
  EXPECT_EQ(InkIn(40, 60), 0);
  Key(1, 1);  // a click during typing shows the rest
  Frames(1);
  Key(1, 2);
  Frames(1);
  EXPECT_GT(InkIn(40, 60), 0);
  EXPECT_EQ(g_MsgCurrent->waiting, 1);
  EXPECT_EQ(I(1000), 0);
  Clock_Advance(10000);
  Frames(3);  // a held key does not pass the click mark
  EXPECT_EQ(I(1000), 0);
  Key(1, 1);  // a click at the mark goes on
  Frames(1);
  Key(1, 2);
  Frames(1);
  EXPECT_EQ(I(1000), 1);
  EXPECT_EQ(InkIn(40, 60), 0);  // the page mark cleared the layer
  Frames(1);
  EXPECT_GT(InkIn(0, 20), 0);  // the next message's first character at once
  EXPECT_EQ(InkIn(20, 40), 0);
  Key(17, 3);  // Ctrl held: the block at once, past its click mark
  Frames(1);
  EXPECT_GT(InkIn(20, 40), 0);
  Frames(1);
  EXPECT_EQ(I(1000), 2);
  EXPECT_TRUE(errors.Empty());
}

TEST_F(MsgGame, SettingsAndQuery) {
  game.IntVar(1000).IntVar(1001).IntVar(1002).IntVar(1003);
  fx::Scene& s = Main();
  s.Cmd("msg", {{"mode", fx::Int(1)}, {"key0", fx::Int(0)}, {"key1", fx::Int(65)},
                {"key4", fx::Int(16)}, {"delay", fx::Int(250)}, {"closenewline", fx::Int(0)},
                {"closepage", fx::Int(7)}, {"closeclick", fx::Int(0)}});
  s.Cmd("msgget", {{"closepage", fx::Int(0)}, {"out", fx::Var(1000)}});
  s.Cmd("msgget", {{"closeclick", fx::Int(0)}, {"x", fx::Int(0)}, {"out", fx::Var(1001)}});
  s.Cmd("msgget", {{"mode", fx::Int(0)}, {"closepage", fx::Int(0)}, {"out", fx::Var(1002)}});
  s.Cmd("msgget", {{"closenewline", fx::Int(0)}, {"out", fx::Var(1003)}});
  Idle(s);
  ASSERT_TRUE(Load());
  g_MsgCurrent->penX = 37;
  Frames(1);
  EXPECT_EQ(g_MsgAdvanceKeys[0], kMsgNoKey);
  EXPECT_EQ(g_MsgAdvanceKeys[1], 65);
  EXPECT_EQ(g_MsgAdvanceKeys[4], 16);
  EXPECT_EQ(g_MsgAdvanceKeys[2], kMsgNoKey);
  EXPECT_EQ(g_MsgCurrent->delay, 250);
  EXPECT_EQ(I(1000), 7);
  EXPECT_EQ(I(1001), 37);  // the lowest id given wins: pen x before close-click
  EXPECT_EQ(I(1002), 1);
  EXPECT_EQ(I(1003), 0);
}

TEST_F(MsgGame, ClickMarkInTextModeYieldsAndIgnoresTheRest) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  s.Cmd("msg", {{"click", fx::Int(1)}, {"newline", fx::Int(1)}, {"closeclick", fx::Int(0)}});
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(Ops(), "C");
  EXPECT_EQ(g_MsgCurrent->closeClick, 1);
  EXPECT_EQ(I(1000), 0);
  Frames(1);
  EXPECT_EQ(I(1000), 1);
}

TEST_F(MsgGame, MarksAppendOnlyForOne) {
  fx::Scene& s = Main();
  s.Cmd("msg", {{"newline", fx::Int(2)}, {"page", fx::Int(2)}, {"newline2", fx::Int(2)},
                {"page2", fx::Int(2)}, {"click", fx::Int(2)}, {"clear", fx::Int(2)}});
  s.Cmd("msg", {{"newline", fx::Int(1)}, {"page", fx::Int(1)}, {"newline2", fx::Int(1)},
                {"page2", fx::Int(1)}});
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Cmd("msg", {{"clear", fx::Int(1)}});
  Idle(s);
  ASSERT_TRUE(Load());
  g_MsgCurrent->lineHeight = 33;
  Frames(1);
  EXPECT_EQ(Ops(), "RPrp");
  EXPECT_EQ(g_MsgCurrent->opLineHeight[0], 33);
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->opCount, 0);
}

TEST_F(MsgGame, TextKeepsItsBytesAndSplitsCharacters) {
  fx::Scene& s = Main();
  Text(s, "a\t" + Sj("漢") + "\xB1" + "\x82");  // tab, kanji, half-width ｱ, lone lead byte
  Idle(s);
  ASSERT_TRUE(Load());
  g_MsgCurrent->delay = 30;
  Frames(1);
  EXPECT_EQ(Ops(), "11211");
  EXPECT_EQ(RecText(), "a\t" + Sj("漢") + "\xB1\x82");
  EXPECT_EQ(g_MsgCurrent->opDelay[0], 15);
  EXPECT_EQ(g_MsgCurrent->opDelay[2], 30);
  EXPECT_EQ(g_MsgCurrent->ops[5], 0);
}

TEST_F(MsgGame, TextUpToTheLimitAndNotPastIt) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  Text(s, std::string(8189, 'a'));
  Text(s, "b");   // exactly 8190
  Text(s, "c");   // one too many
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->textCount, 8190);
  EXPECT_EQ(g_MsgCurrent->opCount, 8190);
  EXPECT_EQ(g_MsgCurrent->text[8189], 'b');
  EXPECT_TRUE(Reported(kErrMsgTextFull));
  EXPECT_EQ(I(1000), 0);
}

TEST_F(MsgGame, FullRecordStillClosesAndTypes) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  MessageLayer(s, 200, 60);
  Text(s, std::string(8190, 'a'));
  End(s);
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->opCount, 8194);
  Key(17, 2);
  Frames(3);
  EXPECT_EQ(I(1000), 1);
  EXPECT_TRUE(errors.Empty());
}

TEST_F(MsgGame, ControlMarksStopAtTheOpLimit) {
  fx::Scene& s = Main();
  s.Cmd("msg", {{"mode", fx::Int(0)}});
  s.Loop(fx::Int(8191));
  s.Cmd("msg", {{"newline", fx::Int(1)}});
  s.EndLoop();
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->opCount, kMsgOpFillMax);
  EXPECT_TRUE(Reported(kErrMsgTextFull));
}

TEST_F(MsgGame, PrintFormatsValues) {
  fx::Scene& s = Main();
  s.Cmd("msgprint", {{"value", fx::Int(-42)}});
  s.Cmd("msgprint", {{"value", fx::Dbl(1.5)}});
  s.Cmd("msgprint", {{"value", fx::Text("a\tb")}});
  s.Cmd("msgprint", {{"value", fx::Text("\xB1")}});  // half-width katakana becomes a space
  s.Cmd("msgprint", {{"value", fx::Text(Sj("あ"))}});
  s.Cmd("msgprint", {{"value", fx::Text("")}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(RecText(), "-421.500000a b " + Sj("あ"));
  EXPECT_EQ(Ops(), "1111111111111112");
  EXPECT_TRUE(errors.Empty());
}

TEST_F(MsgGame, PrintLimits) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  Text(s, std::string(8185, 'a'));
  s.Cmd("msgprint", {{"value", fx::Text("bcd")}});  // 8188
  s.Cmd("msgprint", {{"value", fx::Text("e")}});    // 8189: still accepted
  s.Cmd("msgprint", {{"value", fx::Text("f")}});    // would reach 8190
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->textCount, 8189);
  EXPECT_TRUE(Reported(kErrMsgTextFull));
  EXPECT_EQ(I(1000), 0);
}

TEST_F(MsgGame, PrintRefusesLongValues) {
  fx::Scene& s = Main();
  s.Cmd("msgprint", {{"value", fx::Text(std::string(1024, 'a'))}});
  s.Cmd("msgprint", {{"value", fx::Text(std::string(1025, 'a'))}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->textCount, 1024);
  EXPECT_TRUE(Reported(kErrMsgPrintLong));
}

TEST_F(MsgGame, CollectModeClosesWithTheEndMarkOnly) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  s.Cmd("msg", {{"mode", fx::Int(0)}});
  Text(s, "abc");
  End(s);
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(Ops(), "111E");
  EXPECT_EQ(g_MsgCurrent->needsReset, 1);
  TaskRec* sys = static_cast<TaskRec*>(Task_SystemNode()->record);
  EXPECT_EQ(sys->msgFlag, 1);
  EXPECT_EQ(sys->msgWord[0], uint32_t(fx::kTypeInt) << 16);
  EXPECT_EQ(sys->msgWord[1], 11u);  // length of the 8-byte integer token
  EXPECT_EQ(I(1000), 0);
  Frames(1);  // emptied, and the task goes on in the same pass
  EXPECT_EQ(sys->msgFlag, 0);
  EXPECT_EQ(g_MsgCurrent->textCount, 0);
  EXPECT_EQ(I(1000), 1);
}

TEST_F(MsgGame, MissingLayerIsReported) {
  fx::Scene& s = Main();
  s.Cmd("msg", {{"layer", fx::Text("nowhere.1")}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_TRUE(Reported(kErrLayerNotFound));
  EXPECT_EQ(g_MsgCurrent->layer, nullptr);
  EXPECT_EQ(g_QuitRequested, 1);
}

TEST_F(MsgGame, MessageLayerMarkFollowsTheSelection) {
  fx::Scene& s = Main();
  MessageLayer(s, 64, 32);
  s.Cmd("cg", {{"path", fx::Text("other")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\msg.png")}});
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Cmd("msg", {{"layer", fx::Text("other.1")}});
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Cmd("cgdel", {{"path", fx::Text("other")}, {"num", fx::Int(1)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_MsgCurrent->layer, Layer());
  EXPECT_EQ(Layer_Record(Layer())->messageLayer, 1);
  Frames(1);
  EXPECT_EQ(Layer_Record(Layer())->messageLayer, 0);
  EXPECT_NE(g_MsgCurrent->layer, nullptr);
  Frames(1);  // the message layer is deleted: the record forgets it
  EXPECT_EQ(g_MsgCurrent->layer, nullptr);
}

}  // namespace

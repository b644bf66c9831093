// Commands 27 (text style) and 28 (metrics and queries) from fixture scenes.
#include "msg_game.h"

namespace {

using fx::Int;
using fx::Var;

bool StandIns() { return !Fonts_StandInVersion().empty(); }

TEST_F(MsgGame, StyleOfSlotZeroIsMirroredIntoTheMessage) {
  fx::Scene& s = Main();
  s.Cmd("textstyle", {{"size", Int(24)}, {"lineheight", Int(30)}, {"color", Int(0x123456)},
                      {"color2", Int(0x654321)}, {"gradient", Int(4)}, {"orient", Int(2)},
                      {"writemode", Int(1)}, {"bold", Int(1)}, {"smooth", Int(0)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  const MessageRec& m = *g_MsgCurrent;
  EXPECT_EQ(m.size, 24);
  EXPECT_EQ(m.lineHeight, 30);
  EXPECT_EQ(m.colour, 0x123456u);
  EXPECT_EQ(m.colour2, 0x654321u);
  EXPECT_EQ(m.gradient, 4);
  EXPECT_EQ(m.orientation, 2);
  EXPECT_EQ(m.writeMode, 1);
  EXPECT_EQ(m.bold, 1);
  EXPECT_EQ(m.smooth, 0);
  EXPECT_EQ(g_FontSlots[0].size, 24);
  EXPECT_EQ(g_FontSlots[0].colour2, 0x654321u);
}

TEST_F(MsgGame, StyleOfAnotherSlotLeavesTheMessageAlone) {
  fx::Scene& s = Main();
  s.Cmd("textstyle", {{"slot", Int(3)}, {"size", Int(40)}, {"color", Int(0xABCDEF)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_FontSlots[3].size, 40);
  EXPECT_EQ(g_FontSlots[3].colour, 0xABCDEFu);
  EXPECT_EQ(g_FontSlots[0].size, 20);
  EXPECT_EQ(g_MsgCurrent->size, 20);
  EXPECT_EQ(g_MsgCurrent->colour, 0xFFFFFFu);
  EXPECT_EQ(g_FontFaces.current, 0);  // the command ends with slot 0 current
}

struct OpCase {
  const char* arg;
  int64_t start;
  uint8_t op;
  int64_t v;
  int64_t want;
};

TEST_F(MsgGame, StyleOperatorsCapAndFloor) {
  const OpCase kCases[] = {
      {"color", 0xFFFFF0, fx::kOpAdd, 0x100, 0xFFFFFF},  // add stops at the maximum
      {"size", 30, fx::kOpDiv, 0, 30},                   // divide by 0 keeps it
      {"size", 30, fx::kOpSub, 50, 0},                   // below 0 becomes 0
      {"size", 30, fx::kOpMul, 10, 256},
      {"lineheight", 30, fx::kOpDiv, 4, 7},
      {"gradient", 3, fx::kOpAdd, 9, 8},
      {"size", 30, fx::kOpSet, 999, 256},  // a set value is brought into range
      {"bold", 0, fx::kOpAdd, 5, 1},
  };
  fx::Scene& s = Main();
  for (const OpCase& c : kCases) {
    s.Cmd("textstyle", {{c.arg, Int(c.start)}});
    s.Cmd("textstyle", {{c.arg, Int(c.v), c.op}});
    s.Cmd("wait", {{"frames", Int(1)}});
  }
  Idle(s);
  ASSERT_TRUE(Load());
  for (const OpCase& c : kCases) {
    Frames(1);
    const FontSlot& sl = g_FontSlots[0];
    int64_t got = std::string(c.arg) == "color" ? int64_t(sl.colour)
                  : std::string(c.arg) == "size" ? sl.size
                  : std::string(c.arg) == "lineheight" ? sl.lineHeight
                  : std::string(c.arg) == "gradient" ? sl.gradient
                                                     : sl.bold;
    EXPECT_EQ(got, c.want) << c.arg << " op " << int(c.op);
  }
}

TEST_F(MsgGame, FaceNumbersAndNames) {
  if (!StandIns()) GTEST_SKIP() << "IPA fonts are not installed";
  game.IntVar(1000).TextVar(1001).IntVar(1002).TextVar(1003);
  fx::Scene& s = Main();
  s.Cmd("textstyle", {{"slot", Int(2)}, {"face", Int(2)}});
  s.Cmd("textget", {{"count", Int(1)}, {"out", Var(1000)}});
  s.Cmd("textget", {{"name", Int(1)}, {"face", Int(2)}, {"out", Var(1001)}});
  s.Cmd("textget", {{"script", Int(1)}, {"face", Int(1)}, {"out", Var(1002)}});
  s.Cmd("textstyle", {{"facename", fx::Text(Sj("ＭＳ 明朝"))}});
  s.Cmd("textstyle", {{"facename", fx::Text("NoSuchFace")}});  // silently kept
  s.Cmd("textget", {{"name", Int(1)}, {"out", Var(1003)}});  // the current slot's face
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_FontFaces.slotFace[2], 1);
  EXPECT_EQ(I(1000), Font_GetCount());
  EXPECT_EQ(T(1001), Sj("ＭＳ Ｐゴシック"));
  EXPECT_EQ(I(1002), 0);
  EXPECT_EQ(T(1003), Sj("ＭＳ 明朝"));
  EXPECT_TRUE(errors.Empty());
}

struct FaceErrCase {
  const char* cmd;
  int64_t face;
  int err;
};

class FaceErrors : public MsgGame, public ::testing::WithParamInterface<FaceErrCase> {};

TEST_P(FaceErrors, Reported) {
  const FaceErrCase& c = GetParam();
  fx::Scene& s = Main();
  int64_t face = c.face == -1 ? int64_t(Fonts_ListFaces().size()) + 1 : c.face;
  if (std::string(c.cmd) == "textstyle") s.Cmd("textstyle", {{"face", Int(face)}});
  else s.Cmd("textget", {{"name", Int(1)}, {"face", Int(face)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_TRUE(Reported(c.err)) << c.cmd << " " << face;
}

INSTANTIATE_TEST_SUITE_P(Table, FaceErrors,
                         ::testing::Values(FaceErrCase{"textstyle", 0, kErrArgBelowMin},
                                           FaceErrCase{"textstyle", -1, kErrArgAboveMax},
                                           FaceErrCase{"textget", 0, kErrArgBelowMin},
                                           FaceErrCase{"textget", -1, kErrArgAboveMax}));

TEST_F(MsgGame, SlotOutOfRangeIsRefused) {
  fx::Scene& s = Main();
  s.Cmd("textstyle", {{"slot", Int(8)}, {"size", Int(40)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_TRUE(Reported(101000));
  for (const FontSlot& sl : g_FontSlots) EXPECT_EQ(sl.size, 20);
}

TEST_F(MsgGame, MetricsTable) {
  if (!StandIns()) GTEST_SKIP() << "IPA fonts are not installed";
  for (uint16_t v = 1000; v < 1012; ++v) game.IntVar(v, {}, -7);
  fx::Scene& s = Main();
  s.Cmd("textstyle", {{"size", Int(24)}, {"lineheight", Int(28)}, {"gradient", Int(6)}});
  s.Cmd("textget", {{"size", Int(0)}, {"out", Var(1000)}});
  s.Cmd("textget", {{"gradient", Int(0)}, {"size", Int(0)}, {"out", Var(1001)}});  // first match
  s.Cmd("textget", {{"width", Int(0)}, {"text", fx::Text(Sj("あい"))}, {"out", Var(1002)}});
  s.Cmd("textget", {{"width", Int(0)}, {"text", fx::Text("A")}, {"out", Var(1003)}});
  s.Cmd("textget", {{"height", Int(0)}, {"text", fx::Text(Sj("あ"))}, {"out", Var(1004)}});
  s.Cmd("textget", {{"width", Int(0)}, {"out", Var(1005)}});  // no text: 0
  s.Cmd("textget", {{"zero", Int(0)}, {"width", Int(0)}, {"text", fx::Text("A")}, {"out", Var(1006)}});
  s.Cmd("textget", {{"count", Int(2)}, {"out", Var(1007)}});  // not 1: falls through to 0
  s.Cmd("textget", {{"out", Var(1008)}});
  s.Cmd("textget", {{"color2", Int(0)}, {"out", Var(1009)}});
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(I(1000), 24);
  EXPECT_EQ(I(1001), 6);
  EXPECT_EQ(I(1002), 24);  // fixed-pitch face: a full cell
  EXPECT_EQ(I(1003), 12);  // and half of it for a 1-byte character
  EXPECT_EQ(I(1004), 28);
  EXPECT_EQ(I(1005), 0);
  EXPECT_EQ(I(1006), 0);
  EXPECT_EQ(I(1007), 0);
  EXPECT_EQ(I(1008), 0);
  EXPECT_EQ(I(1009), int64_t(kColourNone));
  EXPECT_TRUE(errors.Empty());
}

// The face list and the typed glyphs meet: a message typed with command 27
// styles draws with the chosen colour.
TEST_F(MsgGame, TypedGlyphsUseTheStyle) {
  if (!StandIns()) GTEST_SKIP() << "IPA fonts are not installed";
  fx::Scene& s = Main();
  MessageLayer(s, 200, 60);
  s.Cmd("textstyle", {{"color", Int(0x30C060)}, {"smooth", Int(0)}});
  Text(s, Sj("■"));
  End(s);
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(2);
  LayerImage* r = Layer_Record(Layer());
  ASSERT_NE(r, nullptr);
  uint32_t px;
  std::memcpy(&px, r->pixels + (size_t(10) * r->width + 10) * 4, 4);
  EXPECT_EQ(px, 0xFF30C060u);
}

}  // namespace

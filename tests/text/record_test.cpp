// The message record on its own: defaults, appending with attributes, the
// lone lead byte, the print conversion and the reset.
#include <gtest/gtest.h>

#include "text_testutil.h"

namespace {

std::string Ops() {
  return std::string(reinterpret_cast<const char*>(g_MsgCurrent->ops), size_t(g_MsgCurrent->opCount));
}

TEST(Record, Defaults) {
  ASSERT_EQ(Msg_CreateRecord(), 0);
  const MessageRec& m = *g_MsgCurrent;
  EXPECT_EQ(m.layer, nullptr);
  EXPECT_EQ(m.closeNewLine + m.closePage + m.closeClick, 3);
  EXPECT_EQ(m.textMode, 1);
  EXPECT_EQ(m.size, 20);
  EXPECT_EQ(m.colour2, kColourNone);
  EXPECT_EQ(m.gradient, 1);
  EXPECT_EQ(m.smooth, 1);
  EXPECT_EQ(m.needsReset, 0);  // the creation emptied it
  EXPECT_EQ(m.resume, 1);
  EXPECT_EQ(g_MsgAdvanceKeys[0], 1);
  EXPECT_EQ(g_MsgAdvanceKeys[1], 13);
  EXPECT_EQ(g_MsgAdvanceKeys[4], 17);
}

TEST(Record, CharactersCarryTheirAttributes) {
  Msg_CreateRecord();
  MessageRec& m = *g_MsgCurrent;
  m.size = 24;
  m.lineHeight = 30;
  m.delay = 81;
  m.colour = 0x102030;
  m.colour2 = 0x405060;
  m.gradient = 3;
  m.orientation = 2;
  m.bold = 1;
  std::string s = "A" + Sj("字");
  ASSERT_TRUE(Msg_AppendChars(s.data(), int(s.size()), false));
  EXPECT_EQ(Ops(), "12");
  EXPECT_EQ(m.opDelay[0], 40);  // a 1-byte character: half, truncated
  EXPECT_EQ(m.opDelay[1], 81);
  for (int p = 0; p < 2; ++p) {
    EXPECT_EQ(m.opSize[p], 24);
    EXPECT_EQ(m.opLineHeight[p], 30);
    EXPECT_EQ(m.opColour[p], 0x102030u);
    EXPECT_EQ(m.opColour2[p], 0x405060u);
    EXPECT_EQ(m.opGradient[p], 3);
    EXPECT_EQ(m.opOrientation[p], 2);
    EXPECT_EQ(m.opBold[p], 1);
  }
  // The closing marks record nothing; its new line records the sizes.
  m.size = 50;
  Msg_AppendControl('C', false, true);
  Msg_AppendControl('R', true, true);
  EXPECT_EQ(m.opSize[2], 0);
  EXPECT_EQ(m.opSize[3], 50);
}

struct AppendCase {
  std::string in;
  bool print;
  std::string ops, text;
};

TEST(Record, AppendTable) {
  const AppendCase kCases[] = {
      {"a\tb", false, "111", "a\tb"},
      {"a\tb", true, "111", "a b"},
      {"\x82", false, "1", "\x82"},       // a lone lead byte at the end is one 1-byte op
      {"x\x82", true, "11", "x "},        // and is printed as a space
      {"\xB1\x7F\xFF", true, "111", "   "},
      {"\xB1", false, "1", "\xB1"},
      {"\x81\x40", true, "2", "\x81\x40"},
      {"\xE0\x0A", true, "2", "\xE0\x0A"},  // a lead byte takes any follower
  };
  for (const AppendCase& c : kCases) {
    Msg_CreateRecord();
    g_MsgCurrent->needsReset = 1;
    Msg_ResetRecord();
    ASSERT_TRUE(Msg_AppendChars(c.in.data(), int(c.in.size()), c.print));
    EXPECT_EQ(Ops(), c.ops) << c.in;
    EXPECT_EQ(std::string(g_MsgCurrent->text, size_t(g_MsgCurrent->textCount)), c.text) << c.in;
    EXPECT_EQ(g_MsgCurrent->text[g_MsgCurrent->textCount], 0);
  }
}

TEST(Record, PrintValue) {
  EXPECT_EQ(Msg_PrintValue(1, -9000000000LL, 0, nullptr), "-9000000000");
  EXPECT_EQ(Msg_PrintValue(2, 0, -0.25, nullptr), "-0.250000");
  EXPECT_EQ(Msg_PrintValue(3, 0, 0, "abc"), "abc");
  EXPECT_EQ(Msg_PrintValue(4, 5, 5, "abc"), "");
}

TEST(Record, ResetOnlyWhenAsked) {
  Msg_CreateRecord();
  ASSERT_TRUE(Msg_AppendChars("ab", 2, false));
  g_MsgCurrent->resume = 0;
  Msg_ResetRecord();
  EXPECT_EQ(g_MsgCurrent->opCount, 2);
  g_MsgCurrent->needsReset = 1;
  Msg_ResetRecord();
  EXPECT_EQ(g_MsgCurrent->opCount, 0);
  EXPECT_EQ(g_MsgCurrent->textCount, 0);
  EXPECT_EQ(g_MsgCurrent->resume, 1);
  EXPECT_EQ(g_MsgCurrent->opSize[0], 0);
}

TEST(Record, FillLimitKeepsRoomForTheClosingMarks) {
  ErrCapture errors;
  Msg_CreateRecord();
  std::string big(kMsgTextUsable, 'a');
  ASSERT_TRUE(Msg_AppendChars(big.data(), int(big.size()), false));
  EXPECT_FALSE(Msg_AppendControl('R', true));
  EXPECT_EQ(errors.Last(), kErrMsgTextFull);
  EXPECT_EQ(g_MsgCurrent->opCount, kMsgOpFillMax);
  for (uint8_t op : {'C', 'R', 'P', 'E'}) EXPECT_TRUE(Msg_AppendControl(op, op == 'R', true));
  EXPECT_EQ(g_MsgCurrent->opCount, kMsgOpFillMax + kMsgCloseOps);
  // A second close on the same record still finds room once more, never past the arrays.
  int n = 0;
  while (Msg_AppendControl('E', false, true)) ++n;
  EXPECT_LT(g_MsgCurrent->opCount, kMsgOpSize - 1);
  EXPECT_GT(n, 0);
  EXPECT_FALSE(Msg_AppendChars("x", 1, false));
}

}  // namespace

// Line wrap: the room rules, the characters that may not begin or end a
// line, the "！？" pair and the drop below the bottom, by table.
#include <gtest/gtest.h>

#include "text_testutil.h"

namespace {

struct WrapCase {
  const char* name;
  const char* text;  // UTF-8, appended as the message's characters
  int x, y;          // pen before the first character
  int nextLineHeight;  // line height of the op after the first (0: same)
  int result;
  int penX, penY;       // after the wrap
  const char* drawn;    // characters drawn by the wrap itself
  int textPos;          // text position after the wrap
  int opPos;            // op position after the wrap
};

// Layer 200 x 100, size 20, line height 20, fake advance 20 (10 for 1-byte).
const WrapCase kCases[] = {
    {"room", "あ", 0, 0, 0, 0, 0, 0, "", 0, 0},
    {"no room for one", "あ", 180, 0, 0, 0, 0, 20, "", 0, 0},
    {"room for two", "あ", 157, 0, 0, 0, 157, 0, "", 0, 0},
    {"one not two: plain kanji wraps", "漢", 160, 0, 0, 0, 0, 20, "", 0, 0},
    {"one not two: 1-byte wraps", "A", 160, 0, 0, 0, 0, 20, "", 0, 0},
    {"one not two: 。 stays", "。", 160, 0, 0, -1, 180, 0, "。", 2, 0},
    {"one not two: 、 stays", "、", 160, 0, 0, -1, 180, 0, "、", 2, 0},
    {"one not two: 」 stays", "」", 160, 0, 0, -1, 180, 0, "」", 2, 0},
    {"one not two: ッ stays", "ッ", 160, 20, 0, -1, 180, 20, "ッ", 2, 0},
    {"two not four: 「 wraps", "「あ", 120, 0, 0, 0, 0, 20, "", 0, 0},
    {"two not four: 『 wraps", "『あ", 120, 0, 0, 0, 0, 20, "", 0, 0},
    {"two not four: （ wraps", "（あ", 120, 0, 0, 0, 0, 20, "", 0, 0},
    {"two not four: plain stays", "あい", 120, 0, 0, 0, 120, 0, "", 0, 0},
    {"two not four: ！？ together", "！？あ", 120, 0, 0, -1, 160, 0, "！？", 4, 1},
    {"two not four: ！ alone", "！あ", 120, 0, 0, 0, 120, 0, "", 0, 0},
    {"four fit: 「 stays", "「あ", 100, 0, 0, 0, 100, 0, "", 0, 0},
    {"bottom: drop", "あいう", 0, 78, 0, -1, 0, 78, "", 6, 0},
    {"bottom: just fits", "あい", 0, 77, 0, 0, 0, 77, "", 0, 0},
    {"new line below the bottom drops", "あい", 180, 60, 0, -1, 0, 80, "", 4, 0},
    {"taller next line drops", "あい", 0, 60, 40, -1, 0, 60, "", 4, 0},
};

class WrapTable : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTable, Case) {
  const WrapCase& c = GetParam();
  ASSERT_EQ(Msg_CreateRecord(), 0);
  TestLayer layer(200, 100);
  MessageRec& m = *g_MsgCurrent;
  m.layer = layer.node;
  std::string sj = Sj(c.text);
  ASSERT_TRUE(Msg_AppendChars(sj.data(), int(sj.size()), false));
  if (c.nextLineHeight) m.opLineHeight[1] = int16_t(c.nextLineHeight);
  m.penX = c.x;
  m.penY = c.y;
  g_MsgGlyphDrawer = FakeGlyphDrawer;
  FakeDraws().clear();
  EXPECT_EQ(Msg_WrapLine(), c.result);
  EXPECT_EQ(m.penX, c.penX);
  EXPECT_EQ(m.penY, c.penY);
  EXPECT_EQ(FakeDrawnText(), c.drawn);
  EXPECT_EQ(m.textPos, c.textPos);
  EXPECT_EQ(m.opPos, c.opPos);
  for (const FakeDraw& d : FakeDraws()) EXPECT_EQ(d.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Cases, WrapTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p)
                             n += std::isalnum(uint8_t(*p)) ? *p : '_';
                           return n + "_" + std::to_string(info.index);
                         });

// Every one of the 23 characters that may not begin a line stays on the
// line; the characters around them in the kana tables wrap.
TEST(Wrap, AllLineStartCharactersStay) {
  const char* stay[] = {"ぁ", "ぃ", "ぅ", "ぇ", "ぉ", "ゃ", "ゅ", "ょ", "っ", "ァ", "ィ", "ゥ",
                        "ェ", "ォ", "ャ", "ュ", "ョ", "ッ", "。", "、", "」", "』", "）"};
  const char* wrap[] = {"あ", "い", "や", "ゆ", "よ", "つ", "ア", "ツ", "ヤ", "「", "・", "ー"};
  g_MsgGlyphDrawer = FakeGlyphDrawer;
  auto run = [](const char* ch) {
    Msg_CreateRecord();
    static TestLayer layer(200, 100);
    g_MsgCurrent->layer = layer.node;
    std::string sj = Sj(ch);
    Msg_AppendChars(sj.data(), int(sj.size()), false);
    g_MsgCurrent->penX = 160;
    return Msg_WrapLine();
  };
  for (const char* ch : stay) EXPECT_EQ(run(ch), -1) << ch;
  for (const char* ch : wrap) EXPECT_EQ(run(ch), 0) << ch;
}

}  // namespace

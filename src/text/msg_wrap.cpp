// Line wrap with the Japanese line-breaking rules: a few characters may not
// begin a line (small kana, closing marks) and stay on the line they would
// have overflowed; a few may not end one (opening brackets) and move on to
// the next; "！？" stays together. Text below the layer's bottom is dropped.
#include <cstring>

#include "text/msg_internal.h"

namespace {

// Shift-JIS pairs of the characters that may not begin a line:
// ぁぃぅぇぉゃゅょっ ァィゥェォャュョッ 。、」』）
constexpr uint16_t kNoLineStart[] = {
    0x829F, 0x82A1, 0x82A3, 0x82A5, 0x82A7, 0x82E1, 0x82E3, 0x82E5, 0x82C1,  // hiragana
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362,  // katakana
    0x8142, 0x8141, 0x8176, 0x8178, 0x816A,                                  // marks
};
static_assert(std::size(kNoLineStart) == 23);
// Characters that may not end a line: 「 『 （
constexpr uint16_t kNoLineEnd[] = {0x8175, 0x8177, 0x8169};
constexpr uint16_t kExclamation = 0x8149;  // ！
constexpr uint16_t kQuestion = 0x8148;     // ？

template <size_t N>
bool InSet(const uint16_t (&set)[N], uint16_t c) {
  for (uint16_t v : set)
    if (v == c) return true;
  return false;
}

uint16_t PairAt(const MessageRec& m, int textPos) {
  if (textPos + 1 >= m.textCount) return 0;
  return uint16_t(uint8_t(m.text[textPos]) << 8 | uint8_t(m.text[textPos + 1]));
}

int Drop(MessageRec& m) {
  m.textPos = m.textCount;
  m.dropped = 1;
  return -1;
}

int NewLine(MessageRec& m, int h, int nextH, int H) {
  m.penX = 0;
  m.penY += h;
  if (m.penY + nextH + 2 < H) return 0;
  return Drop(m);
}

}  // namespace

int Msg_WrapLine() {
  MessageRec& m = *g_MsgCurrent;
  int W = 0, H = 0;
  Msg_LayerSize(&W, &H);
  const int p = m.opPos;
  const int s = m.opSize[p], h = m.opLineHeight[p], nextH = m.opLineHeight[p + 1];
  const bool dbcs = m.ops[p] == '2';
  const int x = m.penX, y = m.penY;
  if (y + nextH + 2 >= H) return Drop(m);
  if (x + s + 2 >= W) return NewLine(m, h, nextH, H);
  uint16_t c = dbcs ? PairAt(m, m.textPos) : 0;
  if (x + 2 * s + 2 >= W) {
    if (!dbcs || !InSet(kNoLineStart, c)) return NewLine(m, h, nextH, H);
    Msg_DrawCharOp(p, true);
    return -1;
  }
  if (x + 4 * s + 2 >= W && dbcs) {
    if (c == kExclamation && m.ops[p + 1] == '2' && PairAt(m, m.textPos + 2) == kQuestion) {
      Msg_DrawCharOp(p, true);
      Msg_DrawCharOp(p, true);  // the "？" with the "！" attributes
      m.opPos += 1;             // and its op stepped over as well
      return -1;
    }
    if (InSet(kNoLineEnd, c)) return NewLine(m, h, nextH, H);
  }
  return 0;
}

// Typing the op stream into the message layer on the millisecond clock.
#include <cstring>

#include "graphics/graphics.h"
#include "platform/clock.h"
#include "base/base.h"
#include "text/msg_internal.h"

int32_t g_MsgShowAll = 0;
uint32_t g_MsgCharClock = 0;
MsgGlyphDrawFn g_MsgGlyphDrawer = Msg_DrawGlyph;

void Msg_LayerSize(int* w, int* h) {
  LayerImage* rec = g_MsgCurrent ? Layer_Record(g_MsgCurrent->layer) : nullptr;
  *w = rec ? int(rec->width) : 0;
  *h = rec ? int(rec->height) : 0;
}

void Msg_DrawCharOp(int p, bool mark) {
  MessageRec& m = *g_MsgCurrent;
  int len = Msg_CharLen(m, p);
  if (m.textPos + len > m.textCount) {  // nothing left to draw
    m.textPos = m.textCount;
    return;
  }
  char buf[4] = {};
  std::memcpy(buf, m.text + m.textPos, size_t(len));
  GlyphStyle st;
  st.colour = m.opColour[p];
  st.colour2 = m.opColour2[p];
  st.gradient = m.opGradient[p];
  st.orientation = m.opOrientation[p];
  st.size = m.opSize[p];
  st.lineHeight = m.opLineHeight[p];
  st.bold = m.opBold[p];
  st.smooth = m.smooth;
  st.writeMode = m.writeMode;
  Font_SetSlot(0);  // message text always uses slot 0
  m.penX += g_MsgGlyphDrawer(buf, st, 0, m.penX, m.penY, m.layer);
  m.textPos += len;
  if (mark) Layer_MarkDirty(m.layer);
}

int Msg_CharTimer() {
  MessageRec& m = *g_MsgCurrent;
  if (g_MsgShowAll || m.textPos < 1) return 0;
  uint32_t d = uint16_t(m.opDelay[m.opPos]);
  if (d > Clock_Ms32() - g_MsgCharClock) return -1;
  g_MsgCharClock += d;
  return 0;
}

namespace {

void ClearLayer(ObjNode* layer) {
  LayerImage* rec = Layer_Record(layer);
  if (rec && rec->pixels) std::memset(rec->pixels, 0, size_t(rec->width) * 4 * rec->height);
}

// One character op: false when it is not yet due (typing stops).
bool TypeChar(MessageRec& m, bool* drawn) {
  if (Msg_CharTimer() == -1) return false;
  // Once text has been dropped the rest of the message's characters are
  // stepped over, even after a page mark has moved the pen back up.
  if (m.dropped || m.textPos >= m.textCount) return true;
  if (Msg_WrapLine() == -1) return true;
  Msg_DrawCharOp(m.opPos, false);
  *drawn = true;
  return true;
}

}  // namespace

void Msg_RenderText() {
  MessageRec& m = *g_MsgCurrent;
  if (!m.layer) return;
  bool drawn = false;
  for (;;) {
    if (m.opPos >= m.opCount) {
      g_MsgShowAll = 0;
      return;
    }
    if (m.resume) {
      m.resume = 0;
      g_MsgCharClock = Clock_Ms32();
    }
    switch (m.ops[m.opPos]) {
      case '1':
      case '2':
        if (!TypeChar(m, &drawn)) return;
        break;
      case 'C':
        m.waiting = 1;
        g_MsgShowAll = 0;
        return;
      case 'E':
        break;
      case 'P':
      case 'p':
        ClearLayer(m.layer);
        m.penX = m.penY = 0;
        drawn = true;
        break;
      case 'R':
      case 'r':
        m.penX = 0;
        m.penY += m.opLineHeight[m.opPos];
        break;
      default:
        Err_Show(kErrMsgBadOp, 1);
        return;
    }
    m.opPos += 1;
    if (drawn) Layer_MarkDirty(m.layer);
  }
}

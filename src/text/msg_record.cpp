// The message record: creation, reset and appending ops with their
// per-character attributes.
#include <cstring>
#include <new>

#include "platform/text.h"
#include "base/base.h"
#include "text/text.h"

MessageRec* g_MsgCurrent = nullptr;

namespace {

void SetDefaults(MessageRec& m) {
  m.layer = nullptr;
  m.delay = 0;
  m.closeNewLine = m.closePage = m.closeClick = 1;
  m.penX = m.penY = 0;
  m.textMode = 1;
  m.size = m.lineHeight = 20;
  m.colour = 0xFFFFFF;
  m.colour2 = kColourNone;
  m.gradient = 1;
  m.orientation = 0;
  m.bold = 0;
  m.writeMode = 0;
  m.smooth = 1;
  m.waiting = 0;
  m.needsReset = 1;
  m.resume = 0;
  m.dropped = 0;
}

// The record's delay as a per-op value: 16-bit, so kept within 0..32767 ms
// (a negative or larger delay would never fall due).
int16_t OpDelay(int32_t delay) {
  if (delay < 0) return 0;
  if (delay > kMsgDelayMax) return int16_t(kMsgDelayMax);
  return int16_t(delay);
}

void StoreCharAttrs(MessageRec& m, int p, bool single) {
  m.opSize[p] = int16_t(m.size);
  m.opLineHeight[p] = int16_t(m.lineHeight);
  int32_t d = m.delay < 0 ? 0 : m.delay;
  m.opDelay[p] = OpDelay(single ? d / 2 : d);
  m.opColour[p] = m.colour;
  m.opColour2[p] = m.colour2;
  m.opGradient[p] = m.gradient;
  m.opOrientation[p] = m.orientation;
  m.opBold[p] = m.bold;
}

}  // namespace

int Msg_CreateRecord() {
  if (!g_MsgCurrent) {
    g_MsgCurrent = new (std::nothrow) MessageRec;
    if (!g_MsgCurrent) return 1;
  }
  SetDefaults(*g_MsgCurrent);
  Msg_ResetRecord();
  // The typing state starts afresh with the record.
  std::memcpy(g_MsgAdvanceKeys, kMsgDefaultKeys, sizeof kMsgDefaultKeys);
  g_MsgShowAll = 0;
  Msg_InstallHooks();
  return 0;
}

int Msg_ResetRecord() {
  MessageRec* m = g_MsgCurrent;
  if (!m || !m->needsReset) return 0;
  m->needsReset = 0;
  m->textCount = m->opCount = m->textPos = m->opPos = 0;
  m->resume = 1;
  m->dropped = 0;
  std::memset(m->text, 0, sizeof m->text);
  std::memset(m->ops, 0, sizeof m->ops);
  std::memset(m->opSize, 0, sizeof m->opSize);
  std::memset(m->opLineHeight, 0, sizeof m->opLineHeight);
  std::memset(m->opDelay, 0, sizeof m->opDelay);
  std::memset(m->opColour, 0, sizeof m->opColour);
  std::memset(m->opColour2, 0, sizeof m->opColour2);
  std::memset(m->opGradient, 0, sizeof m->opGradient);
  std::memset(m->opOrientation, 0, sizeof m->opOrientation);
  std::memset(m->opBold, 0, sizeof m->opBold);
  return 0;
}

bool Msg_AppendControl(uint8_t op, bool withSize, bool closing) {
  MessageRec& m = *g_MsgCurrent;
  // The closing marks of command 79 may use the room kept for them; the
  // fill commands stop at kMsgOpFillMax.
  int limit = closing ? kMsgOpSize - 2 : kMsgOpFillMax;
  if (m.opCount >= limit) {
    Err_Script(kErrMsgTextFull, 1);
    return false;
  }
  int p = m.opCount;
  if (withSize) {
    m.opSize[p] = int16_t(m.size);
    m.opLineHeight[p] = int16_t(m.lineHeight);
  }
  m.ops[p] = op;
  m.opCount = p + 1;
  m.ops[m.opCount] = 0;
  return true;
}

bool Msg_AppendChars(const char* bytes, int len, bool printMode) {
  MessageRec& m = *g_MsgCurrent;
  const auto* b = reinterpret_cast<const uint8_t*>(bytes);
  int ops = 0;
  for (int i = 0; i < len; ++i, ++ops)
    if (Sjis_IsLead(b[i]) && i + 1 < len) ++i;
  if (m.opCount + ops > kMsgOpFillMax || m.textCount + len > kMsgTextUsable) {
    Err_Script(kErrMsgTextFull, 1);
    return false;
  }
  for (int i = 0; i < len; ++i) {
    int p = m.opCount++;
    if (Sjis_IsLead(b[i]) && i + 1 < len) {
      m.text[m.textCount++] = char(b[i]);
      m.text[m.textCount++] = char(b[++i]);
      m.ops[p] = '2';
      StoreCharAttrs(m, p, false);
      continue;
    }
    uint8_t c = b[i];
    if (printMode && (c < 32 || c >= 127)) c = ' ';
    m.text[m.textCount++] = char(c);
    m.ops[p] = '1';
    StoreCharAttrs(m, p, true);
  }
  m.text[m.textCount] = 0;
  m.ops[m.opCount] = 0;
  return true;
}

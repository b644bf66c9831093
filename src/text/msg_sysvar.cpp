// System variables 122 and 123: the current message's collected text bytes
// and op bytes, read by scripts that build text in text mode 0 and draw it
// themselves.
#include <cstring>

#include "platform/text.h"
#include "text/text.h"
#include "vm/sysvar_hooks.h"

namespace {

// Copies at most cap - 1 of the n bytes, never splitting a double-byte
// character when `text` is set.
void CopyBounded(const char* src, int32_t n, bool text, char* out, size_t cap) {
  size_t len = n > 0 ? size_t(n) : 0;
  if (len > cap - 1) {
    len = cap - 1;
    if (text) {
      // Walk from the start so that a trail byte is never taken for a lead.
      size_t i = 0;
      while (i < len) i += Sjis_IsLead(uint8_t(src[i])) ? 2 : 1;
      if (i > len) len = i - 2;
    }
  }
  std::memcpy(out, src, len);
  out[len] = '\0';
}

bool MessageText(int32_t number, int64_t, char* out, size_t cap) {
  if (number != 122 && number != 123) return false;
  const MessageRec* m = g_MsgCurrent;
  if (!m) return true;  // no record yet: ""
  if (number == 122) {
    int32_t n = m->textCount < kMsgTextSize ? m->textCount : kMsgTextSize;
    CopyBounded(m->text, n, true, out, cap);
  } else {
    int32_t n = m->opCount < kMsgOpSize ? m->opCount : kMsgOpSize;
    CopyBounded(reinterpret_cast<const char*>(m->ops), n, false, out, cap);
  }
  return true;
}

}  // namespace

void Msg_InstallSysVars() { g_SysVarHooks.text = MessageText; }

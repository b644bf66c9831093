// Commands 106 (append the instruction's text as it is), 110 (append a
// printed value) and 79 (close the block).
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/base.h"
#include "text/text.h"
#include "text/text_args.h"
#include "vm/vm.h"

namespace {

// The running instruction's first descriptor, or null when it has none.
const ArgDesc* FirstDesc() {
  const TaskRec* t = g_CurTask.task;
  if (!t || !t->hasScene || g_CurTask.instr >= t->code.count) return nullptr;
  if (t->code.argc[g_CurTask.instr] == 0) return nullptr;
  return t->code.desc[g_CurTask.instr];
}

// The descriptor's bytes in the scene's expression data, bounded by it.
bool DescBytes(const ArgDesc* d, const char** bytes, int* len) {
  const TaskRec* t = g_CurTask.task;
  if (!d || uint64_t(d->offset) + d->length > t->code.exprSize) return false;
  *bytes = reinterpret_cast<const char*>(t->code.expr + d->offset);
  *len = int(d->length);
  return true;
}

}  // namespace

std::string Msg_PrintValue(int type, int64_t i, double d, const char* s) {
  char buf[64];
  switch (type) {
    case 1:
      std::snprintf(buf, sizeof buf, "%" PRId64, i);
      return buf;
    case 2:
      std::snprintf(buf, sizeof buf, "%f", d);
      return buf;
    case 3:
      return s ? s : "";
    default:
      return std::string();
  }
}

int32_t Cmd_MsgText() {
  if (Cmd_FetchArgs(kCmdMsgText) != 0) return -1;
  const char* bytes = nullptr;
  int len = 0;
  if (!DescBytes(FirstDesc(), &bytes, &len)) return 0;
  // The text ends at its length or at a zero byte, whichever comes first.
  len = int(strnlen(bytes, size_t(len)));
  MessageRec& m = *g_MsgCurrent;
  if (m.textCount + len - 1 >= kMsgTextUsable) {
    Err_Script(kErrMsgTextFull, 1);
    return -1;
  }
  if (len > 0 && !Msg_AppendChars(bytes, len, false)) return -1;
  return 0;
}

int32_t Cmd_MsgPrint() {
  if (Cmd_FetchArgs(kCmdMsgPrint) != 0) return -1;
  const ArgDesc* d = FirstDesc();
  const char* bytes = nullptr;
  int len = 0;
  std::string text;
  if (d && DescBytes(d, &bytes, &len)) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes);
    if (d->type == 1) {
      text = Msg_PrintValue(1, g_ExprEvalInt[1](p, uint32_t(len)), 0, nullptr);
    } else if (d->type == 2) {
      text = Msg_PrintValue(2, 0, g_ExprEvalFloat[2](p, uint32_t(len)), nullptr);
    } else if (d->type == 3) {
      std::vector<char> out(kExprTextSize + 1, 0);
      int32_t n = g_ExprEvalStr[3](p, uint32_t(len), out.data());
      text.assign(out.data(), size_t(n < 0 ? 0 : n));
    }
    if (d->type >= 1 && d->type <= 3 && g_Expr.status != 0) return -1;  // reported
  }
  MessageRec& m = *g_MsgCurrent;
  int n = int(text.size());
  if (m.textCount + n >= kMsgTextUsable) {
    Err_Script(kErrMsgTextFull, 1);
    return -1;
  }
  if (n > kMsgPrintMax) {
    Err_Script(kErrMsgPrintLong, 1);
    return -1;
  }
  if (n == 0) {
    m.text[m.textCount] = 0;
    m.ops[m.opCount] = 0;
    return 0;
  }
  return Msg_AppendChars(text.data(), n, true) ? 0 : -1;
}

int32_t Cmd_MsgEnd() {
  MessageRec& m = *g_MsgCurrent;
  TaskRec* t = g_CurTask.task;
  if (t) {
    uint32_t words[2] = {0, 0};
    if (const ArgDesc* d = FirstDesc()) std::memcpy(words, d, sizeof words);
    t->msgWord[0] = words[0];
    t->msgWord[1] = words[1];
  }
  if (m.textMode != 0) {
    if (m.closeClick && !Msg_AppendControl('C', false, true)) return -1;
    if (m.closeNewLine && !Msg_AppendControl('R', true, true)) return -1;
    if (m.closePage && !Msg_AppendControl('P', false, true)) return -1;
  } else {
    m.needsReset = 1;
  }
  if (!Msg_AppendControl('E', false, true)) return -1;
  if (t) t->msgFlag = 1;
  return -1;
}

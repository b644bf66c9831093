// Commands 96 (message settings and marks) and 97 (message query).
#include "graphics/graphics.h"
#include "base/base.h"
#include "text/text.h"
#include "text/text_args.h"
#include "vm/vm.h"

namespace {

bool IsOne(int id) { return g_ArgGiven[id] && g_ArgInt[g_ArgGiven[id]] == 1; }

void SetMessageMark(ObjNode* node, uint8_t v) {
  if (LayerImage* rec = Layer_Record(node)) rec->messageLayer = v;
}

// Id 0: the message layer by path; 0, or -1 after 101250.
int SelectLayer(const char* path) {
  MessageRec& m = *g_MsgCurrent;
  char resolved[kObjPathMax];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  if (Obj_ResolvePath(resolved, path, tree.curPath, false) < 0) return -1;
  SetMessageMark(m.layer, 0);
  ObjNode* node = Obj_FindByPath(tree.root, resolved, kObjFindLeaf | kObjFindQuiet);
  if (!node) {
    m.layer = nullptr;
    Err_ScriptF(kErrLayerNotFound, 1, Flow_CmdName(kCmdMsgSelect), resolved);
    return -1;
  }
  m.layer = node;
  SetMessageMark(node, 1);
  return 0;
}

// The marks of ids 15, 11, 12, 13, 14 and the clear of id 16, in that
// order. 0 go on, -1 yield or failure.
int32_t AppendMarks() {
  MessageRec& m = *g_MsgCurrent;
  if (IsOne(msgarg::kClick)) {
    if (!Msg_AppendControl('C', true)) return -1;
    if (m.textMode != 0) return -1;  // the task yields at the mark
  }
  const struct {
    uint8_t id, op;
  } kMarks[] = {{msgarg::kNewLine, 'R'}, {msgarg::kPage, 'P'}, {msgarg::kNewLine2, 'r'},
                {msgarg::kPage2, 'p'}};
  for (const auto& mk : kMarks)
    if (IsOne(mk.id) && !Msg_AppendControl(mk.op, true)) return -1;
  if (IsOne(msgarg::kClear)) {
    m.needsReset = 1;
    Msg_ResetRecord();
  }
  return 0;
}

}  // namespace

int32_t Cmd_MsgSelect() {
  if (Cmd_FetchArgs(kCmdMsgSelect) != 0) return -1;
  MessageRec& m = *g_MsgCurrent;
  if (const char* path = Arg_Str(msgarg::kLayer); g_ArgGiven[msgarg::kLayer] && path)
    if (SelectLayer(path) != 0) return -1;
  if (g_ArgGiven[msgarg::kMode]) m.textMode = int8_t(g_ArgInt[g_ArgGiven[msgarg::kMode]]);
  for (int k = 0; k < kMsgAdvanceKeyCount; ++k) {
    int id = msgarg::kKey0 + k;
    if (!g_ArgGiven[id]) continue;
    int64_t v = g_ArgInt[g_ArgGiven[id]];
    g_MsgAdvanceKeys[k] = v == 0 ? kMsgNoKey : int32_t(v);
  }
  if (g_ArgGiven[msgarg::kDelay]) m.delay = int32_t(g_ArgInt[g_ArgGiven[msgarg::kDelay]]);
  if (AppendMarks() != 0) return -1;
  if (g_ArgGiven[msgarg::kCloseNewLine]) m.closeNewLine = int32_t(Arg_Int(msgarg::kCloseNewLine, 0));
  if (g_ArgGiven[msgarg::kClosePage]) m.closePage = int32_t(Arg_Int(msgarg::kClosePage, 0));
  if (g_ArgGiven[msgarg::kCloseClick]) m.closeClick = int32_t(Arg_Int(msgarg::kCloseClick, 0));
  return 0;
}

int32_t Cmd_MsgQuery() {
  if (Cmd_FetchArgs(kCmdMsgQuery) != 0) return -1;
  const MessageRec& m = *g_MsgCurrent;
  const int64_t values[] = {m.textMode,     m.penX,      m.penY,      m.waiting,
                            m.closeNewLine, m.closePage, m.closeClick};
  int target = g_ArgGiven[msgquery::kOut];
  if (!target) return 0;
  for (int id = msgquery::kMode; id <= msgquery::kCloseClick; ++id) {
    if (!g_ArgGiven[id]) continue;
    Var_SetIntElement(g_ArgSlot[target].var, g_ArgSlot[target].varIndex, values[id - 1]);
    break;
  }
  return 0;
}

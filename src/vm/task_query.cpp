// Command 95: facts about a task, written into the variable element that
// argument 1 names.
#include <cstring>
#include <string>

#include "files/files.h"
#include "base/base.h"
#include "vm/vm.h"

namespace {
// One answer: a number or a text.
struct QueryValue {
  bool isText = false;
  int64_t num = 0;
  std::string text;
};

QueryValue Num(int64_t v) {
  QueryValue q;
  q.num = v;
  return q;
}
QueryValue Text(std::string s) {
  QueryValue q;
  q.isText = true;
  q.text = std::move(s);
  return q;
}

// Source line of the instruction the task ran last (the running one for
// the current task).
int64_t LastLine(const TaskRec* t, bool current) {
  if (!t->hasScene || !t->code.lines || t->code.count == 0) return 0;
  uint32_t i = current ? g_CurTask.instr : (t->pc ? t->pc - 1 : 0);
  return i < t->code.count ? t->code.lines[i] : 0;
}

// The scene and line of the outermost call (the current ones at depth 0).
uint16_t OuterScene(const TaskRec* t) { return t->callDepth >= 1 ? t->callFrames[1]->retScene : t->scene; }
int64_t OuterLine(const TaskRec* t, bool current) {
  return t->callDepth >= 1 ? t->callFrames[1]->line : LastLine(t, current);
}

// The fact chosen by the first given selector id.
QueryValue Select(const ObjNode* node, const TaskRec* t) {
  bool cur = node == g_CurTask.node;
  auto given = [](int id) { return g_ArgGiven[id] != 0; };
  if (given(3)) return Num(t->runA);
  if (given(4)) return Num(t->runB);
  if (given(5)) return Num(node->key);
  if (given(6)) return Text(Task_SceneFileName(t->scene));
  if (given(9)) return Text(Task_SceneFileName(OuterScene(t)));
  if (given(8)) return Num(LastLine(t, cur));
  if (given(11)) return Num(OuterLine(t, cur));
  if (given(12)) return Num(t->msgWord[0]);
  if (given(13)) return Num(t->msgWord[1]);
  if (given(16)) return Num(t->ifDepth);
  if (given(17)) return Num(t->callDepth);
  if (given(18)) return Num(t->loopDepth);
  if (given(7)) return Num(t->scene);
  QueryValue v;
  if (given(10)) v = Num(OuterScene(t));
  if (given(19)) {
    std::string s;
    Task_EncodeState(t, &s);
    v = Text(std::move(s));
  }
  return v;
}

// Stores the answer through the target's element setters: a number into a
// text variable is refused by the integer setter (101140); a text into a
// number variable leaves it unchanged.
int32_t Store(const QueryValue& v) {
  uint8_t s = g_ArgGiven[1];
  if (!s) return 0;
  const ArgSlot& a = g_ArgSlot[s];
  uint8_t type = a.var < g_VarTable.count ? g_VarTable.vars[a.var].type : 0;
  if (v.isText) {
    if (type == 3) Var_SetStringElementN(a.var, a.varIndex, v.text.data(), v.text.size());
    return 0;
  }
  if (type == 2) return Var_SetDoubleElement(a.var, a.varIndex, double(v.num)) < 0 ? -1 : 0;
  return Var_SetIntElement(a.var, a.varIndex, v.num) < 0 ? -1 : 0;
}
}  // namespace

int32_t Cmd_TaskQuery() {
  if (Cmd_FetchArgs(95)) return -1;
  const ObjNode* node = g_CurTask.node;
  if (const char* p = Arg_Str(0)) {
    char path[kObjPathMax];
    if (Obj_ResolvePath(path, p, g_TreeRoots[kTreeTask].curPath, false) < 0) return -1;
    // A query answers "not found" for missing groups too.
    node = Obj_FindByPath(g_TreeRoots[kTreeTask].root, path, kObjFindLeaf | kObjFindQuiet);
  }
  const TaskRec* t = node ? static_cast<const TaskRec*>(node->record) : nullptr;
  QueryValue v;
  if (!t) {
    uint8_t s = g_ArgGiven[1];
    bool text = s && g_ArgSlot[s].var < g_VarTable.count && g_VarTable.vars[g_ArgSlot[s].var].type == 3;
    v = text ? Text("") : Num(0);
  } else if (!g_ArgGiven[2]) {
    v = Num(1);
  } else {
    v = Select(node, t);
  }
  return Store(v);
}

const char* Task_SceneFileName(uint16_t scene) { return Scene_FileName(scene); }

int32_t Task_SceneByFileName(const char* name, size_t len) {
  for (uint32_t n = 0; n < g_SceneList.count && n <= 0xFFFF; ++n) {
    const char* s = Scene_FileName(n);
    if (*s && std::strlen(s) == len && std::memcmp(s, name, len) == 0) return int32_t(n);
  }
  return -1;
}

// Task commands: start or change a task (93), end one (94) and wait (102).
#include <cstring>

#include "platform/clock.h"
#include "base/base.h"
#include "vm/vm.h"

namespace {
// Argument ids of command 93.
constexpr int kStartPath = 0, kStartRunA = 1, kStartRunB = 2, kStartKey = 3;
constexpr int kStartFirstInt = 4, kStartFirstDbl = 14, kStartValueIds = 10;
constexpr int kStartLabel = 34, kStartState = 35, kStartPassAgain = 37;

// New order key from the current one by the argument's operator: 0 set,
// 1 add, 2 subtract, 3 multiply, 4 divide; the last three never go below 1
// and a division by 0 keeps the key.
int64_t ApplyKeyOp(int64_t key, uint8_t op, int64_t v) {
  switch (op) {
    case 1: return int64_t(uint64_t(key) + uint64_t(v));
    case 2: key = int64_t(uint64_t(key) - uint64_t(v)); break;
    case 3: key = int64_t(uint64_t(key) * uint64_t(v)); break;
    case 4:
      if (v == 0) return key;
      key = (key == INT64_MIN && v == -1) ? INT64_MIN : key / v;
      break;
    default: return v;
  }
  return key < 1 ? 1 : key;
}

// Resolves a task path argument against the task tree's current path.
// Returns 0 leaf, 1 group, -1 after an error.
int32_t ResolveTaskPath(int id, char* out) {
  return Obj_ResolvePath(out, Arg_Str(id), g_TreeRoots[kTreeTask].curPath, false);
}

// Creates the leaf for `path` under the group that the path names.
ObjNode* NewTaskNode(const char* path, int64_t key) {
  ObjNode* root = g_TreeRoots[kTreeTask].root;
  ObjNode* parent = Obj_FindGroupByPath(path, root);
  if (!parent) return nullptr;
  const char* name = Obj_LastComponent(path);
  ObjNode* node = Obj_NewNode(name, std::strlen(name), kObjKindLeaf, nullptr);
  if (!node) return nullptr;
  if (!Task_NewRecord(node)) {
    Obj_FreeNode(node);
    return nullptr;
  }
  Obj_LinkChild(parent, node, key);
  return node;
}

// Points a task at a label: scene, pc and fresh stacks, start values from
// the arguments. False after a reported error.
bool StartAtLabel(TaskRec* t, int32_t label) {
  // A task started at a label runs from call depth 0, as a new task does.
  t->callDepth = 0;
  t->ifDepth = 0;
  t->loopDepth = 0;
  if (!Flow_GotoLabel(t, label, true)) return false;
  for (int k = 1; k <= kTaskStartValues; ++k) {
    t->startInt[k] = 0;
    t->startDbl[k] = 0.0;
    t->startStr[k].clear();
  }
  for (int k = 0; k < kStartValueIds; ++k) {
    t->startInt[k + 1] = Arg_Int(kStartFirstInt + k, 0);
    t->startDbl[k + 1] = double(Arg_Int(kStartFirstDbl + k, 0));
  }
  return true;
}
}  // namespace

int32_t Cmd_TaskStart() {
  if (Cmd_FetchArgs(93)) return -1;
  char path[kObjPathMax] = "";
  ObjNode* node = g_CurTask.node;
  if (g_ArgGiven[kStartPath]) {
    int32_t r = ResolveTaskPath(kStartPath, path);
    if (r < 0) return -1;
    if (r == 1) {
      Err_ScriptF(101293, 1, Flow_CmdName(93), Arg_Str(kStartPath));
      return -1;
    }
    node = Obj_FindByPath(g_TreeRoots[kTreeTask].root, path, kObjFindLeaf);
    if (!node && g_QuitRequested) return -1;
    if (node && !node->record) node = nullptr;  // not a task
  }
  int64_t key = node ? node->key : 1;
  if (uint8_t s = g_ArgGiven[kStartKey]) {
    key = ApplyKeyOp(key, uint8_t(g_ArgSlot[s].op), g_ArgInt[s]);
    if (node) Obj_Relink(node, key);
  }
  const char* labelName = Arg_Str(kStartLabel);
  if (!node && !labelName) {
    Err_ScriptF(101400, 1, Flow_CmdName(93), path);
    return -1;
  }
  if (labelName) {
    int32_t label = Label_Find(labelName, std::strlen(labelName));
    if (label < 0) {
      Err_ScriptF(108180, 1, labelName);
      return -1;
    }
    bool created = !node;
    if (created && !(node = NewTaskNode(path, key))) return -1;
    if (!StartAtLabel(static_cast<TaskRec*>(node->record), label)) {
      if (created) Task_End(node);  // never run a task that has no place
      return -1;
    }
  }
  auto* t = static_cast<TaskRec*>(node->record);
  if (g_ArgGiven[kStartRunA]) t->runA = uint8_t(Arg_Int(kStartRunA, 0));
  if (g_ArgGiven[kStartRunB]) t->runB = uint8_t(Arg_Int(kStartRunB, 0));
  if (const char* state = Arg_Str(kStartState)) {
    if (Task_DecodeState(t, state, std::strlen(state)) < 0) return -1;
  }
  if (Arg_Int(kStartPassAgain, 0)) g_VmPassAgain = 1;
  return 0;
}

int32_t Cmd_TaskEnd() {
  if (Cmd_FetchArgs(94)) return -1;
  ObjNode* node = g_CurTask.node;
  if (g_ArgGiven[0]) {
    char path[kObjPathMax];
    if (ResolveTaskPath(0, path) < 0) return -1;
    node = Obj_FindByPath(g_TreeRoots[kTreeTask].root, path, kObjFindLeaf | kObjFindQuiet);
    if (!node) {
      Err_ScriptF(101400, 1, Flow_CmdName(94), path);
      return -1;
    }
  }
  // The system task is told by its node, whatever the path's spelling.
  if (!node || node == Task_SystemNode()) {
    Err_ScriptF(101420, 1, Flow_CmdName(94));
    return -1;
  }
  bool self = node == g_CurTask.node;
  Task_End(node);
  return self ? 1 : 0;
}

int32_t Cmd_Wait() {
  if (Cmd_FetchArgs(102)) return -1;
  TaskRec* t = g_CurTask.task;
  if (int64_t passes = Arg_Int(0, 0)) {
    t->frameWait = uint32_t(passes);
    return 1;
  }
  if (int64_t ms = Arg_Int(1, 0)) {
    t->deadlineMs = Clock_Ms64() + uint32_t(ms);
    return 1;
  }
  return 0;
}

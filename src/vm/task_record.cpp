// Task records: creation with their first frames, scene entry, pc moves and
// the task tree's system nodes.
#include <new>

#include "base/base.h"
#include "vm/task.h"

namespace {
ObjNode* g_SystemTaskNode = nullptr;

template <typename T>
T* NewZeroed() {
  return new (std::nothrow) T{};
}
}  // namespace

TaskRec* Task_NewRecord(ObjNode* node) {
  TaskRec* t = NewZeroed<TaskRec>();
  if (t) {
    t->ifFrames[0] = NewZeroed<IfFrame>();
    t->callFrames[1] = NewZeroed<CallFrame>();
    t->loopFrames[0] = NewZeroed<LoopFrame>();
  }
  if (!t || !t->ifFrames[0] || !t->callFrames[1] || !t->loopFrames[0]) {
    Task_FreeRecord(t);
    Err_Show(100010, 1);
    return nullptr;
  }
  t->runA = 1;
  t->runB = 1;
  if (node) node->record = t;
  return t;
}

void Task_FreeRecord(TaskRec* task) {
  if (!task) return;
  for (int i = 0; i < kTaskFrameSlots; ++i) {
    delete task->ifFrames[i];
    delete task->callFrames[i];
    delete task->loopFrames[i];
  }
  delete task;
}

void Task_FreeTreeRecords(ObjNode* node) {
  if (!node) return;
  for (ObjNode* c = node->first; c; c = c->next) Task_FreeTreeRecords(c);
  Task_FreeRecord(static_cast<TaskRec*>(node->record));
  node->record = nullptr;
  if (node == g_SystemTaskNode) g_SystemTaskNode = nullptr;
}

bool Task_EnterScene(TaskRec* task, uint16_t scene) {
  const SceneCode* code = Scene_Load(scene) ? Scene_Code(scene) : nullptr;
  if (!code) return false;  // Scene_Load reported the failure
  task->code = *code;
  task->scene = scene;
  task->hasScene = 1;
  return true;
}

bool Task_SetPc(TaskRec* task, uint32_t pc) {
  if (!task->hasScene || pc >= task->code.count) {
    Err_ScriptF(kErrPcOutOfScene, 1, int64_t(pc));
    return false;
  }
  task->pc = pc;
  return true;
}

int32_t Task_MakeSystemRoot(ObjTreeRoot& tree) {
  // The root's record is never run; it only keeps the tree uniform.
  TaskRec* rootRec = NewZeroed<TaskRec>();
  if (!rootRec) {
    Err_Show(100010, 1);
    return 1;
  }
  tree.root->record = rootRec;
  tree.curPath[0] = 0;
  // From here on script errors name the running task's scene and line.
  Vm_InstallErrPlace();
  // The group named by the current path's last component (empty here).
  if (ObjNode* group = Obj_NewNode("", 0, kObjKindGroup, nullptr)) {
    if (Task_NewRecord(group)) Obj_LinkChild(tree.root, group, 100);
    else Obj_FreeNode(group);
  }
  ObjNode* sys = Obj_NewNode("SYSTEM", 6, kObjKindLeaf, nullptr);
  if (!sys) return 1;
  TaskRec* t = Task_NewRecord(sys);
  if (!t) {
    Obj_FreeNode(sys);
    return 1;
  }
  t->isSystem = 1;
  Obj_LinkChild(tree.root, sys, 100);
  g_SystemTaskNode = sys;
  return 0;
}

ObjNode* Task_SystemNode() { return g_SystemTaskNode; }

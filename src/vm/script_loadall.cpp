// Script_LoadAll: every compiled data file in its order, then the "SYSTEM"
// task pointed at the label "SYSTEM_START".
#include <cstring>

#include "files/script_internal.h"
#include "vm/script_load.h"
#include "base/base.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {
constexpr char kStartLabel[] = "SYSTEM_START";

// Points the system task at the start label: its scene, pc and depths.
int StartSystemTask(const LabelRec& label) {
  ObjNode* node = Task_SystemNode();
  TaskRec* task = node ? static_cast<TaskRec*>(node->record) : nullptr;
  if (!task) return -1;
  if (!Task_EnterScene(task, label.scene)) return 1;
  if (!Task_SetPc(task, label.pc)) return 1;
  task->ifDepth = int8_t(label.ifDepth);
  task->loopDepth = int8_t(label.loopDepth);
  return 0;
}
}  // namespace

int Script_LoadAll() {
  VarOp_InitTable();
  Expr_InitOpTable(1);
  CmdSchema_Init();
  if (Script_LoadErrorTexts() || Script_LoadCommandTable() || Script_LoadVarCounts() ||
      Script_LoadSceneList() || Script_LoadVarFile()) {
    return 1;
  }
  if (Var_InitScope(-1) != 0) return 1;
  if (Script_LoadLabels() != 0) return 1;
  int32_t start = Label_Find(kStartLabel, std::strlen(kStartLabel));
  if (start < 0) {
    // Without its start label the game cannot begin: a load failure.
    Err_ShowF(108180, 1, kStartLabel);
    return 1;
  }
  Vm_InstallErrPlace();
  return StartSystemTask(g_LabelTable.labels[start]);
}

void Script_FreeAll() {
  Script_FreeTables();
  Script_FreeCmdImages();
  g_EngineConfig = EngineConfig{};
}

// Fuzz target for a scene file from loading to running. The input replaces
// scene 0 of a small fixture game; when the game loads, the system task runs
// it for a few frames. Commands of other areas become empty commands (their
// own targets fuzz them), and every handler is counted, ending the turn
// after a bound, so that an endless loop in the input cannot hang the run.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "scene_game.h"
#include "vm/vm.h"

namespace {
constexpr uint64_t kStepsPerInput = 20000;
uint64_t g_Steps = 0;
std::vector<CmdHandler> g_Orig[2];
fx::Files g_Files;

// The handlers that belong to the script VM.
bool VmHandler(CmdHandler h) {
  static const CmdHandler kVm[] = {
      Cmd_Nop,        Cmd_Empty,      Cmd_Unknown,     Cmd_Let,         Cmd_LetPlanned, Cmd_DimInt,
      Cmd_DimFloat,   Cmd_DimStr,     Cmd_ScriptInfo,  Cmd_InputOptions, Cmd_If,        Cmd_ElseIf,
      Cmd_IfEnd,      Cmd_IfBreak,    Cmd_IfRestart,   Cmd_IfSkipToEnd, Cmd_Loop,       Cmd_LoopEnd,
      Cmd_LoopBreak,  Cmd_LoopContinue, Cmd_Jump,      Cmd_Call,        Cmd_ReturnValues, Cmd_TaskStart,
      Cmd_TaskEnd,    Cmd_TaskQuery,  Cmd_Wait,
  };
  for (CmdHandler v : kVm) {
    if (h == v) return true;
  }
  return false;
}

int32_t Counted() {
  if (++g_Steps > kStepsPerInput) return 1;
  const TaskRec* t = g_CurTask.task;
  return g_Orig[t->scene][g_CurTask.instr]();
}

// Wraps the handlers of every loaded scene.
void WrapScenes() {
  for (uint16_t n = 0; n < 2 && n < g_SceneTable.count; ++n) {
    SceneRec* s = g_SceneTable.scenes[n];
    g_Orig[n].clear();
    if (!s || s->state != 1) continue;
    g_Orig[n] = s->handlers;
    for (CmdHandler& o : g_Orig[n]) {
      if (!VmHandler(o)) o = Cmd_Empty;
    }
    for (CmdHandler& h : s->handlers) h = Counted;
  }
}

// Ends every task but the system task and clears the system task's stacks.
void ResetTasks() {
  std::vector<ObjNode*> others;
  for (ObjNode* c = g_TreeRoots[kTreeTask].root->first; c; c = c->next) {
    if (c != Task_SystemNode()) others.push_back(c);
  }
  for (ObjNode* c : others) Task_End(c);
  auto* t = static_cast<TaskRec*>(Task_SystemNode()->record);
  t->hasScene = 0;
  t->ifDepth = t->loopDepth = t->callDepth = 0;
  t->frameWait = 0;
  t->deadlineMs = 0;
  t->pc = 0;
}

bool Setup() {
  Pack_InitNameTable();
  if (Obj_CreateSystemRoots() != 0) std::abort();
  g_Files = fuzzgame::SceneGame().Build();
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  fx::Files files = g_Files;
  files[fuzzgame::kScene0File] = std::string(reinterpret_cast<const char*>(data), size);
  g_QuitRequested = 0;
  if (fx::UseStore(files) && Script_LoadAll() == 0 && Scene_Load(1) == 1) {
    WrapScenes();
    g_Steps = 0;
    for (int f = 0; f < 4 && !g_QuitRequested; ++f) Vm_RunFramePasses();
  }
  ResetTasks();
  Script_FreeAll();
  File_StoreClear();
  g_QuitRequested = 0;
  return 0;
}

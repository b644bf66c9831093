// Fuzz target for the task state string decoder (command 93's "state"
// argument). The input is the string; once it decodes, the task runs a few
// frames from the frames it restored, so that a depth or pc that slipped
// through shows as a bad access. Every handler of the two scenes is counted
// and the turn is ended after a bound, so an endless loop restored from the
// string cannot hang the run.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/shell.h"
#include "task_state_game.h"

namespace {
constexpr uint64_t kStepsPerInput = 20000;
uint64_t g_Steps = 0;
std::vector<CmdHandler> g_Orig[2];

int32_t Counted() {
  if (++g_Steps > kStepsPerInput) return 1;
  const TaskRec* t = g_CurTask.task;
  return g_Orig[t->scene][g_CurTask.instr]();
}

bool Setup() {
  if (!fuzzgame::LoadTaskStateGame(false)) std::abort();
  for (uint16_t n = 0; n < 2; ++n) {
    SceneRec* s = g_SceneTable.scenes[n];
    g_Orig[n] = s->handlers;
    for (CmdHandler& h : s->handlers) h = Counted;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  // An exact-size copy, so that any read past the string's end is caught.
  std::vector<char> s(data, data + size);
  ObjNode* node = Obj_NewNode("f", 1, kObjKindLeaf, nullptr);
  TaskRec* t = node ? Task_NewRecord(node) : nullptr;
  if (!t) std::abort();
  Obj_LinkChild(g_TreeRoots[kTreeTask].root, node, 1);
  g_Steps = 0;
  if (Task_DecodeState(t, s.data(), s.size()) == 0) {
    if (t->ifDepth < 0 || t->ifDepth > kVmMaxOpenDepth || t->loopDepth < 0 || t->loopDepth > kVmMaxOpenDepth ||
        t->callDepth < 0 || t->callDepth > kVmMaxOpenDepth || t->pc >= t->code.count)
      __builtin_trap();
    t->runA = t->runB = 1;
    g_QuitRequested = 0;
    for (int f = 0; f < 4 && !g_QuitRequested; ++f) Vm_RunFramePasses();
  }
  // The task may have ended itself (a return at depth 0, running off the
  // scene); then its node is gone already.
  for (ObjNode* c = g_TreeRoots[kTreeTask].root->first; c; c = c->next) {
    if (c == node) {
      Task_End(node);
      break;
    }
  }
  g_QuitRequested = 0;
  return 0;
}

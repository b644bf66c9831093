// Start-up of the four object trees: the root nodes, then each tree's own
// first nodes through the maker its subsystem registered.
#include "base/base.h"
#include "vm/objtree.h"
#include "vm/task.h"

namespace {
// Makers by tree. Filled before start-up (static registrars or explicit
// calls); the task tree's maker is this subsystem's own.
ObjRootMakerFn& MakerSlot(int tree) {
  static ObjRootMakerFn makers[kTreeCount] = {nullptr, nullptr, Task_MakeSystemRoot, nullptr};
  return makers[tree];
}
}  // namespace

void Obj_RegisterRootMaker(int tree, ObjRootMakerFn fn) {
  if (tree >= 0 && tree < kTreeCount) MakerSlot(tree) = fn;
}

ObjRootMakerFn Obj_RootMaker(int tree) {
  return tree >= 0 && tree < kTreeCount ? MakerSlot(tree) : nullptr;
}

int32_t Obj_CreateSystemRoots() {
  // The layer tree's maker needs window 0 (its size), so the order matters:
  // layers, tasks, sounds, menus.
  static const int kOrder[kTreeCount] = {kTreeLayer, kTreeTask, kTreeSound, kTreeMenu};
  int32_t failed = 0;
  for (int tree : kOrder) {
    ObjTreeRoot& t = g_TreeRoots[tree];
    if (t.root) continue;
    t.root = Obj_NewNode("", 0, kObjKindGroup, nullptr);
    if (!t.root) {
      failed = 1;
      continue;
    }
    t.curPath[0] = 0;
    if (ObjRootMakerFn fn = MakerSlot(tree)) failed |= fn(t) != 0;
  }
  return failed;
}

void Obj_FreeSystemRoots() {
  for (int tree = 0; tree < kTreeCount; ++tree) {
    ObjTreeRoot& t = g_TreeRoots[tree];
    // Task records have no release hook: the runner frees them itself.
    if (tree == kTreeTask) Task_FreeTreeRecords(t.root);
    Obj_FreeSubtree(tree, t.root);
    t.root = nullptr;
    t.curPath[0] = 0;
  }
}

// Command 3: deletes a layer (a leaf, or a group with everything below it).
#include <cstdio>

#include "graphics/graphics.h"
#include "vm/vm.h"

int32_t Cmd_DeleteObject() {
  if (Cmd_FetchArgs(3) != 0) return -1;
  char path[kCgPathMax];
  const char* given = Arg_Str(delarg::kPath);
  if (g_ArgGiven[delarg::kNumber])
    std::snprintf(path, sizeof path, "%s.%lld", given ? given : "", (long long)g_ArgInt[g_ArgGiven[delarg::kNumber]]);
  else
    std::snprintf(path, sizeof path, "%s", given ? given : "");
  char resolved[kObjPathMax];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  int32_t mode = Obj_ResolvePath(resolved, path, tree.curPath, false);
  if (mode < 0) return -1;
  ObjNode* node = Obj_FindByPath(tree.root, resolved, mode == 1 ? kObjFindGroup : kObjFindLeaf);
  if (!node || !node->record || node == tree.root) return 0;
  Layer_MarkDirty(node);
  if (mode == 1) Obj_DeleteTree(node);
  else Obj_Release(node);
  return 0;
}

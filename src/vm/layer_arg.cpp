// The layer a command names by a path argument and an optional number
// argument, shared by the commands of every subsystem that name layers so.
#include <string>

#include "base/base.h"
#include "vm/vm.h"

ObjNode* Cmd_FindLayerArg(int pathId, int numberId, std::string* path, bool* badPath) {
  const char* p = Arg_Str(pathId);
  *path = p ? p : "";
  if (g_ArgGiven[numberId]) *path += "." + std::to_string(Arg_Int(numberId, 0));
  *badPath = false;
  char resolved[kObjPathMax];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  if (Obj_ResolvePath(resolved, path->c_str(), tree.curPath, true) < 0) {
    *badPath = true;  // reported by the resolver
    return nullptr;
  }
  return Obj_FindByPath(tree.root, resolved, kObjFindEither | kObjFindQuiet);
}

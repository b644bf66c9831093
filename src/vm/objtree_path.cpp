// Paths of the object trees: resolution against a current path and walks
// from a root. Shift-JIS pairs are stepped over whole, so a trail byte that
// equals '/', '.', ':' or a space is never taken for one; a lead byte right
// before the terminating zero counts as a single byte.
#include <cstring>

#include "base/base.h"
#include "vm/objtree.h"

namespace {
// Walks the group components of `path` from `node`; on return *rest points
// at the last component. Null after a missing component.
ObjNode* WalkGroups(ObjNode* node, const char* path, const char** rest, bool quiet) {
  size_t i = 0;
  for (;;) {
    size_t j = Path_ComponentEnd(path, i);
    if (path[j] != '/') break;
    ObjNode* child = Obj_FindChild(node, path + i, j - i);
    if (!child) {
      if (!quiet) {
        char name[kObjPathMax];
        size_t n = j - i < kObjPathMax ? j - i : kObjPathMax - 1;
        std::memcpy(name, path + i, n);
        name[n] = 0;
        Err_ScriptF(100230, 1, name);
      }
      return nullptr;
    }
    node = child;
    i = j + 1;
  }
  *rest = path + i;
  return node;
}
}  // namespace

ObjNode* Obj_FindByPath(ObjNode* root, const char* path, int mode) {
  if (!root || !path) return nullptr;
  const char* last = nullptr;
  ObjNode* node = WalkGroups(root, path, &last, (mode & kObjFindQuiet) != 0);
  if (!node) return nullptr;
  mode &= ~kObjFindQuiet;
  size_t len = std::strlen(last);
  uint32_t h = Obj_NameHash(last, len, false);
  for (ObjNode* c = node->first; c; c = c->next) {
    bool match = mode == kObjFindLeaf    ? c->hash == h
                 : mode == kObjFindGroup ? c->hash == (h | kObjHashGroupBit)
                                         : (c->hash & 0x7FFFFFFFu) == h;
    if (match && Obj_NameEqual(c->name, c->nameLen, last, len)) return c;
  }
  return nullptr;
}

ObjNode* Obj_FindGroupByPath(const char* path, ObjNode* start, bool quiet) {
  if (!start || !path) return start;
  const char* last = nullptr;
  return WalkGroups(start, path, &last, quiet);
}

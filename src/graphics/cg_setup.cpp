// Command 1: creates a layer node (leaf, or group with a canvas), gives it
// an image and applies its keywords.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/cg_setup_internal.h"
#include "platform/text.h"
#include "base/base.h"

CgGpuHooks g_CgGpuHooks;

// Command flags of the VM (command 15 writes them; 1 at start-up). Linked
// weakly: without the VM's table every flag counts as set.
__attribute__((weak)) extern uint8_t g_CmdFlags[128];

namespace cg {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Waddress"
bool StrictMissingLeaf() { return g_CmdFlags == nullptr || g_CmdFlags[1] != 0; }
#pragma GCC diagnostic pop

const char* CmdName() {
  static char buf[64];
  return CmdSchema_Name(1, buf, sizeof buf);
}

void Report(int32_t code, const char* path) { Err_ScriptF(code, 1, CmdName(), path ? path : ""); }

const char* TooLargeText() {
  static const std::string text = Text_Utf8ToSjis("ＣＧサイズが大きすぎます。X=%d, Y=%d");
  return text.c_str();
}

// Resolves a script path against the layer tree's current path; the mode
// of Obj_ResolvePath (1 group, 0 leaf) or -1.
int Resolve(char* out, const char* path) {
  return Obj_ResolvePath(out, path ? path : "", g_TreeRoots[kTreeLayer].curPath, false);
}

}  // namespace cg

using namespace cg;

int Cg_Relink(ObjNode* node, int64_t key) {
  if (!node || !node->parent) return 0;
  ObjNode* parent = Obj_Unlink(node);
  Obj_LinkChild(parent, node, key);
  return 1;
}

ObjNode* Cg_CreateNode(ObjNode* root, const char* path, int, int64_t key) {
  ObjNode* parent = Obj_FindGroupByPath(path, root);
  if (!parent) return nullptr;
  const char* name = Obj_LastComponent(path);
  ObjNode* node = Obj_NewNode(name, std::strlen(name), kObjKindLeaf, nullptr);
  if (!node) return nullptr;
  Obj_LinkChild(parent, node, key);
  return node;
}

LayerImage* Cg_Create(const char* path, int64_t width, int64_t height, int64_t key, int) {
  if (!path) {
    Err_Show(900020, 1);
    return nullptr;
  }
  ObjNode* parent = Obj_FindGroupByPath(path, g_TreeRoots[kTreeLayer].root);
  if (!parent) return nullptr;
  const char* name = Obj_LastComponent(path);
  ObjNode* node = Obj_NewNode(name, std::strlen(name), kObjKindGroup, nullptr);
  if (!node) return nullptr;
  Obj_LinkChild(parent, node, key);
  LayerImage* rec = Obj_GetImageRecord(node);
  // A group whose canvas cannot be made does not stay in the tree.
  if (!rec || Img_SetSize(rec, width, height, path) != 0) {
    Obj_Release(node);
    return nullptr;
  }
  g_PixelOps.zeroFill(rec->pixels, size_t(width) * 4 * size_t(height));
  rec->wholeImage = rec->dirty = 1;
  rec->dirtyBox[0] = rec->dirtyBox[1] = 0;
  rec->dirtyBox[2] = width - 1, rec->dirtyBox[3] = height - 1;
  Layer_InvalidateUp(node);
  return rec;
}

int Cg_SetImageFile(LayerImage* rec, const char* name, int) {
  rec->fileName[0] = 0;
  if (!name || !*name) return Img_MakeBlank(rec, name);
  return Img_LoadFile(rec, name);
}

int32_t Cmd_CgSetup() {
  if (Cmd_FetchArgs(1) != 0) return -1;
  CgState st;
  int r = Cg_FindOrCreate(st);
  if (r <= 0) return r;
  if (Cg_ApplyImage(st) != 0) return -1;
  Cg_ApplyPending(st);
  Cg_ApplyPosition(st);
  if (Cg_ApplySize(st) != 0) return -1;
  if (Cg_ApplyLooks(st) != 0) return -1;
  if (st.changed) {
    g_FullRedraw = 1;
    Layer_MarkDirty(st.node);
  }
  return 0;
}

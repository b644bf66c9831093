// Commands 107 (attach a frame file and show a frame), 108 (release it) and
// 109 (report its frame count or a header value).
#include <cstdio>

#include "base/base.h"
#include "graphics/cg_op_internal.h"
#include "vm/vm.h"

using cg::Given;
using cg::Str;
using cg::Val;
namespace f = framearg;

namespace {

// The layer of slots 0 and 1; null after 101250 (or the resolver's report).
ObjNode* FindLayer(int cmd) {
  char raw[kCgPathMax], path[kObjPathMax];
  if (Given(f::kNumber))
    std::snprintf(raw, sizeof raw, "%s.%lld", Str(f::kPath), (long long)Val(f::kNumber));
  else
    std::snprintf(raw, sizeof raw, "%s", Str(f::kPath));
  if (Obj_ResolvePath(path, raw, g_TreeRoots[kTreeLayer].curPath, false) < 0) return nullptr;
  ObjNode* node = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, path, kObjFindLeaf);
  if (!node) Err_ScriptF(101250, 1, Flow_CmdName(cmd), path);
  return node;
}

}  // namespace

int32_t Cmd_FrameFileLoad() {
  if (Cmd_FetchArgs(107) != 0) return -1;
  ObjNode* node = FindLayer(107);
  if (!node) return -1;
  if (Cg_LoadFrameFile(node, Str(f::kFile)) != 0) return -1;
  return Cg_ShowFrame(node, cg::Given(f::kIndex) ? Val(f::kIndex) : 0) == 0 ? 0 : -1;
}

int32_t Cmd_FrameFileFree() {
  if (Cmd_FetchArgs(108) != 0) return -1;
  ObjNode* node = FindLayer(108);
  if (!node) return -1;
  LayerImage* rec = Layer_Record(node);
  if (rec && Cg_GetFrameSet(rec)) Obj_FreeExtraData(rec);
  return 0;
}

int32_t Cmd_FrameFileQuery() {
  if (Cmd_FetchArgs(109) != 0) return -1;
  ObjNode* node = FindLayer(109);
  if (!node) return -1;
  int s = g_ArgGiven[f::kTarget];
  if (!s || !g_ArgSlot[s].varNamed) return 0;
  uint32_t var = g_ArgSlot[s].var;
  int64_t index = g_ArgSlot[s].varIndex;
  uint8_t type = var < g_VarTable.count ? g_VarTable.vars[var].type : 0;
  if (type == 3) {
    Err_ScriptF(101140, 1, Flow_CmdName(109), CmdSchema_Arg(109, f::kTarget)->name);
    return -1;
  }
  const LayerImage* rec = Layer_Record(node);
  int64_t v = 0;
  if (Cg_GetFrameSet(rec)) {
    static constexpr struct { uint8_t slot; int which; } kPick[] = {
        {f::kFrames, 0}, {f::kValue1, 2}, {f::kValue2, 3}, {f::kValue3, 4}};
    int which = -1;
    for (auto p : kPick)
      if (Given(p.slot)) {
        which = p.which;
        break;
      }
    if (which < 0) return 0;
    v = Cg_FrameSetValue(rec, which);
  }
  if (type == 2) Var_SetDoubleElement(var, index, double(v));
  else Var_SetIntElement(var, index, v);
  return 0;
}

// Command 4: one property of a layer into a variable element: its fields,
// the pixel under a window's mouse point, a pixel of its own, and the box
// around its visible pixels.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "base/base.h"
#include "graphics/graphics.h"
#include "graphics/layer_image.h"
#include "vm/cmd_schema.h"
#include "vm/host.h"
#include "vm/vm.h"

using namespace hostarg;

namespace {

constexpr int kCmd = 4;
// Ids tested for the value, in this order.
constexpr uint8_t kOrder[] = {2,  3,  4,  9,  10, 11, 5,  6,  7,  12, 13, 14, 15, 16,
                              17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};

bool Given(int id) { return g_ArgGiven[id] != 0; }

// The BGRA pixel at (x, y) of the record; false outside it or when the
// record holds no processor pixels.
bool PixelAt(const LayerImage* r, int64_t x, int64_t y, uint32_t* px) {
  if (!r || r->kind != 0 || !r->pixels) return false;
  if (x < 0 || y < 0 || x >= int64_t(r->width) || y >= int64_t(r->height)) return false;
  std::memcpy(px, r->pixels + (size_t(y) * r->width + size_t(x)) * 4, 4);
  return true;
}

// Ids 23-25: the pixel under the mouse point of window 0..3 (x and y
// replaced by ids 31 and 32 when given), in window coordinates. A point
// outside the window's logical size, or a window that does not exist,
// reads no pixel.
bool PixelUnderPoint(ObjNode* node, const LayerImage* r, int64_t window, uint32_t* px) {
  int64_t w = window < 0 ? 0 : window > 3 ? 3 : window;
  int32_t ww = 0, wh = 0;
  if (!g_VmHostHooks.windowLogicalSize || !g_VmHostHooks.windowLogicalSize(int32_t(w), &ww, &wh))
    return false;
  int64_t mx = 0, my = 0;
  SysVar_AskHooks(int32_t(w == 0 ? 133 : 134 + w), 0, &mx);
  SysVar_AskHooks(int32_t(w == 0 ? 138 : 139 + w), 0, &my);
  if (Given(kQX)) mx = Arg_Int(kQX, 0);
  if (Given(kQY)) my = Arg_Int(kQY, 0);
  if (mx < 0 || my < 0 || mx >= ww || my >= wh) return false;
  int64_t ox = 0, oy = 0;
  for (ObjNode* n = node; n && n->parent; n = n->parent) {
    const LayerImage* nr = Layer_Record(n);
    if (nr) ox += nr->x, oy += nr->y;
  }
  return PixelAt(r, mx - ox, my - oy, px);
}

// Id 27: an edge of the box around the pixels whose alpha is not 0.
int64_t VisibleBox(const LayerImage* r, int64_t which) {
  if (which < 1 || which > 4) return 0;
  if (!r || r->kind != 0 || !r->pixels) return -1;
  int64_t top = -1, bottom = -1, left = -1, right = -1;
  for (uint32_t y = 0; y < r->height; ++y)
    for (uint32_t x = 0; x < r->width; ++x) {
      if (r->pixels[(size_t(y) * r->width + x) * 4 + 3] == 0) continue;
      if (top < 0) top = y;
      bottom = y;
      if (left < 0 || x < left) left = x;
      if (x > right) right = x;
    }
  return which == 1 ? top : which == 2 ? bottom : which == 3 ? left : right;
}

void StoreInt(int64_t v) {
  const ArgSlot& t = g_ArgSlot[g_ArgGiven[kQTarget]];
  if (t.varNamed) Var_SetIntElement(t.var, t.varIndex, v);
}

}  // namespace

int32_t Cmd_QueryObject() {
  if (Cmd_FetchArgs(kCmd)) return -1;
  if (!Given(kQTarget) || !g_ArgSlot[g_ArgGiven[kQTarget]].varNamed) return 0;
  const ArgSlot& t = g_ArgSlot[g_ArgGiven[kQTarget]];
  std::string path;
  bool bad = false;
  ObjNode* node = Cmd_FindLayerArg(kQPath, kQNumber, &path, &bad);
  if (bad) return -1;
  const LayerImage* r = Layer_Record(node);
  if (!node || !r) {
    const uint8_t type = t.var < g_VarTable.count ? g_VarTable.vars[t.var].type : 0;
    if (type == 3) Var_SetStringElement(t.var, t.varIndex, "");
    else if (type == 1 || type == 2) Var_SetIntElement(t.var, t.varIndex, 0);
    return 0;
  }
  int id = 0;
  for (uint8_t k : kOrder)
    if (Given(k)) {
      id = k;
      break;
    }
  uint32_t px = 0;
  switch (id) {
    case 0: StoreInt(0); return 0;
    case 2: StoreInt(1); return 0;
    case 3: StoreInt(int8_t(r->visible)); return 0;
    case 4: StoreInt(r->opacity); return 0;
    case 9: StoreInt(r->maskLevel); return 0;
    case 10: Var_SetStringElement(t.var, t.varIndex, r->maskPath); return 0;
    case 11: StoreInt(r->maskGradient); return 0;
    case 5: StoreInt(r->x); return 0;
    case 6: StoreInt(r->y); return 0;
    case 7: StoreInt(node->key); return 0;
    case 12: StoreInt(int8_t(r->blendMode)); return 0;
    case 13: StoreInt(r->width); return 0;
    case 14: StoreInt(r->height); return 0;
    case 15: StoreInt(r->x100); return 0;
    case 16: StoreInt(r->y100); return 0;
    case 17: StoreInt(r->zoomX); return 0;
    case 18: StoreInt(r->zoomY); return 0;
    case 19: case 20: case 21: StoreInt(r->gpuValues[id - 17]); return 0;
    case 22: StoreInt(int8_t(uint8_t(r->kind))); return 0;
    case 23: case 24: case 25:
      if (!PixelUnderPoint(node, r, Arg_Int(id, 0), &px)) StoreInt(-1);
      else if (id == 23) StoreInt(px & 0xFFFFFF);
      else if (id == 24) StoreInt(px >> 24);
      else StoreInt(int32_t(px));
      return 0;
    case 26:
      if (!Given(kQX) || !Given(kQY)) {
        Err_ScriptF(101295, 1, Cmd_Name(kCmd), Cmd_ArgName(kCmd, 26));
        return -1;
      }
      StoreInt(PixelAt(r, Arg_Int(kQX, 0), Arg_Int(kQY, 0), &px) ? int64_t(px & 0xFFFFFF) : -1);
      return 0;
    case 27: StoreInt(VisibleBox(r, Arg_Int(kQX, 0))); return 0;
    case 28: case 29: StoreInt(r->extraValues[id - 28]); return 0;
    default: StoreInt(0); return 0;
  }
}

namespace {
CmdArgSchema g_QueryArgs[33];
char g_QueryNames[33][8];
CmdSchemaEntry g_QueryCmd[] = {{kCmd, "query", Cmd_QueryObject, 33, g_QueryArgs, 33}};
}  // namespace

void CmdSchema_RegisterQueryObject() {
  for (int i = 0; i < 33; ++i) {
    std::snprintf(g_QueryNames[i], sizeof g_QueryNames[i], "q%d", i);
    uint8_t kind = i == kQPath ? kArgText : kArgInt;
    g_QueryArgs[i] = {uint8_t(i), g_QueryNames[i], kind, 0, 0};
  }
  g_QueryArgs[kQPath].name = "path";
  g_QueryArgs[kQNumber].name = "number";
  g_QueryArgs[kQTarget].name = "target";
  g_QueryArgs[kQX].name = "x";
  g_QueryArgs[kQY].name = "y";
  CmdSchema_Add(g_QueryCmd, std::size(g_QueryCmd));
}

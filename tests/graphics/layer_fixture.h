// Small layer trees for the graphics tests: named nodes with records and
// pixels, built directly on the object-tree functions.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "shell/shell.h"
#include "support/err_capture.h"

namespace gfxtest {

inline void InitGraphics() {
  Pix_InitOps(1, 1);
  Blend_InitTables();
}

inline uint32_t Px(uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24;
}
inline uint32_t GetPx(const LayerImage* rec, int x, int y) {
  uint32_t v;
  std::memcpy(&v, rec->pixels + (size_t(y) * rec->width + x) * 4, 4);
  return v;
}
inline void SetPx(LayerImage* rec, int x, int y, uint32_t v) {
  std::memcpy(rec->pixels + (size_t(y) * rec->width + x) * 4, &v, 4);
}

// A node with a record of w x h pixels filled with `fill`, linked under
// `parent` (when given) with the key.
inline ObjNode* MakeLayer(ObjNode* parent, const std::string& name, bool group, int w, int h,
                          uint32_t fill, int64_t key = 1) {
  ObjNode* n = Obj_NewNode(name.c_str(), name.size(), group ? kObjKindGroup : kObjKindLeaf, nullptr);
  LayerImage* r = Obj_GetImageRecord(n);
  Img_SetSize(r, w, h, nullptr);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) SetPx(r, x, y, fill);
  if (parent) Obj_LinkChild(parent, n, key);
  return n;
}

// The layer tree's root, as the window code would show it.
inline ObjNode* MakeRoot(int w, int h) {
  ObjNode* root = MakeLayer(nullptr, "", true, w, h, 0);
  g_TreeRoots[kTreeLayer].root = root;
  g_TreeRoots[kTreeLayer].curPath[0] = 0;
  return root;
}

inline void MarkWholeTree(ObjNode* n) {
  LayerImage* r = Layer_Record(n);
  if (r) {
    r->dirty = r->subtreeDirty = 1;
    r->markCount++;
    r->dirtyBox[0] = r->dirtyBox[1] = 0;
    r->dirtyBox[2] = r->width - 1, r->dirtyBox[3] = r->height - 1;
  }
  for (ObjNode* c = n->first; c; c = c->next) MarkWholeTree(c);
}

inline std::vector<uint8_t> Pixels(const LayerImage* r) {
  return std::vector<uint8_t>(r->pixels, r->pixels + size_t(r->width) * r->height * 4);
}

inline int ComposeRoot(ObjNode* root) {
  uint8_t presented = 0;
  CompWindow w;
  w.index = 1;
  w.root = root;
  w.showAtFirstFrame = 1;
  w.presented = &presented;
  return Comp_DrawWindow(w);
}

}  // namespace gfxtest

// The compositor's walk over a layer tree: occlusion, clipping, masks and
// the blend jobs posted to the pixel workers.
#include <cstring>

#include "graphics/graphics.h"
#include "base/base.h"

CompHooks g_CompHooks;
int32_t g_BlitRect[6];

namespace {

bool Covers(const LayerImage* k, const int64_t* b) {
  int64_t x = k->x, y = k->y;
  return x <= b[0] && y <= b[1] && x + int64_t(k->width) - 1 >= b[2] && y + int64_t(k->height) - 1 >= b[3];
}

bool Unmasked(const LayerImage* k) { return k->maskPath[0] == 0 || k->maskLevel == kOpacityFull; }

// The last child that hides everything under the dirty box, or null. Only a
// drawable child (kind 0 with pixels) can hide what lies below it.
ObjNode* FindOpaqueCover(ObjNode* node, const int64_t* box) {
  for (ObjNode* c = node->last; c; c = c->prev) {
    const LayerImage* k = Layer_Record(c);
    if (!k) continue;
    if (k->visible == 1 && k->blendMode == 0 && k->opacity == kOpacityFull && k->alphaMode == 0 &&
        Unmasked(k) && k->kind == 0 && k->pixels && Covers(k, box))
      return c;
  }
  return nullptr;
}

void ClearBox(LayerImage* r, const int64_t* b) {
  size_t bytes = size_t(b[2] - b[0] + 1) * 4;
  for (int64_t y = b[1]; y <= b[3]; y++)
    g_PixelOps.zeroFill(r->pixels + (size_t(y) * r->width + size_t(b[0])) * 4, bytes);
}

// The mask record of child K, or null (no mask, not found, or no pixels).
// Returns -1 when the path could not be resolved (reported there).
int FindMask(const LayerImage* k, LayerImage** mask, const char** maskName) {
  *mask = nullptr;
  if (!k->maskPath[0]) return 0;
  char resolved[kObjPathMax];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  int32_t mode = Obj_ResolvePath(resolved, k->maskPath, tree.curPath, false);
  if (mode < 0) return -1;
  ObjNode* m = Obj_FindByPath(tree.root, resolved, (mode == 1 ? kObjFindGroup : kObjFindLeaf) | kObjFindQuiet);
  LayerImage* mr = Layer_Record(m);
  if (mr && mr->pixels) {
    *mask = mr;
    *maskName = m->name;
  }
  return 0;
}

int PostBlend(ObjNode* child, LayerImage* r, LayerImage* k, LayerImage* m, const char* maskName) {
  bool masked = m && k->maskLevel < kOpacityFull;
  int code = k->alphaMode == 1 ? (masked ? 104 : 103) : (masked ? 102 : 101);
  if (masked) {
    if (m->width != k->width || m->height != k->height) {
      Err_ScriptF(100310, 1, child->name, int(k->width), int(k->height), maskName, int(m->width),
                  int(m->height));
      return -1;
    }
    Comp_BuildMaskWeights(k->maskLevel, k->maskGradient, k->opacity);
  }
  int n = Gfx_WorkerCount();
  WorkerJob job;
  job.code = code;
  job.width = g_BlitRect[4];
  job.srcX = g_BlitRect[0], job.srcY = g_BlitRect[1];
  job.dstX = g_BlitRect[2], job.dstY = g_BlitRect[3];
  job.target = r, job.source = k, job.mask = masked ? m : nullptr;
  job.maskPixels = masked ? m->pixels : nullptr;
  for (int i = 0; i < n; i++) {
    Gfx_Band(i, n, g_BlitRect[5], &job.firstRow, &job.endRow);
    Gfx_PostJob(i, job);
  }
  Gfx_WaitWorkers(n);
  return 0;
}

bool Outside(const LayerImage* k, const int64_t* b) {
  int64_t x = k->x, y = k->y;
  return x > b[2] || y > b[3] || x + int64_t(k->width) <= b[0] || y + int64_t(k->height) <= b[1];
}

}  // namespace

void Comp_BuildMaskWeights(int level, int gradient, int opacity) {
  int32_t L = int16_t(level), g = int16_t(gradient);
  // The rows take weights of 0..256 only: an unchecked opacity is clamped.
  opacity = opacity < 0 ? 0 : opacity > kOpacityFull ? kOpacityFull : opacity;
  int32_t offset = (g >> 1) * L - 128 * g + L;
  int32_t weights[256];
  for (int i = 0; i < 256; i++) {
    int32_t w;
    if (g != 256) {
      w = ((i * g) >> 1) + offset;
      w = (w > 255 ? 255 : w) + 1;
    } else {
      w = i >= 256 - L ? 256 : 0;
    }
    weights[i] = (w * opacity) >> 8;
  }
  // A hard edge in the rule's form: a slope of 256 per mask step puts every
  // byte below 256 - L under 0 and every other at 255 or more.
  MaskWeightRule rule = {true, g, offset, opacity};
  if (g == 256) rule.slope = 512, rule.offset = 255 - 256 * (256 - L);
  Blend_SetMaskWeights(weights, &rule);
}

void Comp_MergeDirtyBox(ObjNode* node) {
  LayerImage* r = Layer_Record(node);
  int64_t* d = r->drawBox;
  const int64_t* b = r->dirtyBox;
  if (b[0] < d[0]) d[0] = b[0];
  if (b[1] < d[1]) d[1] = b[1];
  if (b[2] > d[2]) d[2] = b[2];
  if (b[3] > d[3]) d[3] = b[3];
  if (r->wholeImage) {
    r->wholeImage = 0;
    d[0] = 0, d[1] = 0, d[2] = int64_t(r->width) - 1, d[3] = int64_t(r->height) - 1;
  }
}

void Comp_ClipChildRect(const LayerImage* parent, const LayerImage* child, int bits) {
  const int64_t* b = parent->dirtyBox;
  int32_t x = int32_t(child->x), y = int32_t(child->y);
  int32_t w = int32_t(child->width), h = int32_t(child->height);
  int32_t x0 = int32_t(b[0]), y0 = int32_t(b[1]), x1 = int32_t(b[2]), y1 = int32_t(b[3]);
  // Horizontal: bit 4 left, bit 8 right.
  bool l = bits & 4, rgt = bits & 8;
  g_BlitRect[4] = l && rgt ? x1 - x0 + 1 : l ? w + x - x0 : rgt ? x1 + 1 - x : w;
  g_BlitRect[2] = l ? x0 : x;
  g_BlitRect[0] = l ? x0 - x : 0;
  // Vertical: bit 1 top, bit 2 bottom.
  bool t = bits & 1, bot = bits & 2;
  g_BlitRect[5] = t && bot ? y1 - y0 + 1 : t ? h + y - y0 : bot ? y1 + 1 - y : h;
  g_BlitRect[3] = t ? y0 : y;
  g_BlitRect[1] = t ? y0 - y : 0;
}

int32_t Comp_DrawLayerTree(ObjNode* node, int nested, int depth) {
  LayerImage* r = Layer_Record(node);
  if (!r || depth > kCompMaxDepth) return 0;
  r->alphaMode = nested ? 0 : 1;
  if (!r->pixels || !r->dirty) return 0;
  int64_t* b = r->dirtyBox;
  int64_t maxX = int64_t(r->width) - 1, maxY = int64_t(r->height) - 1;
  for (int i = 0; i < 4; i++) if (b[i] < 0) b[i] = 0;
  if (b[0] > maxX) b[0] = maxX;
  if (b[2] > maxX) b[2] = maxX;
  if (b[1] > maxY) b[1] = maxY;
  if (b[3] > maxY) b[3] = maxY;
  Comp_MergeDirtyBox(node);
  ObjNode* start = FindOpaqueCover(node, b);
  if (!start) {
    ClearBox(r, b);
    start = node->first;
  }
  for (ObjNode* c = start; c; c = c->next) {
    if (c->kind == kObjKindGroup) Comp_DrawLayerTree(c, 1, depth + 1);
    LayerImage* k = Layer_Record(c);
    if (!k || !k->visible || k->opacity == 0 || (k->maskPath[0] && k->maskLevel == 0)) continue;
    if (Outside(k, b) || k->kind != 0) continue;
    int bits = (k->x < b[0] ? 4 : 0) | (k->y < b[1] ? 1 : 0) |
               (k->x + int64_t(k->width) - 1 > b[2] ? 8 : 0) |
               (k->y + int64_t(k->height) - 1 > b[3] ? 2 : 0);
    Comp_ClipChildRect(r, k, bits);
    LayerImage* m = nullptr;
    const char* maskName = "";
    if (FindMask(k, &m, &maskName) != 0) return -1;
    if (!k->pixels) continue;
    if (PostBlend(c, r, k, m, maskName) != 0) return -1;
  }
  return 0;
}

int32_t Comp_DrawWindow(const CompWindow& w) {
  ObjNode* root = w.root;
  LayerImage* rec = Layer_Record(root);
  if (!w.showAtFirstFrame || !rec || !rec->visible) return int8_t(g_QuitRequested.load());
  if (w.index == 0 && g_CompHooks.gpuDrawingOn && g_CompHooks.gpuDrawingOn() && g_FullRedraw) {
    g_FullRedraw = 0;
    rec->wholeImage = rec->dirty = 1;
    rec->dirtyBox[0] = rec->dirtyBox[1] = 0;
    rec->dirtyBox[2] = int64_t(rec->width) - 1, rec->dirtyBox[3] = int64_t(rec->height) - 1;
    rec->subtreeDirty = 1;
    ObjNode* tree = g_TreeRoots[kTreeLayer].root;
    Cg_CommitPendingState(tree ? tree->first : root->first);
    if (g_CompHooks.gpuDrawFrame) g_CompHooks.gpuDrawFrame(root);
  }
  if (w.presented) *w.presented = 1;
  if (!rec->subtreeDirty) return int8_t(g_QuitRequested.load());
  if (Comp_DrawLayerTree(root, 0, 0) != 0) return -1;
  return int8_t(g_QuitRequested.load());
}

int32_t Comp_RedrawLayer(ObjNode* node, int) { return Comp_DrawLayerTree(node, 1, 0); }

void Comp_ResetDirtyTree(ObjNode* node) {
  if (!node) return;
  if (LayerImage* r = Layer_Record(node)) {
    r->dirty = r->subtreeDirty = r->wholeImage = 0;
    r->markCount = 0;
    r->drawBox[0] = r->drawBox[1] = INT64_MAX;
    r->drawBox[2] = r->drawBox[3] = -1;
  }
  for (ObjNode* c = node->first; c; c = c->next) Comp_ResetDirtyTree(c);
}

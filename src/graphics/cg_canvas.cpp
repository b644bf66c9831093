// Canvas changes of command 2: trimming transparent borders, margins, the
// GPU paste and grab, and the exchange of two layers' identities.
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "base/base.h"
#include "graphics/cg_op_internal.h"
#include "platform/text.h"

using namespace cgop;

namespace {

const char* BadSizeText() {
  static const std::string text = Text_Utf8ToSjis("リサイズ後のサイズが不正です。");
  return text.c_str();
}

// Copies the box (x0, y0)-(x1, y1) of a w-wide image into a buffer of the
// box's size.
void CopyRectRows(uint8_t* dst, const uint8_t* src, int64_t w, int64_t x0, int64_t y0, int64_t x1,
                  int64_t y1) {
  int64_t bw = x1 - x0 + 1;
  for (int64_t y = y0; y <= y1; y++)
    std::memcpy(dst + (y - y0) * bw * 4, src + (y * w + x0) * 4, size_t(bw) * 4);
}

// The bounding box of the pixels with alpha; false when there is none.
bool OpaqueBox(const LayerImage* r, int64_t box[4]) {
  int64_t w = r->width, h = r->height;
  box[0] = w, box[1] = h, box[2] = -1, box[3] = -1;
  for (int64_t y = 0; y < h; y++) {
    const uint32_t* row = Row(r->pixels, w, y);
    for (int64_t x = 0; x < w; x++)
      if (row[x] >> 24) {
        if (x < box[0]) box[0] = x;
        if (x > box[2]) box[2] = x;
        if (y < box[1]) box[1] = y;
        box[3] = y;
      }
  }
  return box[2] >= 0;
}

}  // namespace

int Cg_CropCanvas(ObjNode* first, ObjNode* second, int count, int32_t sides) {
  if (count < 1) second = nullptr;
  LayerImage* s = Layer_Record(first);
  ObjNode* dstNode = second ? second : first;
  LayerImage* d = Layer_Record(dstNode);
  if (!s || !d || !s->pixels) return 0;
  int64_t w = s->width, h = s->height;
  int64_t box[4];
  int64_t keep[4] = {0, 0, w - 1, h - 1};
  if (!OpaqueBox(s, box)) {
    // Nothing to keep on a trimmed side: the picture shrinks to its first
    // pixel along that axis.
    box[0] = box[1] = box[2] = box[3] = 0;
  }
  if (sides & 2) keep[0] = box[0];
  if (sides & 8) keep[1] = box[1];
  if (sides & 1) keep[2] = box[2];
  if (sides & 4) keep[3] = box[3];
  int64_t bw = keep[2] - keep[0] + 1, bh = keep[3] - keep[1] + 1;
  bool reuse = second && d != s && d->pixels && d->width == bw && d->height == bh;
  uint8_t* buf = reuse ? d->pixels : NewPixels(bw, bh, NodeName(dstNode));
  if (!buf) return -1;
  CopyRectRows(buf, s->pixels, w, keep[0], keep[1], keep[2], keep[3]);
  if (reuse) Layer_MarkDirty(dstNode);
  else SetPixels(dstNode, buf, bw, bh);
  return 0;
}

int Cg_ExtendCanvas(ObjNode* first, ObjNode* second, int count, int32_t left, int32_t right,
                    int32_t top, int32_t bottom) {
  if (count < 1) second = nullptr;
  LayerImage* s = Layer_Record(first);
  ObjNode* dstNode = second ? second : first;
  LayerImage* d = Layer_Record(dstNode);
  if (!s || !d || !s->pixels) return 0;
  int64_t w = s->width, h = s->height;
  int64_t nw = int64_t(left) + w + right, nh = int64_t(top) + h + bottom;
  if (nw < 1 || nh < 1) {
    Sys_MessageBoxF("", "%s", BadSizeText());
    return -1;
  }
  uint8_t* buf = NewPixels(nw, nh, NodeName(dstNode));
  if (!buf) return -1;
  for (int64_t y = 0; y < nh; y++) g_PixelOps.wordFill(Row(buf, nw, y), size_t(nw) * 4, kCgKeyColour);
  // The old image at (left, top), clipped to the new canvas.
  int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(int64_t(left) + w, nw);
  int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(int64_t(top) + h, nh);
  for (int64_t y = y0; y < y1 && x0 < x1; y++)
    std::memcpy(Row(buf, nw, y) + x0, Row(s->pixels, w, y - top) + (x0 - left), size_t(x1 - x0) * 4);
  uint8_t alpha = (left > 0 || right > 0 || top > 0 || bottom > 0) ? 1 : s->alphaMode;
  SetPixels(dstNode, buf, nw, nh);
  d->alphaMode = alpha;
  return 0;
}

int Cg_PasteSprite(ObjNode* first, ObjNode* second) {
  LayerImage* s = Layer_Record(first);
  LayerImage* d = Layer_Record(second ? second : first);
  if (s && d && g_CgOpHooks.pasteSprite && g_CgOpHooks.pasteSprite(s, d) == 0) return 0;
  Sys_Trace("QV_PASTESPRITE Error.");
  return -1;
}

int Cg_GrabScreen(ObjNode* first, ObjNode* second) {
  if (!g_CgOpHooks.grabScreen) {
    Sys_Trace("QV_D3DDevice Error.");
    return 0;
  }
  if (g_CgOpHooks.grabScreen(first, second ? second : first) == 0)
    Layer_MarkDirty(second ? second : first);
  return 0;
}

// ---- Name swap ---------------------------------------------------------

namespace {

// Whether `node` would meet a sibling (other than `other`) of its kind
// that has `name`.
bool NameTaken(const ObjNode* parent, const ObjNode* node, const ObjNode* other, const char* name,
               size_t len, uint8_t kind) {
  if (!parent) return false;
  for (const ObjNode* c = parent->first; c; c = c->next)
    if (c != node && c != other && c->kind == kind && Obj_NameEqual(c->name, c->nameLen, name, len))
      return true;
  return false;
}

}  // namespace

int Cg_SwapNames(ObjNode* a, ObjNode* b, int mode) {
  if (!a || !b || a == b) return 0;
  // After the swap each node carries the other's name among its own
  // siblings: refuse one that would make two siblings of one name and kind.
  if (NameTaken(a->parent, a, b, b->name, b->nameLen, a->kind) ||
      NameTaken(b->parent, b, a, a->name, a->nameLen, b->kind)) {
    Err_ScriptF(101297, 1, CmdName(), ArgName(mode == 1 ? oparg::kSwapPlace : oparg::kSwapLooks));
    return -1;
  }
  Layer_MarkDirty(a);
  Layer_MarkDirty(b);
  int64_t ka = a->key, kb = b->key;
  Cg_Relink(a, kb);
  Cg_Relink(b, ka);
  std::swap(a->name, b->name);
  std::swap(a->nameLen, b->nameLen);
  // Each node keeps its own group bit in its hash.
  a->hash = Obj_NameHash(a->name, a->nameLen, a->kind == kObjKindGroup);
  b->hash = Obj_NameHash(b->name, b->nameLen, b->kind == kObjKindGroup);
  LayerImage *ra = Layer_Record(a), *rb = Layer_Record(b);
  if (ra && rb && ra != rb) {
    std::swap(ra->x, rb->x), std::swap(ra->y, rb->y);
    std::swap(ra->x100, rb->x100), std::swap(ra->y100, rb->y100);
    if (mode == 2) {
      std::swap(ra->visible, rb->visible);
      std::swap(ra->opacity, rb->opacity);
      std::swap(ra->maskLevel, rb->maskLevel);
      std::swap(ra->maskGradient, rb->maskGradient);
      std::swap(ra->blendMode, rb->blendMode);
    }
  }
  Layer_MarkDirty(a);
  Layer_MarkDirty(b);
  return 0;
}

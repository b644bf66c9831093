// Dirty marking: how a change to one layer reaches the compositor.
#include <algorithm>

#include "graphics/graphics.h"

namespace {

// Marks K's whole rectangle in each ancestor that it overlaps, from K's
// parent up to the root.
void MarkFrom(ObjNode* k) {
  for (ObjNode* p = k->parent; p; k = p, p = p->parent) {
    LayerImage* kr = Layer_Record(k);
    LayerImage* pr = Layer_Record(p);
    if (!kr || !pr) continue;
    int64_t x0 = int32_t(kr->x), y0 = int32_t(kr->y);
    int64_t x1 = x0 + int64_t(kr->width) - 1, y1 = y0 + int64_t(kr->height) - 1;
    if (x0 >= int64_t(pr->width) || y0 >= int64_t(pr->height) || x1 < 0 || y1 < 0) continue;
    pr->subtreeDirty = 1;
    int64_t* b = pr->dirtyBox;
    if (pr->markCount == 0 || !pr->dirty) {
      b[0] = x0, b[1] = y0, b[2] = x1, b[3] = y1;
      pr->dirty = 1;
      pr->markCount++;
    } else {
      b[0] = std::min(b[0], x0), b[1] = std::min(b[1], y0);
      b[2] = std::max(b[2], x1), b[3] = std::max(b[3], y1);
    }
  }
}

}  // namespace

int Layer_MarkDirty(ObjNode* node) {
  if (!node) return 0;
  LayerImage* rec = Layer_Record(node);
  if (!rec || rec->sharers.size() <= 1) {
    MarkFrom(node);
    return 0;
  }
  // A shared record is shown by every sharer: each one's place is stale.
  for (ObjNode* n : rec->sharers) MarkFrom(n);
  return 0;
}

void Layer_InvalidateUp(ObjNode* node) {
  for (ObjNode* n = node; n; n = n->parent) {
    LayerImage* r = Layer_Record(n);
    if (!r) continue;
    int64_t x0 = r->x, y0 = r->y;
    int64_t x1 = x0 + int64_t(r->width) - 1, y1 = y0 + int64_t(r->height) - 1;
    int64_t* b = r->dirtyBox;
    if (r->markCount == 0) {
      b[0] = x0, b[1] = y0, b[2] = x1, b[3] = y1;
    } else {
      b[0] = std::min(b[0], x0), b[1] = std::min(b[1], y0);
      b[2] = std::max(b[2], x1), b[3] = std::max(b[3], y1);
    }
    r->dirty = 1;
    r->subtreeDirty = 1;
    r->markCount++;
  }
}

void Layer_MarkWholeDirty(ObjNode* node) {
  LayerImage* r = Layer_Record(node);
  if (!r) return;
  r->dirtyBox[0] = 0;
  r->dirtyBox[1] = 0;
  r->dirtyBox[2] = int64_t(r->width) - 1;
  r->dirtyBox[3] = int64_t(r->height) - 1;
  r->dirty = r->wholeImage = r->subtreeDirty = 1;
}

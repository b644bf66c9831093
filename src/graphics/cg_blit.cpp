// Command 2's blits: the first layer drawn into another at an offset,
// clipped against every image that the blit reads or writes, by copy,
// source alpha, opacity, masked cross-fade, or pixel comparison.
#include <algorithm>
#include <cstring>

#include "graphics/cg_op_internal.h"

using namespace cgop;

bool Cg_ClipBlitRect(int32_t cw, int32_t ch, int32_t sw, int32_t sh, int32_t dx, int32_t dy) {
  // Case bits as the compositor's clip: 4 left, 1 top, 8 right, 2 bottom.
  int64_t x0 = dx < 0 ? 0 : dx, y0 = dy < 0 ? 0 : dy;
  int64_t x1 = std::min<int64_t>(int64_t(dx) + sw, cw), y1 = std::min<int64_t>(int64_t(dy) + sh, ch);
  g_BlitRect[0] = int32_t(x0 - dx), g_BlitRect[1] = int32_t(y0 - dy);
  g_BlitRect[2] = int32_t(x0), g_BlitRect[3] = int32_t(y0);
  g_BlitRect[4] = int32_t(std::max<int64_t>(x1 - x0, 0)), g_BlitRect[5] = int32_t(std::max<int64_t>(y1 - y0, 0));
  return g_BlitRect[4] > 0 && g_BlitRect[5] > 0;
}

namespace {

bool HasPixels(const LayerImage* r) { return r && r->pixels; }

// The clip of an image (the smallest of the images read at the offset)
// against a canvas (the smallest of the images read or written at canvas
// coordinates); false when nothing is drawn.
bool Clip(std::initializer_list<const LayerImage*> images,
          std::initializer_list<const LayerImage*> canvases, int32_t dx, int32_t dy) {
  uint32_t sw = UINT32_MAX, sh = UINT32_MAX, cw = UINT32_MAX, ch = UINT32_MAX;
  for (const LayerImage* r : images) sw = std::min(sw, r->width), sh = std::min(sh, r->height);
  for (const LayerImage* r : canvases) cw = std::min(cw, r->width), ch = std::min(ch, r->height);
  return Cg_ClipBlitRect(int32_t(cw), int32_t(ch), int32_t(sw), int32_t(sh), dx, dy);
}

// Row y of the clip in an image read at the offset, and in a canvas.
uint8_t* ImageRow(const LayerImage* r, int32_t y) {
  return r->pixels + (int64_t(g_BlitRect[1] + y) * r->width + g_BlitRect[0]) * 4;
}
uint8_t* CanvasRow(const LayerImage* r, int32_t y) {
  return r->pixels + (int64_t(g_BlitRect[3] + y) * r->width + g_BlitRect[2]) * 4;
}
size_t RowBytes() { return size_t(g_BlitRect[4]) * 4; }

void Finish(ObjNode* canvas) {
  Layer_Record(canvas)->alphaMode = 1;
  Layer_MarkDirty(canvas);
}

}  // namespace

int Cg_CopyRect(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy) {
  LayerImage *s = Layer_Record(first), *d = Layer_Record(second);
  if (!HasPixels(s) || !HasPixels(d) || s->opacity == 0) return 0;
  if (Clip({s}, {d}, dx, dy))
    for (int32_t y = 0; y < g_BlitRect[5]; y++) {
      if (s->opacity == kOpacityFull) g_PixelOps.over(CanvasRow(d, y), ImageRow(s, y), RowBytes());
      else g_PixelOps.overOp(CanvasRow(d, y), ImageRow(s, y), s->opacity, RowBytes());
    }
  Finish(second);
  return 0;
}

int Cg_BlitCopy(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy) {
  LayerImage *s = Layer_Record(first), *d = Layer_Record(second);
  if (!HasPixels(s) || !HasPixels(d)) return 0;
  if (Clip({s}, {d}, dx, dy))
    for (int32_t y = 0; y < g_BlitRect[5]; y++) {
      if (s->opacity == kOpacityFull)
        g_PixelOps.overScaled(CanvasRow(d, y), ImageRow(s, y), d->opacity, RowBytes());
      else
        g_PixelOps.overScaledOp(CanvasRow(d, y), ImageRow(s, y), d->opacity, s->opacity, RowBytes());
    }
  Finish(second);
  return 0;
}

int Cg_BlitOpacity(ObjNode* first, ObjNode* second, ObjNode* third, int32_t dx, int32_t dy,
                   int32_t v1) {
  LayerImage *s = Layer_Record(first), *b = Layer_Record(second), *d = Layer_Record(third);
  if (!HasPixels(s) || !HasPixels(b) || !HasPixels(d)) return 0;
  int level = std::clamp(v1, 0, 255) + 1;
  if (Clip({s}, {b, d}, dx, dy))
    for (int32_t y = 0; y < g_BlitRect[5]; y++)
      g_PixelOps.crossFade(CanvasRow(d, y), CanvasRow(b, y), ImageRow(s, y), level, RowBytes());
  Finish(third);
  return 0;
}

void Cg_BuildBlendTable(int32_t level, int32_t gradient, int32_t w[256]) {
  int32_t L = std::clamp(level, 0, 256), g = gradient;
  for (int i = 0; i < 256; i++) {
    int64_t v;
    if (g == 256) {
      v = i >= 256 - L ? 256 : 0;
    } else {
      v = ((int64_t(i) * g) >> 1) + (int64_t(g) >> 1) * L - 128 * int64_t(g) + L;
      v = (v > 255 ? 255 : v) + 1;
    }
    // The row's arithmetic holds only for weights 0..256.
    w[i] = int32_t(std::clamp<int64_t>(v, 0, 256));
  }
}

void Cg_BlendRow(const uint8_t* a, const uint8_t* b, const uint8_t* m, uint8_t* out,
                 const int32_t w[256], size_t pixels) {
  for (size_t i = 0; i < pixels; i++) {
    int32_t wt = w[m[i * 4]];
    for (int c = 0; c < 4; c++) {
      int32_t p = a[i * 4 + c], q = b[i * 4 + c];
      out[i * 4 + c] = uint8_t(p - (((p - q) * wt) >> 8));
    }
  }
}

int Cg_BlitCrossFade(ObjNode* first, ObjNode* second, ObjNode* mask, ObjNode* canvas, int32_t dx,
                     int32_t dy, int32_t v1, int32_t v2) {
  LayerImage *a = Layer_Record(first), *b = Layer_Record(second), *m = Layer_Record(mask);
  LayerImage* d = Layer_Record(canvas);
  if (!HasPixels(d)) return 0;
  int32_t t = 256 - std::clamp(v1, 0, 255);
  LayerImage* whole = t == 256 ? a : t < 2 ? b : nullptr;
  if (whole) {
    if (HasPixels(whole) && Clip({whole}, {d}, dx, dy))
      for (int32_t y = 0; y < g_BlitRect[5]; y++) std::memcpy(CanvasRow(d, y), ImageRow(whole, y), RowBytes());
    Finish(canvas);
    return 0;
  }
  if (!HasPixels(a) || !HasPixels(b) || !HasPixels(m)) return 0;
  // The weights rise with V1: V1 near 0 keeps mostly the first image, near
  // 255 the second, meeting the two copies at the ends.
  int32_t w[256];
  Cg_BuildBlendTable(std::clamp(v1, 0, 255) + 1, v2, w);
  if (Clip({a, b, m}, {d}, dx, dy))
    for (int32_t y = 0; y < g_BlitRect[5]; y++)
      Cg_BlendRow(ImageRow(a, y), ImageRow(b, y), ImageRow(m, y), CanvasRow(d, y), w, size_t(g_BlitRect[4]));
  Finish(canvas);
  return 0;
}

namespace {

// Over the clip, canvas pixels are compared with the first layer's: where
// they match `keepEqual` keeps the canvas pixel and the other form writes
// 0; where they differ the other form writes the first layer's pixel and
// `keepEqual` writes 0.
int Compare(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy, bool keepEqual) {
  LayerImage *s = Layer_Record(first), *d = Layer_Record(second);
  if (!HasPixels(s) || !HasPixels(d)) return 0;
  if (Clip({s}, {d}, dx, dy))
    for (int32_t y = 0; y < g_BlitRect[5]; y++) {
      const uint32_t* in = reinterpret_cast<const uint32_t*>(ImageRow(s, y));
      uint32_t* out = reinterpret_cast<uint32_t*>(CanvasRow(d, y));
      for (int32_t x = 0; x < g_BlitRect[4]; x++) {
        bool equal = in[x] == out[x];
        out[x] = keepEqual ? (equal ? out[x] : 0) : (equal ? 0 : in[x]);
      }
    }
  Finish(second);
  return 0;
}

}  // namespace

int Cg_KeepDifferent(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy, int32_t) {
  return Compare(first, second, dx, dy, false);
}
int Cg_KeepEqual(ObjNode* first, ObjNode* second, int32_t dx, int32_t dy, int32_t) {
  return Compare(first, second, dx, dy, true);
}

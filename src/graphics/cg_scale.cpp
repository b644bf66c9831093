// Command 2's scaling: the destination buffer rule and the method
// dispatch, and the bicubic scaler (method 31).
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "graphics/cg_op_internal.h"

using namespace cgop;

bool Cg_IsScaleMethod(int method) {
  return method == 10 || method == 21 || method == 31 || method == 41 || method == 51;
}

namespace {

// Runs one method into `out` (W x H, tightly packed). 0, or -1 when the
// method could not run (reported).
int RunMethod(int method, uint8_t* out, const LayerImage* s, int32_t l100, int32_t t100,
              int32_t r100, int32_t b100, int32_t ow100, int32_t oh100) {
  int32_t W = ow100 / 100, H = oh100 / 100, w = int32_t(s->width), h = int32_t(s->height);
  switch (method) {
    case 10:
      if (!g_CgOpHooks.scaleNearest) break;
      g_CgOpHooks.scaleNearest(out, s->pixels, l100 / 100, t100 / 100, r100 / 100, b100 / 100, w, h, W, H);
      return 0;
    case 21: {
      // The threaded form needs the vector routines.
      auto fn = g_PixLevel != PixLevel::Scalar && g_CgOpHooks.scaleFilteredShared
                    ? g_CgOpHooks.scaleFilteredShared
                    : g_CgOpHooks.scaleFiltered;
      if (!fn) break;
      fn(out, s->pixels, l100, t100, r100, b100, w, h, ow100, oh100);
      return 0;
    }
    case 31:
      Cg_ScaleMethod31(out, s->pixels, l100 / 100, t100 / 100, r100 / 100, b100 / 100, w, h, W, H);
      return 0;
    case 41:
      return Cg_ScaleMethod41(out, s->pixels, l100, t100, r100, b100, w, h, ow100, oh100);
    case 51: return Cg_ScaleMethod51(out, s->pixels, w, h, W, H);
    default: break;
  }
  Err_Show(900020, 1);  // a scaler that the start-up did not install
  return -1;
}

}  // namespace

int Cg_Scale(ObjNode* first, ObjNode* second, int32_t left100, int32_t top100, int32_t right100,
             int32_t bottom100, int32_t outW100, int32_t outH100, int count, int method) {
  int64_t W = outW100 / 100, H = outH100 / 100;
  if (count < 1) second = nullptr;
  ObjNode* dstNode = second ? second : first;
  LayerImage* src = Layer_Record(first);
  LayerImage* dst = Layer_Record(dstNode);
  if (!src || !dst || !src->pixels) return 0;
  if (!Cg_IsScaleMethod(method)) return -1;
  Layer_MarkDirty(dstNode);
  bool same = second && dst->pixels && dst->width == W && dst->height == H;
  bool shrink = second && dst->pixels && dst->shrinkInPlace && W < dst->width && H < dst->height;
  // The source is read while the result is written: a destination that is
  // the source itself is written through a new buffer.
  bool reuse = (same || shrink) && dst != src;
  uint8_t* buf = reuse ? dst->pixels : NewPixels(W, H, NodeName(dstNode));
  if (!buf) return -1;
  if (RunMethod(method, buf, src, left100, top100, right100, bottom100, outW100, outH100) != 0) {
    if (!reuse) std::free(buf);
    return -1;
  }
  if (reuse) {
    dst->width = uint32_t(W), dst->height = uint32_t(H);
    Layer_MarkDirty(dstNode);
    return 0;
  }
  dst->alphaMode = src->alphaMode;
  SetPixels(dstNode, buf, W, H);
  return 0;
}

// ---- Method 31: bicubic ------------------------------------------------

namespace {

struct BicubicKernel {
  int32_t k[513];
  BicubicKernel() {
    for (int t = 0; t <= 512; t++) {
      double u = t / 256.0;
      double v = u <= 1 ? u * u * u - 2 * u * u + 1 : -u * u * u + 5 * u * u - 8 * u + 4;
      k[t] = int32_t(256 * v);
    }
  }
};
const BicubicKernel kCubic;

// Source index (integer part) and fraction byte of output index i.
struct Tap {
  int64_t at;
  int32_t frac;
};
Tap TapOf(int64_t i, int64_t n, int64_t start, int64_t span) {
  int64_t pos = ((i * 65536) / n * span) >> 8;
  return {start + (pos >> 8), int32_t(pos & 0xFF)};
}

}  // namespace

void Cg_ScaleMethod31(uint8_t* out, const uint8_t* src, int32_t left, int32_t top, int32_t right,
                      int32_t bottom, int32_t w, int32_t h, int32_t outW, int32_t outH) {
  int64_t spanX = int64_t(right) - left + 1, spanY = int64_t(bottom) - top + 1;
  for (int32_t oy = 0; oy < outH; oy++) {
    uint32_t* row = Row(out, outW, oy);
    Tap ty = TapOf(oy, outH, top, spanY);
    if (ty.at < 0 || ty.at >= h) {
      std::memset(row, 0, size_t(outW) * 4);
      continue;
    }
    const int32_t dy[4] = {256 + ty.frac, ty.frac, 256 - ty.frac, 512 - ty.frac};
    for (int32_t ox = 0; ox < outW; ox++) {
      Tap tx = TapOf(ox, outW, left, spanX);
      if (tx.at < 0 || tx.at >= w) {
        row[ox] = 0;
        continue;
      }
      const int32_t dx[4] = {256 + tx.frac, tx.frac, 256 - tx.frac, 512 - tx.frac};
      int64_t sum[4] = {}, ws = 0;
      for (int j = 0; j < 4; j++) {
        int64_t sy = ty.at - 1 + j;
        // Taps outside the image count for nothing (a column past an edge
        // is not taken from the neighbouring row).
        if (sy < 0 || sy >= h) continue;
        const uint32_t* srow = Row(src, w, sy);
        for (int i = 0; i < 4; i++) {
          int64_t sx = tx.at - 1 + i;
          if (sx < 0 || sx >= w) continue;
          int64_t wt = int64_t(kCubic.k[dy[j]]) * kCubic.k[dx[i]] / 256;
          uint32_t p = srow[sx];
          for (int b = 0; b < 4; b++) sum[b] += wt * int64_t((p >> (8 * b)) & 0xFF);
          ws += wt;
        }
      }
      if (ws == 0) ws = 1;
      uint32_t v = 0;
      for (int b = 0; b < 4; b++) v |= uint32_t(ClampByte(sum[b] / ws)) << (8 * b);
      row[ox] = v;
    }
  }
}

// Rotation of a layer image about its centre by whole degrees, nearest
// pixel, into an image of the same size. Pixels of a new buffer that no
// source pixel reaches are 0.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/cg_op_internal.h"

using namespace cgop;

namespace {

// sin and cos in 16.16; the quarter turns exactly, so that they map pixel
// centres onto pixel centres.
void SinCos(int32_t d, int64_t* sn, int64_t* cs) {
  switch (d) {
    case 90: *sn = 65536, *cs = 0; return;
    case 180: *sn = 0, *cs = -65536; return;
    case 270: *sn = -65536, *cs = 0; return;
    default: break;
  }
  double a = d * 3.1415926535 / 180.0;
  *sn = int64_t(65536 * std::sin(a));
  *cs = int64_t(65536 * std::cos(a));
}

// Mode 11 takes the source pixel at floor(u), floor(v) and writes 0 where
// the source falls outside; mode 12 truncates toward zero and leaves those
// pixels as they were.
void RotatePixels(uint32_t* out, const uint32_t* in, int32_t w, int32_t h, int32_t d, int mode) {
  if (d == 0) {
    std::memcpy(out, in, size_t(w) * size_t(h) * 4);
    return;
  }
  if (d == 180) {
    for (int32_t y = 0; y < h; y++)
      for (int32_t x = 0; x < w; x++) out[int64_t(y) * w + x] = in[int64_t(h - 1 - y) * w + (w - 1 - x)];
    return;
  }
  int64_t sn, cs;
  SinCos(d, &sn, &cs);
  int64_t cx = w / 2, cy = h / 2;
  // The quarter turns fill their margins in both modes.
  bool clearOutside = mode == 11 || d == 90 || d == 270;
  for (int32_t y = 0; y < h; y++) {
    int64_t u = cx * 65536 + cs * (0 - cx) - sn * (y - cy);
    int64_t v = cy * 65536 + sn * (0 - cx) + cs * (y - cy);
    uint32_t* row = out + int64_t(y) * w;
    for (int32_t x = 0; x < w; x++, u += cs, v += sn) {
      int64_t sx = mode == 11 ? u >> 16 : u / 65536;
      int64_t sy = mode == 11 ? v >> 16 : v / 65536;
      if (sx >= 0 && sx < w && sy >= 0 && sy < h) row[x] = in[sy * w + sx];
      else if (clearOutside) row[x] = 0;
    }
  }
}

}  // namespace

int Cg_Rotate(ObjNode* first, ObjNode* second, int32_t v1, int count, int mode) {
  if (count < 1) second = nullptr;
  LayerImage* src = Layer_Record(first);
  ObjNode* dstNode = second ? second : first;
  LayerImage* dst = Layer_Record(dstNode);
  if (!src || !dst || !src->pixels) return 0;
  if (mode != 11 && mode != 12) mode = 11;
  int32_t w = int32_t(src->width), h = int32_t(src->height);
  // A negative angle turns the other way.
  int32_t d = v1 % 360;
  if (d < 0) d += 360;
  bool reuse = second && dst != src && dst->pixels && int64_t(dst->width) * dst->height == int64_t(w) * h;
  uint8_t* buf = reuse ? dst->pixels : NewPixels(w, h, NodeName(dstNode));
  if (!buf) return -1;
  if (!reuse) std::memset(buf, 0, Img_PixelBytes(w, h));
  RotatePixels(reinterpret_cast<uint32_t*>(buf), reinterpret_cast<const uint32_t*>(src->pixels), w, h, d, mode);
  uint8_t alpha = v1 % 180 == 0 ? src->alphaMode : 1;
  if (reuse) {
    dst->width = uint32_t(w), dst->height = uint32_t(h);
    Layer_MarkDirty(dstNode);
  } else {
    SetPixels(dstNode, buf, w, h);
  }
  dst->alphaMode = alpha;
  return 0;
}

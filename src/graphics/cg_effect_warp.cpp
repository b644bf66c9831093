// The geometric effects: mirror, flip, copy, scatter, mosaic, waves and
// swirl. Each reads the rectangle of the input and writes the result image
// of the rectangle's size.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/cg_effect_internal.h"
#include "graphics/cg_op.h"
#include "vm/math.h"

const uint8_t kFxScatterTable[24][4] = {
    {3, 2, 1, 0}, {2, 3, 1, 0}, {3, 1, 2, 0}, {1, 3, 2, 0}, {2, 1, 3, 0}, {1, 2, 3, 0},
    {3, 2, 0, 1}, {2, 3, 0, 1}, {3, 0, 2, 1}, {0, 3, 2, 1}, {2, 0, 3, 1}, {0, 2, 3, 1},
    {3, 1, 0, 2}, {1, 3, 0, 2}, {3, 0, 1, 2}, {0, 3, 1, 2}, {1, 0, 3, 2}, {0, 1, 3, 2},
    {2, 1, 0, 3}, {1, 2, 0, 3}, {2, 0, 1, 3}, {0, 2, 1, 3}, {1, 0, 2, 3}, {0, 1, 2, 3},
};

namespace {

inline uint32_t In(const FxCall& c, int64_t x, int64_t y) { return c.in[y * c.inW + x]; }
inline uint32_t& Out(const FxCall& c, int64_t x, int64_t y) { return c.out[y * c.outW + x]; }
inline int32_t Limit(int64_t v, int32_t lo, int32_t hi) {
  return int32_t(v < lo ? lo : v > hi ? hi : v);
}

// Output (x, y) of the rectangle reads image pixel at `from(x, y)`.
template <typename F>
int Remap(const FxCall& c, F from) {
  for (int32_t y = 0; y < c.outH; y++)
    for (int32_t x = 0; x < c.outW; x++) {
      int32_t sx, sy;
      from(x, y, &sx, &sy);
      Out(c, x, y) = In(c, sx, sy);
    }
  return 0;
}

constexpr double kDegree = 0.017453292;

}  // namespace

int Fx_Copy(const FxCall& c) {
  for (int32_t y = 0; y < c.outH; y++)
    std::memcpy(&Out(c, 0, y), &c.in[int64_t(c.top + y) * c.inW + c.left], size_t(c.outW) * 4);
  return 0;
}

int Fx_Mirror(const FxCall& c) {
  return Remap(c, [&](int32_t x, int32_t y, int32_t* sx, int32_t* sy) {
    *sx = c.right - x, *sy = c.top + y;
  });
}

int Fx_Flip(const FxCall& c) {
  return Remap(c, [&](int32_t x, int32_t y, int32_t* sx, int32_t* sy) {
    *sx = c.left + x, *sy = c.bottom - y;
  });
}

int Fx_Scatter(const FxCall& c) {
  Fx_Copy(c);
  int passes = c.v1 < 2 ? 0 : c.v1 / 2;
  for (int p = 0; p < passes; p++)
    for (int32_t y = 0; y + 1 < c.outH; y += 2)
      for (int32_t x = 0; x + 1 < c.outW; x += 2) {
        uint32_t* place[4] = {&Out(c, x, y), &Out(c, x + 1, y), &Out(c, x, y + 1), &Out(c, x + 1, y + 1)};
        uint32_t was[4] = {*place[0], *place[1], *place[2], *place[3]};
        const uint8_t* row = kFxScatterTable[Rand_NextU32() % 24];
        for (int k = 0; k < 4; k++) *place[k] = (was[row[k]] & 0xFFFFFFu) | (was[k] & 0xFF000000u);
      }
  return 0;
}

int Fx_Mosaic(const FxCall& c) {
  int64_t n = c.v1 > 1 ? c.v1 : 1;
  // Grid lines pass through the rectangle's middle, in image coordinates.
  int64_t mx = (int64_t(c.left) + c.right + 1) / 2, my = (int64_t(c.top) + c.bottom + 1) / 2;
  auto cellStart = [n](int64_t v, int64_t mid) {
    int64_t d = v - mid;
    int64_t k = d >= 0 ? d / n : -((-d + n - 1) / n);
    return mid + k * n;
  };
  for (int64_t y0 = cellStart(c.top, my); y0 <= c.bottom; y0 += n)
    for (int64_t x0 = cellStart(c.left, mx); x0 <= c.right; x0 += n) {
      int64_t xa = x0 < c.left ? c.left : x0, ya = y0 < c.top ? c.top : y0;
      int64_t xb = x0 + n - 1 > c.right ? c.right : x0 + n - 1;
      int64_t yb = y0 + n - 1 > c.bottom ? c.bottom : y0 + n - 1;
      int64_t sum[3] = {}, count = (xb - xa + 1) * (yb - ya + 1);
      for (int64_t y = ya; y <= yb; y++)
        for (int64_t x = xa; x <= xb; x++) {
          uint32_t p = In(c, x, y);
          for (int b = 0; b < 3; b++) sum[b] += (p >> (8 * b)) & 0xFF;
        }
      int b = int(sum[0] / count), g = int(sum[1] / count), r = int(sum[2] / count);
      for (int64_t y = ya; y <= yb; y++)
        for (int64_t x = xa; x <= xb; x++)
          Out(c, x - c.left, y - c.top) = Fx_Pack(b, g, r, In(c, x, y));
    }
  return 0;
}

namespace {

int32_t WaveShift(int64_t at, int32_t phase, int32_t amp, bool useSin) {
  double a = double(at + phase) * kDegree;
  return int32_t((useSin ? std::sin(a) : std::cos(a)) * amp);
}

int Wave(const FxCall& c, bool rows, bool cols) {
  return Remap(c, [&](int32_t x, int32_t y, int32_t* sx, int32_t* sy) {
    int64_t ix = int64_t(c.left) + x, iy = int64_t(c.top) + y;
    int32_t dx = rows ? WaveShift(iy, c.v2, c.v1, true) : 0;
    int32_t dy = cols ? WaveShift(ix, c.v2, c.v1, false) : 0;
    *sx = Limit(ix + dx, c.left, c.right);
    *sy = Limit(iy + dy, c.top, c.bottom);
  });
}

}  // namespace

int Fx_WaveRows(const FxCall& c) { return Wave(c, true, false); }
int Fx_WaveCols(const FxCall& c) { return Wave(c, false, true); }
int Fx_WaveBoth(const FxCall& c) { return Wave(c, true, true); }

int Fx_Swirl(const FxCall& c) {
  int32_t w = c.outW, h = c.outH;
  int32_t cx = w / 2, cy = h / 2;
  int32_t n = int32_t(1 + (std::hypot(double(w), double(h)) + 1) * 0.5);
  int32_t* cs = static_cast<int32_t*>(g_CgScratchAlloc(size_t(n) * 2 * sizeof(int32_t)));
  if (!cs) return -1;
  int32_t* sn = cs + n;
  for (int32_t i = 0; i < n; i++) {
    double deg = c.v1 / 10.0 - double(i) * c.v1 / (10.0 * n);
    cs[i] = int32_t(std::cos(deg * kDegree) * 256);
    sn[i] = int32_t(std::sin(deg * kDegree) * 256);
  }
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) {
      int64_t dx = x - cx, dy = y - cy;
      int32_t d = int32_t(std::lround(std::hypot(double(dx), double(dy))));
      if (d >= n) d = n - 1;
      int64_t sx = ((dx * cs[d] - dy * sn[d]) >> 8) + cx;
      int64_t sy = ((dx * sn[d] + dy * cs[d]) >> 8) + cy;
      Out(c, x, y) = In(c, c.left + Limit(sx, 0, w - 1), c.top + Limit(sy, 0, h - 1));
    }
  std::free(cs);
  return 0;
}

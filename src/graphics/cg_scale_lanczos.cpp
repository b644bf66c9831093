// Method 51: two-pass Lanczos-2 resampling of the whole image, rows into
// an intermediate image of the output width, then columns.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "base/base.h"
#include "graphics/cg_op_internal.h"

double Cg_Sinc(double x) {
  constexpr double kPi = 3.1415927410125732;  // pi in single precision
  if (x == 0.0) return 1.0;
  return std::sin(kPi * x) / (kPi * x);
}

double Cg_Lanczos2(double x) {
  double a = std::fabs(x);
  return a < 2.0 ? Cg_Sinc(a) * Cg_Sinc(a * 0.5) : 0.0;
}

namespace {

// Weights of one axis: for output index i, taps first[i] .. first[i] +
// count[i] - 1 with their 16.16 weights.
struct LanczosAxis {
  std::vector<int64_t> first;
  std::vector<int32_t> count;
  std::vector<int32_t> weights;  // rows of `taps` per output index
  int32_t taps = 0;
};

// Source length n onto output length m. The centres follow the scale
// (m - 1) / (n - 1); the kernel only widens (a shrink averages more source
// pixels), never narrows below the source spacing, so an enlargement never
// falls between taps; a single output pixel or source pixel uses m / n.
void BuildWeights(LanczosAxis* ax, int32_t n, int32_t m) {
  double s = (n > 1 && m > 1) ? double(m - 1) / double(n - 1) : double(m) / double(n);
  double ks = s < 1.0 ? s : 1.0;
  double R = 2.0 / ks, r = 1.0 / ks;
  ax->taps = int32_t(1 + R + R) + 3;
  ax->first.assign(size_t(m), 0);
  ax->count.assign(size_t(m), 0);
  ax->weights.assign(size_t(m) * size_t(ax->taps), 0);
  for (int32_t i = 0; i < m; i++) {
    double c = i / s;
    int64_t f0 = int64_t(std::floor(c - R)), f1 = int64_t(std::ceil(c + R));
    int32_t cnt = int32_t(f1 - f0 + 1);
    if (cnt > ax->taps) cnt = ax->taps;
    ax->first[size_t(i)] = f0;
    ax->count[size_t(i)] = cnt;
    int32_t* w = &ax->weights[size_t(i) * size_t(ax->taps)];
    for (int32_t j = 0; j < cnt; j++) w[j] = int32_t(Cg_Lanczos2((c - double(f0 + j)) / r) / r * 65536.0);
  }
}

// One output value from taps over a row of `len` pixels: the weighted mean
// of the taps inside the row.
uint32_t Filter(const LanczosAxis& ax, int32_t i, const uint32_t* line, int64_t len) {
  const int32_t* w = &ax.weights[size_t(i) * size_t(ax.taps)];
  int64_t f0 = ax.first[size_t(i)];
  int64_t sum[4] = {}, ws = 0;
  for (int32_t j = 0; j < ax.count[size_t(i)]; j++) {
    int64_t k = f0 + j;
    if (k < 0 || k >= len) continue;
    uint32_t p = line[k];
    for (int b = 0; b < 4; b++) sum[b] += int64_t(w[j]) * int64_t((p >> (8 * b)) & 0xFF);
    ws += w[j];
  }
  if (ws == 0) return 0;
  uint32_t v = 0;
  for (int b = 0; b < 4; b++) v |= uint32_t(cgop::ClampByte(sum[b] / ws)) << (8 * b);
  return v;
}

}  // namespace

namespace {

// Both passes into `out`; false when a table could not be made.
bool Lanczos(uint8_t* out, const uint8_t* src, int32_t w, int32_t h, int32_t outW, int32_t outH,
             uint32_t* mid, int64_t* acc) try {
  LanczosAxis ax;
  BuildWeights(&ax, w, outW);
  const uint32_t* in = reinterpret_cast<const uint32_t*>(src);
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < outW; x++) mid[int64_t(y) * outW + x] = Filter(ax, x, in + int64_t(y) * w, w);
  // The column pass accumulates whole intermediate rows, which keeps its
  // reads in order.
  BuildWeights(&ax, h, outH);
  const size_t n = size_t(outW) * 4;
  for (int32_t y = 0; y < outH; y++) {
    std::fill(acc, acc + n, 0);
    const int32_t* wt = &ax.weights[size_t(y) * size_t(ax.taps)];
    int64_t ws = 0;
    for (int32_t j = 0; j < ax.count[size_t(y)]; j++) {
      int64_t k = ax.first[size_t(y)] + j;
      if (k < 0 || k >= h) continue;
      ws += wt[j];
      const uint8_t* row = reinterpret_cast<const uint8_t*>(mid + k * outW);
      for (size_t i = 0; i < n; i++) acc[i] += int64_t(wt[j]) * row[i];
    }
    uint8_t* o = out + size_t(y) * size_t(outW) * 4;
    for (size_t i = 0; i < n; i++) o[i] = ws == 0 ? 0 : cgop::ClampByte(acc[i] / ws);
  }
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

}  // namespace

int Cg_ScaleMethod51(uint8_t* out, const uint8_t* src, int32_t w, int32_t h, int32_t outW,
                     int32_t outH) {
  if (w < 1 || h < 1 || outW < 1 || outH < 1) return 0;
  // The scratch and the weight tables are checked: a failure is reported,
  // never thrown through the frame.
  uint32_t* mid = static_cast<uint32_t*>(g_CgScratchAlloc(size_t(outW) * size_t(h) * 4));
  int64_t* acc = static_cast<int64_t*>(g_CgScratchAlloc(size_t(outW) * 4 * sizeof(int64_t)));
  bool done = mid && acc && Lanczos(out, src, w, h, outW, outH, mid, acc);
  std::free(acc);
  std::free(mid);
  if (done) return 0;
  Err_ShowF(104030, 1, "");
  return -1;
}

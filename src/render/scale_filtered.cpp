// Filtered frame scaler: bilinear mixing of four source pixels with the
// fraction sharpened through a weight table (worker job 21).
#include <emmintrin.h>

#include <array>
#include <cstring>
#include <vector>

#include "render/render.h"
#include "render/scale_rows.h"

namespace {

// W[i] = clamp(trunc(1.25 (i - 128) + 128), 0, 255).
std::array<uint8_t, 256> BuildWeights() {
  std::array<uint8_t, 256> w{};
  for (int i = 0; i < 256; ++i) {
    int v = static_cast<int>(1.25 * (i - 128) + 128.0);  // truncates toward zero
    w[static_cast<size_t>(i)] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  }
  return w;
}
const std::array<uint8_t, 256> kWeights = BuildWeights();

// (256 - w) x4 | w x4: the multipliers of one two-pixel mix.
struct MixWeights {
  __m128i v;
};

// Per destination column or row: source index (absolute) and weight.
struct Axis {
  std::vector<int32_t> pos;
  std::vector<uint16_t> weight;
  std::vector<MixWeights> mix;
  int32_t first = 0, end = 0;  // destination run with a source inside the image
};

void BuildAxis(Axis* ax, int32_t p0, int32_t p1, int32_t size, int32_t dst100) {
  int32_t n = dst100 / 100;
  int32_t ip = p0 / 100;
  int64_t f = static_cast<int64_t>(p0 % 100) * 256 / 100;
  int64_t span = static_cast<int64_t>(p1) - p0;
  int64_t div = dst100 == 100 ? 100 : static_cast<int64_t>(dst100) - 100;
  bool shrink = dst100 < span;
  int64_t a = shrink ? f : 0, b = shrink ? 0 : f;
  ax->pos.resize(static_cast<size_t>(n));
  ax->weight.resize(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    int64_t t = ((256 * static_cast<int64_t>(i) + a) * span) / div + b;
    ax->pos[static_cast<size_t>(i)] = static_cast<int32_t>(t >> 8) + ip;
    ax->weight[static_cast<size_t>(i)] = kWeights[static_cast<size_t>(t & 0xFF)];
  }
  // Leading entries before the image, and everything from the first entry
  // that reaches its end, stay black.
  int32_t first = 0;
  while (first < n && ax->pos[static_cast<size_t>(first)] < 0) ++first;
  int32_t end = first;
  while (end < n && ax->pos[static_cast<size_t>(end)] < size) ++end;
  ax->first = first;
  ax->end = end;
  ax->mix.resize(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    int16_t w = static_cast<int16_t>(ax->weight[static_cast<size_t>(i)]);
    int16_t v = static_cast<int16_t>(256 - w);
    ax->mix[static_cast<size_t>(i)].v = _mm_set_epi16(w, w, w, w, v, v, v, v);
  }
}

struct FilterJob {
  uint8_t* dst;
  const uint8_t* src;
  const Axis* cols;
  const Axis* rows;
  int32_t srcW, dstW;
};

// Two-pixel mix of 4 channels: (p0 (256 - w) + p1 w) >> 8 with saturating adds.
inline __m128i MixPair(__m128i pair16, __m128i weights) {
  __m128i prod = _mm_mullo_epi16(pair16, weights);
  return _mm_srli_epi16(_mm_adds_epu16(prod, _mm_srli_si128(prod, 8)), 8);
}

void FilterRow(const FilterJob& j, int32_t dy) {
  uint32_t* out = reinterpret_cast<uint32_t*>(j.dst) + static_cast<int64_t>(dy) * j.dstW;
  const Axis& c = *j.cols;
  std::memset(out, 0, static_cast<size_t>(c.first) * 4);
  std::memset(out + c.end, 0, static_cast<size_t>(j.dstW - c.end) * 4);
  int32_t sy = j.rows->pos[static_cast<size_t>(dy)];
  const uint8_t* r0 = j.src + static_cast<int64_t>(sy) * j.srcW * 4;
  const uint8_t* r1 = r0 + static_cast<int64_t>(j.srcW) * 4;
  const __m128i zero = _mm_setzero_si128();
  const __m128i wy = j.rows->mix[static_cast<size_t>(dy)].v;
  for (int32_t i = c.first; i < c.end; ++i) {
    int32_t sx = c.pos[static_cast<size_t>(i)];
    const __m128i wx = c.mix[static_cast<size_t>(i)].v;
    __m128i top = MixPair(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r0 + sx * 4)), zero), wx);
    __m128i bot = MixPair(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r1 + sx * 4)), zero), wx);
    __m128i v = MixPair(_mm_unpacklo_epi64(top, bot), wy);
    out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, zero)));
  }
}

void FilterWorker(WorkerJob& job) {
  const FilterJob& j = *static_cast<const FilterJob*>(job.user);
  for (int32_t r = job.firstRow; r < job.endRow; ++r) FilterRow(j, j.rows->first + r);
}

void ScaleFiltered(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                   int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW100, int32_t dstH100,
                   bool shared) {
  int32_t dstW = dstW100 / 100, dstH = dstH100 / 100;
  if (!dst || !src || dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return;
  static thread_local Axis cols, rows;
  BuildAxis(&cols, x0, x1, srcW, dstW100);
  BuildAxis(&rows, y0, y1, srcH, dstH100);
  size_t pitch = static_cast<size_t>(dstW) * 4;
  std::memset(dst, 0, pitch * static_cast<size_t>(rows.first));
  std::memset(dst + pitch * static_cast<size_t>(rows.end), 0,
              pitch * static_cast<size_t>(dstH - rows.end));
  FilterJob job{dst, src, &cols, &rows, srcW, dstW};
  int32_t n = rows.end - rows.first;
  if (shared) {
    Scale_ShareRows(kJobScaleFiltered, FilterWorker, &job, n);
    return;
  }
  for (int32_t r = 0; r < n; ++r) FilterRow(job, rows.first + r);
}

}  // namespace

uint8_t Present_FilterWeight(int fraction) { return kWeights[static_cast<size_t>(fraction & 0xFF)]; }

void Present_ScaleFiltered(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0,
                           int32_t x1, int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW100,
                           int32_t dstH100) {
  ScaleFiltered(dst, src, x0, y0, x1, y1, srcW, srcH, dstW100, dstH100, false);
}

void Present_ScaleThreaded2(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0,
                            int32_t x1, int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW100,
                            int32_t dstH100) {
  ScaleFiltered(dst, src, x0, y0, x1, y1, srcW, srcH, dstW100, dstH100, true);
}

// The averaging effects 2 to 7: box means along rows and columns whose
// window shrinks at the rectangle's edges, kept as running sums.
#include <cstdlib>
#include <new>

#include "graphics/cg_effect_internal.h"
#include "graphics/cg_op.h"

namespace {

// Which bytes of a pixel are averaged, and what the others become.
enum class Chan : uint8_t {
  All,        // B, G, R and A
  Colour,     // B, G, R; the alpha of the input pixel
  AlphaOnly,  // A; B, G, R become 0
};

// One pass of window means over `n` values spaced `step` apart: dst[i] is
// the mean of src over [max(i - r, 0), min(i + r, n - 1)] for each byte
// that `mask` selects; the other bytes come from keep[i].
void MeanLine(uint32_t* dst, const uint32_t* src, const uint32_t* keep, int64_t n, int64_t step,
              int32_t r, uint32_t mask) {
  int64_t sum[4] = {};
  auto add = [&](uint32_t p, int64_t sign) {
    for (int b = 0; b < 4; b++) sum[b] += sign * int64_t((p >> (8 * b)) & 0xFF);
  };
  int64_t hi = -1;  // last index in the running sum
  for (int64_t i = 0; i < n; i++) {
    int64_t want = i + r < n - 1 ? i + r : n - 1;
    while (hi < want) add(src[++hi * step], 1);
    int64_t lo = i - r > 0 ? i - r : 0;
    if (i - r - 1 >= 0) add(src[(i - r - 1) * step], -1);
    int64_t count = want - lo + 1;
    uint32_t v = 0;
    for (int b = 0; b < 4; b++) v |= uint32_t(sum[b] / count) << (8 * b);
    dst[i * step] = (v & mask) | (keep[i * step] & ~mask);
  }
}

uint32_t MaskOf(Chan ch) {
  return ch == Chan::All ? 0xFFFFFFFFu : ch == Chan::Colour ? 0x00FFFFFFu : 0xFF000000u;
}

// The rectangle of the input copied into the result (the passes then work
// on the result in place, reading a scratch copy).
void CopyRect(const FxCall& c) {
  for (int32_t y = c.top; y <= c.bottom; y++)
    for (int32_t x = c.left; x <= c.right; x++)
      c.out[int64_t(y - c.top) * c.outW + (x - c.left)] = c.in[int64_t(y) * c.inW + x];
}

// Runs the row pass, the column pass, or both, over the rectangle's copy.
int Average(const FxCall& c, bool rows, bool cols, Chan ch) {
  int64_t w = c.outW, h = c.outH;
  int32_t r = c.v1 > 1 ? c.v1 : 1;
  uint32_t mask = MaskOf(ch);
  uint32_t* scratch = static_cast<uint32_t*>(g_CgScratchAlloc(size_t(w * h) * 4));
  if (!scratch) return -1;
  CopyRect(c);
  // `keep` is the input pixel (its alpha, or 0 colour for the alpha blur).
  uint32_t* keep = static_cast<uint32_t*>(g_CgScratchAlloc(size_t(w * h) * 4));
  if (!keep) {
    std::free(scratch);
    return -1;
  }
  for (int64_t i = 0; i < w * h; i++) keep[i] = ch == Chan::AlphaOnly ? 0 : c.out[i];
  if (rows) {
    for (int64_t i = 0; i < w * h; i++) scratch[i] = c.out[i];
    for (int64_t y = 0; y < h; y++) MeanLine(c.out + y * w, scratch + y * w, keep + y * w, w, 1, r, mask);
  }
  if (cols) {
    for (int64_t i = 0; i < w * h; i++) scratch[i] = c.out[i];
    for (int64_t x = 0; x < w; x++) MeanLine(c.out + x, scratch + x, keep + x, h, w, r, mask);
  }
  std::free(keep);
  std::free(scratch);
  return 0;
}

Chan ByAlphaMode(const FxCall& c) { return c.alphaMode != 0 ? Chan::All : Chan::Colour; }

}  // namespace

int Fx_BoxBlur(const FxCall& c) { return Average(c, true, true, ByAlphaMode(c)); }
int Fx_AverageRows(const FxCall& c) { return Average(c, true, false, ByAlphaMode(c)); }
int Fx_AverageCols(const FxCall& c) { return Average(c, false, true, ByAlphaMode(c)); }
int Fx_AlphaBlur(const FxCall& c) { return Average(c, true, true, Chan::AlphaOnly); }
int Fx_AlphaBlurSums(const FxCall& c) {
  return Average(c, true, true, c.alphaMode != 0 ? Chan::AlphaOnly : Chan::Colour);
}

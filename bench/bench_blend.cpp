// Blend rows of every mode, kind and opacity class on 1920-pixel rows for
// each pixel-routine set; every mode and kind on 1920x1080 frames (whole,
// and band by band in L2) with the best set beside pixman's separable mode
// of the same name where it has one; a full-frame source-alpha blend beside pixman's OVER (whole frames in
// the last-level cache, and band by band in L2) and beside a plain copy of
// the same bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "graphics/graphics.h"

#ifdef GFX_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr size_t kRow = 1920;

void Init() {
  static bool done = [] {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    // Weight m + 1: a soft mask at its middle level, built as the
    // compositor builds it for a layer.
    Comp_BuildMaskWeights(128, 2, 256);
    return true;
  }();
  (void)done;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

void BlendRowBench(benchmark::State& st, int set, int kind, int mode, bool full) {
  Init();
  const BlendRow* rows = Blend_GetSetRows(set);
  if (!rows) {
    st.SkipWithError("set not available");
    return;
  }
  auto src = RandomBytes(kRow * 4, 1), dst = RandomBytes(kRow * 4, 2), mask = RandomBytes(kRow * 4, 3);
  int op = full ? 256 : 160;
  BlendRow row = rows[kind * 40 + mode * 2 + (full && kind != kBlendMaskAlpha ? 1 : 0)];
  for (auto _ : st) {
    if (kind < 2) row.plain(dst.data(), src.data(), op, kRow * 4);
    else row.mask(dst.data(), src.data(), mask.data(), 0, 0, kRow * 4);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  st.SetItemsProcessed(int64_t(st.iterations()) * int64_t(kRow));
}

const int kRegistered = [] {
  const char* sets[] = {"scalar", "sse2", "avx2"};
  const char* kinds[] = {"plain", "alpha", "mask", "maskalpha"};
  for (int set = 0; set < 3; set++)
    for (int kind = 0; kind < 4; kind++)
      for (int mode = 0; mode < kBlendModeCount; mode++)
        for (int full = 1; full >= 0; full--) {
          if (kind == 3 && !full) continue;  // one variant
          std::string name = std::string("BlendRow/") + sets[set] + "/" + kinds[kind] + "/mode" +
                             std::to_string(mode) + (full ? "/full" : "/partial");
          benchmark::RegisterBenchmark(name.c_str(), BlendRowBench, set, kind, mode, bool(full));
        }
  return 0;
}();

// Every mode and kind on 1920x1080 frames, one thread, with the best set;
// beside it, in the same run and on the same buffers, pixman's separable
// mode of the same name (the opacity as a solid mask, the mask layer as an
// a8r8g8b8 mask) where pixman has one.
struct ModeFrame {
  static constexpr uint32_t kW = 1920, kH = 1080;
  // The source is premultiplied (colour at most alpha) for pixman's sake;
  // alpha 1..254 for the kinds that weigh by it, else 255.
  std::vector<uint32_t> src, dst, mask;
  explicit ModeFrame(bool alpha) : src(size_t(kW) * kH), dst(size_t(kW) * kH), mask(size_t(kW) * kH) {
    std::mt19937 rng(11);
    for (size_t i = 0; i < src.size(); i++) {
      uint32_t a = alpha ? 1 + rng() % 254 : 255, r = rng();
      uint32_t b = (r & 255) % (a + 1), g = (r >> 8 & 255) % (a + 1), c = (r >> 16 & 255) % (a + 1);
      src[i] = a << 24 | c << 16 | g << 8 | b;
      dst[i] = 0xFF000000u | (rng() & 0xFFFFFFu);
      mask[i] = rng();
    }
  }
};

#ifdef GFX_HAVE_PIXMAN
int PixmanModeOf(int mode, int kind) {
  switch (mode) {
    case 0: return kind == kBlendPlain ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
    case 1: return PIXMAN_OP_ADD;
    case 3: return PIXMAN_OP_MULTIPLY;
    case 5: return PIXMAN_OP_SCREEN;
    case 6: return PIXMAN_OP_LIGHTEN;
    case 7: return PIXMAN_OP_DARKEN;
    case 8: return PIXMAN_OP_DIFFERENCE;
    case 9: return PIXMAN_OP_EXCLUSION;
    case 10: return PIXMAN_OP_OVERLAY;
    case 11: return PIXMAN_OP_COLOR_DODGE;
    case 12: return PIXMAN_OP_COLOR_BURN;
    case 14: return PIXMAN_OP_HARD_LIGHT;
    case 15: return PIXMAN_OP_SOFT_LIGHT;
    default: return -1;
  }
}
#endif

// Processor time of these (single-threaded) comparisons: on a shared
// machine, time spent switched out is not charged to whichever side was
// running.
double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

// kBand 0: whole frames, the three of them (24 MB) resident in the
// last-level cache. kBand 32: band by band, each band blended once untimed so
// that both timed passes find its rows (3 x 246 KB) in the core's own L2.
template <uint32_t kBand>
void ModeVsPixman(benchmark::State& st, int kind, int mode, bool full) {
  Init();
  const BlendRow* rows = Blend_GetSetRows(2) ? Blend_GetSetRows(2) : Blend_GetSetRows(1);
  bool masked = kind >= kBlendMask;
  ModeFrame f(kind == kBlendAlpha || kind == kBlendMaskAlpha);
  int op = full ? 256 : 160;
  BlendRow row = rows[kind * 40 + mode * 2 + (full && kind != kBlendMaskAlpha ? 1 : 0)];
  auto ourRows = [&](uint32_t y0, uint32_t y1) {
    for (uint32_t y = y0; y < y1; y++) {
      size_t at = size_t(y) * ModeFrame::kW;
      auto* d = reinterpret_cast<uint8_t*>(&f.dst[at]);
      const auto* s = reinterpret_cast<const uint8_t*>(&f.src[at]);
      if (masked) row.mask(d, s, reinterpret_cast<const uint8_t*>(&f.mask[at]), 0, 0, ModeFrame::kW * 4);
      else row.plain(d, s, op, ModeFrame::kW * 4);
    }
  };
  std::function<void(uint32_t, uint32_t)> theirRows;
#ifdef GFX_HAVE_PIXMAN
  int pop = PixmanModeOf(mode, kind);
  pixman_image_t *s = nullptr, *d = nullptr, *m = nullptr;
  if (pop >= 0) {
    s = pixman_image_create_bits(PIXMAN_a8r8g8b8, ModeFrame::kW, ModeFrame::kH, f.src.data(), ModeFrame::kW * 4);
    d = pixman_image_create_bits(PIXMAN_a8r8g8b8, ModeFrame::kW, ModeFrame::kH, f.dst.data(), ModeFrame::kW * 4);
    if (masked) {
      m = pixman_image_create_bits(PIXMAN_a8r8g8b8, ModeFrame::kW, ModeFrame::kH, f.mask.data(), ModeFrame::kW * 4);
    } else if (!full) {
      pixman_color_t c = {0, 0, 0, uint16_t(op * 255)};
      m = pixman_image_create_solid_fill(&c);
    }
    theirRows = [=](uint32_t y0, uint32_t y1) {
      int y = int(y0);  // a solid mask ignores its coordinates
      pixman_image_composite32(pixman_op_t(pop), s, m, d, 0, y, 0, y, 0, y, ModeFrame::kW, int(y1 - y0));
    };
  }
#endif
  constexpr uint32_t kStep = kBand ? kBand : ModeFrame::kH;
  ourRows(0, ModeFrame::kH);
  if (theirRows) theirRows(0, ModeFrame::kH);
  double ours = 0, theirs = 0;
  for (auto _ : st) {
    for (uint32_t y0 = 0; y0 < ModeFrame::kH; y0 += kStep) {
      uint32_t y1 = std::min(y0 + kStep, ModeFrame::kH);
      if (kBand) ourRows(y0, y1);
      double t0 = CpuSeconds();
      ourRows(y0, y1);
      benchmark::ClobberMemory();
      double t1 = CpuSeconds();
      if (theirRows) theirRows(y0, y1);
      benchmark::ClobberMemory();
      ours += t1 - t0;
      theirs += CpuSeconds() - t1;
    }
  }
#ifdef GFX_HAVE_PIXMAN
  for (pixman_image_t* img : {s, d, m})
    if (img) pixman_image_unref(img);
#endif
  double px = double(ModeFrame::kW) * ModeFrame::kH * double(st.iterations());
  st.counters["ours_Mpx_s"] = px / ours / 1e6;
  if (theirRows) {
    st.counters["pixman_Mpx_s"] = px / theirs / 1e6;
    st.counters["ours_over_pixman"] = theirs / ours;
  }
}

const int kModesRegistered = [] {
  const char* kinds[] = {"plain", "alpha", "mask", "maskalpha"};
  for (int band = 0; band < 2; band++)
    for (int kind = 0; kind < 4; kind++)
      for (int mode = 0; mode < kBlendModeCount; mode++)
        for (int full = 1; full >= 0; full--) {
          if (kind == kBlendMaskAlpha && !full) continue;  // one variant
          std::string name = std::string(band ? "ModeVsPixmanL2/" : "ModeVsPixman/") + kinds[kind] + "/mode" +
                             std::to_string(mode) + (full ? "/full" : "/partial");
          benchmark::RegisterBenchmark(name.c_str(), band ? ModeVsPixman<32> : ModeVsPixman<0>, kind, mode,
                                       bool(full))
              ->Unit(benchmark::kMillisecond);
        }
  return 0;
}();

// A 1920x1080 premultiplied source: alpha over 1..254 (smooth), or a sprite
// with large clear and opaque areas; the colour never exceeds the alpha.
struct Frame {
  static constexpr uint32_t kW = 1920, kH = 1080;
  std::vector<uint32_t> src, dst;
  explicit Frame(bool sprite) : src(size_t(kW) * kH), dst(size_t(kW) * kH, 0xFF336699u) {
    std::mt19937 rng(7);
    for (uint32_t y = 0; y < kH; y++)
      for (uint32_t x = 0; x < kW; x++) {
        uint32_t a = sprite ? (((x / 240 + y / 180) % 3 == 0) ? 0 : ((x / 240 + y / 180) % 3 == 1 ? 255 : 1 + rng() % 254))
                            : 1 + (x + y) % 254;
        uint32_t c = a ? rng() % (a + 1) : 0;
        src[size_t(y) * kW + x] = a << 24 | c << 16 | (c / 2) << 8 | (c / 3);
      }
  }
};

// Our alpha row over rows y0 .. y1 - 1 of the frame.
void OurOver(Frame& f, const BlendRow& row, uint32_t y0, uint32_t y1) {
  for (uint32_t y = y0; y < y1; y++)
    row.plain(reinterpret_cast<uint8_t*>(&f.dst[size_t(y) * Frame::kW]),
              reinterpret_cast<const uint8_t*>(&f.src[size_t(y) * Frame::kW]), 256, Frame::kW * 4);
}

void FrameAlphaBlend(benchmark::State& st, bool sprite) {
  Init();
  g_PixelOps = *Pix_GetSet(Pix_GetSet(2) ? 2 : 1);
  Frame f(sprite);
  BlendRow row = Blend_PickRow(kBlendAlpha, 0, 256);
  for (auto _ : st) {
    OurOver(f, row, 0, Frame::kH);
    benchmark::ClobberMemory();
  }
  st.SetItemsProcessed(int64_t(st.iterations()) * Frame::kW * Frame::kH);
}
BENCHMARK_CAPTURE(FrameAlphaBlend, smooth_alpha, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameAlphaBlend, sprite, true)->Unit(benchmark::kMillisecond);

#ifdef GFX_HAVE_PIXMAN
// pixman's images over a frame's two buffers (no copy), for the lifetime of
// a benchmark.
struct PixmanFrame {
  pixman_image_t* s;
  pixman_image_t* d;
  explicit PixmanFrame(Frame& f)
      : s(pixman_image_create_bits(PIXMAN_a8r8g8b8, Frame::kW, Frame::kH, f.src.data(), Frame::kW * 4)),
        d(pixman_image_create_bits(PIXMAN_a8r8g8b8, Frame::kW, Frame::kH, f.dst.data(), Frame::kW * 4)) {}
  ~PixmanFrame() {
    pixman_image_unref(s);
    pixman_image_unref(d);
  }
  PixmanFrame(const PixmanFrame&) = delete;
  PixmanFrame& operator=(const PixmanFrame&) = delete;
  // Source over destination on rows y0 .. y0 + h - 1.
  void Over(uint32_t y0, uint32_t h) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, int(y0), 0, 0, 0, int(y0), Frame::kW, int(h));
  }
};

void PixmanOver(benchmark::State& st, bool sprite) {
  Frame f(sprite);
  PixmanFrame px(f);
  for (auto _ : st) {
    px.Over(0, Frame::kH);
    benchmark::ClobberMemory();
  }
  st.SetItemsProcessed(int64_t(st.iterations()) * Frame::kW * Frame::kH);
}
BENCHMARK_CAPTURE(PixmanOver, smooth_alpha, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PixmanOver, sprite, true)->Unit(benchmark::kMillisecond);

// Both sides' rates over the frames blended, and their ratio.
void ReportRates(benchmark::State& st, double ours, double theirs) {
  double px = double(Frame::kW) * Frame::kH * double(st.iterations());
  st.counters["ours_Mpx_s"] = px / ours / 1e6;
  st.counters["pixman_Mpx_s"] = px / theirs / 1e6;
  st.counters["ours_over_pixman"] = theirs / ours;
}

// Both on the same content in one run, one thread: our rate over pixman's.
// Both blend the same source onto the same destination buffer, so the two
// frames they touch (16.6 MB) stay resident in the last-level cache for both
// sides; each side runs once untimed first.
void OverVsPixman(benchmark::State& st, bool sprite) {
  Init();
  g_PixelOps = *Pix_GetSet(Pix_GetSet(2) ? 2 : 1);
  Frame f(sprite);
  PixmanFrame px(f);
  BlendRow row = Blend_PickRow(kBlendAlpha, 0, 256);
  auto ourFrame = [&] { OurOver(f, row, 0, Frame::kH); };
  auto pixmanFrame = [&] { px.Over(0, Frame::kH); };
  ourFrame();
  pixmanFrame();
  double ours = 0, theirs = 0;
  for (auto _ : st) {
    double t0 = CpuSeconds();
    ourFrame();
    benchmark::ClobberMemory();
    double t1 = CpuSeconds();
    pixmanFrame();
    benchmark::ClobberMemory();
    double t2 = CpuSeconds();
    ours += t1 - t0;
    theirs += t2 - t1;
  }
  ReportRates(st, ours, theirs);
}
BENCHMARK_CAPTURE(OverVsPixman, smooth_alpha, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OverVsPixman, sprite, true)->Unit(benchmark::kMillisecond);

// The same frames and calls band by band, each band of 32 rows (2 x 246 KB)
// blended once untimed so that both timed passes find it in the core's own
// L2 cache: the two rates without the shared last-level cache in between.
void OverVsPixmanL2(benchmark::State& st, bool sprite) {
  Init();
  g_PixelOps = *Pix_GetSet(Pix_GetSet(2) ? 2 : 1);
  Frame f(sprite);
  PixmanFrame px(f);
  BlendRow row = Blend_PickRow(kBlendAlpha, 0, 256);
  constexpr uint32_t kBand = 32;
  auto ourBand = [&](uint32_t y0) { OurOver(f, row, y0, std::min(y0 + kBand, Frame::kH)); };
  auto pixmanBand = [&](uint32_t y0) { px.Over(y0, std::min(kBand, Frame::kH - y0)); };
  using Clock = std::chrono::steady_clock;
  double ours = 0, theirs = 0;
  for (auto _ : st) {
    for (uint32_t y0 = 0; y0 < Frame::kH; y0 += kBand) {
      ourBand(y0);
      auto t0 = Clock::now();
      ourBand(y0);
      benchmark::ClobberMemory();
      auto t1 = Clock::now();
      pixmanBand(y0);
      benchmark::ClobberMemory();
      auto t2 = Clock::now();
      ours += std::chrono::duration<double>(t1 - t0).count();
      theirs += std::chrono::duration<double>(t2 - t1).count();
    }
  }
  ReportRates(st, ours, theirs);
}
BENCHMARK_CAPTURE(OverVsPixmanL2, smooth_alpha, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OverVsPixmanL2, sprite, true)->Unit(benchmark::kMillisecond);
#endif

// The same bytes copied: the memory-bandwidth reference for the frame.
void FrameCopy(benchmark::State& st) {
  Frame f(false);
  for (auto _ : st) {
    std::memcpy(f.dst.data(), f.src.data(), f.src.size() * 4);
    benchmark::ClobberMemory();
  }
  st.SetItemsProcessed(int64_t(st.iterations()) * Frame::kW * Frame::kH);
  st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(f.src.size()) * 8);
}
BENCHMARK(FrameCopy)->Unit(benchmark::kMillisecond);

}  // namespace

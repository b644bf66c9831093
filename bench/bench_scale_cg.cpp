// Command 2's scaling methods on a full-HD picture, shrunk to 1280 x 720 and
// enlarged to 3840 x 2160, beside pixman's bilinear scale of the same
// picture in the same run (one thread each).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "graphics/cg_op.h"
#include "graphics/graphics.h"
#include "render/render.h"

#ifdef GFX_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int32_t kSw = 1920, kSh = 1080;

std::vector<uint8_t>& Source() {
  static std::vector<uint8_t> src = [] {
    std::vector<uint8_t> b(Img_PixelBytes(kSw, kSh));
    std::mt19937 rng(1);
    for (auto& v : b) v = uint8_t(rng());
    return b;
  }();
  return src;
}

// range(0): method; range(1), range(2): output size.
void BM_CgScale(benchmark::State& state) {
  int method = int(state.range(0));
  int32_t W = int32_t(state.range(1)), H = int32_t(state.range(2));
  std::vector<uint8_t> dst(size_t(W) * H * 4);
  const uint8_t* src = Source().data();
  for (auto _ : state) {
    switch (method) {
      case 10: Present_ScaleThreaded(dst.data(), src, 0, 0, kSw - 1, kSh - 1, kSw, kSh, W, H); break;
      case 21:
        Present_ScaleFiltered(dst.data(), src, 0, 0, 100 * (kSw - 1), 100 * (kSh - 1), kSw, kSh, 100 * W, 100 * H);
        break;
      case 31: Cg_ScaleMethod31(dst.data(), src, 0, 0, kSw - 1, kSh - 1, kSw, kSh, W, H); break;
      case 41:
        Cg_ScaleMethod41(dst.data(), src, 0, 0, 100 * (kSw - 1), 100 * (kSh - 1), kSw, kSh, 100 * W, 100 * H);
        break;
      case 51: Cg_ScaleMethod51(dst.data(), src, kSw, kSh, W, H); break;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(W) * H);
  state.counters["Mpx_s"] = benchmark::Counter(double(W) * H * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

#ifdef GFX_HAVE_PIXMAN
void BM_PixmanBilinear(benchmark::State& state) {
  int32_t W = int32_t(state.range(0)), H = int32_t(state.range(1));
  std::vector<uint8_t> dst(size_t(W) * H * 4);
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSw, kSh,
                                               reinterpret_cast<uint32_t*>(Source().data()), kSw * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, reinterpret_cast<uint32_t*>(dst.data()), W * 4);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(double(kSw) / W), pixman_double_to_fixed(double(kSh) / H));
  pixman_image_set_transform(s, &t);
  pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, W, H);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(state.iterations() * int64_t(W) * H);
  state.counters["Mpx_s"] = benchmark::Counter(double(W) * H * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PixmanBilinear)->Args({1280, 720})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
#endif

void CgArgs(benchmark::internal::Benchmark* b) {
  for (int m : {10, 21, 31, 41, 51}) {
    b->Args({m, 1280, 720});
    b->Args({m, 3840, 2160});
  }
}
BENCHMARK(BM_CgScale)->Apply(CgArgs)->Unit(benchmark::kMillisecond);

}  // namespace

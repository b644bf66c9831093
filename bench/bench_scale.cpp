// Frame scalers at the common full-screen case, 800 x 600 to 1920 x 1080,
// side by side with a plain copy of the output size (the memory bound).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/graphics.h"
#include "render/render.h"

namespace {

constexpr int32_t kSw = 800, kSh = 600, kDw = 1920, kDh = 1080;

std::vector<uint8_t>& Source() {
  static std::vector<uint8_t> src = [] {
    std::vector<uint8_t> b(static_cast<size_t>(kSw) * 4 * (kSh + 1) + 4);
    std::mt19937 rng(1);
    for (auto& v : b) v = static_cast<uint8_t>(rng());
    return b;
  }();
  return src;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(state.iterations() * int64_t(kDw) * kDh * 4);
}

void BM_CopyOutputSize(benchmark::State& state) {
  std::vector<uint8_t> a(size_t(kDw) * kDh * 4, 1), b(a.size());
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

void BM_Nearest(benchmark::State& state) {
  std::vector<uint8_t> dst(size_t(kDw) * kDh * 4);
  for (auto _ : state) {
    Present_ScaleThreaded(dst.data(), Source().data(), 0, 0, kSw - 1, kSh - 1, kSw, kSh, kDw, kDh);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

void BM_Filtered(benchmark::State& state) {
  std::vector<uint8_t> dst(size_t(kDw) * kDh * 4);
  for (auto _ : state) {
    Present_ScaleFiltered(dst.data(), Source().data(), 0, 0, 100 * (kSw - 1), 100 * (kSh - 1),
                          kSw, kSh, 100 * kDw, 100 * kDh);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

// The workers run for the pool variants only; state.range(0) is the count.
void BM_FilteredShared(benchmark::State& state) {
  Gfx_StartWorkers(static_cast<int>(state.range(0)));
  std::vector<uint8_t> dst(size_t(kDw) * kDh * 4);
  for (auto _ : state) {
    Present_ScaleThreaded2(dst.data(), Source().data(), 0, 0, 100 * (kSw - 1), 100 * (kSh - 1),
                           kSw, kSh, 100 * kDw, 100 * kDh);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

void BM_NearestShared(benchmark::State& state) {
  Gfx_StartWorkers(static_cast<int>(state.range(0)));
  std::vector<uint8_t> dst(size_t(kDw) * kDh * 4);
  for (auto _ : state) {
    Present_ScaleThreaded(dst.data(), Source().data(), 0, 0, kSw - 1, kSh - 1, kSw, kSh, kDw, kDh);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

BENCHMARK(BM_CopyOutputSize);
BENCHMARK(BM_Nearest);
BENCHMARK(BM_Filtered);
// Registered last: once started, the pool stays for the rest of the run.
BENCHMARK(BM_NearestShared)->Arg(4)->UseRealTime();
BENCHMARK(BM_FilteredShared)->Arg(4)->UseRealTime();

}  // namespace

// Own entry point: the pool must be stopped before the process ends.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  Gfx_StopWorkers();
  benchmark::Shutdown();
  return 0;
}

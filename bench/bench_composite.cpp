// A 1920x1080 frame of ten full-screen semi-transparent layers (normal
// blend by source alpha) composed through the compositor and the pixel
// workers, beside the copy bandwidth of the same number of threads.
//
// Bytes moved per layer and pixel: 12 (source read, destination read and
// write). The "moved/copy" counter is that rate over the copy rate.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "graphics/graphics.h"

namespace {

constexpr uint32_t kW = 1920, kH = 1080;
constexpr int kLayers = 10;

ObjNode* MakeLayer(ObjNode* parent, int i, bool group, std::mt19937& rng) {
  std::string name = "l" + std::to_string(i);
  ObjNode* n = Obj_NewNode(name.c_str(), name.size(), group ? kObjKindGroup : kObjKindLeaf, nullptr);
  LayerImage* r = Obj_GetImageRecord(n);
  Img_SetSize(r, kW, kH, nullptr);
  uint32_t* p = reinterpret_cast<uint32_t*>(r->pixels);
  for (size_t k = 0; k < size_t(kW) * kH; k++) p[k] = (rng() & 0x00FFFFFFu) | uint32_t(1 + (k + i * 31) % 254) << 24;
  r->alphaMode = 1;
  if (parent) Obj_LinkChild(parent, n, i);
  return n;
}

struct Scene {
  ObjNode* root;
  Scene() {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    std::mt19937 rng(3);
    root = MakeLayer(nullptr, 0, true, rng);
    for (int i = 1; i <= kLayers; i++) MakeLayer(root, i, false, rng);
    g_TreeRoots[kTreeLayer].root = root;
  }
  ~Scene() {
    Obj_DeleteTree(root);
    g_TreeRoots[kTreeLayer].root = nullptr;
  }
  void MarkAll() {
    LayerImage* r = Layer_Record(root);
    r->dirty = r->subtreeDirty = 1;
    r->markCount = 1;
    r->dirtyBox[0] = r->dirtyBox[1] = 0;
    r->dirtyBox[2] = kW - 1, r->dirtyBox[3] = kH - 1;
  }
};

double CopyBandwidth(int threads) {
  static std::vector<uint8_t> a(size_t(kW) * kH * 4 * 2), b(a.size());
  auto run = [&] {
    std::vector<std::thread> ts;
    for (int t = 0; t < threads; t++)
      ts.emplace_back([&, t] {
        size_t from = a.size() * t / threads, to = a.size() * (t + 1) / threads;
        std::memcpy(b.data() + from, a.data() + from, to - from);
      });
    for (auto& t : ts) t.join();
  };
  run();
  auto start = std::chrono::steady_clock::now();
  int reps = 20;
  for (int i = 0; i < reps; i++) run();
  double sec = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return double(a.size()) * 2 * reps / sec;  // read and write
}

void ComposeFrame(benchmark::State& st) {
  int workers = int(st.range(0));
  Scene scene;
  Gfx_StartWorkers(workers);
  CompWindow w;
  uint8_t presented = 0;
  w.index = 1, w.root = scene.root, w.showAtFirstFrame = 1, w.presented = &presented;
  double seconds = 0;
  for (auto _ : st) {
    auto t0 = std::chrono::steady_clock::now();
    scene.MarkAll();
    Comp_DrawWindow(w);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  Gfx_StopWorkers();
  double moved = 12.0 * kW * kH * kLayers * double(st.iterations()) / seconds;
  double copy = CopyBandwidth(workers);
  st.counters["ms_per_frame"] = 1000.0 * seconds / double(st.iterations());
  st.counters["moved_GBps"] = moved / 1e9;
  st.counters["copy_GBps"] = copy / 1e9;
  st.counters["moved_over_copy"] = moved / copy;
}
BENCHMARK(ComposeFrame)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

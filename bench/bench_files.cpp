// Resource-file benchmarks: pack entry extraction against a bare zlib
// uncompress of the same bytes, the pack index build over 99 packs holding
// 99,999 entries, and lookups of existing and missing names.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/files.h"
#include "shell/shell.h"
// The pack fixture writer, compiled into this program.
#include "support/pack_writer.h"

namespace {
namespace stdfs = std::filesystem;

// A fresh folder made the current directory, removed at exit.
struct BenchDir {
  stdfs::path old = stdfs::current_path();
  stdfs::path dir;
  explicit BenchDir(const char* tag) {
    dir = stdfs::temp_directory_path() / (std::string("tavren-bench-") + tag + "-" +
                                          std::to_string(std::random_device{}()));
    stdfs::create_directories(dir);
    stdfs::current_path(dir);
  }
  ~BenchDir() {
    stdfs::current_path(old);
    std::error_code ec;
    stdfs::remove_all(dir, ec);
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  }
};

// 1 MiB of BGRA-like pixels: a diagonal gradient with noise, which deflate
// packs to about half.
std::string ImageLike() {
  const int w = 512, h = 512;
  std::string s(size_t(w) * h * 4, '\0');
  std::mt19937 rng(42);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      size_t at = (size_t(y) * w + x) * 4;
      for (int c = 0; c < 3; ++c) s[at + c] = char(uint8_t((x + y * (c + 1)) / 4 + rng() % 3));
      s[at + 3] = char(0xFF);
    }
  }
  return s;
}

double SecondsPer(int reps, auto&& fn) {
  double best = 1e9;
  for (int i = 0; i < reps; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void BM_BareUncompress(benchmark::State& state) {
  std::string raw = ImageLike();
  uLongf cap = compressBound(uLong(raw.size()));
  std::string z(cap, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &cap, reinterpret_cast<const Bytef*>(raw.data()),
            uLong(raw.size()), 6);
  z.resize(cap);
  std::vector<uint8_t> out(raw.size());
  for (auto _ : state) {
    uLongf n = uLongf(out.size());
    int r = uncompress(out.data(), &n, reinterpret_cast<const Bytef*>(z.data()), uLong(z.size()));
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(raw.size()));
  state.counters["packed_ratio"] = double(z.size()) / double(raw.size());
}
BENCHMARK(BM_BareUncompress)->Unit(benchmark::kMicrosecond);

// Lookup, read, inflate and free of one zlib pack entry; the counter
// "vs_uncompress" is the bare uncompress time over this time, measured in
// the same run (1.0 means no cost beyond the inflate).
void BM_PackExtractZlib(benchmark::State& state) {
  BenchDir d("extract");
  std::string raw = ImageLike();
  d.Write("data.qpf", Pack_Build({{"bg\\image.bin", raw, true}}));
  Pack_InitNameTable();
  if (Pack_BuildIndex() != 0) {
    state.SkipWithError("index build failed");
    return;
  }
  auto extract = [&] {
    FileRef ref;
    if (File_Lookup(ref, "bg\\image.bin", false) != kFileSrcPack || File_Load(ref, "x") != 0) {
      std::abort();
    }
    std::free(ref.data);
  };
  for (auto _ : state) extract();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(raw.size()));
  // Side by side in the same run, alternating, best of each.
  PackLayout lay;
  std::string pack = Pack_Build({{"x", raw, true}}, {}, &lay);
  const auto* z = reinterpret_cast<const Bytef*>(pack.data() + lay.entries[0].dataAt);
  std::vector<uint8_t> out(raw.size());
  double bare = SecondsPer(30, [&] {
    uLongf n = uLongf(out.size());
    benchmark::DoNotOptimize(uncompress(out.data(), &n, z, lay.entries[0].stored));
  });
  double full = SecondsPer(30, extract);
  state.counters["vs_uncompress"] = bare / full;
  Pack_Reset();
}
BENCHMARK(BM_PackExtractZlib)->Unit(benchmark::kMicrosecond);

// 99 packs, 99,999 entries in all (1010 per pack, 1019 in the last).
void WriteManyPacks(const BenchDir& d) {
  PackOptions o;
  o.repair = false;
  uint32_t left = 99999;
  for (int p = 0; p < 99; ++p) {
    uint32_t n = p < 98 ? 1010 : left;
    left -= n;
    std::vector<PackEntryDesc> e;
    for (uint32_t i = 0; i < n; ++i) e.push_back({"p" + std::to_string(p) + "\\f" + std::to_string(i) + ".png", "x"});
    d.Write("p" + std::to_string(p) + ".qpf", Pack_Build(e, o));
  }
}

void BM_PackBuildIndex(benchmark::State& state) {
  BenchDir d("index");
  WriteManyPacks(d);
  Pack_InitNameTable();
  for (auto _ : state) {
    int r = Pack_BuildIndex();
    if (r != 0 || g_PackIndex.count != 99999) {
      state.SkipWithError(("index build failed: " + std::to_string(r) + " " +
                           std::to_string(g_PackIndex.count)).c_str());
      return;
    }
  }
  state.counters["per_entry"] = benchmark::Counter(double(state.iterations()) * 99999,
                                                   benchmark::Counter::kIsRate |
                                                       benchmark::Counter::kInvert);
  Pack_Reset();
}
BENCHMARK(BM_PackBuildIndex)->Unit(benchmark::kMillisecond);

// 100,000 lookups per iteration, half of names that exist, half missing.
void BM_PackLookup(benchmark::State& state) {
  BenchDir d("lookup");
  WriteManyPacks(d);
  Pack_InitNameTable();
  if (Pack_BuildIndex() != 0) {
    state.SkipWithError("index build failed");
    return;
  }
  std::vector<std::string> names;
  std::mt19937 rng(7);
  for (int i = 0; i < 100000; ++i) {
    int p = int(rng() % 99), f = int(rng() % 1009);
    names.push_back("p" + std::to_string(p) + "\\f" + std::to_string(f) + (i % 2 ? ".png" : ".jpg"));
  }
  for (auto _ : state) {
    int found = 0;
    for (const std::string& n : names) {
      FileRef ref;
      found += File_FindInIndex(ref, n.c_str()) == kFileSrcPack;
    }
    if (found != 50000) state.SkipWithError("unexpected hit count");
  }
  state.counters["per_lookup"] = benchmark::Counter(double(state.iterations()) * 100000,
                                                    benchmark::Counter::kIsRate |
                                                        benchmark::Counter::kInvert);
  Pack_Reset();
}
BENCHMARK(BM_PackLookup)->Unit(benchmark::kMillisecond);
}  // namespace

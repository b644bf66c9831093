// Decoding a 1920x1080 PNG and JPEG into a layer, beside each library's own
// plain decode of the same file into a buffer.
#include <benchmark/benchmark.h>

#include <jpeglib.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "files/files.h"
#include "graphics/graphics.h"
#include "support/image_writer.h"

namespace {

constexpr uint32_t kW = 1920, kH = 1080;

// A photo-like picture: smooth gradients with some noise.
imgfix::Picture Photo() {
  imgfix::Picture p;
  p.width = kW, p.height = kH;
  p.bgra.resize(size_t(kW) * kH * 4);
  std::mt19937 rng(5);
  for (uint32_t y = 0; y < kH; y++)
    for (uint32_t x = 0; x < kW; x++) {
      uint8_t* q = p.At(x, y);
      q[2] = uint8_t(x * 255 / kW + rng() % 8), q[1] = uint8_t(y * 255 / kH), q[0] = uint8_t((x + y) / 12);
      q[3] = 255;
    }
  return p;
}

// The picture as an RGB PNG and a quality-90 JPEG, written once.
const std::string& PngFile() {
  static const std::string file = imgfix::WritePng(Photo(), imgfix::PngKind::Rgb);
  return file;
}
const std::string& JpegFile() {
  static const std::string file = imgfix::WriteJpeg(Photo(), 90);
  return file;
}

void DecodeIntoLayer(benchmark::State& st, int type) {
  Pix_InitOps(1, 1);
  Blend_InitTables();
  const std::string& f = type == kFileTypePng ? PngFile() : JpegFile();
  LayerImage rec;
  for (auto _ : st) {
    if (Img_DecodeMemory(&rec, type, reinterpret_cast<const uint8_t*>(f.data()), f.size(), "bench") != 0)
      st.SkipWithError("decode failed");
  }
  std::free(rec.pixels);
  st.SetItemsProcessed(int64_t(st.iterations()) * kW * kH);
}
BENCHMARK_CAPTURE(DecodeIntoLayer, png, int(kFileTypePng))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeIntoLayer, jpeg, int(kFileTypeJpg))->Unit(benchmark::kMillisecond);

struct PngMem {
  const std::string* f;
  size_t pos;
};
void PngRead(png_structp png, png_bytep out, png_size_t n) {
  auto* m = static_cast<PngMem*>(png_get_io_ptr(png));
  std::memcpy(out, m->f->data() + m->pos, n);
  m->pos += n;
}

std::vector<uint8_t>& PlainBuffer() {
  static std::vector<uint8_t> buf(size_t(kW) * kH * 3);
  return buf;
}

// libpng's plain loop: RGB rows into one buffer.
void PlainPng(const std::string& f) {
  std::vector<uint8_t>& buf = PlainBuffer();
  PngMem m{&f, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_read_fn(png, &m, PngRead);
  png_read_info(png, info);
  for (uint32_t y = 0; y < kH; y++) png_read_row(png, &buf[size_t(y) * kW * 3], nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  benchmark::DoNotOptimize(buf.data());
}
void LibpngPlain(benchmark::State& st) {
  for (auto _ : st) PlainPng(PngFile());
  st.SetItemsProcessed(int64_t(st.iterations()) * kW * kH);
}
BENCHMARK(LibpngPlain)->Unit(benchmark::kMillisecond);

// libjpeg's plain loop: RGB scanlines into one buffer.
void PlainJpeg(const std::string& f) {
  std::vector<uint8_t>& buf = PlainBuffer();
  {
    jpeg_decompress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(f.data()), f.size());
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height) {
      JSAMPROW r = &buf[size_t(c.output_scanline) * kW * 3];
      jpeg_read_scanlines(&c, &r, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    benchmark::DoNotOptimize(buf.data());
  }
}
void LibjpegPlain(benchmark::State& st) {
  for (auto _ : st) PlainJpeg(JpegFile());
  st.SetItemsProcessed(int64_t(st.iterations()) * kW * kH);
}
BENCHMARK(LibjpegPlain)->Unit(benchmark::kMillisecond);

// Processor time of this single-threaded comparison: on a shared machine,
// time spent switched out is not charged to whichever decode was running.
double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

// Both decodes of one file in the same run: our time over the library's.
void DecodeRatio(benchmark::State& st, int type) {
  Pix_InitOps(1, 1);
  Blend_InitTables();
  const std::string& f = type == kFileTypePng ? PngFile() : JpegFile();
  LayerImage rec;
  double ours = 0, lib = 0;
  for (auto _ : st) {
    double t0 = CpuSeconds();
    Img_DecodeMemory(&rec, type, reinterpret_cast<const uint8_t*>(f.data()), f.size(), "bench");
    double t1 = CpuSeconds();
    if (type == kFileTypePng) PlainPng(f);
    else PlainJpeg(f);
    double t2 = CpuSeconds();
    ours += t1 - t0;
    lib += t2 - t1;
  }
  std::free(rec.pixels);
  st.counters["ours_ms"] = 1000 * ours / double(st.iterations());
  st.counters["library_ms"] = 1000 * lib / double(st.iterations());
  st.counters["ours_over_library"] = ours / lib;
}
BENCHMARK_CAPTURE(DecodeRatio, png, int(kFileTypePng))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRatio, jpeg, int(kFileTypeJpg))->Unit(benchmark::kMillisecond);

}  // namespace

// Image fixture writer: builds image files for the decoder tests, the fuzz
// seeds and the benchmarks from a pixel description, never from hand-made
// bytes. PNG and JPEG go through libpng and libjpeg; QCG, BMP and GIF are
// written here, with switches that produce the damaged variants tests need.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace imgfix {

// A picture as the engine holds it: BGRA bytes, rows top to bottom.
struct Picture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> bgra;
  uint8_t* At(uint32_t x, uint32_t y) { return &bgra[(size_t(y) * width + x) * 4]; }
};
// A test pattern: gradients in B and G, a checker in R, alpha varying.
Picture Pattern(uint32_t w, uint32_t h, bool varyAlpha);
// A picture of one colour (a BGRA word).
Picture Solid(uint32_t w, uint32_t h, uint32_t bgra);

struct QcgOptions {
  bool zlib = true;
  uint32_t magic = 0x00474351;  // "QCG\0"
  uint32_t compression = 0xFFFFFFFF;  // 0xFFFFFFFF: by `zlib`
  int64_t widthOverride = -1, heightOverride = -1;
  int64_t unpacked1Delta = 0;        // added to the header's unpacked size 1
  int64_t packed2Delta = 0;          // added to the header's packed size 2
  uint32_t split = 0;                // bytes in stream 1 (0: half, pixel aligned)
};
std::string WriteQcg(const Picture& p, const QcgOptions& o = {});

struct BmpOptions {
  int bpp = 24;            // 1, 4, 8 (palette from the picture's colours), 16, 24, 32
  bool topDown = false;
  bool bitfields565 = false;  // 16-bit as BI_BITFIELDS 5-6-5
  uint32_t compression = 0;   // stored as given for 4/8 bits (non-zero is refused)
  int32_t offsetOverride = -1;
};
// Palette depths take the picture's colours in order of appearance (at most
// 2^bpp of them; later ones map to entry 0).
std::string WriteBmp(const Picture& p, const BmpOptions& o = {});

struct GifOptions {
  bool interlaced = false;
  int transparentIndex = -1;  // graphic control extension with this index
  uint32_t screenW = 0, screenH = 0;  // 0: the frame's size
  uint32_t left = 0, top = 0;
  bool commentBlocks = false;  // a comment of several sub-blocks first
  int frames = 1;              // further frames repeat the first
  // Damaged image data (every frame): the codes stop after this many pixels,
  // with an end code or, without `endCode`, with the block terminator alone.
  int64_t stopAfter = -1;      // -1: every pixel
  bool endCode = true;
  uint32_t bytesAfterEnd = 0;  // filler bytes in the sub-blocks after the end code
  // Receives the offsets of the first frame's sub-block size bytes, its
  // terminator last.
  std::vector<size_t>* subBlocks = nullptr;
};
// Palette picture: `indices` (width * height) into `palette` (RGB triplets,
// up to 256). Written with an LZW stream of clear codes that never grows the
// code width, which every decoder must read.
std::string WriteGif(uint32_t w, uint32_t h, const std::vector<uint8_t>& indices,
                     const std::vector<uint8_t>& paletteRgb, const GifOptions& o = {});

enum class PngKind { Rgba, Rgb, Grey, GreyAlpha, Palette, PaletteTrns, Rgb16, Grey2 };
std::string WritePng(const Picture& p, PngKind kind = PngKind::Rgba, bool interlaced = false);
// Baseline JPEG of the picture's colour (alpha dropped); `grey` writes one
// component.
std::string WriteJpeg(const Picture& p, int quality = 90, bool grey = false);

}  // namespace imgfix

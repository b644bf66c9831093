// Decoders on files written by libpng, libjpeg and the fixture writer, with
// truncated and damaged variants of each.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "files/files.h"
#include "layer_fixture.h"
#include "support/image_writer.h"

using namespace gfxtest;
using imgfix::Picture;

namespace {

// A record outside any tree, with its buffer freed at the end.
struct Rec {
  LayerImage r;
  ~Rec() { std::free(r.pixels); }
};

int Decode(Rec& rec, int type, const std::string& file) {
  return Img_DecodeMemory(&rec.r, type, reinterpret_cast<const uint8_t*>(file.data()), file.size(), "t");
}

// Every pixel equal, with alpha-0 pixels keyed as the loader does.
void ExpectPixels(const Picture& want, const LayerImage& got, bool keepAlpha) {
  ASSERT_EQ(want.width, got.width);
  ASSERT_EQ(want.height, got.height);
  for (uint32_t y = 0; y < want.height; y++)
    for (uint32_t x = 0; x < want.width; x++) {
      const uint8_t* w = &want.bgra[(size_t(y) * want.width + x) * 4];
      uint32_t exp = w[0] | w[1] << 8 | w[2] << 16 | uint32_t(keepAlpha ? w[3] : 255) << 24;
      if (keepAlpha && w[3] == 0) exp = 0x00808080;
      ASSERT_EQ(exp, GetPx(&got, x, y)) << x << "," << y;
    }
}

class DecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGraphics();
    g_QuitRequested = 0;
  }
};

TEST_F(DecoderTest, PngColourTypes) {
  Picture p = imgfix::Pattern(13, 7, true);
  {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Rgba)));
    EXPECT_EQ(1, r.r.alphaMode);
    ExpectPixels(p, r.r, true);
  }
  {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Rgb)));
    EXPECT_EQ(0, r.r.alphaMode);
    ExpectPixels(p, r.r, false);
  }
  {
    Rec a, b;
    ASSERT_EQ(0, Decode(a, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Rgba, true)));
    ASSERT_EQ(0, Decode(b, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Rgba, false)));
    EXPECT_EQ(Pixels(&a.r), Pixels(&b.r));  // interlaced equals plain
  }
  {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Grey)));
    uint32_t g = p.At(3, 4)[1];
    EXPECT_EQ(g | g << 8 | g << 16 | 0xFF000000u, GetPx(&r.r, 3, 4));
  }
  {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::GreyAlpha)));
    EXPECT_EQ(1, r.r.alphaMode);
    EXPECT_EQ(p.At(5, 2)[3], GetPx(&r.r, 5, 2) >> 24);
  }
  {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Rgb16)));
    EXPECT_EQ(uint32_t(p.At(6, 1)[0]), GetPx(&r.r, 6, 1) & 255);
  }
  {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Grey2)));
    uint32_t g = (p.At(12, 6)[1] >> 6) * 85;
    EXPECT_EQ(g, GetPx(&r.r, 12, 6) & 255);
  }
}

// Plain 8-bit RGB and RGBA rows are converted by the engine, interlaced
// ones by the library: both give the picture's bytes at every width (vector
// blocks and their remainders).
TEST_F(DecoderTest, PngRgbAndRgbaRowsAtEveryWidth) {
  for (uint32_t w = 1; w <= 40; w++)
    for (imgfix::PngKind kind : {imgfix::PngKind::Rgb, imgfix::PngKind::Rgba}) {
      Picture p = imgfix::Pattern(w, 3, true);
      bool alpha = kind == imgfix::PngKind::Rgba;
      Rec plain, interlaced;
      ASSERT_EQ(0, Decode(plain, kFileTypePng, imgfix::WritePng(p, kind, false)));
      ASSERT_EQ(0, Decode(interlaced, kFileTypePng, imgfix::WritePng(p, kind, true)));
      ExpectPixels(p, plain.r, alpha);
      ExpectPixels(p, interlaced.r, alpha);
    }
}

// A palette image with a transparency chunk blends by its alpha, so its
// clear pixels do not show as grey.
TEST_F(DecoderTest, PalettePngWithTransparencyKeepsIt) {
  Picture p = imgfix::Pattern(16, 2, false);
  for (uint32_t x = 0; x < 16; x++) p.At(x, 0)[1] = p.At(x, 1)[1] = uint8_t(x * 16);
  Rec plain, trns;
  ASSERT_EQ(0, Decode(plain, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::Palette)));
  EXPECT_EQ(0, plain.r.alphaMode);
  EXPECT_EQ(0xFF000000u, GetPx(&plain.r, 0, 0));
  ASSERT_EQ(0, Decode(trns, kFileTypePng, imgfix::WritePng(p, imgfix::PngKind::PaletteTrns)));
  EXPECT_EQ(1, trns.r.alphaMode);
  EXPECT_EQ(0x00808080u, GetPx(&trns.r, 0, 0));  // entry 0 is clear
  EXPECT_EQ(0xFF111111u, GetPx(&trns.r, 1, 0));
}

TEST_F(DecoderTest, SizeLimitIsEnforcedByEveryDecoder) {
  Picture wide = imgfix::Pattern(8193, 1, false);
  Picture ok = imgfix::Pattern(8192, 1, false);
  Rec a, b, c, d, e, f;
  ErrCapture errs;
  EXPECT_EQ(-1, Decode(a, kFileTypePng, imgfix::WritePng(wide, imgfix::PngKind::Rgb)));
  EXPECT_TRUE(errs.Has(100091));
  EXPECT_EQ(1, g_QuitRequested.load());
  EXPECT_EQ(0, Decode(b, kFileTypePng, imgfix::WritePng(ok, imgfix::PngKind::Rgb)));
  EXPECT_EQ(-1, Decode(c, kFileTypeQcg, imgfix::WriteQcg(wide)));
  EXPECT_EQ(-1, Decode(d, kFileTypeBmp, imgfix::WriteBmp(wide)));
  EXPECT_EQ(-1, Decode(e, kFileTypeJpg, imgfix::WriteJpeg(wide)));
  Picture tall = imgfix::Pattern(1, 8193, false);
  EXPECT_EQ(-1, Decode(f, kFileTypeQcg, imgfix::WriteQcg(tall, {.zlib = false})));
}

// Every cut before the last byte fails, for every format: a short LZW stream
// or a JPEG without its end marker gives no picture.
TEST_F(DecoderTest, TruncatedFilesFailCleanly) {
  Picture p = imgfix::Pattern(21, 9, true);
  std::vector<uint8_t> idx(21 * 9);
  for (size_t i = 0; i < idx.size(); i++) idx[i] = uint8_t(i % 7);
  std::vector<uint8_t> pal(768, 99);
  struct File { int type; std::string bytes; };
  const File files[] = {
      {kFileTypePng, imgfix::WritePng(p)},
      {kFileTypeQcg, imgfix::WriteQcg(p)},
      {kFileTypeQcg, imgfix::WriteQcg(p, {.zlib = false})},
      {kFileTypeBmp, imgfix::WriteBmp(p, {.bpp = 32})},
      {kFileTypeBmp, imgfix::WriteBmp(p, {.bpp = 4})},
      {kFileTypeGif, imgfix::WriteGif(21, 9, idx, pal)},
      {kFileTypeJpg, imgfix::WriteJpeg(p)},
  };
  for (const File& f : files)
    for (size_t len = 0; len + 1 < f.bytes.size(); len += 1 + len / 8) {
      Rec r;
      std::string cut = f.bytes.substr(0, len);
      EXPECT_EQ(-1, Decode(r, f.type, cut)) << "type " << f.type << " length " << len;
    }
}

// A damaged file fails its decoder with the decoder's own number (once, quit
// flag 1), and the layer keeps no partial picture: it has no pixels, or every
// pixel is zero.
void ExpectFailsWithoutPicture(const std::string& what, int type, const std::string& bytes,
                               int32_t err, int32_t err2) {
  Rec r;
  g_QuitRequested = 0;
  ErrCapture errs;
  EXPECT_EQ(-1, Decode(r, type, bytes)) << what;
  EXPECT_EQ(1u, errs.Count()) << what;
  EXPECT_TRUE(errs.First() == err || errs.First() == err2) << what << ": " << errs.First();
  EXPECT_EQ(1, g_QuitRequested.load()) << what;
  if (r.r.pixels) {
    size_t n = size_t(r.r.width) * r.r.height * 4, nonzero = 0;
    for (size_t i = 0; i < n; i++) nonzero += r.r.pixels[i] != 0;
    EXPECT_EQ(0u, nonzero) << what << ": a partial picture";
  }
}

// One policy for every format: a file cut short fails as above.
TEST_F(DecoderTest, EveryFormatCutShortFailsWithItsNumberAndNoPartialPicture) {
  Picture p = imgfix::Pattern(21, 9, true);
  std::vector<uint8_t> idx(21 * 9);
  for (size_t i = 0; i < idx.size(); i++) idx[i] = uint8_t(i % 7);
  std::vector<uint8_t> pal(768, 99);
  struct File { const char* what; int type; std::string bytes; int32_t err, err2; };
  const File files[] = {
      {"png", kFileTypePng, imgfix::WritePng(p), 100200, 100200},
      {"qcg zlib", kFileTypeQcg, imgfix::WriteQcg(p), 104010, 104010},
      {"qcg raw", kFileTypeQcg, imgfix::WriteQcg(p, {.zlib = false}), 104010, 104010},
      {"bmp 32", kFileTypeBmp, imgfix::WriteBmp(p, {.bpp = 32}), 100080, 100070},
      {"bmp 4", kFileTypeBmp, imgfix::WriteBmp(p, {.bpp = 4}), 100080, 100070},
      {"gif", kFileTypeGif, imgfix::WriteGif(21, 9, idx, pal), 100215, 100215},
      {"jpeg", kFileTypeJpg, imgfix::WriteJpeg(p), 100210, 100210},
  };
  for (const File& f : files) {
    // The start, the middle and the last bytes (a missing trailer included).
    const size_t n = f.bytes.size();
    for (size_t len : {size_t(0), size_t(1), size_t(20), n / 3, n / 2, n - 40, n - 3, n - 1}) {
      if (len >= n) continue;
      // Only the first GIF frame is read: one that is whole without the
      // trailer byte after it is a whole picture.
      if (f.type == kFileTypeGif && len == n - 1) continue;
      ExpectFailsWithoutPicture(std::string(f.what) + " cut at " + std::to_string(len), f.type,
                                f.bytes.substr(0, len), f.err, f.err2);
    }
  }
}

// A GIF palette picture of many pixels, so that its image data spans many
// sub-blocks, and the palette its indices map to.
struct GifPicture {
  uint32_t w, h;
  std::vector<uint8_t> idx, pal;
  GifPicture(uint32_t width, uint32_t height) : w(width), h(height), idx(size_t(w) * h), pal(768) {
    uint32_t seed = 7;
    for (auto& i : idx) seed = seed * 1103515245 + 12345, i = uint8_t(seed >> 16);
    for (size_t i = 0; i < pal.size(); i++) pal[i] = uint8_t(i * 13 + i / 3);
  }
  std::string Write(imgfix::GifOptions o = {}) const { return imgfix::WriteGif(w, h, idx, pal, o); }
  // Every pixel is its index's colour.
  void Expect(const LayerImage& got, const std::string& what) const {
    ASSERT_EQ(w, got.width) << what;
    ASSERT_EQ(h, got.height) << what;
    size_t wrong = 0;
    for (uint32_t y = 0; y < h; y++)
      for (uint32_t x = 0; x < w; x++) {
        const uint8_t* c = &pal[idx[size_t(y) * w + x] * 3];
        wrong += GetPx(&got, x, y) != (0xFF000000u | c[0] << 16 | c[1] << 8 | c[2]);
      }
    EXPECT_EQ(0u, wrong) << what;
  }
};

// A GIF cut exactly where a sub-block begins, or just after its size byte,
// ends its data at a clean boundary: it still fails, with no partial picture.
TEST_F(DecoderTest, GifCutAtEverySubBlockBoundaryFails) {
  GifPicture pic(64, 64);
  std::vector<size_t> blocks;
  imgfix::GifOptions o;
  o.subBlocks = &blocks;
  const std::string gif = pic.Write(o);
  ASSERT_GE(blocks.size(), 4u);  // several data sub-blocks and the terminator
  {
    Rec whole;
    ASSERT_EQ(0, Decode(whole, kFileTypeGif, gif));
    pic.Expect(whole.r, "the whole file");
  }
  std::vector<size_t> cuts;
  for (size_t b : blocks) cuts.push_back(b), cuts.push_back(b + 1);
  cuts.pop_back();  // past the terminator only the trailer is missing: a whole picture
  for (size_t len : cuts)
    ExpectFailsWithoutPicture("cut at " + std::to_string(len), kFileTypeGif, gif.substr(0, len),
                              100215, 100215);
}

// Image data that stops before the frame's last pixel fails like a cut file,
// though the file itself is whole; a stream that gives every pixel decodes,
// with or without its end code and with bytes after it.
TEST_F(DecoderTest, GifDataStoppingBeforeTheLastPixelFails) {
  GifPicture pic(64, 64);
  const int64_t n = 64 * 64;
  const struct {
    const char* what;
    int64_t stopAfter;
    bool endCode, interlaced;
    uint32_t bytesAfterEnd;
    bool decodes;
  } cases[] = {
      {"end code before any pixel", 0, true, false, 0, false},
      {"end code after half the pixels", n / 2, true, false, 0, false},
      {"end code one pixel early", n - 1, true, false, 0, false},
      {"end code early, bytes after it", n / 2, true, false, 600, false},
      {"end code early, interlaced", n / 3, true, true, 0, false},
      {"terminator after half the pixels", n / 2, false, false, 0, false},
      {"terminator one pixel early", n - 1, false, false, 0, false},
      {"every pixel, then the terminator", -1, false, false, 0, true},
      {"every pixel, end code, bytes after it", -1, true, false, 600, true},
      {"every pixel, interlaced", -1, true, true, 0, true},
  };
  for (const auto& c : cases) {
    imgfix::GifOptions o;
    o.stopAfter = c.stopAfter, o.endCode = c.endCode, o.interlaced = c.interlaced;
    o.bytesAfterEnd = c.bytesAfterEnd;
    if (!c.decodes) {
      ExpectFailsWithoutPicture(c.what, kFileTypeGif, pic.Write(o), 100215, 100215);
      continue;
    }
    Rec r;
    ErrCapture errs;
    ASSERT_EQ(0, Decode(r, kFileTypeGif, pic.Write(o))) << c.what;
    EXPECT_TRUE(errs.Empty()) << c.what;
    pic.Expect(r.r, c.what);
  }
}

TEST_F(DecoderTest, CorruptedBytesNeverCrash) {
  Picture p = imgfix::Pattern(17, 11, true);
  std::vector<uint8_t> idx(17 * 11, 3);
  const std::pair<int, std::string> files[] = {
      {kFileTypePng, imgfix::WritePng(p)},           {kFileTypeJpg, imgfix::WriteJpeg(p)},
      {kFileTypeQcg, imgfix::WriteQcg(p)},           {kFileTypeBmp, imgfix::WriteBmp(p, {.bpp = 8})},
      {kFileTypeGif, imgfix::WriteGif(17, 11, idx, std::vector<uint8_t>(768, 5))},
  };
  uint32_t seed = 1;
  for (const auto& [type, bytes] : files)
    for (int round = 0; round < 150; round++) {
      std::string bad = bytes;
      for (int k = 0; k < 4; k++) {
        seed = seed * 1103515245 + 12345;
        bad[(seed >> 8) % bad.size()] = char(seed >> 24);
      }
      Rec r;
      Decode(r, type, bad);
    }
}

TEST_F(DecoderTest, QcgBothCompressionsAndWorkerCounts) {
  Picture p = imgfix::Pattern(31, 17, true);
  Rec raw, one, wrongMagic;
  ASSERT_EQ(0, Decode(raw, kFileTypeQcg, imgfix::WriteQcg(p, {.zlib = false})));
  EXPECT_EQ(1, raw.r.alphaMode);
  ExpectPixels(p, raw.r, true);
  ASSERT_EQ(0, Decode(one, kFileTypeQcg, imgfix::WriteQcg(p)));
  ExpectPixels(p, one.r, true);
  // A wrong magic is shown and the file still decodes.
  ASSERT_EQ(0, Decode(wrongMagic, kFileTypeQcg, imgfix::WriteQcg(p, {.magic = 0x12345678})));
  EXPECT_EQ(Pixels(&one.r), Pixels(&wrongMagic.r));
  Gfx_StartWorkers(4);
  Rec four;
  ASSERT_EQ(0, Decode(four, kFileTypeQcg, imgfix::WriteQcg(p)));
  EXPECT_EQ(Pixels(&one.r), Pixels(&four.r));
  Rec badStream;
  std::string broken = imgfix::WriteQcg(p);
  broken[broken.size() - 20] ^= 0x55;
  EXPECT_EQ(-1, Decode(badStream, kFileTypeQcg, broken));
  Gfx_StopWorkers();
}

TEST_F(DecoderTest, QcgHeaderFieldsAreChecked) {
  Picture p = imgfix::Pattern(8, 8, false);
  const imgfix::QcgOptions bad[] = {
      {.unpacked1Delta = 4},   // streams larger than the image
      {.unpacked1Delta = -4},  // smaller
      {.packed2Delta = 1000},  // runs past the file
      {.compression = 7},      // unknown
      {.widthOverride = 0},
      {.zlib = false, .widthOverride = 9},  // raw data shorter than w*h*4
  };
  for (const auto& o : bad) {
    Rec r;
    uint8_t* before = nullptr;
    EXPECT_EQ(-1, Decode(r, kFileTypeQcg, imgfix::WriteQcg(p, o)));
    EXPECT_EQ(before, r.r.pixels);  // refused before the buffer changed
  }
}

TEST_F(DecoderTest, BmpDepthsAndLayouts) {
  Picture p = imgfix::Pattern(9, 5, false);
  for (uint32_t y = 0; y < 5; y++)
    for (uint32_t x = 0; x < 9; x++) {  // two colours, so palettes hold them
      uint8_t* q = p.At(x, y);
      q[0] = q[1] = q[2] = ((x + y) & 1) ? 255 : 0;
    }
  const imgfix::BmpOptions opts[] = {{.bpp = 1}, {.bpp = 4}, {.bpp = 8}, {.bpp = 24},
                                     {.bpp = 24, .topDown = true}, {.bpp = 16},
                                     {.bpp = 16, .bitfields565 = true}};
  for (const auto& o : opts) {
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypeBmp, imgfix::WriteBmp(p, o))) << "bpp " << o.bpp;
    EXPECT_EQ(0, r.r.alphaMode);
    ExpectPixels(p, r.r, false);
  }
  Picture a = imgfix::Pattern(9, 5, true);
  Rec r32;
  ASSERT_EQ(0, Decode(r32, kFileTypeBmp, imgfix::WriteBmp(a, {.bpp = 32})));
  EXPECT_EQ(1, r32.r.alphaMode);
  ExpectPixels(a, r32.r, true);
  // A 32-bit file with every fourth byte 0 is an opaque image.
  for (size_t i = 3; i < a.bgra.size(); i += 4) a.bgra[i] = 0;
  Rec zero;
  ASSERT_EQ(0, Decode(zero, kFileTypeBmp, imgfix::WriteBmp(a, {.bpp = 32})));
  EXPECT_EQ(0, zero.r.alphaMode);
  EXPECT_EQ(0xFFu, GetPx(&zero.r, 2, 2) >> 24);
}

TEST_F(DecoderTest, BmpRefusals) {
  Picture p = imgfix::Pattern(4, 4, false);
  std::string notBm = imgfix::WriteBmp(p);
  notBm[0] = 'X';
  Rec a, b, c;
  ErrCapture errs;
  EXPECT_EQ(-1, Decode(a, kFileTypeBmp, notBm));
  EXPECT_TRUE(errs.Has(100070));
  EXPECT_EQ(-1, Decode(b, kFileTypeBmp, imgfix::WriteBmp(p, {.bpp = 8, .compression = 1})));
  EXPECT_TRUE(errs.Has(100090));
  EXPECT_EQ(-1, Decode(c, kFileTypeBmp, imgfix::WriteBmp(p, {.offsetOverride = 10})));
  EXPECT_TRUE(errs.Has(100080));
}

TEST_F(DecoderTest, GifFirstFrameWithTransparencyAndPlacement) {
  std::vector<uint8_t> pal(768, 0);
  pal[3] = 10, pal[4] = 20, pal[5] = 30;   // entry 1: R 10, G 20, B 30
  pal[6] = 200, pal[7] = 100, pal[8] = 50; // entry 2
  std::vector<uint8_t> idx(5 * 600);
  for (size_t i = 0; i < idx.size(); i++) idx[i] = uint8_t(1 + (i / 5) % 2);
  idx[0] = 0;
  for (bool interlaced : {false, true}) {
    imgfix::GifOptions o;
    o.interlaced = interlaced;
    o.transparentIndex = 0;
    o.screenW = 8, o.screenH = 602, o.left = 2, o.top = 1;
    o.commentBlocks = true;
    o.frames = 3;
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypeGif, imgfix::WriteGif(5, 600, idx, pal, o)));
    EXPECT_EQ(8u, r.r.width);
    EXPECT_EQ(1, r.r.alphaMode);
    EXPECT_EQ(0x00808080u, GetPx(&r.r, 0, 0));  // outside the frame
    EXPECT_EQ(0x00808080u, GetPx(&r.r, 2, 1));  // transparent index
    EXPECT_EQ(0xFF0A141Eu, GetPx(&r.r, 3, 1));  // entry 1, stored B G R
    EXPECT_EQ(0xFFC86432u, GetPx(&r.r, 3, 2));  // row 1 uses entry 2
    EXPECT_EQ(0xFFC86432u, GetPx(&r.r, 6, 600));
  }
}

// A first frame that reaches past the logical screen keeps only what lies on
// it: nothing wraps into the next row or runs past the picture's end.
TEST_F(DecoderTest, GifFrameLargerThanTheScreenIsClippedToIt) {
  std::vector<uint8_t> pal(768, 0);
  pal[3] = 10, pal[4] = 20, pal[5] = 30;  // entry 1
  const struct {
    const char* what;
    uint32_t screenW, screenH, left, top, frameW, frameH;
  } cases[] = {
      {"past the right edge", 6, 4, 2, 0, 5, 4},
      {"past the bottom", 5, 3, 0, 1, 5, 4},
      {"past both", 4, 4, 3, 3, 6, 6},
      {"at the screen's corner", 3, 3, 2, 2, 1, 1},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> idx(size_t(c.frameW) * c.frameH, 1);
    imgfix::GifOptions o;
    o.screenW = c.screenW, o.screenH = c.screenH, o.left = c.left, o.top = c.top;
    Rec r;
    ASSERT_EQ(0, Decode(r, kFileTypeGif, imgfix::WriteGif(c.frameW, c.frameH, idx, pal, o))) << c.what;
    ASSERT_EQ(c.screenW, r.r.width) << c.what;
    ASSERT_EQ(c.screenH, r.r.height) << c.what;
    for (uint32_t y = 0; y < c.screenH; y++)
      for (uint32_t x = 0; x < c.screenW; x++) {
        bool inFrame = x >= c.left && y >= c.top;  // the frame covers the rest
        EXPECT_EQ(inFrame ? 0xFF0A141Eu : 0x00808080u, GetPx(&r.r, x, y)) << c.what << " " << x << "," << y;
      }
  }
}

TEST_F(DecoderTest, GifWithoutImageOrWithBadCodeFails) {
  ErrCapture errs;
  Rec a;
  std::string onlyTrailer = imgfix::WriteGif(2, 2, {1, 1, 1, 1}, std::vector<uint8_t>(768, 1));
  size_t desc = onlyTrailer.find('\x2C', 790);
  ASSERT_NE(std::string::npos, desc);
  EXPECT_EQ(-1, Decode(a, kFileTypeGif, onlyTrailer.substr(0, desc) + "\x3B"));
  // The first code after the clear is a string code that does not exist yet.
  std::string bad = onlyTrailer;
  bad[desc + 12] = char(0x00);
  bad[desc + 13] = char(0xFF);
  bad[desc + 14] = char(0xFF);
  Rec b;
  EXPECT_EQ(-1, Decode(b, kFileTypeGif, bad));
  EXPECT_TRUE(errs.Has(100215));
}

TEST_F(DecoderTest, JpegColourAndGrey) {
  Picture p = imgfix::Pattern(40, 24, false);
  for (auto& b : p.bgra) b = uint8_t(b / 2 + 60);  // smooth enough for a tight bound
  for (uint32_t y = 0; y < 24; y++)
    for (uint32_t x = 0; x < 40; x++) p.At(x, y)[2] = 128, p.At(x, y)[3] = 255;
  Rec r;
  ASSERT_EQ(0, Decode(r, kFileTypeJpg, imgfix::WriteJpeg(p, 95)));
  EXPECT_EQ(0, r.r.alphaMode);
  int worst = 0;
  for (uint32_t y = 0; y < 24; y++)
    for (uint32_t x = 0; x < 40; x++)
      for (int c = 0; c < 4; c++)
        worst = std::max(worst, std::abs(int(p.At(x, y)[c]) - int(r.r.pixels[(y * 40 + x) * 4 + c])));
  EXPECT_LE(worst, 8);
  Rec g;
  ASSERT_EQ(0, Decode(g, kFileTypeJpg, imgfix::WriteJpeg(p, 95, true)));
  uint32_t px = GetPx(&g.r, 7, 7);
  EXPECT_EQ(px & 255, (px >> 8) & 255);
  EXPECT_EQ(px & 255, (px >> 16) & 255);
  Rec junk;
  ErrCapture errs;
  EXPECT_EQ(-1, Decode(junk, kFileTypeJpg, "not a jpeg at all"));
  EXPECT_TRUE(errs.Has(100210));
}

TEST_F(DecoderTest, UnknownTypeAndPsd) {
  Rec a, b, c;
  ErrCapture errs;
  EXPECT_EQ(-1, Decode(a, 0, "x"));
  EXPECT_TRUE(errs.Has(100030));
  EXPECT_EQ(-1, Decode(b, kFileTypePsd, "8BPS"));
  EXPECT_TRUE(errs.Has(100220));
  ASSERT_EQ(0, Decode(c, kFileTypePsb, "PSB"));  // no E-mote host: a 2x2 layer
  EXPECT_EQ(2u, c.r.width);
  EXPECT_EQ(1, c.r.alphaMode);
}

}  // namespace

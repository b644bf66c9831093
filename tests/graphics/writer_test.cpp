// Image writers round-tripping through the decoders, and their failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "files/files.h"
#include "layer_fixture.h"
#include "support/image_writer.h"
#include "support/test_env.h"

using namespace gfxtest;

namespace {

struct Rec {
  LayerImage r;
  ~Rec() { std::free(r.pixels); }
};

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void FromPicture(Rec& rec, const imgfix::Picture& p, uint8_t alphaMode) {
  ASSERT_EQ(0, Img_SetSize(&rec.r, p.width, p.height, nullptr));
  std::memcpy(rec.r.pixels, p.bgra.data(), p.bgra.size());
  rec.r.alphaMode = alphaMode;
}

int DecodeFile(Rec& out, int type, const std::string& path) {
  std::string bytes = ReadAll(path);
  return Img_DecodeMemory(&out.r, type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "t");
}

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override { InitGraphics(); }
  TempDir dir;
};

TEST_F(WriterTest, BmpRoundTripDropsAlphaAndPadsRows) {
  imgfix::Picture p = imgfix::Pattern(1, 3, true);
  Rec src, back;
  FromPicture(src, p, 1);
  std::string path = dir.path() + "/a.bmp";
  ASSERT_EQ(0, Img_SaveBmp(&src.r, path.c_str()));
  std::string bytes = ReadAll(path);
  EXPECT_EQ(54u + 3 * 4, bytes.size());  // one-pixel rows of 3 bytes and a pad
  ASSERT_EQ(0, DecodeFile(back, kFileTypeBmp, path));
  for (uint32_t y = 0; y < 3; y++)
    EXPECT_EQ((GetPx(&src.r, 0, y) & 0xFFFFFF) | 0xFF000000u, GetPx(&back.r, 0, y));
}

TEST_F(WriterTest, PngRoundTripAndOpaqueAlphaMode) {
  imgfix::Picture p = imgfix::Pattern(19, 6, true);
  for (size_t i = 3; i < p.bgra.size(); i += 4) p.bgra[i] |= 1;  // no keyed pixels
  Rec withAlpha, back;
  FromPicture(withAlpha, p, 1);
  std::string path = dir.path() + "/a.png";
  ASSERT_EQ(0, Img_SavePng(&withAlpha.r, path.c_str(), 6));
  ASSERT_EQ(0, DecodeFile(back, kFileTypePng, path));
  EXPECT_EQ(Pixels(&withAlpha.r), Pixels(&back.r));
  EXPECT_EQ(1, back.r.alphaMode);
  // Alpha mode 0: written opaque, and the layer's alpha becomes 255.
  Rec plain, back2;
  FromPicture(plain, p, 0);
  ASSERT_EQ(0, Img_SavePng(&plain.r, path.c_str(), 1));
  EXPECT_EQ(0xFFu, GetPx(&plain.r, 4, 4) >> 24);
  ASSERT_EQ(0, DecodeFile(back2, kFileTypePng, path));
  EXPECT_EQ(0xFFu, GetPx(&back2.r, 4, 4) >> 24);
}

TEST_F(WriterTest, JpegRoundTripWithinTolerance) {
  imgfix::Picture p = imgfix::Pattern(32, 16, false);
  for (auto& b : p.bgra) b = uint8_t(b / 3 + 80);
  for (size_t i = 3; i < p.bgra.size(); i += 4) p.bgra[i] = 255, p.bgra[i - 1] = 128;  // smooth colour
  Rec src, back;
  FromPicture(src, p, 0);
  std::string path = dir.path() + "/a.jpg";
  ASSERT_EQ(0, Img_SaveJpeg(&src.r, path.c_str(), 95));
  ASSERT_EQ(0, DecodeFile(back, kFileTypeJpg, path));
  int worst = 0;
  for (size_t i = 0; i < p.bgra.size(); i++) worst = std::max(worst, std::abs(int(p.bgra[i]) - int(back.r.pixels[i])));
  EXPECT_LE(worst, 8);  // quality 95 on smooth content
}

TEST_F(WriterTest, UncreatableFileAndMissingPixels) {
  Rec src;
  FromPicture(src, imgfix::Pattern(2, 2, false), 0);
  std::string bad = dir.path() + "/no/such/folder/x";
  EXPECT_EQ(-1, Img_SaveBmp(&src.r, bad.c_str()));
  EXPECT_EQ(-1, Img_SavePng(&src.r, bad.c_str(), 1));
  EXPECT_EQ(-1, Img_SaveJpeg(&src.r, bad.c_str(), 80));
  LayerImage empty;
  std::string path = dir.path() + "/e.bmp";
  EXPECT_NE(0, Img_SaveBmp(&empty, path.c_str()));
  EXPECT_NE(0, Img_SavePng(&empty, path.c_str(), 1));
  EXPECT_NE(0, Img_SaveJpeg(&empty, path.c_str(), 50));
  EXPECT_TRUE(ReadAll(path).empty());  // nothing left behind
}

// A full disk: the write fails and the target is not replaced by a partial
// file.
TEST_F(WriterTest, FailedWriteLeavesNoPartialFile) {
  if (!std::ifstream("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Rec src;
  FromPicture(src, imgfix::Pattern(64, 64, false), 0);
  // Each writer writes a temporary file beside the target first; here that
  // temporary name is the full device, so the write fails part-way.
  struct Case {
    const char* name;
    int (*save)(Rec& r, const char* path);
  };
  const Case cases[] = {
      {"full.bmp", [](Rec& r, const char* path) { return Img_SaveBmp(&r.r, path); }},
      {"full.png", [](Rec& r, const char* path) { return Img_SavePng(&r.r, path, 6); }},
      {"full.jpg", [](Rec& r, const char* path) { return Img_SaveJpeg(&r.r, path, 90); }},
  };
  for (const Case& c : cases) {
    std::string target = dir.path() + "/" + c.name;
    std::string link = target + ".tmp";
    ASSERT_EQ(0, symlink("/dev/full", link.c_str()));
    EXPECT_NE(0, c.save(src, target.c_str())) << c.name;
    EXPECT_FALSE(std::ifstream(target).good()) << c.name << ": a partial file is left";
  }
}

TEST_F(WriterTest, QcgFixtureRoundTripBothCompressions) {
  imgfix::Picture p = imgfix::Pattern(10, 10, true);
  for (bool z : {false, true}) {
    Rec back;
    imgfix::QcgOptions o;
    o.zlib = z;
    std::string f = imgfix::WriteQcg(p, o);
    ASSERT_EQ(0, Img_DecodeMemory(&back.r, kFileTypeQcg, reinterpret_cast<const uint8_t*>(f.data()), f.size(), "q"));
    for (uint32_t i = 0; i < 100; i++) {
      const uint8_t* w = &p.bgra[i * 4];
      uint32_t want = w[3] ? (w[0] | w[1] << 8 | w[2] << 16 | uint32_t(w[3]) << 24) : 0x00808080u;
      ASSERT_EQ(want, GetPx(&back.r, i % 10, i / 10));
    }
  }
}

}  // namespace

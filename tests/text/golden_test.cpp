// Golden images of a few glyphs drawn through the whole rasteriser with the
// IPA stand-in faces. They hold for the font version named below; with other
// fonts installed the comparisons are skipped. Tolerance: a pixel matches
// when each of its four channels is within 16 of the golden value; at most
// 2% of a cell's pixels may miss, so that small FreeType hinting changes
// pass while a shifted, scaled or mis-coloured glyph fails.
//
// Regenerate with TEXT_GOLDEN_WRITE=1 (writes into the source tree).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text_testutil.h"

namespace {

constexpr const char* kGoldenFontVersion = "Version 003.03";
constexpr int kChannelTolerance = 16;
constexpr double kMissRatio = 0.02;

struct GoldenCase {
  const char* file;
  const char* ch;
  int size, lineHeight, smooth;
  uint32_t colour, colour2;
  int gradient, writeMode, distance;
  const char* face;
};

const GoldenCase kGolden[] = {
    {"a_hira_20_smooth", "あ", 20, 20, 1, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ ゴシック"},
    {"a_hira_20_mono", "あ", 20, 20, 0, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ ゴシック"},
    {"maru_24_smooth", "。", 24, 24, 1, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ ゴシック"},
    {"latin_a_20_smooth", "A", 20, 20, 1, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ Ｐゴシック"},
    {"latin_a_20_mono", "A", 20, 20, 0, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ Ｐゴシック"},
    {"kan_16_smooth", "漢", 16, 16, 1, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ 明朝"},
    {"kan_16_mono", "漢", 16, 16, 0, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ 明朝"},
    {"kan_32_smooth", "漢", 32, 32, 1, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ 明朝"},
    {"kan_32_mono", "漢", 32, 32, 0, 0xFFFFFF, kColourNone, 0, 0, 0, "ＭＳ 明朝"},
    {"kan_24_gradient", "漢", 24, 24, 1, 0xFF2000, 0x2040FF, 5, 0, 0, "ＭＳ ゴシック"},
    {"a_hira_24_outline", "あ", 24, 24, 1, 0x000000, kColourNone, 0, 1, 2, "ＭＳ ゴシック"},
};

constexpr int kMargin = 4;  // room around the cell for outline copies

std::string GoldenPath(const char* file) {
  return std::string(TEST_SOURCE_DIR) + "/tests/text/golden/" + file + ".txt";
}

// Draws a case into a fresh canvas; the outline case draws its white glyph
// over the black outline, as a game does.
std::vector<uint32_t> Draw(const GoldenCase& c, int* w, int* h) {
  *w = c.size + 2 * kMargin;
  *h = c.lineHeight + 2 * kMargin;
  std::vector<uint32_t> px(size_t(*w) * size_t(*h), 0);
  Font_SelectByName(Sj(c.face).c_str());
  GlyphStyle st;
  st.size = c.size;
  st.lineHeight = c.lineHeight;
  st.smooth = uint8_t(c.smooth);
  st.colour = c.colour;
  st.colour2 = c.colour2;
  st.gradient = uint8_t(c.gradient);
  st.writeMode = uint8_t(c.writeMode);
  GlyphTarget t{px.data(), *w, *h};
  std::string ch = Sj(c.ch);
  Msg_DrawGlyphTo(ch.c_str(), st, c.distance, kMargin, kMargin, t);
  if (c.distance) {
    st.colour = 0xFFFFFF;
    Msg_DrawGlyphTo(ch.c_str(), st, 0, kMargin, kMargin, t);
  }
  return px;
}

void Write(const std::string& path, const std::vector<uint32_t>& px, int w, int h) {
  std::ofstream out(path);
  out << w << " " << h << "\n";
  char buf[16];
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::snprintf(buf, sizeof buf, "%s%08X", x ? " " : "", px[size_t(y) * w + x]);
      out << buf;
    }
    out << "\n";
  }
}

bool Read(const std::string& path, std::vector<uint32_t>* px, int* w, int* h) {
  std::ifstream in(path);
  if (!(in >> *w >> *h) || *w <= 0 || *h <= 0) return false;
  px->assign(size_t(*w) * size_t(*h), 0);
  for (uint32_t& p : *px) {
    std::string tok;
    if (!(in >> tok)) return false;
    p = uint32_t(std::strtoul(tok.c_str(), nullptr, 16));
  }
  return true;
}

bool Near(uint32_t a, uint32_t b) {
  for (int sh = 0; sh < 32; sh += 8)
    if (std::abs(int((a >> sh) & 0xFF) - int((b >> sh) & 0xFF)) > kChannelTolerance) return false;
  return true;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, MatchesWithinTolerance) {
  const GoldenCase& c = GetParam();
  std::string version = Fonts_StandInVersion();
  if (version != kGoldenFontVersion)
    GTEST_SKIP() << "golden glyphs hold for IPA fonts " << kGoldenFontVersion << ", found '"
                 << version << "'";
  Font_EnumFaces();
  int w, h;
  std::vector<uint32_t> px = Draw(c, &w, &h);
  if (std::getenv("TEXT_GOLDEN_WRITE")) {
    Write(GoldenPath(c.file), px, w, h);
    GTEST_SKIP() << "written";
  }
  std::vector<uint32_t> want;
  int gw, gh;
  ASSERT_TRUE(Read(GoldenPath(c.file), &want, &gw, &gh)) << GoldenPath(c.file);
  ASSERT_EQ(gw, w);
  ASSERT_EQ(gh, h);
  int misses = 0, ink = 0;
  for (size_t i = 0; i < px.size(); ++i) {
    misses += !Near(px[i], want[i]);
    ink += (want[i] >> 24) != 0;
  }
  EXPECT_GT(ink, 0) << "the golden image has no ink";
  EXPECT_LE(misses, int(kMissRatio * double(px.size()) + 0.5)) << c.file;
}

INSTANTIATE_TEST_SUITE_P(Glyphs, Golden, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.file); });

}  // namespace

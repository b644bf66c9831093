// The modes with a standard equivalent against pixman, within the rounding
// that explains the difference (pixman rounds, the engine truncates).
// Built only where pixman is linked in (bench/pixman.cmake).
#ifdef GFX_HAVE_PIXMAN
#include <gtest/gtest.h>
#include <pixman.h>

#include <cstdlib>
#include <vector>

#include "layer_fixture.h"

namespace {

// Runs one pixman operator over 65,536 pixels (source byte i >> 8, dest byte
// i & 255 in every colour channel, both opaque) and one engine row over the
// same pixels; returns the largest difference of a colour byte.
int MaxDiff(pixman_op_t op, int mode) {
  const int n = 65536;
  std::vector<uint32_t> src(n), dst(n), mine(n);
  for (int i = 0; i < n; i++) {
    uint32_t s = uint32_t(i >> 8), d = uint32_t(i & 255);
    src[i] = 0xFF000000u | s << 16 | s << 8 | s;
    dst[i] = mine[i] = 0xFF000000u | d << 16 | d << 8 | d;
  }
  pixman_image_t* ps = pixman_image_create_bits(PIXMAN_a8r8g8b8, 256, 256, src.data(), 1024);
  pixman_image_t* pd = pixman_image_create_bits(PIXMAN_a8r8g8b8, 256, 256, dst.data(), 1024);
  pixman_image_composite32(op, ps, nullptr, pd, 0, 0, 0, 0, 0, 0, 256, 256);
  pixman_image_unref(ps);
  pixman_image_unref(pd);
  Blend_PickRow(kBlendPlain, mode, 256).plain(reinterpret_cast<uint8_t*>(mine.data()),
                                              reinterpret_cast<const uint8_t*>(src.data()), 256, n * 4);
  int worst = 0;
  for (int i = 0; i < n; i++)
    for (int c = 0; c < 3; c++) {
      int a = (dst[i] >> (8 * c)) & 255, b = (mine[i] >> (8 * c)) & 255;
      worst = std::max(worst, std::abs(a - b));
    }
  return worst;
}

TEST(PixmanCompare, SeparableModesWithinRounding) {
  gfxtest::InitGraphics();
  struct Case { pixman_op_t op; int mode; int tolerance; };
  const Case cases[] = {
      {PIXMAN_OP_SRC, 0, 0},        {PIXMAN_OP_MULTIPLY, 3, 1}, {PIXMAN_OP_SCREEN, 5, 1},
      {PIXMAN_OP_LIGHTEN, 6, 0},    {PIXMAN_OP_DARKEN, 7, 0},   {PIXMAN_OP_DIFFERENCE, 8, 0},
      {PIXMAN_OP_EXCLUSION, 9, 2},
  };
  for (const Case& c : cases) EXPECT_LE(MaxDiff(c.op, c.mode), c.tolerance) << "mode " << c.mode;
}

// OVER of a premultiplied source onto an opaque target against the engine's
// normal mode by source alpha on the unpremultiplied colour.
TEST(PixmanCompare, OverMatchesNormalBySourceAlpha) {
  gfxtest::InitGraphics();
  const int n = 65536;
  std::vector<uint32_t> pm(n), straight(n), dst(n), mine(n);
  for (int i = 0; i < n; i++) {
    uint32_t a = uint32_t(i >> 8), c = uint32_t(i & 255);
    uint32_t cp = (c * a + 127) / 255;  // premultiplied
    pm[i] = a << 24 | cp << 16 | cp << 8 | cp;
    straight[i] = a << 24 | c << 16 | c << 8 | c;
    dst[i] = mine[i] = 0xFF000000u | uint32_t(255 - c) << 16 | uint32_t(i % 251) << 8 | 77;
  }
  pixman_image_t* ps = pixman_image_create_bits(PIXMAN_a8r8g8b8, 256, 256, pm.data(), 1024);
  pixman_image_t* pd = pixman_image_create_bits(PIXMAN_a8r8g8b8, 256, 256, dst.data(), 1024);
  pixman_image_composite32(PIXMAN_OP_OVER, ps, nullptr, pd, 0, 0, 0, 0, 0, 0, 256, 256);
  pixman_image_unref(ps);
  pixman_image_unref(pd);
  Blend_PickRow(kBlendAlpha, 0, 256).plain(reinterpret_cast<uint8_t*>(mine.data()),
                                           reinterpret_cast<const uint8_t*>(straight.data()), 256, n * 4);
  int worst = 0;
  for (int i = 0; i < n; i++)
    for (int c = 0; c < 3; c++)
      worst = std::max(worst, std::abs(int((dst[i] >> (8 * c)) & 255) - int((mine[i] >> (8 * c)) & 255)));
  // The weight sA + 1 over 256 against sA over 255, and the rounding of the
  // premultiplied colour: at most 2 steps apart.
  EXPECT_LE(worst, 2);
}

}  // namespace
#endif

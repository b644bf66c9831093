// Decoder row conversions (RGB to BGRA, RGBA to BGRA), done by the engine
// instead of by the decoder library's per-byte transforms.
#include "graphics/pixel_ops.h"
#include "graphics/pixel_sets.h"

void Pix_ExpandRgbRowScalar(uint8_t* row, size_t w) {
  const uint8_t* src = row + w;
  // Each pixel's three bytes are read before its four are written; the
  // write never reaches a later pixel's source.
  for (size_t i = 0; i < w; i++) {
    uint8_t r = src[3 * i], g = src[3 * i + 1], b = src[3 * i + 2];
    row[4 * i] = b, row[4 * i + 1] = g, row[4 * i + 2] = r, row[4 * i + 3] = 255;
  }
}

void Pix_SwapRedBlueRowScalar(uint8_t* row, size_t w) {
  for (size_t i = 0; i < w; i++) {
    uint8_t r = row[4 * i];
    row[4 * i] = row[4 * i + 2], row[4 * i + 2] = r;
  }
}

void Pix_ExpandRgbRow(uint8_t* row, size_t w) {
  if (g_CpuFeatures.avx2) Pix_ExpandRgbRowAvx2(row, w);
  else Pix_ExpandRgbRowScalar(row, w);
}

void Pix_SwapRedBlueRow(uint8_t* row, size_t w) {
  if (g_CpuFeatures.avx2) Pix_SwapRedBlueRowAvx2(row, w);
  else Pix_SwapRedBlueRowScalar(row, w);
}

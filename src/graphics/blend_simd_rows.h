// Row-function types of the blend row tables, and the hand-off between the
// scalar rows (blend_rows.cpp) and the vector rows that the SSE2 and AVX2
// files build (blend_simd_impl.h). Holds no inline functions: the AVX2 file
// includes it under its own instruction-set flags.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/graphics_limits.h"

// Kinds 0 and 1: (dst, src, opacity 0..256, bytes). Kinds 2 and 3: (dst,
// src, mask row, mask level, mask gradient, bytes); the level and gradient
// are already folded into g_MaskWeights.
using BlendRowFn = void (*)(uint8_t* d, const uint8_t* s, int op, size_t n);
using BlendMaskRowFn = void (*)(uint8_t* d, const uint8_t* s, const uint8_t* m,
                                int level, int gradient, size_t n);
union BlendRow {
  BlendRowFn plain;     // kinds 0 and 1
  BlendMaskRowFn mask;  // kinds 2 and 3
};
constexpr int kBlendRowCount = kBlendKindCount * 40;

// Tables the vector rows read (blend.h explains them).
extern uint8_t Blend_ModeLuts[16][65536];
extern const int32_t (&g_MaskWeights)[256];

// The closed form of a mask weight table built from a layer's mask level,
// gradient and opacity, for the vector rows that compute each pixel's weight
// instead of looking it up: with x = ((m * slope) >> 1) + offset clamped to
// 0..255, the weight is ((x + 1) * opacity) >> 8. It gives the table's
// weight wherever that is above 1, and 1 or less wherever the table's is
// (either leaves the pixel). `set` is false while the table came from
// anywhere else.
struct MaskWeightRule {
  bool set;
  int32_t slope, offset, opacity;
};
extern MaskWeightRule g_MaskWeightRule;

// The scalar rows of every entry, filled before any vector table: the vector
// rows hand the pixels after their last whole block to them, so a pixel's
// value never depends on where in a row it falls.
extern BlendRow Blend_ScalarRows[kBlendRowCount];

// Soft light's factor k for a source of 128 or more over a destination
// d <= 32 (the dark side of its curve).
int Blend_SoftLightBrightK(int d);

// Overwrite the entries of modes 0..18 of a table with the vector rows of
// one set; the caller then puts back the entries that g_PixelOps serves.
void Blend_FillSse2Rows(BlendRow* table);
void Blend_FillAvx2Rows(BlendRow* table);

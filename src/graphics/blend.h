// Blend modes, their lookup tables and the row-function table the pixel
// workers blend through.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/graphics_limits.h"

// P(a, b) = a * b / 255 truncated toward zero, a = 0..256, b = -255..256;
// Blend_Product(a, b) hides the column offset.
extern int16_t Blend_ProductTable[257][512];
inline int32_t Blend_Product(int32_t a, int32_t b) { return Blend_ProductTable[a][b + 255]; }
// k * 256 / d for d = 1..255; row 0 is all zero.
extern uint16_t Blend_RecipTable[256][256];
extern uint8_t Blend_AddClamp[511];   // min(i, 255)
extern uint8_t Blend_SubClamp[511];   // max(i - 255, 0)
// f(s, d) of modes 3..18, indexed [mode - 3][s * 256 + d].
extern uint8_t Blend_ModeLuts[16][65536];
// Mask weights by mask byte; rebuilt by the compositor before each masked
// layer while no worker runs. A weight of 1 or less leaves a pixel.
extern int32_t g_MaskWeights[256];

// Row functions. Kinds 0 and 1: (dst, src, opacity 0..256, bytes). Kinds 2
// and 3: (dst, src, mask row, mask level, mask gradient, bytes); the level
// and gradient are already folded into g_MaskWeights.
using BlendRowFn = void (*)(uint8_t* d, const uint8_t* s, int op, size_t n);
using BlendMaskRowFn = void (*)(uint8_t* d, const uint8_t* s, const uint8_t* m,
                                int level, int gradient, size_t n);
union BlendRow {
  BlendRowFn plain;     // kinds 0 and 1
  BlendMaskRowFn mask;  // kinds 2 and 3
};
enum BlendKind : int { kBlendPlain = 0, kBlendAlpha = 1, kBlendMask = 2, kBlendMaskAlpha = 3 };
// Entry kind * 40 + mode * 2 + variant; variant 1 = opacity 256. Mode 19 (no
// mode) holds the mode-0 rows so that no entry is empty.
extern BlendRow Blend_RowTable[kBlendKindCount * 40];

// Builds the product table (once; a second call does nothing).
void Blend_BuildProductTable();
// Builds every other table and the row table from g_PixelOps. Run after
// Pix_InitOps; builds the product table first if that has not run.
void Blend_InitTables();

// The row for a layer: opacity clamped to 0..256 and a mode above 18 taken
// as normal, so a bad byte in a record can never select a missing row.
BlendRow Blend_PickRow(int kind, int mode, int opacity);

// The mode formula, computed directly (reference for tests and the LUT
// builder).
uint8_t Blend_ModeFormula(int mode, int s, int d);

// Blend modes, their lookup tables and the row-function table the pixel
// workers blend through.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/blend_simd_rows.h"
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
// Mask weights by mask byte (read-only: Blend_SetMaskWeights writes them);
// rebuilt by the compositor before each masked layer while no worker runs.
// A weight of 1 or less leaves a pixel.
extern const int32_t (&g_MaskWeights)[256];
// Installs 256 weights; `rule` is their closed form (g_MaskWeightRule), or
// null when they have none and the rows must look each one up.
void Blend_SetMaskWeights(const int32_t* weights, const MaskWeightRule* rule = nullptr);

enum BlendKind : int { kBlendPlain = 0, kBlendAlpha = 1, kBlendMask = 2, kBlendMaskAlpha = 3 };
// Entry kind * 40 + mode * 2 + variant; variant 1 = opacity 256. Mode 19 (no
// mode) holds the mode-0 rows so that no entry is empty. Holds the rows of
// the set that Pix_InitOps installed.
extern BlendRow Blend_RowTable[kBlendRowCount];
// The row table of one pixel-routine set (0 scalar, 1 SSE2, 2 AVX2), for
// tests and benchmarks; its g_PixelOps entries call that set's routines.
// Null when the set cannot run here or Blend_InitTables has not run.
const BlendRow* Blend_GetSetRows(int which);

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

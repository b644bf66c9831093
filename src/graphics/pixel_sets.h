// The three pixel-routine sets, for the dispatch in pixel_dispatch.cpp.
#pragma once
#include "graphics/pixel_ops.h"

// Level 1: scalar set (the reference forms; slot 21 sums the 2x2 block).
void Pix_FillScalarSet(PixelOps* ops);
// Vector sets: same forms as each other (slot 21 averages twice). Each
// starts from the scalar set for the routines that have no vector form.
void Pix_FillSse2Set(PixelOps* ops);
void Pix_FillAvx2Set(PixelOps* ops);

// Bodies of the decoder row conversions (pixel_ops.h): plain and AVX2.
void Pix_ExpandRgbRowScalar(uint8_t* row, size_t w);
void Pix_SwapRedBlueRowScalar(uint8_t* row, size_t w);
void Pix_ExpandRgbRowAvx2(uint8_t* row, size_t w);
void Pix_SwapRedBlueRowAvx2(uint8_t* row, size_t w);

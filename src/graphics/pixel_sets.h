// The three pixel-routine sets, for the dispatch in pixel_dispatch.cpp.
#pragma once
#include "graphics/pixel_ops.h"

// Level 1: scalar set (the reference forms; slot 21 sums the 2x2 block).
void Pix_FillScalarSet(PixelOps* ops);
// Vector sets: same forms as each other (slot 21 averages twice). Each
// starts from the scalar set for the routines that have no vector form.
void Pix_FillSse2Set(PixelOps* ops);
void Pix_FillAvx2Set(PixelOps* ops);

// The effect kernels of command 2, shared by cg_effect*.cpp.
#pragma once
#include <cstdint>

// One kernel call. `in` is the first layer's image (inW x inH); `out` is
// the result: outW x outH, either the rectangle's size (pixel (x, y) of the
// image goes to (x - left, y - top)) or, for the in-place effects 19 and 24,
// the whole image.
struct FxCall {
  uint32_t* out;
  const uint32_t* in;
  int32_t left, top, right, bottom;
  int32_t inW, inH, outW, outH;
  int32_t v1, v2;
  int32_t alphaMode;  // of the first layer (the averaging effects)
  int32_t mode;       // effect 24: 1 colour, 2 alpha, 3 whole pixel
};

// 0, or -1 when a scratch image could not be made (the caller reports).
using FxKernel = int (*)(const FxCall& c);

int Fx_Brightness(const FxCall& c);     // 1
int Fx_ColourBalance(const FxCall& c);  // 12
int Fx_Saturation(const FxCall& c);     // 29
int Fx_Sepia(const FxCall& c);          // 38
int Fx_Threshold(const FxCall& c);      // 19, in place
int Fx_Fill(const FxCall& c);           // 24, in place
int Fx_Negative(const FxCall& c);       // 27
int Fx_Mirror(const FxCall& c);         // 11
int Fx_Flip(const FxCall& c);           // 37
int Fx_Copy(const FxCall& c);           // 8, 9
int Fx_BoxBlur(const FxCall& c);        // 2, 5
int Fx_AverageRows(const FxCall& c);    // 3
int Fx_AverageCols(const FxCall& c);    // 4
int Fx_AlphaBlur(const FxCall& c);      // 6
int Fx_AlphaBlurSums(const FxCall& c);  // 7
int Fx_Scatter(const FxCall& c);        // 10
int Fx_Mosaic(const FxCall& c);         // 20
int Fx_WaveRows(const FxCall& c);       // 21
int Fx_WaveCols(const FxCall& c);       // 22
int Fx_WaveBoth(const FxCall& c);       // 23
int Fx_Swirl(const FxCall& c);          // 39

// The scatter's 24 permutations of a 2 x 2 block: for destination places 0
// (x, y), 1 (x + 1, y), 2 (x, y + 1), 3 (x + 1, y + 1), the source place.
extern const uint8_t kFxScatterTable[24][4];

inline uint32_t Fx_Pack(int b, int g, int r, uint32_t alpha) {
  return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | (alpha & 0xFF000000u);
}

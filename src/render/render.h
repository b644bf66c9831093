// Renderer and presentation (layer 9 of 10: above media, below the shell):
// the CPU scalers that the shell's presentation
// of each window uses, and the letter-box offsets of the main window's
// frame.
#pragma once
#include <cstdint>

// Offsets of the frame in the main window's client area: (0, 0) in a window,
// centred in full screen. Written by the presenting thread.
struct LetterBox {
  int32_t x = 0, y = 0;
};
extern LetterBox g_LetterBox;

// Nearest-pixel scaler: source rectangle (x0, y0)-(x1, y1) in pixels of a
// srcW x srcH image into dstW x dstH, rows shared among the pixel workers
// (job 11). Destination pitch is dstW * 4.
void Present_ScaleThreaded(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0, int32_t x1,
                           int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW, int32_t dstH);
// Filtered scaler: rectangle and destination size in 1/100 pixel. The source
// must be a layer buffer (one spare row and pixel) with pitch srcW * 4.
void Present_ScaleFiltered(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0,
                           int32_t x1, int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW100,
                           int32_t dstH100);
// The same filter with its rows shared among the pixel workers (job 21).
void Present_ScaleThreaded2(uint8_t* dst, const uint8_t* src, int32_t x0, int32_t y0,
                            int32_t x1, int32_t y1, int32_t srcW, int32_t srcH, int32_t dstW100,
                            int32_t dstH100);

// Worker job codes of the scalers.
constexpr int32_t kJobScaleNearest = 11;
constexpr int32_t kJobScaleFiltered = 21;
// Weight applied to every fraction byte of the filtered scaler.
uint8_t Present_FilterWeight(int fraction);
#include "render/gpu.h"

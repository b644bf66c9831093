// Pixel-span routines: the table of 26 row routines every subsystem clears,
// fills, copies and blends through, and the processor dispatch that fills it.
#pragma once
#include <cstddef>
#include <cstdint>

// Row routines take raw byte pointers and byte counts; pixel rows are 32-bit
// BGRA and their counts multiples of 4. The slot number of each routine is
// the number scripts-facing code and the blend tables refer to.
struct PixelOps {
  void (*zeroFill)(void* dst, size_t n);                                    // 0
  void (*byteFill)(void* dst, size_t n, uint8_t v);                         // 1
  void (*wordFill)(void* dst, size_t n, uint32_t v);                        // 2
  void (*copy)(void* dst, const void* src, size_t n);                       // 3
  void (*normalOp)(uint8_t* d, const uint8_t* s, int op, size_t n);         // 4
  void (*alphaFull)(uint8_t* d, const uint8_t* s, int op, size_t n);        // 5
  void (*alphaOp)(uint8_t* d, const uint8_t* s, int op, size_t n);          // 6
  void (*maskFull)(uint8_t* d, const uint8_t* s, const uint8_t* m, int level,
                   int gradient, size_t n);                                 // 7
  void (*crossFade)(uint8_t* d, const uint8_t* a, const uint8_t* b, int op,
                    size_t n);                                              // 8
  void (*addFull)(uint8_t* d, const uint8_t* s, size_t n);                  // 9
  void (*addOp)(uint8_t* d, const uint8_t* s, int op, size_t n);            // 10
  void (*addAlphaFull)(uint8_t* d, const uint8_t* s, int op, size_t n);     // 11
  void (*addAlphaOp)(uint8_t* d, const uint8_t* s, int op, size_t n);       // 12
  void (*subFull)(uint8_t* d, const uint8_t* s, size_t n);                  // 13
  void (*mulFull)(uint8_t* d, const uint8_t* s, size_t n);                  // 14
  void (*screenFull)(uint8_t* d, const uint8_t* s, size_t n);               // 15
  void (*screenOp)(uint8_t* d, const uint8_t* s, int op, size_t n);         // 16
  void (*lightenFull)(uint8_t* d, const uint8_t* s, size_t n);              // 17
  void (*darkenFull)(uint8_t* d, const uint8_t* s, size_t n);               // 18
  void (*linBurnFull)(uint8_t* d, const uint8_t* s, size_t n);              // 19
  void (*linLightFull)(uint8_t* d, const uint8_t* s, size_t n);             // 20
  void (*halve)(uint8_t* d, const uint8_t* s, size_t srcRowPixels,
                size_t dstPixels);                                          // 21
  void (*over)(uint8_t* d, const uint8_t* s, size_t n);                     // 22
  void (*overOp)(uint8_t* d, const uint8_t* s, int op, size_t n);           // 23
  void (*overScaled)(uint8_t* d, const uint8_t* s, int opA, size_t n);      // 24
  void (*overScaledOp)(uint8_t* d, const uint8_t* s, int opA, int op,
                       size_t n);                                           // 25
};
static_assert(sizeof(PixelOps) == 26 * sizeof(void (*)()), "26 pixel slots");

// The routines in use; filled once by Pix_InitOps on the start-up thread and
// read-only afterwards.
extern PixelOps g_PixelOps;

// Processor feature bytes (0 or 1), written once by Pix_DetectCpu.
struct CpuFeatures {
  uint8_t mmx, amd3dnow, amd3dnowExt, sse, sse2, sse3, ssse3, sse41, sse42,
      sse4a, xop;
  uint8_t avx2;  // AVX2 usable: CPUID leaf 7 and the OS saves the YMM state
};
extern CpuFeatures g_CpuFeatures;

// Pixel routine levels: 1 the scalar reference set, 2 and 3 the vector set
// (SSE2, or AVX2 where the processor and OS allow it).
enum class PixLevel : uint8_t { Scalar = 1, Sse = 2, Sse2 = 3 };
extern PixLevel g_PixLevel;

int Pix_HasCpuid();
void Pix_DetectCpu();
// Detects the processor and fills g_PixelOps: level 1 by default, 2 when SSE
// exists and useSse is nonzero, 3 when SSE2 exists and useSse2 is nonzero
// (the user settings' words 2 and 3). The vector levels use AVX2 rows when
// the processor and OS allow it.
void Pix_InitOps(int useSse, int useSse2);

// Row conversions for image decoders, outside the slot table; each picks the
// AVX2 body where Pix_DetectCpu found it, else a plain one (same bytes).
// Pix_ExpandRgbRow: a row of w RGB pixels stored at row + w (its last 3w
// bytes) becomes w BGRA pixels with alpha 255 at row, in place. It may read
// up to 4 bytes past the row's end (the next row, or a layer's spare row).
// Pix_SwapRedBlueRow: w RGBA pixels become BGRA in place.
void Pix_ExpandRgbRow(uint8_t* row, size_t w);
void Pix_SwapRedBlueRow(uint8_t* row, size_t w);

// The individual sets, for tests and benchmarks: 0 scalar, 1 SSE2, 2 AVX2.
// Null when the set cannot run on this machine.
const PixelOps* Pix_GetSet(int which);

// Processor detection and the one-time choice of the pixel-routine set.
#include <cpuid.h>

#include "graphics/pixel_ops.h"
#include "graphics/pixel_sets.h"

PixelOps g_PixelOps;
CpuFeatures g_CpuFeatures;
PixLevel g_PixLevel = PixLevel::Scalar;

namespace {

bool g_OpsFilled = false;

// XCR0 bits 1 and 2: the OS saves the SSE and AVX register state, without
// which AVX2 instructions fault even where CPUID lists them.
bool OsSavesYmm() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  if (!(c & (1u << 27))) return false;  // OSXSAVE
  unsigned lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (lo & 6u) == 6u;
}

}  // namespace

int Pix_HasCpuid() { return __get_cpuid_max(0, nullptr) != 0 ? 1 : 0; }

void Pix_DetectCpu() {
  g_CpuFeatures = CpuFeatures{};
  if (!Pix_HasCpuid()) return;
  unsigned highest = unsigned(__get_cpuid_max(0, nullptr));
  unsigned a, b, c, d;
  if (highest != 0 && __get_cpuid(1, &a, &b, &c, &d)) {
    CpuFeatures& f = g_CpuFeatures;
    f.mmx = (d >> 23) & 1;
    f.sse = (d >> 25) & 1;
    f.sse2 = (d >> 26) & 1;
    f.sse3 = c & 1;
    f.ssse3 = (c >> 9) & 1;
    f.sse41 = (c >> 19) & 1;
    f.sse42 = (c >> 20) & 1;
    if (highest >= 7 && __get_cpuid_count(7, 0, &a, &b, &c, &d))
      f.avx2 = ((b >> 5) & 1) && OsSavesYmm();
  }
  if (unsigned(__get_cpuid_max(0x80000000u, nullptr)) > 0x80000000u &&
      __get_cpuid(0x80000001u, &a, &b, &c, &d)) {
    g_CpuFeatures.amd3dnow = (d >> 31) & 1;
    g_CpuFeatures.amd3dnowExt = (d >> 30) & 1;
    g_CpuFeatures.sse4a = (c >> 6) & 1;
    g_CpuFeatures.xop = (c >> 11) & 1;
  }
}

void Pix_InitOps(int useSse, int useSse2) {
  Pix_DetectCpu();
  PixLevel level = PixLevel::Scalar;
  if (g_CpuFeatures.sse && useSse) level = PixLevel::Sse;
  if (g_CpuFeatures.sse2 && useSse2) level = PixLevel::Sse2;
  // Both vector levels run the same rows; they need SSE2 on this target.
  if (level != PixLevel::Scalar && !g_CpuFeatures.sse2) level = PixLevel::Scalar;
  g_PixLevel = level;
  if (level == PixLevel::Scalar) Pix_FillScalarSet(&g_PixelOps);
  else if (g_CpuFeatures.avx2) Pix_FillAvx2Set(&g_PixelOps);
  else Pix_FillSse2Set(&g_PixelOps);
  g_OpsFilled = true;
}

const PixelOps* Pix_GetSet(int which) {
  static PixelOps sets[3];
  static bool built = false;
  if (!built) {
    if (!g_OpsFilled) Pix_DetectCpu();
    Pix_FillScalarSet(&sets[0]);
    Pix_FillSse2Set(&sets[1]);
    if (g_CpuFeatures.avx2) Pix_FillAvx2Set(&sets[2]);
    built = true;
  }
  if (which < 0 || which > 2) return nullptr;
  if (which == 2 && !g_CpuFeatures.avx2) return nullptr;
  return &sets[which];
}

// The engine's one MT19937 generator.
#include "vm/math.h"

uint32_t g_RandState[kRandStateWords];
uint32_t g_RandIndex = kRandStateWords + 1;

namespace {

constexpr int kShiftMid = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpper = 0x80000000u, kLower = 0x7FFFFFFFu;
constexpr uint32_t kInitMul = 1812433253u;
constexpr uint32_t kDefaultSeed = 5489u;

uint32_t Twist(uint32_t a, uint32_t b, uint32_t mid) {
  uint32_t y = (a & kUpper) | (b & kLower);
  return mid ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
}

void Regenerate() {
  constexpr int n = kRandStateWords;
  for (int i = 0; i < n; ++i)
    g_RandState[i] = Twist(g_RandState[i], g_RandState[(i + 1) % n], g_RandState[(i + kShiftMid) % n]);
  g_RandIndex = 0;
}

}  // namespace

void Rand_Seed(uint32_t seed) {
  g_RandState[0] = seed;
  for (uint32_t i = 1; i < uint32_t(kRandStateWords); ++i) {
    uint32_t prev = g_RandState[i - 1];
    g_RandState[i] = kInitMul * (prev ^ (prev >> 30)) + i;
  }
  g_RandIndex = kRandStateWords;
}

uint32_t Rand_NextU32() {
  if (g_RandIndex > uint32_t(kRandStateWords)) Rand_Seed(kDefaultSeed);
  if (g_RandIndex >= uint32_t(kRandStateWords)) Regenerate();
  uint32_t y = g_RandState[g_RandIndex++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

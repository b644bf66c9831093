#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace {
std::atomic<bool> s_manual{false};
std::atomic<uint64_t> s_manualMs{0};

uint64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}
}  // namespace

uint64_t Clock_Ms64() { return s_manual ? s_manualMs.load() : MonotonicMs(); }

uint32_t Clock_Ms32() { return uint32_t(Clock_Ms64()); }

void Clock_SleepMs(uint32_t ms) {
  if (s_manual) {
    s_manualMs += ms;
    return;
  }
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void Clock_SetManual(bool on, uint64_t startMs) {
  s_manualMs = startMs;
  s_manual = on;
}

void Clock_Advance(uint64_t ms) { s_manualMs += ms; }

bool Clock_IsManual() { return s_manual; }

// Millisecond clocks for frame pacing, waits and timers.
//
// Clock_Ms32 behaves like the classic wrapping millisecond tick: callers
// compare stamps with unsigned subtraction, so wrap-around is harmless.
// Tests switch to a manual clock that only moves when told to.
#pragma once
#include <cstdint>

uint32_t Clock_Ms32();          // wrapping ms since an arbitrary start
uint64_t Clock_Ms64();          // non-wrapping ms, for deadlines
void Clock_SleepMs(uint32_t ms);  // real sleep, or an advance of the manual clock

// Manual clock for tests: while on, Clock_Ms32/Ms64 return the set value and
// Clock_SleepMs advances it instead of sleeping.
void Clock_SetManual(bool on, uint64_t startMs = 0);
void Clock_Advance(uint64_t ms);
bool Clock_IsManual();

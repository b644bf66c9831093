// Non-throwing allocations that a case takes away, so that a record the
// engine makes with `new (std::nothrow)` can be made to fail on purpose.
#pragma once
#include <atomic>
#include <cstddef>

// While not 0: every non-throwing allocation of exactly this many bytes fails.
extern std::atomic<std::size_t> g_FailNothrowSize;
// While set: every non-throwing allocation for whose size it answers true fails.
using FailNothrowFn = bool (*)(std::size_t bytes);
extern std::atomic<FailNothrowFn> g_FailNothrowWhen;

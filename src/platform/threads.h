// Engine threads: starting one without an exception, and pinning a thread
// to one processor.
#pragma once
#include <functional>
#include <thread>

// Starts `body` on a new thread held in `*out`. False, with nothing
// started and `*out` untouched, when the system gives no thread; no
// exception leaves it. The start-up's threads (the pixel workers, the frame
// thread) start through it, so a test may replace it to refuse one.
using PlatThreadStartFn = bool (*)(std::thread* out, std::function<void()> body);
extern PlatThreadStartFn g_PlatThreadStart;

// Pins the calling thread to the `index`-th processor this process may run
// on (processors counted in the order the system numbers them). False, and
// the thread left free, when there are not that many or the system refuses.
bool Plat_PinCurrentThread(int index);

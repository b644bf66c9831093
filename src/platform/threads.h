// Thread placement: pinning a thread to one processor.
#pragma once

// Pins the calling thread to the `index`-th processor this process may run
// on (processors counted in the order the system numbers them). False, and
// the thread left free, when there are not that many or the system refuses.
bool Plat_PinCurrentThread(int index);

#include "platform/threads.h"

#include <pthread.h>
#include <sched.h>

#include <exception>

namespace {

// std::thread reports a refused thread (or its state's allocation) by
// throwing; the engine's callers want a result.
bool StartThread(std::thread* out, std::function<void()> body) {
  try {
    *out = std::thread(std::move(body));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

PlatThreadStartFn g_PlatThreadStart = StartThread;

bool Plat_PinCurrentThread(int index) {
  if (index < 0) return false;
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return false;
  int seen = 0;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &allowed)) continue;
    if (seen++ != index) continue;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0;
  }
  return false;
}

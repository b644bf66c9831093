#include "platform/signals.h"

#include <SDL.h>
#include <signal.h>

#include <atomic>

namespace {

std::atomic<int> g_Pending{0};
std::atomic<PlatSignalFn> g_Hook{nullptr};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<PlatSignalFn>::is_always_lock_free);

constexpr int kQuitSignals[] = {SIGTERM, SIGINT};

void OnQuitSignal(int signo) {
  g_Pending.store(1);
  if (PlatSignalFn fn = g_Hook.load()) fn(signo);
}

}  // namespace

bool PlatSignal_Install(PlatSignalFn onSignal) {
  g_Hook = onSignal;
  // SDL would otherwise turn these signals into its quit event, which no
  // modal loop of a box reads.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction sa {};
  sa.sa_handler = OnQuitSignal;
  sigemptyset(&sa.sa_mask);
  // The first signal asks; the handler then reverts, so a second one ends
  // an engine that is stuck. SA_RESTART keeps system calls of other threads
  // from failing with EINTR.
  sa.sa_flags = SA_RESETHAND | SA_RESTART;
  bool ok = true;
  for (int s : kQuitSignals) ok = sigaction(s, &sa, nullptr) == 0 && ok;
  return ok;
}

bool PlatSignal_Pending() { return g_Pending.load() != 0; }

void PlatSignal_Reset() {
  g_Pending = 0;
  g_Hook = nullptr;
  for (int s : kQuitSignals) signal(s, SIG_DFL);
}

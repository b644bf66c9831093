#include "platform/x11_errors.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>

namespace {

std::atomic<PlatDisplayLostFn> g_Hook{nullptr};
std::atomic<bool> g_Ending{false};

// Xlib calls this after the connection broke; it must not return (Xlib
// would then call exit() itself).
int OnIoError(Display*) {
  if (g_Ending.exchange(true)) {
    // Another thread found the loss too and is ending the process.
    for (;;) pause();
  }
  static const char kText[] = "display connection lost: the engine ends\n";
  ssize_t n = write(STDERR_FILENO, kText, sizeof kText - 1);
  (void)n;
  if (PlatDisplayLostFn fn = g_Hook.load()) fn();
  _exit(kPlatDisplayLostExitCode);
}

}  // namespace

void PlatX11_SetDisplayLostHook(PlatDisplayLostFn onLost) { g_Hook = onLost; }

void PlatX11_InstallIoErrorHandler() { XSetIOErrorHandler(OnIoError); }

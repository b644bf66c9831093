// Helpers for the cases that run on a real X server (under xvfb-run): the
// check for a display and a tool, the video start they share, screen
// geometry for ImageMagick's import, and a watchdog that ends a stuck modal
// loop with a quit signal instead of letting the case hang.
#pragma once
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "platform/signals.h"
#include "platform/window.h"
#include "support/process_env.h"

namespace xsrv {

// `tool` on PATH.
inline bool HaveTool(const char* tool) {
  return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

// A display to talk to and, when named, `tool` on PATH.
inline bool HaveDisplay(const char* tool = nullptr) {
  const char* d = std::getenv("DISPLAY");
  return d && *d && (!tool || HaveTool(tool));
}

// Whether a window named `title` is on the X server (`display`, or the
// one of DISPLAY when empty), by xwininfo's list of every window.
inline bool WindowShown(const std::string& title, const std::string& display = {}) {
  std::string cmd = "xwininfo" + (display.empty() ? "" : " -display " + display) + " -root -tree 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return false;
  std::string out;
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  pclose(p);
  return out.find("\"" + title + "\"") != std::string::npos;
}

// SDL on the X server without a session bus, the pointer in the corner
// (away from whatever opens, so that nothing starts hovered) and the quit
// signals caught, as the watchdog below ends a case with one.
inline bool StartVideo() {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  if (!Plat_VideoInit()) return false;
  PlatMouse_Warp(0, 0);
  PlatSignal_Install(nullptr);
  return true;
}

// X geometry "WxH+X+Y" of a screen rectangle.
inline std::string Geometry(const PlatRect& r) {
  return std::to_string(r.w) + "x" + std::to_string(r.h) + "+" + std::to_string(r.x) + "+" +
         std::to_string(r.y);
}

// Runs `show` (a modal loop) on this thread; on another, once `ready`
// holds (at most 10 s), runs `act`. A loop still running 10 s later is
// ended with SIGTERM, so a failing case fails instead of hanging.
template <class Show>
auto WithWatchdog(Show show, const std::function<bool()>& ready, const std::function<void()>& act) {
  std::atomic<bool> finished{false};
  std::thread t([&] {
    if (fx::WaitFor(ready, 10000)) act();
    if (!fx::WaitFor([&] { return finished.load(); }, 10000)) std::raise(SIGTERM);
  });
  auto result = show();
  finished = true;
  t.join();
  return result;
}

}  // namespace xsrv

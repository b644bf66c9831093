#include "platform/displays.h"

#include <SDL.h>

#include <climits>
#include <mutex>

#include "platform/x11_errors.h"

namespace {

std::mutex g_FakeLock;
bool g_FakeOn = false;
std::vector<PlatDisplay> g_Fake;
bool g_FailNext = false;
PlatDisplayMode g_FakeMode{0, 0, 0, 0};

PlatDisplayMode FromSdl(const SDL_DisplayMode& m) {
  return PlatDisplayMode{m.w, m.h, static_cast<int32_t>(SDL_BITSPERPIXEL(m.format)) == 24
                                       ? 32
                                       : static_cast<int32_t>(SDL_BITSPERPIXEL(m.format)),
                         m.refresh_rate};
}

// Starts SDL's video subsystem on first use and keeps it: the window layer
// needs it anyway, and starting and stopping it per query costs a display
// connection each time.
bool VideoReady() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  PlatX11_InstallIoErrorHandler();
  return true;
}

std::vector<PlatDisplay> HostList() {
  std::vector<PlatDisplay> out;
  if (!VideoReady()) return out;
  int n = SDL_GetNumVideoDisplays();
  for (int i = 0; i < n; ++i) {
    PlatDisplay d;
    SDL_Rect r{}, u{};
    if (SDL_GetDisplayBounds(i, &r) != 0) continue;
    if (SDL_GetDisplayUsableBounds(i, &u) != 0) u = r;
    d.x = r.x; d.y = r.y; d.w = r.w; d.h = r.h;
    d.workX = u.x; d.workY = u.y; d.workW = u.w; d.workH = u.h;
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(i, &m) == 0) d.desktop = FromSdl(m);
    int modes = SDL_GetNumDisplayModes(i);
    for (int k = 0; k < modes; ++k)
      if (SDL_GetDisplayMode(i, k, &m) == 0) d.modes.push_back(FromSdl(m));
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace

std::vector<PlatDisplay> PlatDisplay_List() {
  {
    std::lock_guard<std::mutex> lock(g_FakeLock);
    if (g_FakeOn) return g_Fake;
  }
  return HostList();
}

int32_t PlatDisplay_AtPoint(int32_t x, int32_t y) {
  std::vector<PlatDisplay> list = PlatDisplay_List();
  int32_t best = 0;
  int64_t bestDist = INT64_MAX;
  for (size_t i = 0; i < list.size(); ++i) {
    const PlatDisplay& d = list[i];
    int64_t dx = x < d.x ? d.x - x : (x >= d.x + d.w ? x - (d.x + d.w - 1) : 0);
    int64_t dy = y < d.y ? d.y - y : (y >= d.y + d.h ? y - (d.y + d.h - 1) : 0);
    int64_t dist = dx * dx + dy * dy;
    if (dist < bestDist) {
      bestDist = dist;
      best = static_cast<int32_t>(i);
    }
  }
  return best;
}

void PlatDisplay_SetFake(const std::vector<PlatDisplay>& displays) {
  std::lock_guard<std::mutex> lock(g_FakeLock);
  g_FakeOn = true;
  g_Fake = displays;
  g_FakeMode = PlatDisplayMode{0, 0, 0, 0};
}

void PlatDisplay_ClearFake() {
  std::lock_guard<std::mutex> lock(g_FakeLock);
  g_FakeOn = false;
  g_Fake.clear();
}

bool PlatDisplay_IsFake() {
  std::lock_guard<std::mutex> lock(g_FakeLock);
  return g_FakeOn;
}

void PlatDisplay_FailNextModeChange(bool fail) {
  std::lock_guard<std::mutex> lock(g_FakeLock);
  g_FailNext = fail;
}

PlatDisplayMode PlatDisplay_FakeCurrentMode() {
  std::lock_guard<std::mutex> lock(g_FakeLock);
  return g_FakeMode;
}

bool PlatDisplay_FakeSwitch(int32_t display, const PlatDisplayMode& mode) {
  std::lock_guard<std::mutex> lock(g_FakeLock);
  if (display >= 0 && g_FailNext) {
    g_FailNext = false;
    return false;
  }
  g_FakeMode = mode;
  return true;
}

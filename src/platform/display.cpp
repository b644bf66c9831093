#include "platform/display.h"

#include <SDL.h>

namespace {

// Starts SDL's video subsystem on first use and keeps it: the window layer
// needs it anyway, and starting and stopping it per query costs a display
// connection each time (and leaks inside the desktop bus library).
bool VideoReady() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace

std::vector<DisplayInfo> Display_List() {
  std::vector<DisplayInfo> out;
  if (!VideoReady()) return out;
  int n = SDL_GetNumVideoDisplays();
  for (int i = 0; i < n; ++i) {
    DisplayInfo d;
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) != 0) continue;
    d.x = r.x, d.y = r.y, d.width = r.w, d.height = r.h;
    if (SDL_GetDisplayUsableBounds(i, &r) != 0) r = {d.x, d.y, d.width, d.height};
    d.usableX = r.x, d.usableY = r.y, d.usableWidth = r.w, d.usableHeight = r.h;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(i, &mode) == 0) {
      d.modeWidth = mode.w;
      d.modeHeight = mode.h;
      // Bytes per pixel, so that a 24-bit colour mode in 32-bit pixels
      // reads as 32 like the desktop depth the engine expects.
      int bytes = SDL_BYTESPERPIXEL(mode.format);
      d.bitsPerPixel = bytes ? bytes * 8 : 32;
      d.refreshHz = mode.refresh_rate;
    } else {
      d.modeWidth = d.width;
      d.modeHeight = d.height;
    }
    out.push_back(d);
  }
  return out;
}

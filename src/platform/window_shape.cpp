#include "platform/window_shape.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include "platform/window_impl.h"

namespace {

struct X11Target {
  Display* display = nullptr;
  Window window = 0;
};

bool X11Of(PlatWindow* w, X11Target* out) {
  if (!w || !w->sdl) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(w->sdl, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  out->display = info.info.x11.display;
  out->window = info.info.x11.window;
  return out->display && out->window;
}

}  // namespace

bool PlatWin_SetShape(PlatWindow* w, const std::vector<PlatShapeRect>& rects) {
  X11Target t;
  if (!X11Of(w, &t)) return false;
  int event = 0, error = 0;
  if (!XShapeQueryExtension(t.display, &event, &error)) return false;
  std::vector<XRectangle> xr;
  xr.reserve(rects.size());
  for (const PlatShapeRect& r : rects) {
    if (r.w <= 0 || r.h <= 0) continue;
    xr.push_back(XRectangle{short(r.x), short(r.y), static_cast<unsigned short>(r.w),
                            static_cast<unsigned short>(r.h)});
  }
  XShapeCombineRectangles(t.display, t.window, ShapeBounding, 0, 0, xr.data(), int(xr.size()),
                          ShapeSet, Unsorted);
  XFlush(t.display);
  return true;
}

bool PlatWin_Restack(PlatWindow* w, PlatStack where, PlatWindow* other) {
  X11Target t;
  if (!X11Of(w, &t)) return false;
  if (where == PlatStack::Top) XRaiseWindow(t.display, t.window);
  else if (where == PlatStack::Bottom) XLowerWindow(t.display, t.window);
  else {
    X11Target o;
    if (!X11Of(other, &o)) return false;
    Window order[2] = {o.window, t.window};
    XRestackWindows(t.display, order, 2);
  }
  XFlush(t.display);
  return true;
}

bool PlatWin_Flash(PlatWindow* w) {
  if (!w || !w->sdl) return false;
  return SDL_FlashWindow(w->sdl, SDL_FLASH_BRIEFLY) == 0;
}

// Size and move handlers: aspect-locked sizes of the main window, tracking
// limits, maximise and restore bookkeeping, the monitor the window is on, and
// the child windows that follow the picture.
#include <cmath>

#include "platform/window.h"
#include "shell/shell.h"

WinChildHost g_FlashHost, g_MovieHost;

namespace {

double AspectOf(int32_t w, int32_t h) {
  return h <= 0 ? 1.0 : static_cast<double>(w) / static_cast<double>(h);
}

double ScaleOf(int32_t part, int32_t logical) {
  return logical == 0 ? 1.0 : static_cast<double>(part) / static_cast<double>(logical);
}

void PlaceChildren(double xs, double ys) {
  Win_PlaceFlashWindow(xs, ys);
  Win_PlaceMovieWindow(xs, ys);
}

}  // namespace

void Win_OnSizing(int32_t edge, WinRect* r, int32_t logicalW, int32_t logicalH, int32_t fw,
                  int32_t fh) {
  double a = AspectOf(logicalW, logicalH);
  int32_t cw = r->right - r->left - fw;
  int32_t ch = r->bottom - r->top - fh;
  int32_t dW = static_cast<int32_t>(std::trunc(ch * a + 0.5)) - cw;
  int32_t dH = static_cast<int32_t>(std::trunc(cw / a + 0.5)) - ch;
  switch (edge) {
    case kEdgeLeft: case kEdgeRight: r->bottom += dH; break;
    case kEdgeTop: case kEdgeBottom: r->right += dW; break;
    case kEdgeTopLeft: if (dW > 0) r->left -= dW; else r->top -= dH; break;
    case kEdgeTopRight: if (dW > 0) r->right += dW; else r->top -= dH; break;
    case kEdgeBottomLeft: if (dW > 0) r->left -= dW; else r->bottom += dH; break;
    case kEdgeBottomRight: if (dW > 0) r->right += dW; else r->bottom += dH; break;
    default: break;
  }
}

bool Win_TrackSizes(int32_t logicalW, int32_t logicalH, int32_t desktopW, int32_t desktopH,
                    int32_t fw, int32_t fh, WinTrackSizes* out) {
  double a = logicalH <= 0 ? 1.0 : static_cast<double>(logicalW) / logicalH;
  if (a == 0.0) a = 1.0;
  int32_t mw, mh;
  if (desktopW / a <= desktopH) {
    mw = desktopW;
    mh = static_cast<int32_t>(std::trunc(desktopW / a));
  } else {
    mw = static_cast<int32_t>(std::trunc(desktopH * a));
    mh = desktopH;
  }
  if (fw < 0 || fh < 0) return false;
  int32_t m = std::min(mw, mh);
  int32_t q = std::min(logicalW, logicalH) / 4;
  float af = static_cast<float>(a);
  out->minW = static_cast<int32_t>(std::trunc(q * af + fw));
  out->minH = q + fh;
  out->maxW = static_cast<int32_t>(std::trunc(m * af + fw));
  out->maxH = m + fh;
  return true;
}

void Win_OnGetMinMaxInfo(WindowRec* rec) {
  if (!rec || rec->index != 0 || g_FullScreen || g_MainSize.maximized) return;
  if (g_Screen.shownW == 0 || g_Screen.shownH == 0) return;
  int32_t fw = 0, fh = 0;
  Wnd_GetStyle(rec, &fw, &fh);
  WinTrackSizes t;
  if (!Win_TrackSizes(rec->logicalW, rec->logicalH, g_WinConfig.desktopW, g_WinConfig.desktopH,
                      fw, fh, &t))
    return;
  // The platform limits the client area: the frame comes off again.
  if (rec->handle && (rec->style & kWsThickFrame))
    PlatWin_SetTrackLimits(rec->handle, t.minW - fw, t.minH - fh, t.maxW - fw, t.maxH - fh);
  Screen_RequestBuffer(t.maxW, t.maxH);
}

void Win_SnapClient(int32_t logicalW, int32_t logicalH, int32_t* w, int32_t* h) {
  double a = AspectOf(logicalW, logicalH);
  double r = *h == 0 ? 1.0 : static_cast<double>(*w) / *h;
  if (r > a) *w = static_cast<int32_t>(std::trunc(a * *h + 0.5));
  else *h = static_cast<int32_t>(std::trunc(*w / a + 0.5));
}

void Win_OnSize(WindowRec* rec) {
  if (!rec || !rec->handle) return;
  int32_t l = 0, t = 0, r = 0, b = 0;
  if (!Wnd_GetWindowRect(rec, &l, &t, &r, &b)) return;
  int32_t fw = 0, fh = 0;
  Wnd_GetStyle(rec, &fw, &fh);
  bool main = rec->index == 0;
  if (!main || g_FullScreen || g_MainSize.maximized || g_MainSize.frameChanged) {
    if (main && g_MainSize.frameChanged) {
      g_MainSize.frameChanged = 0;
      l += (g_MainSize.keptFrameW - fw) / 2;
      t += (g_MainSize.keptFrameH - fh) / 2;
    }
    int32_t w = main ? g_Screen.screenW.load() : rec->logicalW;
    int32_t h = main ? g_Screen.screenH.load() : rec->logicalH;
    Wnd_MoveWindow(rec, l, t, w + fw, h + fh);
    if (main) PlaceChildren(ScaleOf(g_Screen.screenW, rec->logicalW),
                            ScaleOf(g_Screen.screenH, rec->logicalH));
    return;
  }
  int32_t w = std::min(r - l - fw, g_WinConfig.desktopW);
  int32_t h = std::min(b - t - fh, g_WinConfig.desktopH);
  int32_t sw = w, sh = h;
  Win_SnapClient(rec->logicalW, rec->logicalH, &sw, &sh);
  if (sw != w || sh != h) {
    if ((sw != w && sw > 0) || (sh != h && sh > 0)) Wnd_MoveWindow(rec, l, t, sw + fw, sh + fh);
  }
  w = sw;
  h = sh;
  {
    std::lock_guard<std::mutex> lock(g_ScreenViewLock);
    if (w > 0) g_Screen.screenW = g_Screen.shownW = w;
    if (h > 0) g_Screen.screenH = g_Screen.shownH = h;
  }
  Screen_RequestBuffer(g_Screen.shownW, g_Screen.shownH);
  PlaceChildren(ScaleOf(w, rec->logicalW), ScaleOf(h, rec->logicalH));
}

void Win_FitAfterCreate(WindowRec* rec) {
  int32_t l = 0, t = 0, r = 0, b = 0;
  if (!Wnd_GetWindowRect(rec, &l, &t, &r, &b)) return;
  Win_OnSize(rec);
  int32_t l2 = 0, t2 = 0, r2 = 0, b2 = 0;
  if (!Wnd_GetWindowRect(rec, &l2, &t2, &r2, &b2)) return;
  if (r2 - l2 == r - l && b2 - t2 == b - t) return;
  // Centred for its first size, a window larger than the desktop would keep
  // its top-left corner off the screen.
  int32_t x = 0, y = 0;
  if (Wnd_WorkAreaCentre(r2 - l2, b2 - t2, &x, &y)) Win_Move(rec, x < 0 ? 0 : x, y < 0 ? 0 : y);
}

void Win_OnPosChanged(WindowRec* rec) {
  if (!rec || rec->index != 0 || g_FullScreen) return;
  if (g_MainSize.restorePending) {
    g_MainSize.restorePending = 0;
    g_MainSize.maximized = 0;
    Screen_SetSizes(g_MainSize.maxKeptScreenW, g_MainSize.maxKeptScreenH,
                    g_MainSize.maxKeptShownW, g_MainSize.maxKeptShownH);
    g_MainSize.maxKeptShownW = g_MainSize.maxKeptShownH = 0;
    g_MainSize.maxKeptScreenW = g_MainSize.maxKeptScreenH = 0;
    Screen_RequestBuffer(g_Screen.shownW, g_Screen.shownH);
    if (g_WinConfig.gpuScaled && g_WinConfig.resolutionChange) g_D3dResetRequest = 1;
    return;
  }
  if (!g_MainSize.maximized || !rec->handle) return;
  PlatRect c;
  if (!PlatWin_GetClientRect(rec->handle, &c)) return;
  if (c.w != g_Screen.screenW || c.h != g_Screen.screenH) {
    Screen_SetScreenSize(c.w, c.h);
    Screen_SetBackBufferSize(rec->logicalW, rec->logicalH, c.w, c.h);
  }
}

void Win_OnMove(WindowRec* rec) {
  if (!rec || rec->index != 0) return;
  Screen_EnumMonitors();
  int32_t i = Screen_FindWindowMonitor(rec, nullptr);
  Screen_SetDesktopSize(g_Monitors.width[i], g_Monitors.height[i]);
  if (static_cast<uint32_t>(i) != g_CurrentMonitor) {
    g_CurrentMonitor = static_cast<uint32_t>(i);
    if ((g_WinConfig.gpuScaled || g_WinConfig.fullGpu) && !g_FullScreen &&
        !g_MainSize.maximized && g_WinConfig.resolutionChange)
      g_D3dResetRequest = 1;
  }
}

WinChildRect Win_ScaleChildRect(double xs, double ys, const WinChildRect& s) {
  const WindowRec* main = g_WindowRecs[0];
  int32_t lw = main ? main->logicalW : 0, lh = main ? main->logicalH : 0;
  const ScreenView v = Screen_TakeView();
  int32_t ox = (v.screenW - v.shownW) / 2;
  int32_t oy = (v.screenH - v.shownH) / 2;
  WinChildRect r;
  r.x = static_cast<int32_t>(std::trunc(xs * s.x + ox));
  r.y = static_cast<int32_t>(std::trunc(ys * s.y + oy));
  r.w = lw == 0 ? s.w : static_cast<int32_t>(std::trunc(static_cast<double>(s.w) * v.shownW / lw));
  r.h = lh == 0 ? s.h : static_cast<int32_t>(std::trunc(static_cast<double>(s.h) * v.shownH / lh));
  return r;
}

namespace {
int PlaceChild(const WinChildHost& host, double xs, double ys) {
  if (!host.active || !host.active() || !host.stored || !host.move) return 0;
  host.move(Win_ScaleChildRect(xs, ys, host.stored()));
  return 0;
}
}  // namespace

int Win_PlaceFlashWindow(double xs, double ys) { return PlaceChild(g_FlashHost, xs, ys); }
int Win_PlaceMovieWindow(double xs, double ys) { return PlaceChild(g_MovieHost, xs, ys); }

// Windowed and full-screen modes of the main window, the display mode choice
// and the shown size of the picture.
#include <cstdio>

#include "platform/displays.h"
#include "platform/events.h"
#include "platform/text.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/shell.h"

std::atomic<uint8_t> g_FullScreen{0};
ScreenSizes g_Screen;
std::mutex g_ScreenViewLock;
uint32_t g_FullScreenDepth = 32;
std::atomic<uint8_t> g_D3dResetRequest{0};

ScreenView Screen_TakeView() {
  std::lock_guard<std::mutex> lock(g_ScreenViewLock);
  ScreenView v;
  v.screenW = g_Screen.screenW;
  v.screenH = g_Screen.screenH;
  v.shownW = g_Screen.shownW;
  v.shownH = g_Screen.shownH;
  v.boxX = g_LetterBox.x;
  v.boxY = g_LetterBox.y;
  return v;
}

void Screen_SetSizes(int32_t screenW, int32_t screenH, int32_t shownW, int32_t shownH) {
  std::lock_guard<std::mutex> lock(g_ScreenViewLock);
  g_Screen.screenW = screenW;
  g_Screen.screenH = screenH;
  g_Screen.shownW = shownW;
  g_Screen.shownH = shownH;
}

void Screen_SetScreenSize(int32_t screenW, int32_t screenH) {
  std::lock_guard<std::mutex> lock(g_ScreenViewLock);
  g_Screen.screenW = screenW;
  g_Screen.screenH = screenH;
}

bool Screen_GpuResetCondition() {
  return (g_WinConfig.gpuScaled || g_WinConfig.fullGpu) && g_WinConfig.resolutionChange;
}

void Screen_ShownSizeFor(int32_t a, int32_t b, int32_t c, int32_t d, int32_t fitMode,
                         bool maximizedWindow, int32_t desktopW, int32_t desktopH, int32_t* w,
                         int32_t* h) {
  int64_t W = a, H = b;
  double aa = a == 0 ? 1.0 : a;
  bool taller = d > static_cast<double>(b) * c / aa;
  if (fitMode == 1 || maximizedWindow) {
    if (taller) { W = c; H = a == 0 ? c : static_cast<int64_t>(b) * c / a; }
    else { W = b == 0 ? d : static_cast<int64_t>(a) * d / b; H = d; }
  } else if (fitMode == 2) {
    if (taller) { W = b == 0 ? d : static_cast<int64_t>(a) * d / b; H = d; }
    else { W = c; H = a == 0 ? c : static_cast<int64_t>(b) * c / a; }
  } else if (fitMode == 3) {
    W = c;
    H = d;
  }
  if (fitMode != 2 && (W > desktopW || H > desktopH)) {
    W = desktopW / 2;
    H = desktopH / 2;
  }
  *w = static_cast<int32_t>(W);
  *h = static_cast<int32_t>(H);
}

int Screen_SetBackBufferSize(int32_t a, int32_t b, int32_t c, int32_t d) {
  int32_t w = 0, h = 0;
  Screen_ShownSizeFor(a, b, c, d, g_WinConfig.fitMode, g_MainSize.maximized && !g_FullScreen,
                      g_WinConfig.desktopW, g_WinConfig.desktopH, &w, &h);
  {
    std::lock_guard<std::mutex> lock(g_ScreenViewLock);
    if (w == g_Screen.shownW && h == g_Screen.shownH) return 0;
    g_Screen.shownW = w;
    g_Screen.shownH = h;
  }
  Screen_RequestBuffer(w, h);
  return 0;
}

bool Screen_ChooseMode(const std::vector<PlatDisplayMode>& modes, int32_t desktopW,
                       int32_t desktopH, int32_t logicalW, int32_t logicalH, int32_t depth,
                       int32_t* w, int32_t* h) {
  int32_t key = desktopH > 0 ? static_cast<int32_t>(static_cast<int64_t>(desktopW) * 1000 / desktopH) : 0;
  int32_t bestW = 0x7FFFFFFF, bestH = 0x7FFFFFFF;
  for (size_t i = 0; i < modes.size() && i < 10000; ++i) {
    const PlatDisplayMode& m = modes[i];
    if (key <= 0 || m.width <= 0 || m.height <= 0) continue;
    uint32_t mk = static_cast<uint32_t>(m.width) * 1000u / static_cast<uint32_t>(m.height);
    if (mk != static_cast<uint32_t>(key) || m.width < logicalW || m.height < logicalH) continue;
    if (m.bpp != depth || m.width >= bestW || m.height >= bestH) continue;
    bestW = m.width;
    bestH = m.height;
  }
  if (bestW == 0x7FFFFFFF || bestH == 0x7FFFFFFF) return false;
  *w = bestW;
  *h = bestH;
  return true;
}

namespace {

// Progress texts of the mode switches, for the trace hook.
void TraceText(const char* utf8) {
  Sys_Trace("%s", Text_Utf8ToSjis(utf8).c_str());
}

std::vector<PlatDisplayMode> ModesOf(int32_t display) {
  std::vector<PlatDisplay> list = PlatDisplay_List();
  if (display < 0 || static_cast<size_t>(display) >= list.size()) return {};
  return list[static_cast<size_t>(display)].modes;
}

void WarpToMonitorCentre(int32_t i) {
  PlatMouse_Warp(g_Monitors.left[i] + g_Monitors.width[i] / 2,
                 g_Monitors.top[i] + g_Monitors.height[i] / 2);
}

// A failed switch leaves the window as it was before the attempt: the sizes
// kept at entry come back and the window takes its old client size again.
void RestoreKeptSizes(WindowRec* rec) {
  Screen_SetSizes(g_Screen.keptScreenW, g_Screen.keptScreenH, g_Screen.keptShownW,
                  g_Screen.keptShownH);
  g_Screen.keptScreenW = g_Screen.keptScreenH = g_Screen.keptShownW = g_Screen.keptShownH = 0;
  Screen_RequestBuffer(g_Screen.shownW, g_Screen.shownH);
  int32_t l = 0, t = 0, r = 0, b = 0, fw = 0, fh = 0;
  if (g_Screen.screenW > 0 && g_Screen.screenH > 0 && Wnd_GetWindowRect(rec, &l, &t, &r, &b)) {
    Wnd_GetStyle(rec, &fw, &fh);
    Wnd_MoveWindow(rec, l, t, g_Screen.screenW + fw, g_Screen.screenH + fh);
  }
}

}  // namespace

int Screen_EnterFullScreenGdi(WindowRec* rec, int32_t display) {
  TraceText("DirectX を使用せずにフルスクリーン切替処理開始します.");
  bool gpu = g_WinConfig.gpuScaled || g_WinConfig.fullGpu;
  if (gpu && g_WinConfig.resolutionChange) g_D3dResetRequest = 1;
  bool found = false;
  for (const PlatDisplayMode& m : ModesOf(display)) {
    if (m.width == g_Screen.screenW && m.height == g_Screen.screenH &&
        m.bpp == static_cast<int32_t>(g_FullScreenDepth)) {
      found = true;
      break;
    }
  }
  bool desktop = !g_WinConfig.resolutionChange;
  if (found && PlatWin_EnterFullscreen(rec->handle, display, g_Screen.screenW, g_Screen.screenH,
                                       static_cast<int32_t>(g_FullScreenDepth), desktop)) {
    TraceText("フルスクリーンに切り替えました.");
    return 0;
  }
  if (gpu) g_D3dResetRequest = 0;
  g_FullScreen = 0;
  int32_t w = g_Screen.screenW, h = g_Screen.screenH;
  RestoreKeptSizes(rec);
  Screen_EnterWindowedGdi(rec);
  if (!found) {
    static const std::string kFmt =
        Text_Utf8ToSjis("PC環境が %d x %d 解像度でのフルスクリーンに対応していません。");
    char text[200];
    std::snprintf(text, sizeof text, kFmt.c_str(), w, h);
    Sys_Trace("%s", text);
    g_WndUi.box("", text);
  } else {
    // Reported without clearing a quit that is already on its way.
    g_WndUi.error(105210, g_QuitRequested ? 1 : 0);
  }
  return -1;
}

int Screen_EnterFullScreen(WindowRec* rec) {
  TraceText("フルスクリーン処理開始します.");
  Screen_EnumMonitors();
  int32_t display = 0;
  int32_t i = Screen_FindWindowMonitor(rec, &display);
  Screen_SetDesktopSize(g_Monitors.width[i], g_Monitors.height[i]);
  g_Screen.keptScreenW = g_Screen.screenW.load();
  g_Screen.keptScreenH = g_Screen.screenH.load();
  g_Screen.keptShownW = g_Screen.shownW.load();
  g_Screen.keptShownH = g_Screen.shownH.load();
  int32_t sw = g_WinConfig.desktopW, sh = g_WinConfig.desktopH;
  if (g_WinConfig.resolutionChange) {
    int32_t mw = 0, mh = 0;
    if (Screen_ChooseMode(ModesOf(display), g_WinConfig.desktopW, g_WinConfig.desktopH,
                          rec->logicalW, rec->logicalH, static_cast<int32_t>(g_FullScreenDepth),
                          &mw, &mh)) {
      sw = mw;
      sh = mh;
    }
  }
  Screen_SetScreenSize(sw, sh);
  Screen_SetBackBufferSize(rec->logicalW, rec->logicalH, sw, sh);
  uint32_t style = Win_GetStyle(rec);
  style |= kWsPopup;
  style &= ~(kWsCaption | kWsSysMenu | kWsThickFrame | kWsMinimizeBox);
  Win_SetStyle(rec, style);
  Screen_ApplyFrameChange(rec);
  if (Screen_EnterFullScreenGdi(rec, display) != 0) return 0;
  Win_Move(rec, g_Monitors.left[i], g_Monitors.top[i]);
  Screen_ApplyFrameChange(rec);
  WarpToMonitorCentre(i);
  return 0;
}

int Screen_EnterWindowedGdi(WindowRec* rec) {
  TraceText("DirectX を使用せずに通常スクリーン切替処理開始します.");
  PlatWin_LeaveFullscreen(rec->handle);
  if (!g_QuitRequested) {
    uint32_t style = Win_GetStyle(rec);
    style &= ~kWsPopup;
    style |= kWsCaption | kWsSysMenu | kWsMinimizeBox;
    if (g_WinConfig.thickFrame) style |= kWsThickFrame;
    else style &= ~kWsThickFrame;
    Win_SetStyle(rec, style);
    Screen_ApplyFrameChange(rec);
  }
  if (g_MainSize.maximized == 1) {
    int32_t x = 0, y = 0;
    Wnd_WorkAreaCentre(rec->logicalW, rec->logicalH, &x, &y);
    Win_Move(rec, x, y);
    PlatWin_Restore(rec->handle);
  }
  return 0;
}

int Screen_EnterWindowed(WindowRec* rec) {
  TraceText("通常スクリーン切替処理開始します.");
  Screen_SetSizes(g_Screen.keptScreenW, g_Screen.keptScreenH, g_Screen.keptShownW,
                  g_Screen.keptShownH);
  g_Screen.keptScreenW = g_Screen.keptScreenH = g_Screen.keptShownW = g_Screen.keptShownH = 0;
  Screen_EnterWindowedGdi(rec);
  if (Screen_GpuResetCondition()) g_D3dResetRequest = 1;
  Screen_RequestBuffer(g_Screen.shownW, g_Screen.shownH);
  Screen_EnumMonitors();
  int32_t i = Screen_FindWindowMonitor(rec, nullptr);
  Screen_SetDesktopSize(g_Monitors.width[i], g_Monitors.height[i]);
  WarpToMonitorCentre(i);
  return 0;
}

int Screen_SetMode(int mode) {
  // Window calls belong to the main thread: a frame thread hands it over.
  if (!Plat_IsMainThread()) {
    int result = 0;
    Plat_RunOnMainWait([&result, mode] { result = Screen_SetMode(mode); });
    return result;
  }
  WindowRec* rec = g_WindowRecs[0];
  if (mode == g_FullScreen || !rec) return 0;
  if (mode == 1) {
    g_FullScreen = 1;
    Screen_EnterFullScreen(rec);
  } else {
    Screen_EnterWindowed(rec);
    g_FullScreen = static_cast<uint8_t>(mode);
    g_MainSize.maximized = 0;
  }
  return 1;
}

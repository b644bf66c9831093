// The monitor table and the monitor a window is on.
#include "platform/displays.h"
#include "platform/window.h"
#include "shell/shell.h"

MonitorTable g_Monitors;
uint32_t g_CurrentMonitor = 0;

void Screen_SetDesktopSize(int32_t w, int32_t h) {
  g_WinConfig.desktopW = w;
  g_WinConfig.desktopH = h;
  g_DesktopMetrics.width = w;
  g_DesktopMetrics.height = h;
}

void Screen_EnumMonitors() {
  // Every entry is cleared first, so an unplugged monitor's old rectangle can
  // never be taken for a live one.
  g_Monitors = MonitorTable{};
  std::vector<PlatDisplay> list = PlatDisplay_List();
  if (list.empty()) {
    g_Monitors.width[0] = g_WinConfig.desktopW;
    g_Monitors.height[0] = g_WinConfig.desktopH;
    g_Monitors.count = 1;
    return;
  }
  for (const PlatDisplay& d : list) {
    if (g_Monitors.count >= kMonitorMax) break;
    int32_t i = g_Monitors.count;
    g_Monitors.left[i] = d.x;
    g_Monitors.top[i] = d.y;
    g_Monitors.width[i] = d.w;
    g_Monitors.height[i] = d.h;
    g_Monitors.count = i + 1;  // a stored monitor is a counted one
  }
}

int32_t Screen_FindWindowMonitor(const WindowRec* rec, int32_t* displayOut) {
  if (displayOut) *displayOut = 0;
  int32_t l = 0, t = 0, r = 0, b = 0;
  if (!rec || !rec->handle || !Wnd_GetWindowRect(rec, &l, &t, &r, &b)) return 0;
  int32_t index = PlatDisplay_AtPoint(l + (r - l) / 2, t + (b - t) / 2);
  if (index < 0 || index >= kMonitorMax) index = 0;
  if (g_Monitors.width[index] == 0 || g_Monitors.height[index] == 0) {
    for (int32_t i = 0; i < kMonitorMax; ++i) {
      if (g_Monitors.width[i] != 0 && g_Monitors.height[i] != 0) {
        index = i;
        break;
      }
    }
  }
  if (displayOut) *displayOut = index;
  return index;
}

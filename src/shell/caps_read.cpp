// Reads the capabilities of the machine at start-up: processors, workers,
// the desktop of the first display and the monitor table.
#include <thread>

#include "platform/displays.h"
#include "shell/shell.h"

namespace {
constexpr int kDefaultDesktopWidth = 1920;
constexpr int kDefaultDesktopHeight = 1080;
}  // namespace

void Sys_ReadCaps() {
  g_OsVersionCode = Sys_GetOsVersionCode();
  unsigned cpus = std::thread::hardware_concurrency();
  g_ProcessorCount = uint8_t(cpus > 255 ? 255 : cpus == 0 ? 1 : cpus);
  g_WorkerCount = Sys_WorkerCountFor(g_ProcessorCount, g_MaxWorkers);
  std::vector<PlatDisplay> displays = PlatDisplay_List();
  if (displays.empty()) {
    // No display: a common desktop size, so fitting and limits still work.
    g_DesktopMetrics = {kDefaultDesktopWidth, kDefaultDesktopHeight, 32, 60};
  } else {
    const PlatDisplay& d = displays[0];
    int w = d.desktop.width > 0 ? d.desktop.width : d.w;
    int h = d.desktop.height > 0 ? d.desktop.height : d.h;
    g_DesktopMetrics = {w, h, d.desktop.bpp, Sys_RecordedRefresh(d.desktop.hz)};
  }
  Screen_EnumMonitors();
}

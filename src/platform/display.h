// The host's monitors and desktop mode, read through SDL's video subsystem
// (started on first use if nobody has started it, and then kept).
#pragma once
#include <vector>

struct DisplayInfo {
  int x = 0, y = 0, width = 0, height = 0;            // bounds
  int usableX = 0, usableY = 0, usableWidth = 0, usableHeight = 0;
  int modeWidth = 0, modeHeight = 0;                  // desktop mode
  int bitsPerPixel = 32;
  int refreshHz = 0;                                  // 0 when unknown
};

// Every monitor, the primary first; empty without a display.
std::vector<DisplayInfo> Display_List();

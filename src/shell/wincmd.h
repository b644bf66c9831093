// The window commands: 103 creates sub windows and sets a window's size,
// place, title, transparency, stacking, frame, close mode, shown layer set,
// menu bar, shape and drag layer; 104 hides a window; 105 reads one fact
// about a window into a variable. Also the result writers that the query
// commands share.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

struct LayerImage;
struct WindowRec;

// ---- Numbers, ids and limits -----------------------------------------------
constexpr int kCmdWindow = 103, kCmdWindowHide = 104, kCmdWindowInfo = 105;
// Logical sizes that ids 7 to 10 may set (the picture's sides).
constexpr int32_t kWinCmdSizeMin = 1, kWinCmdSizeMax = 8192;
constexpr int32_t kSubWindowDefaultSize = 128;
// Title bytes with the terminator; a longer title is cut on a character edge.
constexpr size_t kWinTitleBytes = 256;

namespace winarg {
constexpr uint8_t kIndex = 0, kTitle = 1, kAlpha = 2, kShow = 3, kX = 4, kY = 5, kZOrder = 6,
                  kWidth = 7, kHeight = 8, kClientWidth = 9, kClientHeight = 10,
                  kForeground = 11, kMaxBox = 12, kScreenMode = 13, kMinimize = 14,
                  kMaximize = 15, kMaxAllowed = 16, kMinAllowed = 17, kCloseMode = 18,
                  kFlash = 19, kFlashInterval = 20, kLayerSet = 21, kMenu = 22, kShape = 23,
                  kDragLayer = 24, kThickFrame = 25;
constexpr uint8_t kCount = 26;
}  // namespace winarg

namespace wininfoarg {
constexpr uint8_t kIndex = 0, kTarget = 1, kExists = 2, kAlpha = 3, kShow = 4, kActive = 5,
                  kTitle = 6, kLeft = 7, kTop = 8, kWidth = 10, kHeight = 11,
                  kClientWidth = 12, kClientHeight = 13, kMonitor = 14, kFullScreen = 15,
                  kMaximized = 16, kMinimized = 17;
}  // namespace wininfoarg

// ---- Commands (wincmd_window.cpp, wincmd_info.cpp) --------------------------
int32_t Cmd_Window();      // 103
int32_t Cmd_WindowHide();  // 104
int32_t Cmd_WindowInfo();  // 105
void CmdSchema_RegisterWindows();

// Runs `fn` on the main thread (at once when already there) and waits; the
// window calls belong to it. False when the main thread no longer pumps.
bool WinCmd_OnMain(const std::function<void()>& fn);

// ---- Result writers shared by the query commands (wincmd_info.cpp) ----------
// The zero of a missing object: 0, 0.0 or "" by the variable's type, only for
// an element inside the variable.
void Cmd_WriteZeroResult(uint32_t var, int64_t index);
// A yes/no answer the handler writes itself: 1 / 1.0 or 0 / 0.0 inside the
// variable; a text variable is error 101140. 0, or -1 after the report.
int Cmd_WriteFlagResult(uint32_t var, int64_t index, bool yes);

// ---- Window shape, stacking and flashing (wincmd_shape.cpp) -----------------
struct RgnRect {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1, y1 exclusive
};
// The rectangles of a BGRA bitmap's pixels that are not opaque black: each
// maximal run of such pixels in a row, one row high. The list grows as
// needed (no cut-off).
std::vector<RgnRect> Rgn_FromNonBlack(const uint8_t* bgra, int32_t width, int32_t height);
// Shapes the window after the layer's pixels (black with full alpha left
// out). 0; -1 when the layer has no pixels; 1 when the window system has no
// shapes (nothing changes then).
int Win_SetShapeFromLayer(WindowRec* rec, const LayerImage* layer);
// 0 top, 1 topmost, 2 bottom, 3 just behind the main window.
void Win_SetZOrder(WindowRec* rec, int32_t order);
// 0, or -1 when the window system cannot flash the window.
int Win_Flash(WindowRec* rec, int64_t count, int64_t intervalMs);

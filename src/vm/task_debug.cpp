// Debug mode's way out: every 1024 commands the mouse is looked at, and once
// it has stood in all four screen corners the player is asked whether to
// quit (window 0 owns the box; without a screen the answer is no).
#include <string>

#include "platform/text.h"
#include "platform/window.h"
#include "base/base.h"
#include "vm/task.h"

uint8_t g_DebugCornerMask = 0;
VmAskYesNoFn g_VmAskYesNoHook = nullptr;

namespace {
constexpr uint64_t kDebugSampleEvery = 1024;
constexpr int32_t kCornerSize = 8;

uint8_t CornerBit(int32_t x, int32_t y, int32_t w, int32_t h) {
  bool left = x <= kCornerSize, top = y <= kCornerSize;
  bool right = x >= w - 1 - kCornerSize, bottom = y >= h - 1 - kCornerSize;
  if (left && top) return 1;
  if (left && bottom) return 2;
  if (right && top) return 4;
  if (right && bottom) return 8;
  return 0;
}
}  // namespace

void Vm_DebugCountCommand() {
  if (++g_DebugCmdCount % kDebugSampleEvery != 0) return;
  int32_t x = 0, y = 0;
  if (!PlatMouse_GlobalPos(&x, &y)) return;
  g_DebugCornerMask |= CornerBit(x, y, g_DesktopMetrics.width, g_DesktopMetrics.height);
  if (g_DebugCornerMask != 15) return;
  g_DebugCornerMask = 0;
  if (!g_VmAskYesNoHook) return;
  static const std::string kAsk = Text_Utf8ToSjis("終了します。よろしいですか？");
  if (g_VmAskYesNoHook(kAsk.c_str()) == 1) g_QuitRequested = 1;
}

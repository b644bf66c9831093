// Window records, window creation and the style and position helpers.
#include <new>

#include "graphics/graphics.h"
#include "platform/displays.h"
#include "platform/text.h"
#include "platform/window.h"
#include "shell/shell.h"

WinConfig g_WinConfig;
WindowRec* g_WindowRecs[kWindowCount] = {};
std::atomic<int32_t> g_WindowState[kWindowCount] = {-1, -1, -1, -1};
std::atomic<uint64_t> g_MenuCommand{0};
std::atomic<uint8_t> g_CloseRequest{0};
std::atomic<uint8_t> g_MinimizeRequest{0};
std::atomic<uint8_t> g_MaximizeRequest{0};
std::atomic<uint8_t> g_ScreenModeRequest{0};
std::atomic<uint32_t> g_LastKeyDown{0};
std::atomic<uint32_t> g_LastMouseButton{0};
std::atomic<uint8_t> g_DragRequest{0};
std::atomic<int32_t> g_DragPressX{0}, g_DragPressY{0};
std::atomic<uint8_t> g_QuitBoxUp{0};
std::atomic<uint8_t> g_BlockScreenSaver{1};
std::atomic<uint8_t> g_WndFrameThreadRunning{0};
MainSizeState g_MainSize;
ObjNode* g_DragLayer = nullptr;

namespace {

bool DragThunk(int32_t index, int32_t x, int32_t y) {
  if (index < 0 || index >= kWindowCount || !g_WindowRecs[index]) return false;
  return Wnd_DragTest(g_WindowRecs[index], x, y);
}

uint32_t StyleFor(const WindowRec* rec) {
  uint32_t style = kWsClipChildren | kWsCaption | kWsSysMenu | kWsMinimizeBox | kWsMaximizeBox;
  if (rec->index == 0) {
    if (g_WinConfig.thickFrame) style |= kWsThickFrame;
    if (!g_WinConfig.framedWindow) style = kWsPopup | kWsClipChildren;
  }
  return style;
}

uint32_t ExStyleFor(const WindowRec* rec) {
  uint32_t ex = 0;
  if (g_WinConfig.framedWindow) ex = g_WinConfig.screenSaverMode ? kWsExTopmost : 0;
  else ex = rec->index == 0 ? kWsExToolWindow : 0;
  if (g_WinConfig.layeredWindow) ex |= kWsExLayered;
  return ex;
}

bool StyleBordered(uint32_t style) {
  return (style & kWsCaption) == kWsCaption && !(style & kWsPopup);
}

}  // namespace

void Win_ConstructRec(WindowRec* rec, int32_t index) {
  rec->index = index;
  rec->showAtFirstFrame = index == 0 ? 0 : 1;
  rec->closeMode = 1;
  rec->maximizeAllowed = index == 0 ? 1 : 0;
  rec->minimizeAllowed = 1;
}

int Win_CreateMain() {
  for (int i = 0; i < kWindowCount; ++i) {
    if (!g_WindowRecs[i]) {
      g_WindowRecs[i] = new (std::nothrow) WindowRec;
      if (!g_WindowRecs[i]) return -1;
    }
    Win_ConstructRec(g_WindowRecs[i], i);
    g_WindowState[i] = -1;
  }
  if (!g_LayerHooks.clearShownRoot) g_LayerHooks.clearShownRoot = Win_ClearShownRoot;
  return 0;
}

void Wnd_InitDibHeader(WindowRec* rec) {
  rec->dib.width = rec->logicalW;
  rec->dib.height = rec->logicalH;
  rec->dib.planes = 1;
  rec->dib.bits = 32;
}

void Wnd_InitObject(WindowRec* rec, const char* titleSjis) {
  rec->alpha = 256;
  rec->title = titleSjis ? titleSjis : "";
  rec->layerSet = nullptr;
  rec->layerSetExtra = 0;
  rec->menuPath[0] = 0;
  rec->presented = 0;
  rec->present = WinPresentValues{};
  rec->present.clientW = rec->logicalW;
  rec->present.clientH = rec->logicalH;
  rec->showOnMove = rec->showOnButton = rec->showOnWheel = 1;
  rec->hideTimerOn = 0;
  rec->hideTimerStart = 0;
  Wnd_InitDibHeader(rec);
}

bool Wnd_WorkAreaCentre(int32_t w, int32_t h, int32_t* x, int32_t* y) {
  std::vector<PlatDisplay> displays = PlatDisplay_List();
  if (displays.empty() || displays[0].workW <= 0 || displays[0].workH <= 0) {
    *x = 0;
    *y = 0;
    return false;
  }
  const PlatDisplay& d = displays[0];
  *x = d.workX + d.workW / 2 - w / 2;
  *y = d.workY + d.workH / 2 - h / 2;
  return true;
}

int Win_Create(WindowRec* rec, int /*showCmd*/, const char* /*classNameSjis*/,
               const char* titleSjis) {
  if (!rec) return 0;
  rec->classRegistered = 1;  // no window classes here: the record is the class
  rec->style = StyleFor(rec);
  rec->exStyle = ExStyleFor(rec);
  PlatWindowDesc d;
  d.index = rec->index;
  d.clientW = rec->logicalW > 0 ? rec->logicalW : 1;
  d.clientH = rec->logicalH > 0 ? rec->logicalH : 1;
  if (rec->index != 0 && g_WinConfig.framedWindow) {
    d.x = d.y = 0;
  } else {
    Wnd_WorkAreaCentre(rec->logicalW, rec->logicalH, &d.x, &d.y);
  }
  d.bordered = StyleBordered(rec->style);
  d.resizable = (rec->style & kWsThickFrame) != 0;
  d.alwaysOnTop = (rec->exStyle & kWsExTopmost) != 0;
  d.skipTaskbar = (rec->exStyle & kWsExToolWindow) != 0;
  PlatWindow* w = PlatWin_Create(d);
  if (!w) return 0;
  rec->handle = w;
  PlatWin_SetTitle(w, titleSjis ? titleSjis : rec->title.c_str());
  if (rec->exStyle & kWsExLayered) {
    if (!PlatWin_SetOpacity(w, kLayeredAlpha / 255.0f)) {
      static const std::string kText = Text_Utf8ToSjis("SetLayeredWindowAttributes Error.");
      g_WndUi.box(nullptr, kText.c_str());
      PlatWin_Destroy(w);
      rec->handle = nullptr;
      return 0;
    }
  }
  PlatWin_SetDragTest(w, DragThunk);
  if (rec->index == 0) Win_OnGetMinMaxInfo(rec);
  return 1;
}

void Win_DestroyAll() {
  for (int i = 0; i < kWindowCount; ++i) {
    WindowRec* rec = g_WindowRecs[i];
    if (!rec) continue;
    if (rec->handle) PlatWin_Destroy(rec->handle);
    delete rec;
    g_WindowRecs[i] = nullptr;
    g_WindowState[i] = -1;
  }
}

void Win_SetShownRoot(WindowRec* rec, ObjNode* node) {
  if (!rec) return;
  rec->layerSet = node;
  // The release of a marked record clears every window that shows it; an
  // unmarked one would leave the window composing from freed memory.
  if (LayerImage* r = Layer_Record(node)) r->shown = 1;
}

void Win_ClearShownRoot(ObjNode* node) {
  for (WindowRec* rec : g_WindowRecs)
    if (rec && rec->layerSet == node) rec->layerSet = nullptr;
  if (g_DragLayer == node) g_DragLayer = nullptr;
}

void Wnd_GetStyle(const WindowRec* rec, int32_t* frameW, int32_t* frameH) {
  int32_t l = 0, t = 0, r = 0, b = 0;
  if (rec && rec->handle) PlatWin_GetFrame(rec->handle, &l, &t, &r, &b);
  if (frameW) *frameW = l + r;
  if (frameH) *frameH = t + b;
}

uint32_t Win_GetStyle(const WindowRec* rec) { return rec ? rec->style : 0; }

void Win_SetStyle(WindowRec* rec, uint32_t style) {
  if (!rec) return;
  rec->style = style;
  if (!rec->handle) return;
  PlatWin_SetBordered(rec->handle, StyleBordered(style));
  PlatWin_SetResizable(rec->handle, (style & kWsThickFrame) != 0);
}

bool Wnd_GetWindowRect(const WindowRec* rec, int32_t* l, int32_t* t, int32_t* r, int32_t* b) {
  PlatRect c;
  if (!rec || !rec->handle || !PlatWin_GetClientRect(rec->handle, &c)) return false;
  int32_t fl = 0, ft = 0, fr = 0, fb = 0;
  PlatWin_GetFrame(rec->handle, &fl, &ft, &fr, &fb);
  *l = c.x - fl;
  *t = c.y - ft;
  *r = c.x + c.w + fr;
  *b = c.y + c.h + fb;
  return true;
}

void Wnd_MoveWindow(WindowRec* rec, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!rec || !rec->handle) return;
  int32_t fl = 0, ft = 0, fr = 0, fb = 0;
  PlatWin_GetFrame(rec->handle, &fl, &ft, &fr, &fb);
  PlatWin_SetClientRect(rec->handle, x + fl, y + ft, w - fl - fr, h - ft - fb);
}

void Win_Move(WindowRec* rec, int32_t x, int32_t y) {
  if (!rec || !rec->handle) return;
  int32_t fl = 0, ft = 0;
  PlatWin_GetFrame(rec->handle, &fl, &ft, nullptr, nullptr);
  PlatWin_SetPosition(rec->handle, x + fl, y + ft);
}

// A frame change reaches the size handler, as it does on a system that sends
// a size message for it.
void Screen_ApplyFrameChange(WindowRec* rec) {
  if (rec && rec->handle) Win_OnSize(rec);
}

// Command 103: each given argument is applied in a fixed order, so that a
// window being created gets its defaults before the other arguments change
// them. Steps before a failing one stay in effect.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/base.h"
#include "graphics/graphics.h"
#include "platform/events.h"
#include "platform/text.h"
#include "platform/window.h"
#include "shell/frame.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "shell/wincmd.h"
#include "vm/vm.h"

using namespace winarg;

namespace {

bool Given(uint8_t id) { return g_ArgGiven[id] != 0; }
int64_t Int(uint8_t id) { return Arg_Int(id, 0); }
const char* Text(uint8_t id) {
  const char* s = Arg_Str(id);
  return s ? s : "";
}
bool Exists(int n) { return g_WindowState[n] == 1 && g_WindowRecs[n]; }

// A size from ids 7 to 10 within the picture's limits: 0 or a negative size
// would divide by zero in the aspect steps and in every later fit.
int32_t ClampSize(int64_t v) {
  return int32_t(std::clamp<int64_t>(int32_t(uint32_t(v)), kWinCmdSizeMin, kWinCmdSizeMax));
}

// Resizes the window to a client size, keeping its outer top-left corner.
void ResizeClient(WindowRec* rec, int32_t w, int32_t h) {
  int32_t l = 0, t = 0, r = 0, b = 0, fw = 0, fh = 0;
  if (!Wnd_GetWindowRect(rec, &l, &t, &r, &b)) return;
  Wnd_GetStyle(rec, &fw, &fh);
  Wnd_MoveWindow(rec, l, t, w + fw, h + fh);
}

// The node of a layer path (leaf or group), or null after the report.
ObjNode* FindLayer(const char* path, int mode, bool* resolveFailed) {
  char resolved[kObjPathMax];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  *resolveFailed = Obj_ResolvePath(resolved, path, tree.curPath, false) < 0;
  if (*resolveFailed) return nullptr;
  ObjNode* node = Obj_FindByPath(tree.root, resolved, mode);
  if (!node) Err_ScriptF(101250, 1, Cmd_Name(kCmdWindow), path);
  return node;
}

void SetTitle(WindowRec* rec, int n) {
  const char* t = Text(kTitle);
  std::string title = t[0] ? std::string(t, Sjis_FitLength(t, std::strlen(t), kWinTitleBytes))
                           : std::string(" ");
  rec->title = title;
  if (Exists(n) && rec->handle) PlatWin_SetTitle(rec->handle, rec->title);
}

// Step 5: a sub window that does not exist yet is made with its defaults.
int Create(WindowRec* rec, int n, bool w7, bool h8) {
  rec->x = rec->y = 0;
  rec->logicalW = w7 ? ClampSize(Int(kWidth)) : kSubWindowDefaultSize;
  rec->logicalH = h8 ? ClampSize(Int(kHeight)) : kSubWindowDefaultSize;
  if (!Given(kTitle)) {
    Err_ScriptF(101320, 1, Cmd_Name(kCmdWindow));
    return -1;
  }
  std::string cls = g_InstanceName + "_sub_" + std::to_string(n);
  if (!Win_Create(rec, 1, cls.c_str(), rec->title.c_str())) return -1;
  if (n > 0) PlatWin_Show(rec->handle);
  std::string title = rec->title;
  Wnd_InitObject(rec, title.c_str());
  g_WindowState[n] = 1;
  return 0;
}

// Steps 1 to 4: the sizes, in logical and in client terms.
void ApplySizes(WindowRec* rec, int n, bool fullOrMax, bool w7, bool h8) {
  if (!fullOrMax && Given(kClientWidth) && rec->logicalW > 0 && rec->handle) {
    int32_t w = std::min(ClampSize(Int(kClientWidth)), std::max(1, g_DesktopMetrics.width));
    ResizeClient(rec, w, std::max(1, int32_t(int64_t(rec->logicalH) * w / rec->logicalW)));
  }
  if (!fullOrMax && Given(kClientHeight) && rec->logicalH > 0 && rec->handle) {
    int32_t h = std::min(ClampSize(Int(kClientHeight)), std::max(1, g_DesktopMetrics.height));
    ResizeClient(rec, std::max(1, int32_t(int64_t(rec->logicalW) * h / rec->logicalH)), h);
  }
  if (!(w7 || h8) || !Exists(n)) return;
  int32_t w = w7 ? ClampSize(Int(kWidth)) : rec->logicalW;
  int32_t h = h8 ? ClampSize(Int(kHeight)) : rec->logicalH;
  bool changed = w != rec->logicalW || h != rec->logicalH;
  rec->logicalW = w;
  rec->logicalH = h;
  if (!changed) return;
  ResizeClient(rec, w, h);
  rec->present.clientX = rec->present.clientY = 0;
  rec->present.clientW = w;
  rec->present.clientH = h;
}

// Step 10: stacking.
int ApplyZOrder(WindowRec* rec, int n) {
  int64_t z = Int(kZOrder);
  if (n == 0 && z == 3) {
    Err_ScriptF(101310, 1, Cmd_Name(kCmdWindow), Cmd_ArgName(kCmdWindow, kZOrder), z);
    return -1;
  }
  if (Exists(n)) Win_SetZOrder(rec, int32_t(z));
  return 0;
}

// Step 14: the shown layer set. The new set is looked up before the old one
// stops showing, so a wrong path leaves the window as it was.
int ApplyLayerSet(WindowRec* rec) {
  bool badPath = false;
  ObjNode* node = FindLayer(Text(kLayerSet), kObjFindGroup, &badPath);
  if (!node) return -1;
  if (LayerImage* old = Layer_Record(rec->layerSet)) old->shown = 0;
  rec->layerSet = nullptr;
  LayerImage* r = Layer_Record(node);
  if (!r || r->width == 0 || r->height == 0) {
    static const std::string kText =
        Text_Utf8ToSjis("サイズが 0x0 のレイヤセットを表示対象に指定することは出来ません。");
    Sys_MessageBoxF("", "%s", kText.c_str());
    g_QuitRequested = 1;
    return -1;
  }
  rec->layerSet = node;
  r->shown = 1;
  Layer_MarkDirty(node);
  Layer_MarkWholeDirty(node);
  return 0;
}

int ApplyMenu(WindowRec* rec) {
  rec->menuPath[0] = 0;
  const char* path = Text(kMenu);
  if (path[0] && Obj_ResolvePath(rec->menuPath, path, g_TreeRoots[kTreeMenu].curPath, false) < 0) {
    rec->menuPath[0] = 0;
    return -1;
  }
  return Menu_BuildMenuBar(rec->menuPath, rec) == 0 ? 0 : -1;
}

// Step 16: the shape always goes to the main window. A layer that gives no
// shape is told to the trace and the later arguments still apply.
int ApplyShape() {
  bool badPath = false;
  ObjNode* node = FindLayer(Text(kShape), kObjFindLeaf, &badPath);
  if (!node) return -1;
  int r = Win_SetShapeFromLayer(g_WindowRecs[0], Layer_Record(node));
  if (r < 0) Sys_Trace("window: the layer %s gives no window shape", Text(kShape));
  return 0;
}

void ApplyMinimize(WindowRec* rec) {
  int64_t v = Int(kMinimize);
  if (v < 0 || !rec->handle) return;
  if (v >= 1) {
    PlatWin_Minimize(rec->handle);
    if (v != 2) PlatWin_Hide(rec->handle);
    return;
  }
  PlatWin_Restore(rec->handle);
  g_MainSize.restorePending = 0;
  g_MainSize.maximized = 0;
  if (g_WinConfig.resolutionChange) g_D3dResetRequest = 1;
  Win_RedrawAll(rec);
}

void ApplyMaximize(WindowRec* rec, int n) {
  bool maximized = n == 0 ? g_MainSize.maximized != 0
                          : (rec->handle && PlatWin_IsMaximized(rec->handle));
  PlatEvent ev;
  ev.msg = PlatMsg::User;
  ev.window = n;
  ev.a = int32_t(maximized ? kScRestore : kScMaximize);
  ev.b = kUserSysCommand;
  Plat_PostEvent(ev);
  if (maximized) g_RedrawCountdown = 1;
}

void ApplyThickFrame(WindowRec* rec) {
  uint8_t on = uint8_t(Int(kThickFrame) & 0xFF) ? 1 : 0;
  if (on == g_WinConfig.thickFrame) return;
  g_WinConfig.thickFrame = on;
  if (g_FullScreen) return;
  Wnd_GetStyle(rec, &g_MainSize.keptFrameW, &g_MainSize.keptFrameH);
  g_MainSize.frameChanged = 1;
  uint32_t style = Win_GetStyle(rec);
  Win_SetStyle(rec, on ? style | kWsThickFrame : style & ~kWsThickFrame);
  if (g_WinConfig.gpuScaled && g_WinConfig.resolutionChange) g_D3dResetRequest = 1;
}

// The later steps, from the flags and buttons on.
int ApplyRest(WindowRec* rec, int n) {
  if (Given(kMaxAllowed)) rec->maximizeAllowed = uint8_t(Int(kMaxAllowed));
  if (Given(kMinAllowed)) rec->minimizeAllowed = uint8_t(Int(kMinAllowed));
  if (Given(kCloseMode)) {
    int64_t mode = Int(kCloseMode);
    if (n == 0 && (mode < 0 || mode > 2)) {
      Err_ScriptF(101310, 1, Cmd_Name(kCmdWindow), Cmd_ArgName(kCmdWindow, kCloseMode), mode);
      return -1;
    }
    rec->closeMode = uint8_t(mode);
  }
  if (Given(kFlash)) Win_Flash(rec, Int(kFlash), Int(kFlashInterval));
  if (Given(kLayerSet) && ApplyLayerSet(rec) != 0) return -1;
  if (Given(kMenu) && ApplyMenu(rec) != 0) return -1;
  if (Given(kShape) && ApplyShape() != 0) return -1;
  if (Given(kDragLayer)) {
    bool badPath = false;
    ObjNode* node = FindLayer(Text(kDragLayer), kObjFindLeaf, &badPath);
    if (!node) return -1;
    g_DragLayer = node;
  }
  if (Given(kMaxBox) && !g_FullScreen) {
    uint32_t style = Win_GetStyle(rec);
    Win_SetStyle(rec, Int(kMaxBox) == 1 ? style | kWsMaximizeBox : style & ~kWsMaximizeBox);
  }
  if (Given(kForeground) && Int(kForeground) == 1 && rec->handle) PlatWin_Raise(rec->handle);
  if (Given(kScreenMode) && n == 0 && Screen_SetMode(int(Int(kScreenMode) & 0xFF)))
    Layer_MarkWholeDirty(rec->layerSet);
  if (Given(kMinimize)) ApplyMinimize(rec);
  if (Given(kMaximize)) ApplyMaximize(rec, n);
  if (Given(kThickFrame)) ApplyThickFrame(rec);
  return 0;
}

int32_t Apply() {
  int64_t index = Int(kIndex);
  // Only windows 0 to 3 exist; a game's table may lack the range check.
  if (Cmd_CheckArg(kCmdWindow, kIndex, 28, index) != 0) return -1;
  int n = int(index);
  WindowRec* rec = g_WindowRecs[n];
  if (!rec) return -1;
  bool fullOrMax = g_FullScreen || g_MainSize.maximized;
  bool w7 = !fullOrMax && Given(kWidth), h8 = !fullOrMax && Given(kHeight);
  ApplySizes(rec, n, fullOrMax, w7, h8);
  if (!Exists(n) && Create(rec, n, w7, h8) != 0) return -1;
  if (Given(kTitle)) SetTitle(rec, n);
  if (Given(kAlpha)) {
    rec->alpha = uint32_t(Int(kAlpha));
    int64_t a = std::min<int64_t>(Int(kAlpha), 255);
    if (g_WinConfig.layeredWindow && rec->handle)
      PlatWin_SetOpacity(rec->handle, float(uint8_t(a)) / 255.0f);
  }
  if (Given(kShow)) {
    uint8_t show = uint8_t(Int(kShow));
    bool changed = show != rec->showAtFirstFrame;
    rec->showAtFirstFrame = show;
    if (changed && rec->handle) {
      if (int8_t(show) > 0) PlatWin_Show(rec->handle);
      else PlatWin_Hide(rec->handle);
    }
  }
  if (Given(kX)) rec->x = int32_t(Int(kX));
  if (Given(kY)) rec->y = int32_t(Int(kY));
  if ((Given(kX) || Given(kY)) && Exists(n)) Win_Move(rec, rec->x, rec->y);
  if (Given(kZOrder) && ApplyZOrder(rec, n) != 0) return -1;
  return ApplyRest(rec, n);
}

}  // namespace

bool WinCmd_OnMain(const std::function<void()>& fn) {
  if (Plat_IsMainThread()) {
    fn();
    return true;
  }
  return Plat_RunOnMainWait(fn);
}

int32_t Cmd_Window() {
  if (Cmd_FetchArgs(kCmdWindow) != 0) return -1;
  int32_t result = 0;
  WinCmd_OnMain([&result] { result = Apply(); });
  return result;
}

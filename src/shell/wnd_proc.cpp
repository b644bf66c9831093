// The window procedure: platform event records turned into engine state.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "graphics/graphics.h"
#include "media/movie_player.h"
#include "platform/events.h"
#include "platform/msgbox.h"
#include "platform/present.h"
#include "platform/text.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/frame.h"
#include "shell/shell.h"

DroppedFiles g_DroppedFiles;

void DroppedFiles::Clear() {
  for (char* p : paths) std::free(p);
  paths.clear();
  count = 0;
}

namespace {

constexpr int kIdYes = 6, kIdNo = 7;

// Yes is the Enter button; No answers Escape, a closed box and a box that
// cannot be shown, so nothing ends the game without a yes.
int DefaultAskYesNo(PlatWindow*, const char* text, const char* caption) {
  static const std::string kYes = Text_Utf8ToSjis("はい");
  static const std::string kNo = Text_Utf8ToSjis("いいえ");
  MsgBoxRequest req;
  req.caption = caption ? caption : "";
  req.text = text ? text : "";
  req.icon = MsgBoxIcon::Info;
  req.owned = true;
  req.buttons = {MsgBoxButton{kIdYes, kYes, true, true, false},
                 MsgBoxButton{kIdNo, kNo, false, true, true}};
  return MsgBox_Show(req) == kIdYes ? 1 : 0;
}
void DefaultBox(const char* caption, const char* text) { Sys_MessageBoxF(caption, "%s", text); }
void DefaultError(int32_t number, int quit) { Err_ShowF(number, quit, ""); }

// Client position to the window's logical picture position.
void ClientToLogical(const WindowRec* rec, int32_t cx, int32_t cy, int32_t* x, int32_t* y) {
  if (rec->index != 0) {
    *x = cx;
    *y = cy;
    return;
  }
  const ScreenView v = Screen_TakeView();
  int64_t lx = cx - v.boxX, ly = cy - v.boxY;
  if (v.shownW > 0) lx = lx * rec->logicalW / v.shownW;
  if (v.shownH > 0) ly = ly * rec->logicalH / v.shownH;
  *x = static_cast<int32_t>(lx);
  *y = static_cast<int32_t>(ly);
}

// Redraw requests of the window procedure for the frame thread, one bit per
// window.
std::atomic<uint32_t> g_RedrawPending{0}, g_WholeDirtyPending{0};

// The root's draw box becomes the whole picture; the root, null without one.
LayerImage* MarkRedraw(WindowRec* rec) {
  LayerImage* root = Layer_Record(rec->layerSet);
  if (!root) return nullptr;
  root->drawBox[0] = 0;
  root->drawBox[1] = 0;
  root->drawBox[2] = static_cast<int64_t>(root->width) - 1;
  root->drawBox[3] = static_cast<int64_t>(root->height) - 1;
  return root;
}

}  // namespace

std::mutex* g_DropLock = &g_SoundLock;
std::atomic<int32_t> g_PopupPosX{0}, g_PopupPosY{0};
static_assert(kUserMovie == kMovieEventKind, "the movie player posts its end with this kind");
int (*g_WndMovieNotify)(int32_t value) = Movie_OnNotify;
WndUi g_WndUi = {DefaultAskYesNo, DefaultBox, DefaultError};

int Win_AskYesNoMain(const char* textSjis) {
  if (!g_WndUi.askYesNo) return 0;
  WindowRec* w0 = g_WindowRecs[0];
  return g_WndUi.askYesNo(w0 ? w0->handle : nullptr, textSjis, g_WinConfig.windowTitle.c_str());
}

void Win_Proc(const PlatEvent& ev) {
  if (ev.window < 0 || ev.window >= kWindowCount) return;
  WindowRec* rec = g_WindowRecs[ev.window];
  if (!rec || !rec->handle) return;
  Win_HandleMessage(rec, ev);
}

void Win_OnActivate(WindowRec* rec, bool active) {
  rec->active = active ? 1 : 0;
  Win_RedrawAll(rec);
}

namespace {

void HandleClose(WindowRec* rec, const PlatEvent& ev) {
  if (ev.b == 1) rec->closeMode = 2;  // a signal or the session: orderly quit
  if (Wnd_ConfirmQuit(rec, kScClose)) Wnd_Destroy(rec);
}

// Maximise and restore are known only after the fact and their size change
// may come first: the window's state decides, whichever event arrives. A
// refused maximise is undone.
bool SyncMaximized(WindowRec* rec) {
  if (rec->index != 0 || !rec->handle || g_FullScreen) return true;
  bool max = PlatWin_IsMaximized(rec->handle);
  if (max && !g_MainSize.maximized) {
    if (!Wnd_ConfirmQuit(rec, kScMaximize)) {
      PlatWin_Restore(rec->handle);
      return false;
    }
  } else if (!max && g_MainSize.maximized) {
    Wnd_ConfirmQuit(rec, kScRestore);
  }
  return true;
}

// The order a resize brings its messages in: limits, position, size.
void HandleSizeChange(WindowRec* rec) {
  if (rec->handle && PlatWin_IsMinimized(rec->handle)) return;
  if (!SyncMaximized(rec)) return;
  if (rec->index == 0) Win_OnGetMinMaxInfo(rec);
  Win_OnPosChanged(rec);
  Win_OnSize(rec);
}

void HandleMinMax(WindowRec* rec, PlatMsg msg) {
  if (msg == PlatMsg::Minimized) {
    if (!Wnd_ConfirmQuit(rec, kScMinimize)) PlatWin_Restore(rec->handle);
    return;
  }
  if (msg == PlatMsg::Maximized && rec->index != 0) {
    // Sub windows follow their maximise-allowed byte (off by default).
    if (!Wnd_ConfirmQuit(rec, kScMaximize)) {
      PlatWin_Restore(rec->handle);
      return;
    }
  }
  HandleSizeChange(rec);
}

// Messages the engine posts to itself: its menus, the tray icon, movies.
void HandleUser(WindowRec* rec, const PlatEvent& ev) {
  switch (ev.b) {
    case kUserSysCommand:
      if (Wnd_ConfirmQuit(rec, static_cast<uint32_t>(ev.a)) &&
          (static_cast<uint32_t>(ev.a) & ~0xFu) == kScClose)
        Wnd_Destroy(rec);
      break;
    case kUserMenuCommand: g_MenuCommand = static_cast<uint32_t>(ev.a) & 0xFFFFu; break;
    case kUserTray: Win_OnTrayEvent(rec, ev.x, ev.a); break;
    case kUserMovie:
      if (g_WndMovieNotify) g_WndMovieNotify(ev.a);
      break;
    default: break;
  }
}

void HandleButton(WindowRec* rec, const PlatEvent& ev) {
  if (ev.a == 1) {
    g_LastMouseButton = 1;
    if (g_DragLayer && Wnd_DragTest(rec, ev.x, ev.y)) {
      g_DragRequest = static_cast<uint8_t>(rec->index + 1);
      g_DragPressX = ev.x;
      g_DragPressY = ev.y;
    }
  } else if (ev.a == 2 || ev.a == 4) {
    g_LastMouseButton = static_cast<uint32_t>(ev.a);
  }
}

}  // namespace

void Win_HandleMessage(WindowRec* rec, const PlatEvent& ev) {
  switch (ev.msg) {
    case PlatMsg::Close: HandleClose(rec, ev); break;
    case PlatMsg::Activate: Win_OnActivate(rec, ev.a != 0); break;
    case PlatMsg::Exposed: Win_RedrawAll(rec); break;
    case PlatMsg::Move: Win_OnMove(rec); break;
    case PlatMsg::Size: HandleSizeChange(rec); break;
    case PlatMsg::Minimized:
    case PlatMsg::Maximized:
    case PlatMsg::Restored: HandleMinMax(rec, ev.msg); break;
    case PlatMsg::KeyDown: g_LastKeyDown = static_cast<uint32_t>(ev.a); break;
    case PlatMsg::MouseMove: Input_OnMouseMoved(); break;
    case PlatMsg::ButtonDown: HandleButton(rec, ev); break;
    case PlatMsg::Wheel: Input_OnMouseWheel(ev.a); break;
    case PlatMsg::DropFiles: Win_OnDropFiles(rec, ev.files); break;
    case PlatMsg::TitleDoubleClick: Win_OnTitleDoubleClick(rec); break;
    case PlatMsg::DisplayChanged: Win_OnMove(rec); break;
    case PlatMsg::User: HandleUser(rec, ev); break;
    default: break;
  }
}

namespace {

uint32_t ConfirmClose(WindowRec* rec) {
  uint8_t mode = rec->closeMode;
  if (mode == 0) {
    g_CloseRequest = 1;
    return 0;
  }
  if (mode == 1) {
    g_FrameHold = 1;
    Cursor_RequestShow();
    Cursor_ApplyPending();
    g_QuitBoxUp = 1;
    static const std::string kAsk = Text_Utf8ToSjis("終了します。よろしいですか？");
    int answer = g_WndUi.askYesNo(rec->handle, kAsk.c_str(), g_WinConfig.windowTitle.c_str());
    g_FrameHold = 0;
    g_QuitBoxUp = 0;
    // A box that could not be shown is no answer: the game goes on.
    if (answer != 1) return 0;
    mode = rec->closeMode;
  }
  if (mode == 3) return 1;
  g_QuitRequested = 1;
  return 1;
}

uint32_t ConfirmMaximize(WindowRec* rec) {
  g_MaximizeRequest = static_cast<uint8_t>(rec->index + 1);
  if (!rec->maximizeAllowed) return 0;
  if (rec->index != 0 || g_FullScreen) return 1;
  if (!g_WinConfig.thickFrame) {
    Wnd_GetStyle(rec, &g_MainSize.keptFrameW, &g_MainSize.keptFrameH);
    g_MainSize.frameChanged = 1;
    Win_SetStyle(rec, Win_GetStyle(rec) | kWsThickFrame);
  }
  g_MainSize.maximized = 1;
  g_MainSize.maxKeptScreenW = g_Screen.screenW;
  g_MainSize.maxKeptScreenH = g_Screen.screenH;
  g_MainSize.maxKeptShownW = g_Screen.shownW;
  g_MainSize.maxKeptShownH = g_Screen.shownH;
  if (Screen_GpuResetCondition()) g_D3dResetRequest = 1;
  return 1;
}

uint32_t ConfirmRestore(WindowRec* rec) {
  if (rec->index != 0 || PlatWin_IsMinimized(rec->handle) || g_FullScreen) return 1;
  if (!g_WinConfig.thickFrame) {
    Wnd_GetStyle(rec, &g_MainSize.keptFrameW, &g_MainSize.keptFrameH);
    g_MainSize.frameChanged = 1;
    Win_SetStyle(rec, Win_GetStyle(rec) & ~kWsThickFrame);
  }
  if (!PlatWin_IsMinimized(rec->handle)) g_MainSize.restorePending = 1;
  return 1;
}

}  // namespace

uint32_t Wnd_ConfirmQuit(WindowRec* rec, uint32_t command) {
  if (command == kSysCmdResetSize) {
    g_MenuCommand = kSysCmdResetSize;
    if (Screen_GpuResetCondition()) g_D3dResetRequest = 1;
    return 0;
  }
  switch (command & ~0xFu) {
    case kScMinimize:
      g_MinimizeRequest = static_cast<uint8_t>(rec->index + 1);
      return rec->minimizeAllowed ? 1 : 0;
    case kScScreenSave:
      return (!g_WinConfig.screenSaverMode && g_BlockScreenSaver) ? 0 : 1;
    case kScClose: return ConfirmClose(rec);
    case kScMaximize: return ConfirmMaximize(rec);
    case kScRestore: return ConfirmRestore(rec);
    default: return 1;
  }
}

void Wnd_Destroy(WindowRec* rec) {
  g_WindowState[rec->index] = -1;
  {
    // The frame thread may be presenting into this window: the lock waits
    // for that frame, and the next one finds no handle.
    std::unique_lock<std::mutex> hold = PlatPresent_LockWindows();
    PlatWindow* w = rec->handle;
    rec->handle = nullptr;
    rec->active = 0;
    if (w) PlatWin_Destroy(w);
  }
  Wnd_DestroyMenuAndQuit(rec);
}

void Wnd_DestroyMenuAndQuit(WindowRec* rec) {
  if (rec->closeMode == 3) return;
  // Whatever destroyed the window, the threads must see the quit to end:
  // the loop's end without it would leave the shut-down waiting for ever.
  g_QuitRequested = 1;
  Plat_PostQuit();
}

void Win_OnTitleDoubleClick(WindowRec* rec) {
  if (!g_WinConfig.titleDoubleClick) {
    g_RedrawCountdown = 1;
    return;
  }
  if (!(rec->index == 0 && g_MainSize.maximized))
    g_ScreenModeRequest = static_cast<uint8_t>(rec->index + 1);
}

int Win_SkipEraseBkgnd() { return (g_FullScreen || g_MainSize.maximized) ? 0 : 1; }

void Win_OnTrayEvent(WindowRec* rec, int32_t iconId, int32_t mouseMessage) {
  if (rec->index != 0 || iconId != kTrayIconId || !rec->handle) return;
  if (mouseMessage == kMsgLButtonDown) {
    PlatWin_Raise(rec->handle);
    Win_RedrawAll(rec);
    return;
  }
  if (mouseMessage != kMsgLButtonDblClk && mouseMessage != kMsgRButtonUp) return;
  PlatWin_Raise(rec->handle);
  if (g_WndFrameThreadRunning) g_WholeDirtyPending.fetch_or(1u << rec->index);
  else Layer_MarkWholeDirty(rec->layerSet);
  int32_t x = 0, y = 0;
  PlatMouse_GlobalPos(&x, &y);
  const ScreenView v = Screen_TakeView();
  g_PopupPosX = x - v.boxX;
  g_PopupPosY = y - v.boxY;
  g_PopupMenuSet = 2;
}

void Win_RedrawAll(WindowRec* rec) {
  // With a frame thread the layers belong to it: it marks the root at its
  // next frame, which presents.
  if (g_WndFrameThreadRunning) {
    g_RedrawPending.fetch_or(1u << rec->index);
    return;
  }
  LayerImage* root = MarkRedraw(rec);
  if (!root) return;
  Present_Frame(rec, rec->layerSet);
  root->subtreeDirty = 1;
}

void Win_TakePendingRedraws() {
  uint32_t redraw = g_RedrawPending.exchange(0), dirty = g_WholeDirtyPending.exchange(0);
  for (int i = 0; i < kWindowCount; ++i) {
    WindowRec* rec = g_WindowRecs[i];
    if (!rec) continue;
    if ((redraw >> i) & 1u)
      if (LayerImage* root = MarkRedraw(rec)) root->subtreeDirty = 1;
    if ((dirty >> i) & 1u) Layer_MarkWholeDirty(rec->layerSet);
  }
}

void Wnd_LayerOrigin(const ObjNode* node, int64_t* left, int64_t* top) {
  int64_t l = 0, t = 0;
  for (const ObjNode* n = node; n && n->parent; n = n->parent) {
    if (const LayerImage* r = Layer_Record(n)) {
      l += r->x;
      t += r->y;
    }
  }
  *left = l;
  *top = t;
}

bool Wnd_DragHit(int32_t x, int32_t y, int64_t left, int64_t top, const LayerImage* layer) {
  if (!layer || !layer->pixels) return false;
  // Exclusive right and bottom edges: the last pixel of a row is the last read.
  if (x < left || y < top || x >= left + layer->width || y >= top + layer->height) return false;
  const uint8_t* p = layer->pixels + ((y - top) * static_cast<int64_t>(layer->width) + (x - left)) * 4;
  uint32_t value = p[0] + p[1] * 256u + p[2] * 65536u;
  return value != 0;
}

bool Wnd_DragTest(WindowRec* rec, int32_t clientX, int32_t clientY) {
  ObjNode* layer = g_DragLayer;
  if (!layer || !rec) return false;
  int32_t x = 0, y = 0;
  ClientToLogical(rec, clientX, clientY, &x, &y);
  if (x < 0 || y < 0 || x >= rec->logicalW || y >= rec->logicalH) return false;
  int64_t left = 0, top = 0;
  Wnd_LayerOrigin(layer, &left, &top);
  return Wnd_DragHit(x, y, left, top, Layer_Record(layer));
}

void Win_OnDropFiles(WindowRec*, const std::vector<std::string>& utf8Paths) {
  std::lock_guard<std::mutex> lock(*g_DropLock);
  g_DroppedFiles.Clear();
  for (const std::string& utf8 : utf8Paths) {
    if (g_DroppedFiles.paths.size() >= kDropFilesMax) break;
    std::string sjis = Text_Utf8ToSjis(utf8);
    // A name with characters outside Shift-JIS could never be opened again.
    if (Text_SjisToUtf8(sjis) != utf8) continue;
    for (char& c : sjis)
      if (c == '/') c = '\\';
    // A path that does not fit would be cut into a different path.
    if (sjis.size() + 1 > kDropPathBytes) continue;
    std::error_code ec;
    if (std::filesystem::is_directory(utf8, ec) && sjis.size() + 2 <= kDropPathBytes &&
        (sjis.empty() || sjis.back() != '\\'))
      sjis += '\\';
    char* buf = static_cast<char*>(std::calloc(1, kDropPathBytes));
    if (!buf) break;
    std::memcpy(buf, sjis.data(), sjis.size());
    g_DroppedFiles.paths.push_back(buf);
  }
  g_DroppedFiles.count = static_cast<uint32_t>(g_DroppedFiles.paths.size());
}

void Wnd_ApplyScreenSaverBlock() {
  static int applied = -1;
  int want = (!g_WinConfig.screenSaverMode && g_BlockScreenSaver) ? 1 : 0;
  if (want == applied) return;
  applied = want;
  Plat_SetScreenSaverBlocked(want != 0);
}

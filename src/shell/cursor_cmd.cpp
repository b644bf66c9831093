// Command 70 on the main window's cursor: showing and auto-hiding, its
// position, a stock shape, or a colour cursor made from a layer.
#include <cstdint>
#include <vector>

#include "base/base.h"
#include "graphics/graphics.h"
#include "platform/cursor.h"
#include "platform/text.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "shell/wincmd.h"
#include "vm/vm.h"

CursorState g_CursorState;

namespace {

using namespace menuarg::cursor;

void Box(const char* utf8Format, const char* what, int32_t w = 0, int32_t h = 0) {
  std::string format = Text_Utf8ToSjis(utf8Format);
  Sys_MessageBoxF("", format.c_str(), what, w, h);
}

void ApplyMode(WindowRec* rec, int64_t mode) {
  switch (mode) {
    case 0:
      if (g_CursorShown) {
        g_CursorPending = 2;
        g_CursorShown = 0;
      }
      rec->hideTimerOn = 0;
      g_InputOptions.autoHide = 0;
      break;
    case 1:
      if (!g_CursorShown && !rec->hideTimerOn) Cursor_RequestShow();
      g_InputOptions.autoHide = 1;
      break;
    case 2:
      Cursor_RequestShow();
      rec->hideTimerOn = 0;
      g_InputOptions.autoHide = 0;
      break;
    default: break;
  }
}

// Moves the cursor so that one coordinate of its client position becomes
// `value` (logical) plus the view offset; the record keeps the value.
void MoveTo(WindowRec* rec, bool vertical, int64_t value) {
  WinCmd_OnMain([&] {
    PlatRect client;
    int32_t gx = 0, gy = 0;
    if (!rec->handle || !PlatWin_GetClientRect(rec->handle, &client) ||
        !PlatMouse_GlobalPos(&gx, &gy))
      return;
    int32_t cx = gx - client.x, cy = gy - client.y;
    // On the main thread: the letter-box the frame's presentation wrote.
    const ScreenView v = Screen_TakeView();
    if (vertical) cy = int32_t(value) + v.boxY;
    else cx = int32_t(value) + v.boxX;
    PlatMouse_Warp(client.x + cx, client.y + cy);
  });
  if (vertical) rec->mouseY = int32_t(value);
  else rec->mouseX = int32_t(value);
}

void Choose(PlatCursor* c) {
  g_CursorState.classCursor = c;
  PlatCursor_Set(c);
}

}  // namespace

bool Cursor_LayerPixels(ObjNode* node, int32_t w, int32_t h, const char* what,
                        std::vector<uint32_t>* out) {
  const LayerImage* layer = Layer_Record(node);
  if (!layer || int64_t(layer->width) != w || int64_t(layer->height) != h) {
    Box("%s ERR.\r\nレイヤサイズが %dx%d ではありません。", what, w, h);
    return false;
  }
  if (!layer->pixels || w <= 0 || h <= 0) {
    Box("%s CreateDIBSection エラー", what);
    return false;
  }
  const auto* src = reinterpret_cast<const uint32_t*>(layer->pixels);
  out->assign(src, src + size_t(w) * size_t(h));
  return true;
}

PlatCursor* Cursor_FromLayer(WindowRec*, ObjNode* node, int32_t w, int32_t h, int32_t hotX,
                             int32_t hotY) {
  std::vector<uint32_t> px;
  if (!Cursor_LayerPixels(node, w, h, "CURSOR", &px)) return nullptr;
  PlatCursor* c = PlatCursor_CreateColor(px.data(), w, h, hotX, hotY);
  if (!c) Box("%s CreateIconIndirect エラー", "CURSOR");
  return c;
}

int32_t Cmd_Cursor() {
  if (Cmd_FetchArgs(kCmdCursor) != 0) return -1;
  WindowRec* rec = g_WindowRecs[0];
  if (!rec) return 0;
  if (Arg_Given(kMode)) ApplyMode(rec, Arg_Int(kMode, 0));
  if (Arg_Given(kDelay)) g_InputOptions.hideDelayMs = uint32_t(Arg_Int(kDelay, 0));
  if (Arg_Given(kOnMove)) rec->showOnMove = uint8_t(Arg_Int(kOnMove, 0));
  if (Arg_Given(kOnButton)) rec->showOnButton = uint8_t(Arg_Int(kOnButton, 0));
  if (Arg_Given(kOnWheel)) rec->showOnWheel = uint8_t(Arg_Int(kOnWheel, 0));
  if (Arg_Given(kX)) MoveTo(rec, false, Arg_Int(kX, 0));
  if (Arg_Given(kY)) MoveTo(rec, true, Arg_Int(kY, 0));
  if (Arg_Given(kStock)) Choose(PlatCursor_Stock(int32_t(Arg_Int(kStock, 0))));
  int32_t hotX = uint16_t(Arg_Int(kHotX, 0)), hotY = uint16_t(Arg_Int(kHotY, 0));
  if (!Arg_Given(kLayer)) return 0;
  char path[kObjPathMax];
  const char* text = Arg_Str(kLayer);
  if (Obj_ResolvePath(path, text ? text : "", g_TreeRoots[kTreeLayer].curPath, false) < 0)
    return -1;
  ObjNode* node = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, path, kObjFindEither);
  const LayerImage* layer = Layer_Record(node);
  if (!node || !layer) return 0;
  // The new cursor is made before the old one goes, so that the shown
  // cursor is never one already destroyed, even when the new one fails.
  PlatCursor* made = Cursor_FromLayer(rec, node, int32_t(layer->width), int32_t(layer->height),
                                      hotX, hotY);
  if (!made) return 0;
  PlatCursor* old = g_CursorState.layerCursor;
  g_CursorState.layerCursor = made;
  Choose(made);
  PlatCursor_Destroy(old);
  return 0;
}

void Cursor_ShutDown() {
  if (g_CursorState.classCursor == g_CursorState.layerCursor) {
    g_CursorState.classCursor = nullptr;
    if (g_CursorState.layerCursor) PlatCursor_Set(PlatCursor_Stock(0));
  }
  PlatCursor_Destroy(g_CursorState.layerCursor);
  g_CursorState.layerCursor = nullptr;
}

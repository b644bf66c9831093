// Command 98: the notification-area icon of the main window, its tip and
// its popup menu (set 2).
#include <cstring>
#include <vector>

#include "base/base.h"
#include "graphics/graphics.h"
#include "platform/events.h"
#include "platform/tray.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "vm/vm.h"

TrayState g_TrayState;

namespace {

using namespace menuarg::icon;

// The desktop's clicks reach the window procedure as the icon's messages.
void OnTrayAction(PlatTrayAction action, int32_t, int32_t) {
  PlatEvent ev;
  ev.msg = PlatMsg::User;
  ev.window = 0;
  ev.b = kUserTray;
  ev.x = kTrayIconId;
  ev.a = action == PlatTrayAction::Menu ? kMsgRButtonUp : kMsgLButtonDown;
  Plat_PostEvent(ev);
}

void ShowIcon(ObjNode* layer) {
  TrayState& t = g_TrayState;
  t.layerIcon.clear();
  std::vector<uint32_t> px;
  if (layer && Cursor_LayerPixels(layer, kPlatTrayIconSide, kPlatTrayIconSide, "ICON", &px))
    t.layerIcon = std::move(px);
  PlatTray_SetHandler(OnTrayAction);
  // Without a layer icon the engine's own picture stands in.
  PlatTray_Show(t.layerIcon.empty() ? nullptr : t.layerIcon.data(), t.tip);
  t.added = 1;
}

}  // namespace

void Tray_SetTip(const char* text) {
  size_t n = text ? Sjis_FitLength(text, std::strlen(text), kTrayTipBytes) : 0;
  g_TrayState.tip.assign(text ? text : "", n);
}

void Tray_RemoveIcon() {
  TrayState& t = g_TrayState;
  if (!t.added) return;
  t.added = 0;
  PlatTray_Remove();
  t.layerIcon.clear();
}

int32_t Cmd_Icon() {
  if (Cmd_FetchArgs(kCmdIcon) != 0) return -1;
  ObjNode* layer = nullptr;
  if (Arg_Given(kLayer)) {
    char path[kObjPathMax];
    const char* text = Arg_Str(kLayer);
    if (Obj_ResolvePath(path, text ? text : "", g_TreeRoots[kTreeLayer].curPath, false) < 0)
      return -1;
    layer = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, path, kObjFindEither);
    if (!layer) return 0;
  }
  if (Arg_Given(kTip)) Tray_SetTip(Arg_Str(kTip));
  if (Arg_Given(kShow)) {
    if (Arg_Int(kShow, 0) == 1) ShowIcon(layer);
    else Tray_RemoveIcon();
  }
  if (Arg_Given(kMenu)) {
    char path[kObjPathMax];
    if (Menu_ResolvePath(kMenu, path) < 0) return -1;
    ObjNode* node = Menu_FindNode(path, kObjFindEither);
    if (!node) return 0;
    Menu_BuildPopupSet(kMenuSetTray, node);
  }
  return 0;
}

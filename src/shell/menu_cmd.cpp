// Commands 63 to 66 on the menu tree: make or change an item, pop a menu up
// at the mouse, delete items, and read one fact about an item. Also the
// schema entries of the menu, cursor and tray commands.
#include <cstring>
#include <iterator>

#include "base/base.h"
#include "graphics/cg_setup.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/frame.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "shell/wincmd.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {

using namespace menuarg;

constexpr CmdArgSchema kItemArgs[] = {
    {item::kPath, "path", kArgText, 0, 0},   {item::kText, "text", kArgText, 0, 0},
    {item::kKey, "order", kArgInt, 0, 0},      {item::kShown, "show", kArgInt, 0, 0},
    {item::kEnabled, "enable", kArgInt, 0, 0}, {item::kChecked, "check", kArgInt, 0, 0},
    {item::kId, "id", kArgInt, 0, 0},
};
constexpr CmdArgSchema kPopupArgs[] = {
    {popup::kPath, "path", kArgText, 0, 0},
    {popup::kShow, "show", kArgInt, 0, 0},
};
constexpr CmdArgSchema kDeleteArgs[] = {{0, "path", kArgText, 0, 0}};
// The queries count only by whether they are given.
constexpr CmdArgSchema kQueryArgs[] = {
    {query::kTarget, "target", kArgInt, 0, 0}, {query::kPath, "path", kArgText, 0, 0},
    {query::kText, "text", kArgRaw, 0, 1},     {query::kExists, "exists", kArgRaw, 0, 1},
    {query::kKey, "order", kArgRaw, 0, 1},       {query::kShown, "show", kArgRaw, 0, 1},
    {query::kEnabled, "enable", kArgRaw, 0, 1}, {query::kChecked, "check", kArgRaw, 0, 1},
    {query::kId, "id", kArgRaw, 0, 1},
};
constexpr CmdArgSchema kCursorArgs[] = {
    {cursor::kMode, "mode", kArgInt, 0, 0},         {cursor::kDelay, "delay", kArgInt, 0, 0},
    {cursor::kOnMove, "onmove", kArgInt, 0, 0},     {cursor::kOnButton, "onbutton", kArgInt, 0, 0},
    {cursor::kOnWheel, "onwheel", kArgInt, 0, 0},   {cursor::kX, "x", kArgInt, 0, 0},
    {cursor::kY, "y", kArgInt, 0, 0},               {cursor::kStock, "stock", kArgInt, 0, 0},
    {cursor::kHotX, "hotx", kArgInt, 0, 0},         {cursor::kHotY, "hoty", kArgInt, 0, 0},
    {cursor::kLayer, "layer", kArgText, 0, 0},
};
constexpr CmdArgSchema kIconArgs[] = {
    {icon::kShow, "show", kArgInt, 0, 0},   {icon::kTip, "tip", kArgText, 0, 0},
    {icon::kLayer, "layer", kArgText, 0, 0}, {icon::kMenu, "menu", kArgText, 0, 0},
};

constexpr CmdSchemaEntry kMenuCmds[] = {
    {kCmdMenuItem, "menu63", Cmd_MenuItem, item::kCount, kItemArgs, uint8_t(std::size(kItemArgs))},
    {kCmdMenuPopup, "menu64", Cmd_MenuPopup, popup::kCount, kPopupArgs,
     uint8_t(std::size(kPopupArgs))},
    {kCmdMenuDelete, "menu65", Cmd_MenuDelete, 1, kDeleteArgs, uint8_t(std::size(kDeleteArgs))},
    {kCmdMenuQuery, "menu66", Cmd_MenuQuery, query::kCount, kQueryArgs,
     uint8_t(std::size(kQueryArgs))},
    {kCmdCursor, "cursor70", Cmd_Cursor, cursor::kCount, kCursorArgs,
     uint8_t(std::size(kCursorArgs))},
    {kCmdIcon, "icon98", Cmd_Icon, icon::kCount, kIconArgs, uint8_t(std::size(kIconArgs))},
};

const char* Str(int id) {
  const char* s = Arg_Str(id);
  return s ? s : "";
}

int Op(int id) { return g_ArgSlot[g_ArgGiven[id]].op; }

}  // namespace

int Menu_ResolvePath(int id, char* out) {
  return Obj_ResolvePath(out, Str(id), g_TreeRoots[kTreeMenu].curPath, false);
}

ObjNode* Menu_FindNode(const char* path, int mode) {
  return Obj_FindByPath(g_TreeRoots[kTreeMenu].root, path, mode | kObjFindQuiet);
}

int32_t Cmd_MenuItem() {
  if (Cmd_FetchArgs(kCmdMenuItem) != 0) return -1;
  char path[kObjPathMax];
  int mode = Menu_ResolvePath(item::kPath, path);
  if (mode < 0) return -1;
  bool group = mode == 1;
  ObjNode* node = Menu_FindNode(path, group ? kObjFindGroup : kObjFindLeaf);
  // A computed key of -1 stands for "no key": it neither moves an item nor
  // places a new one.
  int64_t key = kMenuNoKey;
  if (Arg_Given(item::kKey)) {
    int64_t old = node ? node->key : 1;
    key = int32_t(Cmd_ApplyOpClampMin(Op(item::kKey), old, Arg_Int(item::kKey, 0), 1));
    if (node && key != kMenuNoKey) Cg_Relink(node, key);
  }
  if (node) {
    if (Arg_Given(item::kText)) Menu_SetItemText(Menu_Record(node), Str(item::kText));
  } else {
    if (!Arg_Given(item::kText)) {
      Err_ScriptF(100260, 1, Cmd_Name(kCmdMenuItem), path);
      return -1;
    }
    if (key == kMenuNoKey) {
      Err_ScriptF(100240, 1, Cmd_Name(kCmdMenuItem));
      return -1;
    }
    ObjNode* parent = Obj_FindGroupByPath(path, g_TreeRoots[kTreeMenu].root);
    if (!parent) return -1;
    MenuItemRec* rec = Obj_NewRecord24(Str(item::kText));
    if (!rec) return -1;
    const char* name = Obj_LastComponent(path);
    node = Obj_NewNode(name, std::strlen(name), group ? kObjKindGroup : kObjKindLeaf, rec);
    if (!node) {
      Menu_FreeRecord(rec);
      return -1;
    }
    Obj_LinkChild(parent, node, key);
  }
  MenuItemRec* rec = Menu_Record(node);
  if (!rec) return 0;
  if (Arg_Given(item::kShown)) rec->shown = uint8_t(Arg_Int(item::kShown, 0));
  if (Arg_Given(item::kEnabled)) rec->enabled = int16_t(Arg_Int(item::kEnabled, 0));
  if (Arg_Given(item::kChecked)) rec->checked = uint8_t(Arg_Int(item::kChecked, 0));
  if (Arg_Given(item::kId)) rec->id = uint64_t(Arg_Int(item::kId, 0));
  return 0;
}

int32_t Cmd_MenuPopup() {
  if (Cmd_FetchArgs(kCmdMenuPopup) != 0) return -1;
  char path[kObjPathMax];
  if (Menu_ResolvePath(popup::kPath, path) < 0) return -1;
  ObjNode* node = Menu_FindNode(path, kObjFindEither);
  if (!node || Arg_Int(popup::kShow, 0) != 1) return 0;
  Menu_BuildPopupSet(kMenuSetPopup, node);
  g_PopupMenuSet = kMenuSetPopup;
  int32_t x = 0, y = 0;
  WinCmd_OnMain([&] { PlatMouse_GlobalPos(&x, &y); });
  const ScreenView v = Screen_TakeView();
  g_PopupPosX = x - v.boxX;
  g_PopupPosY = y - v.boxY;
  return 0;
}

int32_t Cmd_MenuDelete() {
  if (Cmd_FetchArgs(kCmdMenuDelete) != 0) return -1;
  char path[kObjPathMax];
  int mode = Menu_ResolvePath(0, path);
  if (mode < 0) return -1;
  ObjNode* node = Menu_FindNode(path, mode == 1 ? kObjFindGroup : kObjFindLeaf);
  // The root is never deleted; a group goes with everything below it.
  if (node && node != g_TreeRoots[kTreeMenu].root) Obj_FreeSubtree(kTreeMenu, node);
  return 0;
}

namespace {

const Variable* VarOf(uint32_t var) {
  return var < g_VarTable.count && g_VarTable.vars ? &g_VarTable.vars[var] : nullptr;
}

// The first of the query ids asked for is the one answered.
constexpr uint8_t kQueryOrder[] = {query::kExists, query::kShown, query::kEnabled, query::kKey,
                                   query::kChecked, query::kId, query::kText};

int Answer(const ObjNode* node, uint8_t q, uint32_t var, int64_t index) {
  const MenuItemRec* rec = Menu_Record(node);
  if (q == query::kExists) return Cmd_WriteFlagResult(var, index, true);
  if (q == query::kKey) return Var_SetIntElement(var, index, node->key);
  if (!rec) return 0;
  switch (q) {
    case query::kShown: return Var_SetIntElement(var, index, rec->shown);
    case query::kEnabled: return Var_SetIntElement(var, index, rec->enabled);
    case query::kChecked: return Var_SetIntElement(var, index, rec->checked);
    case query::kId: return Var_SetIntElement(var, index, int64_t(rec->id));
    case query::kText: {
      const Variable* v = VarOf(var);
      if (v && v->type == 3) Var_SetStringElement(var, index, rec->text ? rec->text : "");
      return 0;
    }
    default: return 0;
  }
}

}  // namespace

int32_t Cmd_MenuQuery() {
  if (Cmd_FetchArgs(kCmdMenuQuery) != 0) return -1;
  uint32_t var = 0;
  int64_t index = 0;
  bool target = Arg_Target(query::kTarget, &var, &index);
  char path[kObjPathMax];
  int mode = Menu_ResolvePath(query::kPath, path);
  if (mode < 0) return -1;
  ObjNode* node = Menu_FindNode(path, mode == 1 ? kObjFindGroup : kObjFindLeaf);
  if (!target) return 0;
  if (!node) {
    Cmd_WriteZeroResult(var, index);
    return 0;
  }
  for (uint8_t q : kQueryOrder) {
    if (!Arg_Given(q)) continue;
    // A refused element type is reported by the writer; the command ends
    // normally all the same.
    Answer(node, q, var, index);
    break;
  }
  return 0;
}

void CmdSchema_RegisterMenus() {
  CmdSchema_Add(kMenuCmds, std::size(kMenuCmds));
  // The bars answer on the main thread: their hook is set before any runs.
  Menu_InstallHooks();
}

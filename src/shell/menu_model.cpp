// The menu model: item records of the menu tree and the three menu sets
// built from it, each a flat table of menus whose slot 0 is the top menu.
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/base.h"
#include "platform/menu.h"
#include "platform/text.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "vm/objtree.h"

MenuSets g_MenuSets;

namespace {

void ReleaseMenuNode(ObjNode* node) {
  Menu_FreeRecord(static_cast<MenuItemRec*>(node->record));
  node->record = nullptr;
}

// Made at static initialisation: the file is linked with the menu commands.
const ObjRootRegistrar kMenuRoots(kTreeMenu, Menu_MakeSystemRoot);

PlatMenu* NewMenu() { return new (std::nothrow) PlatMenu; }

}  // namespace

MenuItemRec* Menu_Record(const ObjNode* node) {
  return node ? static_cast<MenuItemRec*>(node->record) : nullptr;
}

void Menu_SetItemText(MenuItemRec* rec, const char* text) {
  if (!rec || !rec->text) return;
  size_t n = text ? Sjis_FitLength(text, std::strlen(text), kMenuTextBytes) : 0;
  if (n) std::memmove(rec->text, text, n);
  rec->text[n] = 0;
}

MenuItemRec* Obj_NewRecord24(const char* text) {
  MenuItemRec* rec = new (std::nothrow) MenuItemRec;
  char* buf = static_cast<char*>(Mem_AllocZeroed(kMenuTextBytes));
  if (!rec || !buf) {
    delete rec;
    std::free(buf);
    Err_Show(100010, 1);
    return nullptr;
  }
  rec->text = buf;
  Menu_SetItemText(rec, text);
  return rec;
}

void Menu_FreeRecord(MenuItemRec* rec) {
  if (!rec) return;
  std::free(rec->text);
  delete rec;
}

int32_t Menu_MakeSystemRoot(ObjTreeRoot& tree) {
  Obj_SetReleaseHook(kTreeMenu, ReleaseMenuNode);
  MenuItemRec* rootRec = Obj_NewRecord24("");
  if (!rootRec) return 1;
  tree.root->record = rootRec;
  std::strcpy(tree.curPath, "M0");
  MenuItemRec* rec = Obj_NewRecord24("M0");
  if (!rec) return 1;
  ObjNode* m0 = Obj_NewNode("M0", 2, kObjKindGroup, rec);
  if (!m0) {
    Menu_FreeRecord(rec);
    return 1;
  }
  Obj_LinkChild(tree.root, m0, 0);
  return 0;
}

void Menu_DestroySet(int set) {
  if (set < 0 || set >= kMenuSetCount) return;
  for (PlatMenu*& m : g_MenuSets.menus[set]) {
    delete m;
    m = nullptr;
  }
}

int Menu_AddItems(int set, ObjNode* node) {
  MenuSets& s = g_MenuSets;
  int slot = s.counter;
  if (slot < 0 || slot >= kMenuSetMenus || !s.menus[set][slot]) return -1;
  s.counter += 1;
  PlatMenu* menu = s.menus[set][slot];
  for (uint32_t i = 1; node && i <= node->childCount; ++i) {
    ObjNode* child = Obj_GetChild(node, i);
    const MenuItemRec* rec = Menu_Record(child);
    if (!child || !rec || !rec->shown) continue;
    PlatMenuItem item;
    item.id = uint32_t(rec->id);
    item.grayed = rec->enabled == 0;
    item.checked = rec->checked == 1;
    // An empty text is a separator even for a group: it never opens.
    if (!rec->text || !rec->text[0]) {
      item.separator = true;
      item.grayed = true;
      menu->items.push_back(item);
      continue;
    }
    item.text = rec->text;
    bool opens = child->kind == kObjKindGroup && child->childCount > 0;
    if (!opens) {
      menu->items.push_back(item);
      continue;
    }
    if (s.counter >= kMenuSetMenus) return -1;
    PlatMenu* sub = NewMenu();
    if (!sub) return -1;
    s.menus[set][s.counter] = sub;
    item.submenu = sub;
    menu->items.push_back(item);
    if (Menu_AddItems(set, child) != 0) return -1;
  }
  return 0;
}

int Menu_BuildMenuBar(const char* menuPath, WindowRec* rec) {
  if (!menuPath || !menuPath[0]) {
    Menu_DestroySet(kMenuSetBar);
    g_MenuSets.counter = 0;
    Menu_Attach(rec, nullptr);
    return 0;
  }
  ObjNode* node = Obj_FindByPath(g_TreeRoots[kTreeMenu].root, menuPath, kObjFindEither);
  if (!node) {
    Err_ScriptF(101250, 1, "window", menuPath);
    return -1;
  }
  Menu_DestroySet(kMenuSetBar);
  PlatMenu* top = NewMenu();
  g_MenuSets.menus[kMenuSetBar][0] = top;
  g_MenuSets.counter = 0;
  // A bar that could not be built whole is left unattached; the window
  // command goes on.
  if (top && Menu_AddItems(kMenuSetBar, node) == 0) Menu_Attach(rec, top);
  return 0;
}

int Menu_BuildPopupSet(int set, ObjNode* node) {
  Menu_DestroySet(set);
  PlatMenu* top = NewMenu();
  PlatMenu* sub = NewMenu();
  g_MenuSets.menus[set][0] = top;
  g_MenuSets.menus[set][1] = sub;
  if (!top || !sub) return -1;
  PlatMenuItem item;
  item.text = "MENUSET";
  item.id = kMenuPopupTopId;
  item.submenu = sub;
  top->items.push_back(item);
  g_MenuSets.counter = 1;
  return Menu_AddItems(set, node);
}

const PlatMenu* Menu_PopupMenu(int set) {
  if (set < 0 || set >= kMenuSetCount) return nullptr;
  const PlatMenu* top = g_MenuSets.menus[set][0];
  if (!top || top->items.empty()) return nullptr;
  return top->items[0].submenu;
}

// Menus, cursors and the tray icon: the menu item records of the menu tree,
// the three menu sets built from it (menu bar, script popup, tray popup),
// the menu, cursor and icon commands, and the full-screen menu window.
#pragma once
#include <array>
#include <cstdint>

struct ObjNode;
struct PlatMenu;
struct WindowRec;

// ---- Limits ----------------------------------------------------------------
constexpr int kMenuSetCount = 3;         // 0 menu bar, 1 script popup, 2 tray popup
constexpr int kMenuSetMenus = 128;       // menus of one set, top menu in slot 0
constexpr size_t kMenuTextBytes = 261;   // item text with its terminator
constexpr size_t kTrayTipBytes = 64;     // tip with its terminator
constexpr uint32_t kMenuPopupTopId = 1;  // the "MENUSET" item of a popup's top menu
constexpr int kMenuSetBar = 0, kMenuSetPopup = 1, kMenuSetTray = 2;

// ---- Menu item record (menu_model.cpp) --------------------------------------
// The record of a menu-tree node. A new item is shown and enabled.
struct MenuItemRec {
  char* text = nullptr;  // kMenuTextBytes, zero-terminated; empty: a separator
  uint8_t shown = 1;
  int16_t enabled = 1;   // 0 greys the item
  uint8_t checked = 0;   // exactly 1 checks it
  uint64_t id = 0;       // the menu uses the low 32 bits
};
// A record with a copy of `text` (cut below kMenuTextBytes on a character
// boundary); null after error 100010.
MenuItemRec* Obj_NewRecord24(const char* text);
void Menu_FreeRecord(MenuItemRec* rec);
MenuItemRec* Menu_Record(const ObjNode* node);
// Copies `text` into the record's buffer, cut on a character boundary.
void Menu_SetItemText(MenuItemRec* rec, const char* text);
// The menu tree's first nodes: the root's record and the group "M0".
int32_t Menu_MakeSystemRoot(struct ObjTreeRoot& tree);

// ---- Menu sets (menu_model.cpp) ---------------------------------------------
// Every menu of each set; slot 0 the top menu. Frame thread.
struct MenuSets {
  std::array<std::array<PlatMenu*, kMenuSetMenus>, kMenuSetCount> menus{};
  int counter = 0;  // last slot used, shared by the sets, reset by each build
};
extern MenuSets g_MenuSets;

int Menu_BuildMenuBar(const char* menuPath, WindowRec* rec);
int Menu_AddItems(int set, ObjNode* node);
void Menu_DestroySet(int set);
// Builds the popup form of set 1 or 2: a top menu with the one item
// "MENUSET" whose submenu (slot 1) holds the node's items.
int Menu_BuildPopupSet(int set, ObjNode* node);
// The menu a set pops up: the submenu of its top menu's first item.
const PlatMenu* Menu_PopupMenu(int set);
// Attaches the menu bar to the window (to the menu window in full screen);
// null removes it.
void Menu_Attach(WindowRec* rec, PlatMenu* menu);
// Frame: pops up the set of g_PopupMenuSet at its position and hands the
// choice (0 for none) to the window procedure as a menu command.
void Menu_RunPendingPopup();
// Shut-down and tests: all three sets and the tray icon go.
void Menu_ShutDown();

// ---- Commands (menu_cmd.cpp, cursor_cmd.cpp, tray_cmd.cpp) ------------------
int32_t Cmd_MenuItem();    // 63
int32_t Cmd_MenuPopup();   // 64
int32_t Cmd_MenuDelete();  // 65
int32_t Cmd_MenuQuery();   // 66
int32_t Cmd_Cursor();      // 70
int32_t Cmd_Icon();        // 98
void CmdSchema_RegisterMenus();

// ---- Full-screen menu window (menu_window.cpp) ------------------------------
int Mncl_CreateWindow();
void Screen_UpdateFullScreenMenu();

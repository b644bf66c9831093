// Menus, cursors and the tray icon: the menu item records of the menu tree,
// the three menu sets built from it (menu bar, script popup, tray popup),
// the menu, cursor and icon commands, and the full-screen menu window.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ObjNode;
struct PlatCursor;
struct PlatMenu;
struct PlatWindow;
struct WindowRec;

// ---- Limits ----------------------------------------------------------------
constexpr int kMenuSetCount = 3;         // 0 menu bar, 1 script popup, 2 tray popup
constexpr int kMenuSetMenus = 128;       // menus of one set, top menu in slot 0
constexpr size_t kMenuTextBytes = 261;   // item text with its terminator
constexpr size_t kTrayTipBytes = 64;     // tip with its terminator
constexpr uint32_t kMenuPopupTopId = 1;  // the "MENUSET" item of a popup's top menu
constexpr int kMenuSetBar = 0, kMenuSetPopup = 1, kMenuSetTray = 2;
constexpr int64_t kMenuNoKey = -1;       // a computed order key that counts as not given

// ---- Command numbers and argument ids ----------------------------------------
constexpr int kCmdMenuItem = 63, kCmdMenuPopup = 64, kCmdMenuDelete = 65, kCmdMenuQuery = 66;
constexpr int kCmdCursor = 70, kCmdIcon = 98;
namespace menuarg {
namespace item {
constexpr uint8_t kPath = 0, kText = 1, kKey = 2, kShown = 3, kEnabled = 4, kChecked = 5, kId = 6;
constexpr uint8_t kCount = 7;
}  // namespace item
namespace popup {
constexpr uint8_t kPath = 0, kShow = 1, kCount = 2;
}
namespace query {
constexpr uint8_t kTarget = 0, kPath = 1, kText = 2, kExists = 3, kKey = 4, kShown = 5,
                  kEnabled = 6, kChecked = 7, kId = 8, kCount = 9;
}
namespace cursor {
constexpr uint8_t kMode = 0, kDelay = 1, kOnMove = 2, kOnButton = 3, kOnWheel = 4, kX = 5,
                  kY = 6, kStock = 7, kHotX = 8, kHotY = 9, kLayer = 10, kCount = 11;
}
namespace icon {
constexpr uint8_t kShow = 0, kTip = 1, kLayer = 2, kMenu = 3, kCount = 4;
}
}  // namespace menuarg

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
// Items chosen from a menu bar reach the main window as menu commands.
void Menu_InstallHooks();
// Frame: pops up the set of g_PopupMenuSet at its position and hands the
// choice (0 for none) to the window procedure as a menu command.
void Menu_RunPendingPopup();
// Shut-down and tests: all three sets and the tray icon go.
void Menu_ShutDown();

// ---- Commands (menu_cmd.cpp, cursor_cmd.cpp, tray_cmd.cpp) ------------------
// The menu tree path of a text argument resolved into `out` (kObjPathMax
// bytes): 1 a group, 0 an item, -1 after the report.
int Menu_ResolvePath(int argId, char* out);
// A node of the menu tree by resolved path and find mode; null when missing
// (quietly, also for a missing group on the way).
ObjNode* Menu_FindNode(const char* path, int mode);
int32_t Cmd_MenuItem();    // 63
int32_t Cmd_MenuPopup();   // 64
int32_t Cmd_MenuDelete();  // 65
int32_t Cmd_MenuQuery();   // 66
int32_t Cmd_Cursor();      // 70
int32_t Cmd_Icon();        // 98
// The schema entries of 63 to 66, 70 and 98, with Menu_InstallHooks.
void CmdSchema_RegisterMenus();

// ---- Cursor (cursor_cmd.cpp) ---------------------------------------------------
// The cursors command 70 chose. Frame thread.
struct CursorState {
  PlatCursor* layerCursor = nullptr;  // made from a layer; destroyed when replaced
  PlatCursor* classCursor = nullptr;  // shown over the main window
};
extern CursorState g_CursorState;
// The pixels of a layer that must be w x h for a cursor or an icon (`what`
// is "CURSOR" or "ICON"); false after the box that says why not.
bool Cursor_LayerPixels(ObjNode* node, int32_t w, int32_t h, const char* what,
                        std::vector<uint32_t>* out);
PlatCursor* Cursor_FromLayer(WindowRec* rec, ObjNode* node, int32_t w, int32_t h, int32_t hotX,
                             int32_t hotY);
// Shut-down and tests: the layer cursor goes, the arrow comes back.
void Cursor_ShutDown();

// ---- Tray icon (tray_cmd.cpp) --------------------------------------------------
// The icon kept for the whole run. Frame thread.
struct TrayState {
  uint8_t added = 0;               // shown (or asked to be shown) and not removed since
  std::vector<uint32_t> layerIcon;  // 16 x 16 from a layer; empty: the engine's own
  std::string tip;                 // the last tip given, below kTrayTipBytes
};
extern TrayState g_TrayState;
// Keeps the tip, cut below kTrayTipBytes on a character boundary.
void Tray_SetTip(const char* text);
void Tray_RemoveIcon();

// ---- Full-screen menu window (menu_window.cpp) ------------------------------
constexpr int32_t kMnclWindowIndex = -2;  // its events belong to no engine window
struct MnclState {
  PlatWindow* handle = nullptr;
  const PlatMenu* menu = nullptr;  // the main window's bar, carried in full screen
  uint8_t shown = 0;
};
extern MnclState g_Mncl;
// Makes the strip once (1), or 0 when it cannot be made.
int Mncl_CreateWindow();
void Mncl_Attach(const PlatMenu* menu);
void Mncl_Destroy();
void Screen_UpdateFullScreenMenu();

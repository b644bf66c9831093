// A shell game for the menu, cursor and tray tests: on top of the window and
// the loaded scene, the pixel routines for the layers it makes, a recorder
// of the boxes shown, and at the end the menus, the menu items under "M0",
// the layers it names and the cursor and tray state taken down again.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "cmd_game.h"
#include "graphics/graphics.h"
#include "graphics/pixel_ops.h"
#include "platform/msgbox.h"
#include "shell/menu.h"

namespace menugame {

class MenuGame : public cmdgame::ShellGame {
 public:
  MenuGame(const std::function<void(fx::Game&)>& vars, const std::function<void(fx::Scene&)>& body,
           std::initializer_list<const char*> layers = {})
      : ShellGame(vars, body), layers_(layers.begin(), layers.end()) {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      boxes.push_back(r.text);
      return 1;
    });
  }
  ~MenuGame() {
    MsgBox_SetRecorder(nullptr);
    Menu_ShutDown();
    if (ObjNode* m0 = Obj_FindByPath(g_TreeRoots[kTreeMenu].root, "M0", kObjFindGroup | kObjFindQuiet))
      while (m0->first) Obj_FreeSubtree(kTreeMenu, m0->first);
    for (const std::string& path : layers_) {
      char abs[kObjPathMax];
      if (Obj_ResolvePath(abs, path.c_str(), g_TreeRoots[kTreeLayer].curPath, false) < 0) continue;
      if (ObjNode* n = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, abs, kObjFindEither | kObjFindQuiet))
        Obj_FreeSubtree(kTreeLayer, n);
    }
    g_CursorState = CursorState{};
    g_TrayState = TrayState{};
    g_InputOptions = InputOptions{};
    g_CursorShown = 1;
    g_CursorPending = 0;
  }
  std::vector<std::string> boxes;

 private:
  std::vector<std::string> layers_;
};

}  // namespace menugame

// Loading and running the fixture game of a GameTest.
#include "support/game_fixture.h"

#include "base/base.h"
#include "files/files.h"
#include "graphics/graphics.h"
#include "vm/vm.h"

namespace fx {

bool GameTest::LoadGameFiles(const Files& extra) {
  Pack_InitNameTable();  // the scene key, as start-up builds it
  EXPECT_EQ(0, Obj_CreateSystemRoots());
  Files files = game.Build();
  for (const auto& [k, v] : extra) files[k] = v;
  EXPECT_TRUE(UseStore(files));
  EXPECT_EQ(0, Script_LoadAll());
  return !::testing::Test::HasFailure();
}

bool GameTest::LoadGameWithCanvas(const Files& extra, int w, int h) {
  if (!LoadGameFiles(extra)) return false;
  LayerImage* r = Obj_GetImageRecord(g_TreeRoots[kTreeLayer].root);
  return r && Img_SetSize(r, w, h, nullptr) == 0;
}

void GameTest::RunGameFrames(int n) {
  for (int i = 0; i < n && !g_QuitRequested; ++i) Vm_RunFramePasses();
}

}  // namespace fx

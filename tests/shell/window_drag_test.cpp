// Drag hit test on a small layer fixture, and dropped files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "graphics/graphics.h"
#include "platform/text.h"
#include "support/test_env.h"
#include "window_fixture.h"

namespace {

using namespace winfix;

struct TinyLayer {
  LayerImage img;
  std::vector<uint8_t> buf;
  TinyLayer(uint32_t w, uint32_t h) : buf((w * 4) * (h + 1) + 4, 0) {
    img.width = w;
    img.height = h;
    img.pixels = buf.data();
  }
  void Set(uint32_t x, uint32_t y, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = buf.data() + (y * img.width + x) * 4;
    p[0] = b; p[1] = g; p[2] = r; p[3] = 255;
  }
  ~TinyLayer() { img.pixels = nullptr; }
};

TEST(WindowDrag, HitIsANonBlackPixelInsideExclusiveBounds) {
  TinyLayer t(4, 3);
  t.Set(3, 2, 0, 0, 1);   // red 1 counts
  t.Set(0, 0, 0, 0, 0);
  // Bytes just past the last pixel of a row must never decide a hit.
  t.buf[(2 * 4 + 4) * 4] = 0xFF;
  struct Case { int32_t x, y; bool hit; };
  const Case cases[] = {
      {103, 22, true},    // last pixel, layer at (100, 20)
      {104, 22, false},   // one past the right edge
      {103, 23, false},   // one past the bottom edge
      {100, 20, false},   // black
      {99, 20, false},
  };
  for (const Case& c : cases) EXPECT_EQ(Wnd_DragHit(c.x, c.y, 100, 20, &t.img), c.hit) << c.x << "," << c.y;
  EXPECT_FALSE(Wnd_DragHit(0, 0, 0, 0, nullptr));
}

TEST(WindowDrag, OriginSumsAncestorsBelowTheRoot) {
  LayerImage rootImg, groupImg, leafImg;
  rootImg.x = 1000;  // the unnamed root does not count
  groupImg.x = 100;
  groupImg.y = 50;
  leafImg.x = 3;
  leafImg.y = 4;
  ObjNode root{}, group{}, leaf{};
  root.record = &rootImg;
  group.record = &groupImg;
  group.parent = &root;
  leaf.record = &leafImg;
  leaf.parent = &group;
  int64_t l = 0, t = 0;
  Wnd_LayerOrigin(&leaf, &l, &t);
  EXPECT_EQ(l, 103);
  EXPECT_EQ(t, 54);
}

TEST(WindowDrag, PressOnAnOffsetDragLayerRequestsTheDrag) {
  WindowRec* rec = MainWindow(800, 600);
  ASSERT_NE(rec, nullptr);
  TinyLayer t(50, 40);
  for (uint32_t y = 0; y < 40; ++y)
    for (uint32_t x = 0; x < 50; ++x) t.Set(x, y, 10, 20, 30);
  t.img.x = 700;  // far right of the picture: x is never below the layer's width
  t.img.y = 10;
  ObjNode root{}, node{};
  node.parent = &root;
  node.record = &t.img;
  g_DragLayer = &node;
  EXPECT_TRUE(Wnd_DragTest(rec, 720, 20));
  EXPECT_FALSE(Wnd_DragTest(rec, 690, 20));
  EXPECT_FALSE(Wnd_DragTest(rec, 800, 20));  // outside the picture
  PlatEvent e;
  e.msg = PlatMsg::ButtonDown;
  e.window = 0;
  e.a = 1;
  e.x = 710;
  e.y = 30;
  Win_HandleMessage(rec, e);
  EXPECT_EQ(g_DragRequest.load(), 1);
  EXPECT_EQ(g_DragPressX.load(), 710);
  EXPECT_EQ(g_LastMouseButton.load(), 1u);
  g_DragLayer = nullptr;
}

TEST(WindowDrop, GroupedFilesWithFolderMarkAndBackslashes) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  TempDir dir;
  dir.Write("a.txt", "x");
  std::filesystem::create_directories(dir.path() + "/sub");
  Plat_InjectDrop(0, {dir.path() + "/a.txt", dir.path() + "/sub",
                      dir.path() + "/\xF0\x9F\x98\x80.txt"});  // not in Shift-JIS: left out
  Pump();
  std::lock_guard<std::mutex> lock(*g_DropLock);
  ASSERT_EQ(g_DroppedFiles.count, 2u);
  std::string first = g_DroppedFiles.paths[0];
  std::string second = g_DroppedFiles.paths[1];
  EXPECT_EQ(first.find('/'), std::string::npos);
  EXPECT_EQ(first.substr(first.size() - 6), "\\a.txt");
  EXPECT_EQ(second.substr(second.size() - 5), "\\sub\\");
}

TEST(WindowDrop, KanjiNamesArriveAsShiftJis) {
  ASSERT_EQ(Win_CreateMain(), 0);
  Win_OnDropFiles(g_WindowRecs[0], {"/tmp/画像.png", "/tmp/b.png"});
  ASSERT_EQ(g_DroppedFiles.count, 2u);
  EXPECT_EQ(std::string(g_DroppedFiles.paths[0]), Text_Utf8ToSjis("\\tmp\\画像.png"));
  Win_OnDropFiles(g_WindowRecs[0], {"/tmp/c.png"});  // replaces the list
  EXPECT_EQ(g_DroppedFiles.count, 1u);
}

}  // namespace

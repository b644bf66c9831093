// Command 4 on small layer trees: fields, the pixel under a window point, a
// pixel of the layer's own, and the box of its visible pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "graphics/graphics.h"
#include "graphics/layer_image.h"
#include "scene_testutil.h"
#include "vm/host.h"

namespace {

constexpr uint32_t kA = 1000;

bool FakeMouse(int32_t n, int64_t, int64_t* out) {
  if (n == 133) return *out = 12, true;
  if (n == 138) return *out = 15, true;
  return false;
}

// Windows 0 and 1 are 640 x 480 and 16 x 15; windows 2 and 3 do not exist.
bool FakeWindows(int32_t window, int32_t* w, int32_t* h) {
  if (window > 1) return false;
  *w = window == 0 ? 640 : 16;
  *h = window == 0 ? 480 : 15;
  return true;
}

// A 10 x 10 layer "pic" at (10, 10) under the root, transparent except
// (3, 4) and (7, 2); (2, 5) holds 0x80112233.
void MakePic() {
  ObjNode* n = Obj_NewNode("pic", 3, kObjKindLeaf, nullptr);
  LayerImage* r = Obj_GetImageRecord(n);
  Img_SetSize(r, 10, 10, nullptr);
  std::memset(r->pixels, 0, 400);
  auto set = [&](int x, int y, uint32_t v) { std::memcpy(r->pixels + (y * 10 + x) * 4, &v, 4); };
  set(3, 4, 0xFF000001);
  set(7, 2, 0x01000002);
  set(2, 5, 0x00112233);  // alpha 0: not in the box
  r->x = 10;
  r->y = 10;
  Obj_LinkChild(g_TreeRoots[kTreeLayer].root, n, 1);
}

struct QueryRun {
  explicit QueryRun(const std::function<void(fx::Scene&)>& body) {
    g_QuitRequested = 0;
    fx::Game g;
    g.IntVar(kA, {16}, -9);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    g_SysVarHooks.shell = FakeMouse;
    g_VmHostHooks.windowLogicalSize = FakeWindows;
    if (loaded == 0) {
      MakePic();
      RunFrames(1);
    }
  }
  ~QueryRun() {
    Script_FreeAll();
    g_SysVarHooks = SysVarHooks();
    g_VmHostHooks.windowLogicalSize = nullptr;
  }
  int loaded;
  ErrCapture log;
};

void Q(fx::Scene& s, int slot, const std::string& what, int64_t v, std::vector<fx::Arg> extra = {},
       const char* path = "pic") {
  std::vector<fx::Arg> a = {{"path", fx::Text(path)}, {what, fx::Int(v)},
                            {"target", fx::Elem(kA, {fx::Int(slot)})}};
  a.insert(a.end(), extra.begin(), extra.end());
  s.Cmd("query", a);
}

TEST(QueryObject, FieldsPixelsAndTheVisibleBox) {
  QueryRun r([](fx::Scene& s) {
    Q(s, 0, "q2", 1);
    Q(s, 1, "q13", 1);
    Q(s, 2, "q5", 1);
    Q(s, 3, "q24", 0);  // window 0, mouse (12, 15): pixel (2, 5), alpha 0
    Q(s, 4, "q23", 1, {{"x", fx::Int(13)}, {"y", fx::Int(14)}});  // pixel (3, 4)
    Q(s, 5, "q24", 1, {{"x", fx::Int(5)}});               // outside the layer
    Q(s, 6, "q27", 1, {{"x", fx::Int(1)}});
    Q(s, 7, "q27", 1, {{"x", fx::Int(2)}});
    Q(s, 8, "q27", 1, {{"x", fx::Int(3)}});
    Q(s, 9, "q27", 1, {{"x", fx::Int(4)}});
    Q(s, 10, "q26", 1, {{"x", fx::Int(3)}, {"y", fx::Int(4)}});
    Q(s, 11, "q25", 0, {{"x", fx::Int(13)}, {"y", fx::Int(14)}});  // window 0 as value 0
    Q(s, 12, "q2", 1, {}, "missing");
    Q(s, 13, "q26", 1, {{"x", fx::Int(30)}, {"y", fx::Int(4)}});
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
  const int64_t want[] = {1, 10, 10, 0, 1, -1, 2, 4, 3, 7, 1, int32_t(0xFF000001), 0, -1};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(IntVar(kA, i), want[i]) << i;
}

// The window point must lie inside the window's logical size, and the
// window must exist; the layer itself reaches beyond window 1's width.
TEST(QueryObject, WindowPointIsBoundByTheWindow) {
  struct Case {
    int64_t window, x, y, want;
  } cases[] = {
      {1, 13, 14, 0x000001},  // inside window 1 and the layer: pixel (3, 4)
      {1, 17, 12, -1},        // beyond window 1's width, over the layer's pixel (7, 2)
      {1, 13, 15, -1},        // at window 1's height, over the layer's pixel (3, 5)
      {0, 17, 12, 0x000002},  // window 0 is wide enough
      {2, 13, 14, -1},        // no window 2
      {9, 13, 14, -1},        // limited to window 3, which does not exist
      {-4, 13, 14, 0x000001}, // limited to window 0
  };
  QueryRun r([&](fx::Scene& s) {
    int slot = 0;
    for (const Case& c : cases) Q(s, slot++, "q23", c.window, {{"x", fx::Int(c.x)}, {"y", fx::Int(c.y)}});
  });
  ASSERT_EQ(r.loaded, 0);
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(IntVar(kA, int64_t(i)), cases[i].want) << "window " << cases[i].window << " at ("
                                                      << cases[i].x << ", " << cases[i].y << ")";
}

TEST(QueryObject, OwnPixelNeedsBothCoordinates) {
  QueryRun r([](fx::Scene& s) { Q(s, 0, "q26", 1, {{"x", fx::Int(3)}}); });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(r.log.First(), 101295);
}

}  // namespace

// Command 2's paste and grab through the renderer's hooks: the paste makes
// a layer's textures follow its pixels, the grab draws one layer on the GPU
// and reads it back into another.
#include "graphics/cg_op.h"
#include "gpu_fixture.h"
#include "render/gpu_internal.h"

using namespace gputest;

namespace {

uint32_t At(const std::vector<uint8_t>& px, int w, int x, int y) {
  uint32_t v;
  std::memcpy(&v, px.data() + (size_t(y) * w + x) * 4, 4);
  return v;
}
uint32_t Rgb(uint32_t v) { return v & 0xFFFFFF; }

// A processor image pasted becomes a sprite drawn by the GPU; painted again
// on the processor and pasted again, the frame shows the new pixels.
TEST_F(GpuTest, PasteMakesTheTexturesFollowThePixels) {
  StartFullGpu(2, 1);
  AddTextured("bg", 2, 1, Px(0, 0, 0, 255), 0, 0, 1);
  ObjNode* n = MakeLayer(root_, "sprite", false, 1, 1, Px(0, 0, 200, 255), 2);
  LayerImage* r = Layer_Record(n);
  r->alphaMode = 1;
  ASSERT_EQ(0, Cg_PasteSprite(n, nullptr));
  EXPECT_EQ(1u, r->kind);
  EXPECT_EQ(0xC80000u, Rgb(At(GpuFrame(), 2, 0, 0)));
  SetPx(r, 0, 0, Px(0, 200, 0, 255));
  EXPECT_EQ(0xC80000u, Rgb(At(GpuFrame(), 2, 0, 0)));  // the old texture until the paste
  ASSERT_EQ(0, Cg_PasteSprite(n, n));
  EXPECT_EQ(0x00C800u, Rgb(At(GpuFrame(), 2, 0, 0)));
}

// Without a full-GPU device the paste fails and the layer stays a
// processor image.
TEST_F(GpuTest, PasteWithoutTheDeviceFails) {
  root_ = MakeRoot(2, 1);
  ObjNode* n = MakeLayer(root_, "sprite", false, 1, 1, Px(0, 0, 200, 255), 2);
  EXPECT_EQ(-1, Cg_PasteSprite(n, nullptr));
  EXPECT_EQ(0u, Layer_Record(n)->kind);
  EXPECT_FALSE(Tex_HasTiles(Layer_Record(n)));
}

// The grab draws the first layer alone at its place (nothing below it)
// and the second layer takes the back buffer's size and the picture.
TEST_F(GpuTest, GrabReadsOneLayerBackIntoAnother) {
  StartFullGpu(4, 2);
  AddTextured("bg", 4, 2, Px(0, 0, 90, 255), 0, 0, 1);
  ObjNode* src = AddTextured("src", 2, 1, Px(10, 20, 30, 255), 1, 1, 2);
  ObjNode* shot = MakeLayer(root_, "shot", false, 1, 1, Px(1, 2, 3, 4), 3);
  LayerImage* s = Layer_Record(shot);
  s->visible = 0;
  LayerImage* root = Layer_Record(root_);
  root->dirty = 0;
  ASSERT_EQ(0, Cg_GrabScreen(src, shot));
  ASSERT_EQ(4u, s->width);
  ASSERT_EQ(2u, s->height);
  std::vector<uint8_t> px = Pixels(s);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      bool inside = y == 1 && (x == 1 || x == 2);
      EXPECT_EQ(inside ? Px(10, 20, 30, 255) : 0u, At(px, 4, x, y)) << x << "," << y;
    }
  EXPECT_TRUE(root->dirty);  // the grabbed picture is composed again
  // The frame still goes to the back buffer afterwards.
  EXPECT_EQ(0x5A0000u, Rgb(At(GpuFrame(), 4, 0, 0)));
}

// Without a device the grab changes nothing and the command goes on.
TEST_F(GpuTest, GrabWithoutTheDeviceLeavesTheLayer) {
  root_ = MakeRoot(2, 1);
  ObjNode* src = MakeLayer(root_, "src", false, 1, 1, Px(0, 0, 200, 255), 1);
  ObjNode* shot = MakeLayer(root_, "shot", false, 1, 1, Px(1, 2, 3, 4), 2);
  EXPECT_EQ(0, Cg_GrabScreen(src, shot));
  EXPECT_EQ(Px(1, 2, 3, 4), GetPx(Layer_Record(shot), 0, 0));
  EXPECT_EQ(1u, Layer_Record(shot)->width);
}

}  // namespace

// The tile grid of layer textures: sizes, caps and the overflow limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/msgbox.h"
#include "render/gpu.h"

namespace {

class TileGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_D3dMode = D3dMode();
    g_D3dMode.MaxTextureWidth = g_D3dMode.MaxTextureHeight = 16384;
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      boxes.push_back(r.text);
      return 1;
    });
  }
  void TearDown() override {
    MsgBox_SetRecorder({});
    g_D3dMode = D3dMode();
  }
  std::vector<std::string> boxes;
};

struct GridCase {
  int32_t w, h, colCap, rowCap, deviceMax;
  std::vector<int32_t> cols, rows;
};

TEST_F(TileGridTest, Sizes) {
  const GridCase cases[] = {
      {800, 100, 0, 0, 16384, {512, 512}, {128}},       // the second column covers 288
      {1, 1, 0, 0, 16384, {16}, {16}},
      {17, 257, 0, 0, 16384, {32}, {256, 16}},
      {600, 600, 0, 0, 256, {256, 256, 128}, {256, 256, 128}},  // a small device
      {300, 300, 128, 64, 16384, {128, 128, 64}, {64, 64, 64, 64, 64}},
  };
  for (const GridCase& c : cases) {
    g_D3dMode.MaxTextureWidth = g_D3dMode.MaxTextureHeight = c.deviceMax;
    TileGrid g;
    ASSERT_EQ(0, Tex_PlanGrid(c.w, c.h, c.colCap, c.rowCap, &g)) << c.w << "x" << c.h;
    EXPECT_EQ(std::vector<int32_t>(g.colW, g.colW + g.cols), c.cols) << c.w << "x" << c.h;
    EXPECT_EQ(std::vector<int32_t>(g.rowH, g.rowH + g.rows), c.rows) << c.w << "x" << c.h;
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(TileGridTest, ThirtySecondColumnOrRowIsRefused) {
  TileGrid g;
  EXPECT_EQ(0, Tex_PlanGrid(31 * 256, 16, 256, 0, &g));
  EXPECT_EQ(31, g.cols);
  EXPECT_EQ(-1, Tex_PlanGrid(8192, 16, 256, 0, &g));
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("TXNUM Overflow Error.", boxes[0]);
  EXPECT_EQ(-1, Tex_PlanGrid(16, 8192, 0, 0, &g));  // 32 rows of 256
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("TYNUM Overflow Error. SX = 16, SY = 8192, mRest = 256", boxes[1]);
}

// The record holds 256 tiles: a grid with more is refused before any tile
// is made, where the slots would otherwise run over.
TEST_F(TileGridTest, GridBeyondTheTileSlotsIsRefused) {
  TileGrid g;
  EXPECT_EQ(0, Tex_PlanGrid(8192, 4096, 0, 0, &g));  // 16 x 16
  EXPECT_EQ(256, g.cols * g.rows);
  EXPECT_EQ(-1, Tex_PlanGrid(8192, 4352, 0, 0, &g));  // 16 x 17
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("TYNUM Overflow Error. SX = 8192, SY = 4352, mRest = 256", boxes[0]);
}

}  // namespace

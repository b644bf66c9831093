// Frame files from fixture scenes: commands 107 to 109, the frames decoded
// against libjpeg's own decode of the same streams, and damaged files.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "cg_op_fixture.h"
#include "support/frame_writer.h"

using namespace cgtest;

namespace {

// libjpeg's decode of one stream: BGRA, or the grey channel.
struct JpegErr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};
std::vector<uint8_t> Decode(const std::string& jpeg, bool grey, int* w, int* h) {
  jpeg_decompress_struct c;
  JpegErr err;
  c.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = [](j_common_ptr p) { std::longjmp(reinterpret_cast<JpegErr*>(p->err)->jump, 1); };
  std::vector<uint8_t> out;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&c);
    return {};
  }
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&c, TRUE);
  c.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRA;
  jpeg_start_decompress(&c);
  *w = int(c.output_width), *h = int(c.output_height);
  size_t pitch = size_t(*w) * (grey ? 1 : 4);
  out.resize(pitch * size_t(*h));
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = out.data() + pitch * c.output_scanline;
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return out;
}

std::vector<framefix::Frame> Frames3() {
  std::vector<framefix::Frame> f;
  for (int i = 0; i < 3; i++) {
    imgfix::Picture c = imgfix::Pattern(16 + 8 * i, 8, false);
    for (size_t k = 0; k < c.bgra.size(); k += 4) c.bgra[k + 2] = uint8_t(40 * i);
    f.push_back({c, imgfix::Pattern(16 + 8 * i, 8, true)});
  }
  return f;
}

class CgFrame : public CgOpScene {
 protected:
  void Run(const std::function<void(fx::Scene&)>& body, const std::string& file) {
    fx::Scene& s = Main();
    LoadLayer(s, "f", 1, "cg\\dot.png");
    body(s);
    Idle(s);
    ASSERT_TRUE(Load({{"cg\\dot.png", imgfix::WritePng(imgfix::Solid(1, 1, 0xFF000000u), imgfix::PngKind::Rgb)},
                      {"anim\\clip.frm", file}}));
    errs = std::make_unique<ErrCapture>();
    Frames(1);
  }
  static fx::Arg Ix(int64_t v) { return {"frame", fx::Int(v)}; }
  std::unique_ptr<ErrCapture> errs;
};

TEST_F(CgFrame, FramesRoundTripThroughLibjpeg) {
  auto frames = Frames3();
  framefix::FrameFileOptions o;
  o.withAlpha = true;
  Run([](fx::Scene& s) {
    s.Cmd("frameload", {T("path", "f"), A("num", 1), T("file", "ANIM/Clip.frm"), A("frame", 1)});
  }, framefix::WriteFrameFile(frames, o));
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage* r = Rec("f.1");
  int w, h, aw, ah;
  std::vector<uint8_t> colour = Decode(imgfix::WriteJpeg(frames[1].colour, 95), false, &w, &h);
  std::vector<uint8_t> alpha = Decode(imgfix::WriteJpeg(frames[1].alpha, 95, true), true, &aw, &ah);
  ASSERT_EQ(24u, r->width);
  ASSERT_EQ(uint32_t(h), r->height);
  EXPECT_EQ(1, r->alphaMode);
  for (int i = 0; i < w * h; i++) {
    uint32_t want;
    std::memcpy(&want, colour.data() + size_t(i) * 4, 4);
    want = (want & 0xFFFFFFu) | uint32_t(alpha[size_t(i)]) << 24;
    ASSERT_EQ(want, GetPx(r, i % w, i / w)) << i;
  }
  // And close to the picture written: a mean error of a few levels (the
  // colour planes are subsampled).
  double err = 0;
  for (int i = 0; i < w * h; i++)
    for (int c = 0; c < 3; c++) err += std::abs(frames[1].colour.bgra[size_t(i) * 4 + c] - r->pixels[size_t(i) * 4 + c]);
  EXPECT_LT(err / (w * h * 3), 4.0);
}

TEST_F(CgFrame, IndexIsLimitedAndQueriesReportTheHeader) {
  framefix::FrameFileOptions o;
  o.values[0] = 7, o.values[1] = -2, o.values[2] = 99;
  game.IntVar(1000).IntVar(1001).IntVar(1002).DoubleVar(1003).IntVar(1004);
  Run([](fx::Scene& s) {
    s.Cmd("frameload", {T("path", "f"), A("num", 1), T("file", "anim\\clip.frm"), A("frame", -5)});
    s.Cmd("frameinfo", {T("path", "f"), A("num", 1), {"target", fx::Var(1000)}, A("frames", 1), A("value2", 1)});
    s.Cmd("frameinfo", {T("path", "f"), A("num", 1), {"target", fx::Var(1001)}, A("value2", 1)});
    s.Cmd("frameinfo", {T("path", "f"), A("num", 1), {"target", fx::Var(1002)}, A("value3", 1)});
    s.Cmd("frameinfo", {T("path", "f"), A("num", 1), {"target", fx::Var(1003, '#')}, A("value1", 1)});
    s.Cmd("framefree", {T("path", "f"), A("num", 1)});
    s.Cmd("framefree", {T("path", "f"), A("num", 1)});
    s.Cmd("frameinfo", {T("path", "f"), A("num", 1), {"target", fx::Var(1004)}, A("frames", 1)});
  }, framefix::WriteFrameFile(Frames3(), o));
  ASSERT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(16u, Rec("f.1")->width);  // frame 0
  EXPECT_EQ(0, Rec("f.1")->alphaMode);
  EXPECT_EQ(0xFFu, GetPx(Rec("f.1"), 3, 3) >> 24);
  EXPECT_EQ(3, Var_GetIntElement(1000, 0));
  EXPECT_EQ(-2, Var_GetIntElement(1001, 0));
  EXPECT_EQ(99, Var_GetIntElement(1002, 0));
  EXPECT_EQ(7.0, Var_ReadFloatElement(1003, 0));
  EXPECT_EQ(0, Var_GetIntElement(1004, 0));
  EXPECT_EQ(nullptr, Cg_GetFrameSet(Rec("f.1")));
}

TEST_F(CgFrame, ShowFrameClampsToTheLastFrame) {
  LayerImage rec;
  std::string file = framefix::WriteFrameFile(Frames3());
  ASSERT_EQ(0, Cg_AttachFrameFile(&rec, reinterpret_cast<const uint8_t*>(file.data()), file.size(), "t"));
  ObjNode* n = Obj_NewNode("t", 1, kObjKindLeaf, &rec);
  rec.sharers.push_back(n);
  EXPECT_EQ(0, Cg_ShowFrame(n, 1000));
  EXPECT_EQ(32u, rec.width);
  n->record = nullptr;
  Obj_FreeNode(n);
  Obj_FreeExtraData(&rec);
  std::free(rec.pixels);
  rec.pixels = nullptr;
}

TEST_F(CgFrame, MissingLayerAndMissingFileAreReported) {
  Run([](fx::Scene& s) {
    s.Cmd("frameload", {T("path", "nolayer"), A("num", 1), T("file", "anim\\clip.frm")});
  }, framefix::WriteFrameFile(Frames3()));
  EXPECT_EQ(101250, errs->First());
}

TEST_F(CgFrame, FileFoundNowhere) {
  Run([](fx::Scene& s) {
    s.Cmd("frameload", {T("path", "f"), A("num", 1), T("file", "anim\\none.frm")});
  }, framefix::WriteFrameFile(Frames3()));
  EXPECT_TRUE(errs->Has(104060));
  EXPECT_EQ(104010, errs->Last());
}

TEST_F(CgFrame, StringTargetIsRefused) {
  game.TextVar(1000);
  Run([](fx::Scene& s) {
    s.Cmd("frameinfo", {T("path", "f"), A("num", 1), {"target", fx::Var(1000, '`')}, A("frames", 1)});
  }, framefix::WriteFrameFile(Frames3()));
  EXPECT_EQ(101140, errs->First());
}

// Damaged headers are refused before any stream is touched.
TEST(CgFrameFile, HeaderChecks) {
  std::string good = framefix::WriteFrameFile(Frames3());
  auto check = [](std::string f) { return Cg_CheckFrameFile(reinterpret_cast<const uint8_t*>(f.data()), f.size()); };
  EXPECT_EQ(0, check(good));
  EXPECT_EQ(-1, check(good.substr(0, 31)));
  EXPECT_EQ(-1, check(good.substr(0, good.size() - 1)));  // last stream cut
  std::string zero = good, many = good, far = good, longer = good, over = good;
  fx::PatchU32(over, framefile::kOffTables, 0);  // a stream over the tables
  fx::PatchU32(zero, framefile::kOffCount, 0);
  fx::PatchU32(many, framefile::kOffCount, 0x40000000);
  fx::PatchU32(far, framefile::kOffTables + 4, 0xFFFFFFF0u);
  fx::PatchU32(longer, framefile::kOffTables + 12 + 8, 0xFFFFFFFFu);  // colour size 2
  for (auto* f : {&zero, &many, &far, &longer, &over}) EXPECT_EQ(-1, check(*f));
}

TEST(CgFrameFile, AnAlphaImageOfAnotherSizeIsLeftOut) {
  gfxtest::InitGraphics();
  auto frames = Frames3();
  frames[0].alpha = imgfix::Pattern(5, 5, true);
  framefix::FrameFileOptions o;
  o.withAlpha = true;
  std::string file = framefix::WriteFrameFile(frames, o);
  LayerImage rec;
  ASSERT_EQ(0, Cg_AttachFrameFile(&rec, reinterpret_cast<const uint8_t*>(file.data()), file.size(), "t"));
  ObjNode* n = Obj_NewNode("t", 1, kObjKindLeaf, &rec);
  rec.sharers.push_back(n);
  EXPECT_EQ(0, Cg_ShowFrame(n, 0));
  for (uint32_t i = 0; i < rec.width * rec.height; i++) EXPECT_EQ(0xFF, rec.pixels[i * 4 + 3]);
  n->record = nullptr;
  Obj_FreeNode(n);
  Obj_FreeExtraData(&rec);
  std::free(rec.pixels);
  rec.pixels = nullptr;
}

TEST(CgFrameFile, GreyColourFramesComeOutGrey) {
  gfxtest::InitGraphics();
  imgfix::Picture p = imgfix::Pattern(8, 8, false);
  std::string jpeg = imgfix::WriteJpeg(p, 95, true);
  // One frame written by hand around a grey stream.
  std::string f(8, '\0');
  fx::PutU32(f, 1), fx::PutU32(f, 0), fx::PutU32(f, 0), fx::PutU32(f, 0), fx::PutU32(f, 0), fx::PutU32(f, 0);
  fx::PutU32(f, 44), fx::PutU32(f, uint32_t(jpeg.size())), fx::PutU32(f, 0);
  Cg_ScrambleStream(reinterpret_cast<uint8_t*>(jpeg.data()), jpeg.size());
  f += jpeg;
  LayerImage rec;
  ASSERT_EQ(0, Cg_AttachFrameFile(&rec, reinterpret_cast<const uint8_t*>(f.data()), f.size(), "t"));
  ObjNode* n = Obj_NewNode("t", 1, kObjKindLeaf, &rec);
  rec.sharers.push_back(n);
  EXPECT_EQ(0, Cg_ShowFrame(n, 0));
  ASSERT_EQ(8u, rec.width);
  for (uint32_t i = 0; i < 64; i++) {
    EXPECT_EQ(rec.pixels[i * 4], rec.pixels[i * 4 + 1]);
    EXPECT_NEAR(p.bgra[i * 4 + 1], rec.pixels[i * 4 + 1], 10);
  }
  n->record = nullptr;
  Obj_FreeNode(n);
  Obj_FreeExtraData(&rec);
  std::free(rec.pixels);
  rec.pixels = nullptr;
}

}  // namespace

// Fixture games for command 2 and the frame-file commands: a scene that
// loads its layers from image files and runs operations, the layer pixels
// read back for checking.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "files/files.h"
#include "graphics/cg_op.h"
#include "layer_fixture.h"
#include "support/game_fixture.h"
#include "support/image_writer.h"
#include "support/script_writer.h"
#include "vm/vm.h"

namespace cgtest {

using gfxtest::GetPx;
using gfxtest::Px;
using gfxtest::SetPx;

// A layer's pixels as 32-bit words, rows top to bottom.
struct Img {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  uint32_t& At(int x, int y) { return px[size_t(y) * w + x]; }
  uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
};
inline Img ImgOf(const LayerImage* r) {
  Img m;
  m.w = int(r->width), m.h = int(r->height);
  m.px.resize(size_t(m.w) * m.h);
  std::memcpy(m.px.data(), r->pixels, m.px.size() * 4);
  return m;
}
inline Img Blank(int w, int h, uint32_t v = 0) {
  Img m;
  m.w = w, m.h = h;
  m.px.assign(size_t(w) * h, v);
  return m;
}
inline int Ch(uint32_t p, int c) { return int((p >> (8 * c)) & 0xFF); }

class CgOpScene : public fx::GameTest {
 protected:
  void SetUp() override {
    gfxtest::InitGraphics();
    CmdSchema_RegisterGraphics();
    CmdSchema_RegisterCgOps();
    g_QuitRequested = 0;
    saved_ = g_CgOpHooks;
  }
  // The layers a test made go again, so the next test of the same process
  // starts from the system layers alone.
  void TearDown() override {
    g_CgOpHooks = saved_;
    g_FullRedraw = 0;
    g_QuitRequested = 0;
    if (!root) return;
    for (ObjNode* c = root->first; c;) {
      ObjNode* next = c->next;
      if (std::find(system_.begin(), system_.end(), c) == system_.end()) Obj_Release(c);
      c = next;
    }
  }

  // Loads the game with the extra files and gives the layer root a canvas.
  bool Load(const fx::Files& extra) {
    if (!LoadGameFiles(extra)) return false;
    root = g_TreeRoots[kTreeLayer].root;
    system_.clear();
    for (ObjNode* c = root->first; c; c = c->next) system_.push_back(c);
    LayerImage* r = Obj_GetImageRecord(root);
    return r && Img_SetSize(r, 16, 16, nullptr) == 0;
  }
  void Frames(int n) { RunGameFrames(n); }
  ObjNode* Find(const char* path, int mode = kObjFindLeaf) {
    return Obj_FindByPath(root, path, mode);
  }
  LayerImage* Rec(const char* path) { return Layer_Record(Find(path)); }

  // Command 1 loading `file` into path.num.
  static void LoadLayer(fx::Scene& s, const std::string& path, int num, const std::string& file) {
    s.Cmd("cg", {{"path", fx::Text(path)}, {"num", fx::Int(num)}, {"file", fx::Text(file)}});
  }

  ObjNode* root = nullptr;

 private:
  CgOpHooks saved_{};
  std::vector<ObjNode*> system_;
};

// Arguments of one command 2 instruction.
using Args = std::vector<fx::Arg>;
inline fx::Arg A(const std::string& name, int64_t v) { return {name, fx::Int(v)}; }
inline fx::Arg T(const std::string& name, const std::string& v) { return {name, fx::Text(v)}; }

}  // namespace cgtest

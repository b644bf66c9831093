// A fixture game for the text commands: scenes from the fixture writer,
// loaded into the compiler store and run frame by frame on the manual clock,
// with a message layer made from a transparent picture.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/files.h"
#include "graphics/cg_setup.h"
#include "platform/clock.h"
#include "support/game_fixture.h"
#include "support/image_writer.h"
#include "support/script_writer.h"
#include "text/text_args.h"
#include "text_testutil.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

class MsgGame : public fx::GameTest {
 protected:
  void SetUp() override {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    CmdSchema_Init();
    CmdSchema_RegisterGraphics();
    CmdSchema_RegisterText();
    ASSERT_EQ(Msg_CreateRecord(), 0);
    Font_EnumFaces();
    Clock_SetManual(true, 5000);
    for (auto& k : g_KeyCounters) k.counter = 0;
    errors.Clear();
    g_QuitRequested = 0;
    g_ShutdownRequested = 0;
  }
  void TearDown() override { Clock_SetManual(false); }

  // The message layer "msg.1" of w x h transparent pixels, selected as the
  // message layer with the given delay.
  void MessageLayer(fx::Scene& s, int w, int h, int delay = 0) {
    layerW = w, layerH = h;
    s.Cmd("cg", {{"path", fx::Text("msg")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\msg.png")}});
    s.Cmd("msg", {{"layer", fx::Text("msg.1")}, {"delay", fx::Int(delay)}});
  }
  // Raw text of command 106 (Shift-JIS of a UTF-8 literal).
  static void Text(fx::Scene& s, const std::string& sjis) {
    s.Cmd("msgtext", {{"text", fx::Expr{sjis, fx::kTypeText}}});
  }
  static void End(fx::Scene& s) { s.Cmd("msgend", {{"mark", fx::Int(0)}}); }

  bool Load() {
    imgfix::Picture p;
    p.width = uint32_t(layerW), p.height = uint32_t(layerH);
    p.bgra.assign(size_t(layerW) * size_t(layerH) * 4, 0);
    return LoadGameWithCanvas({{"cg\\msg.png", imgfix::WritePng(p, imgfix::PngKind::Rgba)}}, 640, 480);
  }
  void Frames(int n) { RunGameFrames(n); }
  // Presses (counter 1) or holds (counter > 1) a key for the next frame.
  static void Key(int key, int64_t counter) { g_KeyCounters[size_t(key)].counter = counter; }
  static int64_t I(uint32_t var, int64_t index = 0) { return Var_GetIntElement(var, index); }
  static std::string T(uint32_t var, int64_t index = 0) {
    const char* s = Var_GetStringElement(var, index);
    return s ? s : "<null>";
  }
  ObjNode* Layer() const {
    return Obj_FindByPath(g_TreeRoots[kTreeLayer].root, "msg.1", kObjFindLeaf | kObjFindQuiet);
  }
  // Pixels with ink (alpha above 0) in the layer's column range [x0, x1).
  int InkIn(int x0, int x1) const {
    LayerImage* r = Layer_Record(Layer());
    if (!r || !r->pixels) return -1;
    int n = 0;
    for (uint32_t y = 0; y < r->height; ++y)
      for (int x = x0; x < x1 && x < int(r->width); ++x) n += r->pixels[(y * r->width + uint32_t(x)) * 4 + 3] != 0;
    return n;
  }
  bool Reported(int number) const { return errors.Has(number); }

  ErrCapture errors;
  int layerW = 320, layerH = 120;
};

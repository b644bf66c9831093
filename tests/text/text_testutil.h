// Helpers of the text tests: layers without a window, a fake glyph drawer,
// the shared error capture and Shift-JIS literals.
#pragma once
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "platform/text.h"
#include "shell/shell.h"
#include "support/err_capture.h"
#include "text/text.h"

// Shift-JIS bytes of a UTF-8 literal.
inline std::string Sj(const char* utf8) { return Text_Utf8ToSjis(utf8); }

// A message layer of w x h transparent pixels under a parent of the same
// size, so that dirty marks can be seen on the parent.
struct TestLayer {
  ObjNode* parent = nullptr;
  ObjNode* node = nullptr;
  TestLayer(int w, int h) {
    parent = Obj_NewNode("root", 4, kObjKindGroup, nullptr);
    node = Obj_NewNode("msg", 3, kObjKindLeaf, nullptr);
    Img_SetSize(Obj_GetImageRecord(parent), w, h, nullptr);
    Img_SetSize(Obj_GetImageRecord(node), w, h, nullptr);
    std::memset(Layer_Record(node)->pixels, 0, size_t(w) * 4 * size_t(h));
    node->parent = parent;
    parent->first = parent->last = node;
    parent->childCount = 1;
    Layer_Record(parent)->dirty = 0;
  }
  ~TestLayer() {
    if (g_MsgCurrent && g_MsgCurrent->layer == node) g_MsgCurrent->layer = nullptr;
    Obj_FreeSubtree(kTreeLayer, parent);  // records through the layer tree's hook
  }
  TestLayer(const TestLayer&) = delete;
  TestLayer& operator=(const TestLayer&) = delete;
  LayerImage* rec() const { return Layer_Record(node); }
  uint32_t* px() const { return reinterpret_cast<uint32_t*>(rec()->pixels); }
  uint32_t At(int x, int y) const { return px()[size_t(y) * rec()->width + size_t(x)]; }
  bool ParentDirty() const { return Layer_Record(parent)->dirty != 0; }
  void ClearDirty() const { Layer_Record(parent)->dirty = 0; }
};

// Glyph drawer stand-in: records each call and advances by a fixed width
// (full for a 2-byte character, half for a 1-byte one).
struct FakeDraw {
  std::string text;  // Shift-JIS of the character
  int x, y;
  GlyphStyle style;
};
inline std::vector<FakeDraw>& FakeDraws() {
  static std::vector<FakeDraw> v;
  return v;
}
inline int g_FakeAdvance = 20;
inline int FakeGlyphDrawer(const char* text, const GlyphStyle& st, int, int x, int y, ObjNode*) {
  FakeDraws().push_back({text, x, y, st});
  return std::strlen(text) == 2 ? g_FakeAdvance : g_FakeAdvance / 2;
}
// UTF-8 of everything the fake has drawn, in order.
inline std::string FakeDrawnText() {
  std::string sj;
  for (const FakeDraw& d : FakeDraws()) sj += d.text;
  return Text_SjisToUtf8(sj);
}

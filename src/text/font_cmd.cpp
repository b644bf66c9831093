// Commands 27 (text style of a font slot) and 28 (message style, face list
// and glyph metrics).
#include "graphics/cg_setup.h"
#include "base/base.h"
#include "text/text.h"
#include "text/text_args.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {

int64_t Value(int id) { return g_ArgInt[g_ArgGiven[id]]; }
bool IsOne(int id) { return Arg_Given(id) && Value(id) == 1; }

const char* ArgName(int cmd, int id) {
  const CmdArgSchema* a = CmdSchema_Arg(cmd, id);
  return a ? a->name : "";
}

// A numeric style value with the argument's operator: adding, multiplying
// and dividing stop at the maximum, results below 0 become 0. Values set
// outside the range are brought into it, so no table is ever indexed past
// its end.
int64_t StyleValue(int id, int64_t old, int64_t max) {
  int op = g_ArgSlot[g_ArgGiven[id]].op;
  int64_t v = Cmd_ApplyOpClampMax(op, old, Value(id), 0, max);
  return v < 0 ? 0 : (v > max ? max : v);
}

// Checks a 1-based face number: 101010 below 1, 101240 above the count.
bool FaceNumberOk(int cmd, int id, int64_t n) {
  if (n < 1) {
    Err_ScriptF(kErrArgBelowMin, 1, Flow_CmdName(cmd), ArgName(cmd, id), n, 1);
    return false;
  }
  if (n > Font_GetCount()) {
    Err_ScriptF(kErrArgAboveMax, 1, Flow_CmdName(cmd), ArgName(cmd, id), n, Font_GetCount());
    return false;
  }
  return true;
}

// Ids 3 to 11 into the current slot, mirrored into the message record for
// slot 0.
void ApplyStyle(FontSlot& s) {
  using namespace stylearg;
  MessageRec* m = g_FontFaces.current == 0 ? g_MsgCurrent : nullptr;
  if (Arg_Given(kSmooth)) s.smooth = uint8_t(Value(kSmooth));
  if (Arg_Given(kColour)) s.colour = uint32_t(StyleValue(kColour, s.colour, kFontColourMax));
  if (Arg_Given(kColour2)) s.colour2 = uint32_t(StyleValue(kColour2, s.colour2 & kFontColourMax, kFontColourMax));
  if (Arg_Given(kGradient)) s.gradient = uint8_t(StyleValue(kGradient, s.gradient, kFontStyleMax));
  if (Arg_Given(kOrientation)) s.orientation = uint8_t(StyleValue(kOrientation, s.orientation, kFontStyleMax));
  if (Arg_Given(kWriteMode)) s.writeMode = uint8_t(StyleValue(kWriteMode, s.writeMode, 1));
  if (Arg_Given(kSize)) s.size = int32_t(StyleValue(kSize, s.size, kFontSizeMax));
  if (Arg_Given(kLineHeight)) s.lineHeight = int32_t(StyleValue(kLineHeight, s.lineHeight, kFontSizeMax));
  if (Arg_Given(kBold)) s.bold = int32_t(StyleValue(kBold, s.bold, 1));
  if (!m) return;
  if (Arg_Given(kSmooth)) m->smooth = s.smooth;
  if (Arg_Given(kColour)) m->colour = s.colour;
  if (Arg_Given(kColour2)) m->colour2 = s.colour2;
  if (Arg_Given(kGradient)) m->gradient = s.gradient;
  if (Arg_Given(kOrientation)) m->orientation = s.orientation;
  if (Arg_Given(kWriteMode)) m->writeMode = s.writeMode;
  if (Arg_Given(kSize)) m->size = s.size;
  if (Arg_Given(kLineHeight)) m->lineHeight = s.lineHeight;
  if (Arg_Given(kBold)) m->bold = uint8_t(s.bold);
}

int32_t TextStyle() {
  using namespace stylearg;
  if (Arg_Given(kSlot)) {
    int64_t n = Value(kSlot);
    if (n < 0 || n >= kFontSlotCount) {
      Err_ScriptF(101000, 1, Flow_CmdName(kCmdTextStyle), ArgName(kCmdTextStyle, kSlot), n, 0,
                  kFontSlotCount - 1);
      return -1;
    }
    Font_SetSlot(int(n));
  }
  if (Arg_Given(kFace)) {
    int64_t n = Value(kFace);
    if (!FaceNumberOk(kCmdTextStyle, kFace, n)) return -1;
    Font_SelectIndex(int(n - 1));
  }
  if (Arg_Given(kFaceName)) Font_SelectByName(Arg_Str(kFaceName));
  ApplyStyle(Font_CurrentSlot());
  return 0;
}

}  // namespace

int32_t Cmd_TextStyle() {
  if (Cmd_FetchArgs(kCmdTextStyle) != 0) return -1;
  int32_t r = TextStyle();
  Font_SetSlot(0);
  return r;
}

namespace {

// The 1-based face number of ids 1 and 13: id 0 when given, else the
// current slot's face.
int64_t QueriedFace() {
  return Arg_Given(metricarg::kFace) ? Value(metricarg::kFace) : Font_GetSelectedIndex() + 1;
}

// The glyph size of the first character of id 17 with the message's
// style; 0 without a text.
int32_t GlyphMeasure(bool height) {
  const char* text = Arg_Str(metricarg::kText);
  if (!text || !text[0]) return 0;
  const MessageRec& m = *g_MsgCurrent;
  int w = 0, h = 0;
  Font_RenderGlyph(text, m.size, m.lineHeight, m.bold, m.smooth, &w, &h);
  return height ? h : w;
}

}  // namespace

int32_t Cmd_TextMetrics() {
  using namespace metricarg;
  if (Cmd_FetchArgs(kCmdTextMetrics) != 0) return -1;
  int target = g_ArgGiven[kOut];
  uint32_t var = target ? g_ArgSlot[target].var : 0;
  int64_t index = target ? g_ArgSlot[target].varIndex : 0;
  auto store = [&](int64_t v) {
    if (target) Var_SetIntElement(var, index, v);
    return 0;
  };
  const MessageRec& m = *g_MsgCurrent;
  const int64_t style[] = {m.smooth, m.colour, m.colour2, m.gradient, m.orientation,
                           m.writeMode, m.size, m.lineHeight, m.bold};
  for (int id = kSmooth; id <= kBold; ++id)
    if (Arg_Given(id)) return store(style[id - kSmooth]);
  if (IsOne(kFaceCount)) return store(Font_GetCount());
  // Id 12 answers 0 and keeps the measuring and face queries from running.
  if (Arg_Given(kZero)) return store(0);
  if (Arg_Given(kWidth)) return store(GlyphMeasure(false));
  if (Arg_Given(kHeight)) return store(GlyphMeasure(true));
  if (IsOne(kName)) {
    int64_t n = QueriedFace();
    if (!FaceNumberOk(kCmdTextMetrics, kName, n)) return -1;
    const char* name = Font_GetName(int(n - 1));
    if (!target) return 0;
    if (!name || !name[0]) return store(0);
    Var_SetStringElement(var, index, name);
    return 0;
  }
  if (IsOne(kScript)) {
    int64_t n = QueriedFace();
    if (!FaceNumberOk(kCmdTextMetrics, kScript, n)) return -1;
    return store(Font_GetScriptFlag(int(n - 1)));
  }
  return store(0);
}

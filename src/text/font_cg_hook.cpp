// Command 2 draws text into layers through the font slots: the layer
// graphics sits below the text subsystem, so it calls these through its
// hook table, installed at start-up.
#include "graphics/cg_op.h"
#include "text/text.h"

namespace {

// One character with the current slot's style and outline distance d.
int DrawCgChar(const char* ch, int d, int x, int y, ObjNode* layer) {
  return Msg_DrawGlyph(ch, Font_SlotStyle(Font_CurrentSlot()), d, x, y, layer);
}

}  // namespace

void Font_InstallCgHooks() {
  g_CgOpHooks.setFontSlot = Font_SetSlot;
  g_CgOpHooks.drawChar = DrawCgChar;
}

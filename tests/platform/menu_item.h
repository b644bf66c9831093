// A menu item for the menu cases: its text given in UTF-8 (the menus hold
// Shift-JIS, as the game's scripts give it) and its command id.
#pragma once
#include "platform/menu.h"
#include "platform/text.h"

namespace menufix {

inline PlatMenuItem Item(const char* utf8, uint32_t id) {
  PlatMenuItem it;
  it.text = Text_Utf8ToSjis(utf8);
  it.id = id;
  return it;
}

}  // namespace menufix

// The one-line edit field of engine-drawn dialogs: its text, caret and
// input-method composition, with the length limits (platform inside; the
// dialogs in ui_dialog.cpp draw it).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text.h"

struct UiEditField {
  std::string text;       // CP932
  size_t caret = 0;       // byte offset, always on a character boundary
  std::string composing;  // the input method's composition, not yet part of the text
  int32_t maxChars = 0;   // > 0: at most that many characters (a double-byte one counts 1)
  int32_t maxBytes = 4095;
  int32_t scrollX = 0;    // pixels of the text scrolled out to the left

  // Inserts at the caret as much of `sjis` as the limits allow, whole
  // characters only; control characters and line breaks are left out.
  // Returns true when anything was inserted.
  bool Insert(std::string_view sjis);
  bool Backspace();
  bool Delete();
  bool Left();
  bool Right();
  bool Home();
  bool End();
  // Puts the caret on the character boundary nearest to `x` pixels from the
  // start of the text at text size `px`.
  void CaretToX(int32_t x, int32_t px);
  int32_t CharCount() const;
};

// Byte length of the character at s[i] (1, or 2 for a lead byte followed by
// another byte).
inline size_t UiEdit_CharLen(std::string_view s, size_t i) {
  return (i + 1 < s.size() && Sjis_IsLead(uint8_t(s[i]))) ? 2 : 1;
}

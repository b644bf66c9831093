#include "platform/ui_edit.h"

#include "platform/text.h"
#include "platform/ui_window.h"

namespace {

// The boundary before `at` (0 at the start); Shift-JIS can only be walked
// forward, so it is found from the start of the text.
size_t PrevBoundary(std::string_view s, size_t at) {
  size_t prev = 0;
  for (size_t i = 0; i < at && i < s.size(); i += UiEdit_CharLen(s, i)) prev = i;
  return prev;
}

int32_t CountChars(std::string_view s) {
  int32_t n = 0;
  for (size_t i = 0; i < s.size(); i += UiEdit_CharLen(s, i)) ++n;
  return n;
}

}  // namespace

int32_t UiEditField::CharCount() const { return CountChars(text); }

bool UiEditField::Insert(std::string_view sjis) {
  std::string add;
  int32_t chars = CharCount();
  for (size_t i = 0; i < sjis.size();) {
    size_t n = UiEdit_CharLen(sjis, i);
    bool control = n == 1 && uint8_t(sjis[i]) < 0x20;
    if (!control) {
      if (maxChars > 0 && chars >= maxChars) break;
      if (text.size() + add.size() + n > size_t(maxBytes)) break;
      add.append(sjis.substr(i, n));
      ++chars;
    }
    i += n;
  }
  if (add.empty()) return false;
  text.insert(caret, add);
  caret += add.size();
  return true;
}

bool UiEditField::Backspace() {
  if (caret == 0) return false;
  size_t p = PrevBoundary(text, caret);
  text.erase(p, caret - p);
  caret = p;
  return true;
}

bool UiEditField::Delete() {
  if (caret >= text.size()) return false;
  text.erase(caret, UiEdit_CharLen(text, caret));
  return true;
}

bool UiEditField::Left() {
  if (caret == 0) return false;
  caret = PrevBoundary(text, caret);
  return true;
}

bool UiEditField::Right() {
  if (caret >= text.size()) return false;
  caret += UiEdit_CharLen(text, caret);
  return true;
}

bool UiEditField::Home() {
  bool moved = caret != 0;
  caret = 0;
  return moved;
}

bool UiEditField::End() {
  bool moved = caret != text.size();
  caret = text.size();
  return moved;
}

void UiEditField::CaretToX(int32_t x, int32_t px) {
  int32_t pen = 0;
  size_t best = 0;
  for (size_t i = 0; i < text.size();) {
    size_t n = UiEdit_CharLen(text, i);
    int32_t w = UiText_Width(std::string_view(text).substr(i, n), px);
    if (x < pen + w / 2) break;
    pen += w;
    i += n;
    best = i;
  }
  caret = best;
}

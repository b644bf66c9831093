// Dialogs on engine-drawn windows: layout, drawing, focus and the keyboard
// and mouse, run in the window's modal loop on the main thread.
#include "platform/ui_dialog.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "platform/events.h"
#include "platform/text.h"
#include "platform/ui_edit.h"
#include "platform/ui_window.h"

namespace {

// Colours (0xRRGGBB) of the engine's dialogs.
constexpr uint32_t kFaceColour = 0xF0F0F0;    // dialog face and footer band
constexpr uint32_t kBodyColour = 0xFFFFFF;    // message area of a box
constexpr uint32_t kInk = 0x000000;
constexpr uint32_t kGreyInk = 0x838383;
constexpr uint32_t kButtonFill = 0xE1E1E1, kButtonFrame = 0xADADAD;
constexpr uint32_t kHoverFill = 0xE5F1FB, kPressFill = 0xCCE4F7;
constexpr uint32_t kAccent = 0x0078D7;        // default button, focused field
constexpr uint32_t kDisabledFill = 0xCCCCCC, kDisabledFrame = 0xBFBFBF;
constexpr uint32_t kFieldFrame = 0x7A7A7A;
constexpr uint32_t kScrollTrack = 0xE8E8E8, kScrollThumb = 0xB8B8B8;

// Sizes in pixels.
constexpr int32_t kMargin = 16, kGap = 12, kIconSize = 32;
constexpr int32_t kButtonH = 26, kButtonMinW = 88, kButtonGap = 8, kButtonPad = 24;
constexpr int32_t kFooterPad = 12, kScrollW = 14, kLinePad = 4, kFieldPad = 4;
constexpr int32_t kFormMinW = 320, kFieldMinW = 280;
constexpr int32_t kWheelLines = 3;
constexpr int32_t kCaptionRoom = 140;  // title-bar icon and buttons

// Characters that do not begin a line (they stay at the end of the line
// before, even past its width).
bool NoLineStart(std::string_view ch) {
  static const std::string kSet = Text_Utf8ToSjis("、。，．）」』】！？ー・：；");
  if (ch.size() == 1) return std::string_view(",.)!?:;").find(ch[0]) != std::string_view::npos;
  for (size_t i = 0; i + 1 < kSet.size(); i += 2)
    if (kSet.compare(i, 2, ch) == 0) return true;
  return false;
}

bool IsWordByte(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         c == '_' || c == '-' || c == '.' || c == '\\' || c == '/';
}

// Lines of `text` no wider than maxW: each '\n' ends a line, long lines are
// broken between characters, between words for single-byte text.
std::vector<std::string> Wrap(std::string_view text, int32_t maxW, int32_t px) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t nl = text.find('\n', start);
    std::string_view para = text.substr(start, nl == std::string_view::npos ? nl : nl - start);
    std::string line;
    int32_t w = 0;
    size_t lastSpace = std::string::npos;  // in `line`, just after a space
    for (size_t i = 0; i < para.size();) {
      size_t n = UiEdit_CharLen(para, i);
      std::string_view ch = para.substr(i, n);
      i += n;
      if (ch == "\r") continue;
      int32_t cw = UiText_Width(ch, px);
      if (w + cw > maxW && !line.empty() && !NoLineStart(ch)) {
        if (n == 1 && IsWordByte(ch[0]) && lastSpace != std::string::npos) {
          out.push_back(line.substr(0, lastSpace));
          line.erase(0, lastSpace);
        } else {
          out.push_back(line);
          line.clear();
        }
        w = UiText_Width(line, px);
        lastSpace = std::string::npos;
        if (ch == " ") continue;
      }
      line += ch;
      w += cw;
      if (ch == " ") lastSpace = line.size();
    }
    out.push_back(line);
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return out;
}

struct Layout {
  int32_t w = 0, h = 0;
  int32_t px = kUiTextPx, lineH = 0;
  std::vector<std::string> lines;
  bool centreText = false;
  PlatRect icon, text, field, footer, scrollbar;
  int32_t visibleLines = 0;  // lines shown at once
  bool scrolls = false;
  std::vector<PlatRect> buttons;
};

int32_t ButtonWidth(const UiDialogButton& b, int32_t px) {
  return std::max(kButtonMinW, UiText_Width(b.label, px) + kButtonPad);
}

// Puts the buttons in a row from x at y; returns the row's width.
int32_t RowWidth(const std::vector<UiDialogButton>& bs, int32_t px) {
  int32_t w = 0;
  for (const UiDialogButton& b : bs) w += ButtonWidth(b, px) + (w ? kButtonGap : 0);
  return w;
}

void PlaceRow(Layout& L, const std::vector<UiDialogButton>& bs, int32_t x, int32_t y) {
  for (const UiDialogButton& b : bs) {
    int32_t bw = ButtonWidth(b, L.px);
    L.buttons.push_back({x, y, bw, kButtonH});
    x += bw + kButtonGap;
  }
}

// The text block: wrapped to maxW, at most maxH high (it scrolls beyond).
void FitText(Layout& L, std::string_view text, int32_t maxW, int32_t maxH) {
  L.lines = Wrap(text, maxW, L.px);
  if (text.empty()) L.lines.clear();
  int32_t tw = 0;
  for (const std::string& s : L.lines) tw = std::max(tw, UiText_Width(s, L.px));
  int32_t n = int32_t(L.lines.size());
  L.visibleLines = std::max(1, std::min(n, maxH / L.lineH));
  L.scrolls = n > L.visibleLines;
  if (L.scrolls) tw = maxW + kScrollW + kLinePad;
  L.text = {0, 0, tw, n ? L.visibleLines * L.lineH : 0};
}

Layout MakeLayout(const UiDialogSpec& s, const std::vector<UiDialogButton>& bs,
                  const PlatRect& area) {
  Layout L;
  L.lineH = UiText_Metrics(L.px).height + kLinePad;
  int32_t rowW = RowWidth(bs, L.px);
  int32_t maxH = std::max(L.lineH * 3, area.h * 3 / 5);
  if (s.layout == UiDialogLayout::Form) {
    L.centreText = true;
    L.w = std::min(std::max({s.minClientW, kFormMinW, rowW + 2 * kMargin}), area.w);
    int32_t inner = L.w - 2 * kMargin;
    FitText(L, s.text, inner - kScrollW - kLinePad, maxH);
    int32_t y = kMargin;
    L.text = {kMargin, y, inner, L.text.h};
    if (L.text.h) y += L.text.h + kGap;
    if (s.hasEdit) {
      L.field = {kMargin, y, inner, L.lineH + 2 * kFieldPad};
      y += L.field.h + kGap + kFieldPad;
    }
    PlaceRow(L, bs, (L.w - rowW) / 2, y);
    L.h = y + kButtonH + kMargin;
  } else {
    int32_t iconW = s.icon != UiIcon::None ? kIconSize + kGap : 0;
    int32_t maxW = std::clamp(area.w * 5 / 8 - 2 * kMargin - iconW, 160, 720);
    FitText(L, s.text, maxW, maxH);
    int32_t bodyW = std::max(iconW + L.text.w, s.hasEdit ? iconW + kFieldMinW : 0);
    L.w = std::min(std::max({s.minClientW, bodyW + 2 * kMargin, rowW + 2 * kMargin}), area.w);
    int32_t textH = L.text.h;
    int32_t top = kMargin;
    if (iconW) L.icon = {kMargin, top, kIconSize, kIconSize};
    int32_t textY = top + (iconW && textH < kIconSize ? (kIconSize - textH) / 2 : 0);
    L.text = {kMargin + iconW, textY, L.w - 2 * kMargin - iconW, textH};
    int32_t bodyBottom = std::max(textY + textH, iconW ? top + kIconSize : top);
    if (s.hasEdit) {
      L.field = {kMargin + iconW, bodyBottom + kGap, L.w - 2 * kMargin - iconW,
                 L.lineH + 2 * kFieldPad};
      bodyBottom = L.field.y + L.field.h;
    }
    int32_t footerY = bodyBottom + kMargin;
    L.footer = {0, footerY, L.w, kButtonH + 2 * kFooterPad};
    PlaceRow(L, bs, L.w - kMargin - rowW, footerY + kFooterPad);
    L.h = footerY + L.footer.h;
  }
  if (L.scrolls)
    L.scrollbar = {L.text.x + L.text.w - kScrollW, L.text.y, kScrollW, L.text.h};
  return L;
}

bool Inside(const PlatRect& r, int32_t x, int32_t y) {
  return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
}

class Dialog {
 public:
  Dialog(const UiDialogSpec& spec, std::vector<UiDialogButton> buttons, UiWindow* w, Layout L)
      : spec_(spec), buttons_(std::move(buttons)), win_(w), L_(std::move(L)) {
    field_.text = spec.editText;
    field_.caret = field_.text.size();
    field_.maxChars = spec.editMaxChars;
    field_.maxBytes = spec.editMaxBytes;
    if (spec.hasEdit) focus_ = kFieldFocus;
    else focus_ = DefaultButton();
  }

  UiDialogResult& Result() { return result_; }
  int32_t SignalAnswer() const {
    if (spec_.escapeId) return spec_.escapeId;
    int32_t d = DefaultButton();
    return d >= 0 ? buttons_[size_t(d)].id : 1;
  }

  void Draw();
  // False when the dialog has ended (Result() holds the answer).
  bool Handle(const UiEvent& ev);

 private:
  static constexpr int32_t kFieldFocus = -1;
  static constexpr int32_t kNoButton = -2;

  int32_t DefaultButton() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i].isDefault && buttons_[i].enabled) return int32_t(i);
    for (size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i].enabled) return int32_t(i);
    return kNoButton;
  }
  bool FieldFocused() const { return spec_.hasEdit && focus_ == kFieldFocus; }
  // The button Enter presses now.
  int32_t EnterButton() const { return focus_ >= 0 ? focus_ : DefaultButton(); }

  void MoveFocus(int step, bool buttonsOnly);
  bool Press(int32_t index);
  bool End(int32_t id) {
    result_.id = id;
    result_.editText = field_.text;
    return false;
  }
  bool OnKey(const UiEvent& ev);
  bool OnFieldKey(const UiEvent& ev);
  void Scroll(int32_t lines);
  int32_t ButtonAt(int32_t x, int32_t y) const;
  void UpdateTextInput();
  void DrawButton(size_t i);
  void DrawField();
  void DrawIcon();
  void DrawText();

  const UiDialogSpec& spec_;
  std::vector<UiDialogButton> buttons_;
  UiWindow* win_;
  Layout L_;
  UiEditField field_;
  UiDialogResult result_;
  int32_t focus_ = kNoButton;
  int32_t hover_ = kNoButton;
  int32_t pressed_ = kNoButton;  // button under a held mouse press
  int32_t topLine_ = 0;
  bool caretOn_ = true;
};

void Dialog::MoveFocus(int step, bool buttonsOnly) {
  std::vector<int32_t> order;
  if (spec_.hasEdit && !buttonsOnly) order.push_back(kFieldFocus);
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i].enabled) order.push_back(int32_t(i));
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), focus_);
  int32_t at = it == order.end() ? (step > 0 ? -1 : 0) : int32_t(it - order.begin());
  int32_t n = int32_t(order.size());
  focus_ = order[size_t(((at + step) % n + n) % n)];
}

bool Dialog::Press(int32_t index) {
  if (index < 0 || size_t(index) >= buttons_.size() || !buttons_[size_t(index)].enabled)
    return true;
  const UiDialogButton& b = buttons_[size_t(index)];
  if (!b.staysOpen) return End(b.id);
  if (spec_.onStayingPress) spec_.onStayingPress(b.id);
  return true;
}

void Dialog::Scroll(int32_t lines) {
  int32_t last = std::max(0, int32_t(L_.lines.size()) - L_.visibleLines);
  topLine_ = std::clamp(topLine_ + lines, 0, last);
}

int32_t Dialog::ButtonAt(int32_t x, int32_t y) const {
  for (size_t i = 0; i < L_.buttons.size(); ++i)
    if (Inside(L_.buttons[i], x, y)) return int32_t(i);
  return kNoButton;
}

bool Dialog::OnFieldKey(const UiEvent& ev) {
  // Keys of a composition in progress belong to the input method.
  if (!field_.composing.empty()) return true;
  switch (ev.key) {
    case 37: field_.Left(); break;
    case 39: field_.Right(); break;
    case 36: field_.Home(); break;
    case 35: field_.End(); break;
    case 8: field_.Backspace(); break;
    case 46: field_.Delete(); break;
    case 'V':
      if (ev.ctrl) {
        if (char* clip = SDL_GetClipboardText()) {
          std::string s = Text_Utf8ToSjis(clip);
          SDL_free(clip);
          field_.Insert(s.substr(0, s.find_first_of("\r\n")));
        }
      }
      break;
    case 'C':
      if (ev.ctrl) SDL_SetClipboardText(Text_SjisToUtf8(field_.text).c_str());
      break;
    default: return false;
  }
  return true;
}

bool Dialog::OnKey(const UiEvent& ev) {
  if (FieldFocused() && OnFieldKey(ev)) return true;
  if (FieldFocused() && !field_.composing.empty()) return true;
  switch (ev.key) {
    case 13: return Press(EnterButton());
    case 32: return focus_ >= 0 ? Press(focus_) : true;
    case 27: return spec_.escapeId ? End(spec_.escapeId) : true;
    case 9: MoveFocus(ev.shift ? -1 : 1, false); break;
    case 37:
    case 38:
      if (focus_ >= 0) MoveFocus(-1, true);
      else if (ev.key == 38) Scroll(-1);
      break;
    case 39:
    case 40:
      if (focus_ >= 0) MoveFocus(1, true);
      else if (ev.key == 40) Scroll(1);
      break;
    case 33: Scroll(-L_.visibleLines); break;
    case 34: Scroll(L_.visibleLines); break;
    case 36: if (ev.ctrl) Scroll(-int32_t(L_.lines.size())); break;
    case 35: if (ev.ctrl) Scroll(int32_t(L_.lines.size())); break;
    case 'C':
      if (ev.ctrl) SDL_SetClipboardText(Text_SjisToUtf8(spec_.text).c_str());
      break;
    default: break;
  }
  return true;
}

bool Dialog::Handle(const UiEvent& ev) {
  bool go = true;
  switch (ev.kind) {
    case UiEventKind::KeyDown: go = OnKey(ev); caretOn_ = true; break;
    case UiEventKind::Text:
      if (FieldFocused()) {
        field_.composing.clear();
        field_.Insert(ev.text);
      }
      break;
    case UiEventKind::Editing:
      if (FieldFocused()) field_.composing = ev.text;
      break;
    case UiEventKind::MouseMove: {
      int32_t h = ButtonAt(ev.x, ev.y);
      if (h == hover_) return true;
      hover_ = h;
      break;
    }
    case UiEventKind::ButtonDown:
      if (ev.button != 1) return true;
      if (int32_t b = ButtonAt(ev.x, ev.y); b >= 0 && buttons_[size_t(b)].enabled) {
        pressed_ = b;
        focus_ = b;
      } else if (spec_.hasEdit && Inside(L_.field, ev.x, ev.y)) {
        focus_ = kFieldFocus;
        field_.CaretToX(ev.x - L_.field.x - kFieldPad + field_.scrollX, L_.px);
      } else if (L_.scrolls && Inside(L_.scrollbar, ev.x, ev.y)) {
        int32_t thumbY = L_.scrollbar.y + L_.scrollbar.h * topLine_ / int32_t(L_.lines.size());
        Scroll(ev.y < thumbY ? -L_.visibleLines : L_.visibleLines);
      }
      break;
    case UiEventKind::ButtonUp:
      if (ev.button != 1) return true;
      if (pressed_ >= 0) {
        int32_t b = pressed_;
        pressed_ = kNoButton;
        if (ButtonAt(ev.x, ev.y) == b) go = Press(b);
      }
      break;
    case UiEventKind::Wheel: Scroll(-ev.y * kWheelLines); break;
    case UiEventKind::Close: go = spec_.escapeId ? End(spec_.escapeId) : true; break;
    case UiEventKind::OutsidePress: UiWindow_Raise(win_); return true;
    case UiEventKind::Tick:
      if (!FieldFocused()) return true;
      caretOn_ = !caretOn_;
      break;
    default: break;
  }
  if (!go) return false;
  Draw();
  return true;
}

void Dialog::UpdateTextInput() {
  if (!FieldFocused()) {
    UiWindow_SetTextInput(win_, false);
    return;
  }
  int32_t caretX = UiText_Width(std::string_view(field_.text).substr(0, field_.caret), L_.px);
  PlatRect caret{L_.field.x + kFieldPad + caretX - field_.scrollX, L_.field.y + kFieldPad, 1,
                 L_.lineH};
  UiWindow_SetTextInput(win_, true, &caret);
}

void Dialog::DrawIcon() {
  static const std::string kTimes = Text_Utf8ToSjis("×");
  const char* mark = "";
  uint32_t disc = kAccent, ink = 0xFFFFFF;
  switch (spec_.icon) {
    case UiIcon::Info: mark = "i"; break;
    case UiIcon::Question: mark = "?"; break;
    case UiIcon::Warning: mark = "!", disc = 0xF2B705, ink = kInk; break;
    case UiIcon::Error: mark = kTimes.c_str(), disc = 0xD7382C; break;
    default: return;
  }
  UiCanvas& c = UiWindow_Canvas(win_);
  UiDraw_Disc(c, L_.icon.x, L_.icon.y, kIconSize, disc);
  constexpr int32_t kMarkPx = 24;
  int32_t mw = UiText_Width(mark, kMarkPx);
  UiDraw_Text(c, L_.icon.x + (kIconSize - mw) / 2, L_.icon.y + (kIconSize - kMarkPx) / 2, mark,
              ink, kMarkPx);
}

void Dialog::DrawText() {
  UiCanvas& c = UiWindow_Canvas(win_);
  PlatRect clip = L_.text;
  if (L_.scrolls) clip.w -= kScrollW + kLinePad;
  int32_t last = std::min(int32_t(L_.lines.size()), topLine_ + L_.visibleLines);
  for (int32_t i = topLine_; i < last; ++i) {
    const std::string& s = L_.lines[size_t(i)];
    int32_t x = clip.x;
    if (L_.centreText) x += (clip.w - UiText_Width(s, L_.px)) / 2;
    UiDraw_Text(c, x, clip.y + (i - topLine_) * L_.lineH + kLinePad / 2, s, kInk, L_.px, &clip);
  }
  if (!L_.scrolls) return;
  const PlatRect& sb = L_.scrollbar;
  UiDraw_Fill(c, sb, kScrollTrack);
  int32_t n = int32_t(L_.lines.size());
  int32_t thumbH = std::max(kScrollW, sb.h * L_.visibleLines / n);
  int32_t thumbY = sb.y + (sb.h - thumbH) * topLine_ / std::max(1, n - L_.visibleLines);
  UiDraw_Fill(c, {sb.x + 2, thumbY, sb.w - 4, thumbH}, kScrollThumb);
}

void Dialog::DrawField() {
  UiCanvas& c = UiWindow_Canvas(win_);
  const PlatRect& f = L_.field;
  UiDraw_Fill(c, f, 0xFFFFFF);
  UiDraw_Frame(c, f, FieldFocused() ? kAccent : kFieldFrame);
  PlatRect inner{f.x + kFieldPad, f.y + 1, f.w - 2 * kFieldPad, f.h - 2};
  std::string_view text = field_.text;
  std::string shown = std::string(text.substr(0, field_.caret)) + field_.composing +
                      std::string(text.substr(field_.caret));
  int32_t before = UiText_Width(text.substr(0, field_.caret), L_.px);
  int32_t caretX = before + UiText_Width(field_.composing, L_.px);
  // Keep the caret inside the field.
  if (caretX - field_.scrollX > inner.w - 1) field_.scrollX = caretX - inner.w + 1;
  if (caretX - field_.scrollX < 0) field_.scrollX = caretX;
  int32_t x0 = inner.x - field_.scrollX, ty = f.y + kFieldPad + kLinePad / 2;
  UiDraw_Text(c, x0, ty, shown, kInk, L_.px, &inner);
  int32_t base = ty + UiText_Metrics(L_.px).height;
  if (!field_.composing.empty()) {
    PlatRect line{x0 + before, base, caretX - before, 1};
    PlatRect seen{std::max(line.x, inner.x), line.y,
                  std::min(line.x + line.w, inner.x + inner.w) - std::max(line.x, inner.x), 1};
    UiDraw_Fill(c, seen, kInk);
  }
  if (FieldFocused() && caretOn_)
    UiDraw_Fill(c, {x0 + caretX, ty, 1, base - ty}, kInk);
}

void Dialog::DrawButton(size_t i) {
  UiCanvas& c = UiWindow_Canvas(win_);
  const UiDialogButton& b = buttons_[i];
  const PlatRect& r = L_.buttons[i];
  bool isEnter = int32_t(i) == EnterButton();
  uint32_t fill = kButtonFill, frame = kButtonFrame, ink = kInk;
  if (!b.enabled) {
    fill = kDisabledFill;
    frame = kDisabledFrame;
    ink = kGreyInk;
  } else if (pressed_ == int32_t(i) && hover_ == int32_t(i)) {
    fill = kPressFill;
    frame = kAccent;
  } else if (hover_ == int32_t(i)) {
    fill = kHoverFill;
    frame = kAccent;
  } else if (isEnter) {
    frame = kAccent;
  }
  UiDraw_Fill(c, r, fill);
  UiDraw_Frame(c, r, frame, b.enabled && isEnter ? 2 : 1);
  if (focus_ == int32_t(i)) UiDraw_FocusFrame(c, {r.x + 3, r.y + 3, r.w - 6, r.h - 6}, kInk);
  int32_t lw = UiText_Width(b.label, L_.px);
  UiDraw_Text(c, r.x + (r.w - lw) / 2, r.y + (r.h - UiText_Metrics(L_.px).height) / 2, b.label,
              ink, L_.px, &r);
}

void Dialog::Draw() {
  UiCanvas& c = UiWindow_Canvas(win_);
  bool box = spec_.layout == UiDialogLayout::MessageBox;
  UiDraw_Fill(c, {0, 0, c.w, c.h}, box ? kBodyColour : kFaceColour);
  if (box) UiDraw_Fill(c, L_.footer, kFaceColour);
  DrawIcon();
  DrawText();
  if (spec_.hasEdit) DrawField();
  for (size_t i = 0; i < buttons_.size(); ++i) DrawButton(i);
  UpdateTextInput();
  UiWindow_Present(win_);
}

// Runs the dialog on this (the main) thread.
bool RunHere(const UiDialogSpec& spec, UiDialogResult* out) {
  std::vector<UiDialogButton> buttons = spec.buttons;
  if (buttons.empty()) buttons.push_back({1, "OK", true, true, false});
  UiWindowDesc desc;
  desc.caption = spec.caption;
  desc.owner = spec.owner;
  desc.topmost = spec.topmost;
  if (!UiWindow_CanShow() || !Plat_VideoInit() || !UiText_Ready()) return false;
  // Wide enough for the caption beside the title bar's own buttons, as far
  // as the window manager's font is like ours.
  UiDialogSpec sized = spec;
  sized.minClientW = std::max(spec.minClientW, UiText_Width(spec.caption, kUiTextPx) + kCaptionRoom);
  Layout L = MakeLayout(sized, buttons, UiWindow_WorkArea(desc));
  desc.w = L.w;
  desc.h = L.h;
  UiWindowPtr w = UiWindow_Open(desc);
  if (!w) return false;
  Dialog d(spec, std::move(buttons), w.get(), std::move(L));
  d.Draw();
  UiEnd end = UiWindow_RunModal(w.get(), [&](const UiEvent& ev) { return d.Handle(ev); });
  UiWindow_SetTextInput(w.get(), false);
  *out = d.Result();
  if (end == UiEnd::BySignal) {
    out->bySignal = true;
    out->id = d.SignalAnswer();
  }
  return true;
}

}  // namespace

bool UiDialog_Run(const UiDialogSpec& spec, UiDialogResult* out) {
  if (Plat_IsMainThread()) return RunHere(spec, out);
  // The main thread runs it from its event pump; this thread waits. The
  // shared state outlives a wait that gives up (the main thread stopped
  // pumping), so a late run finds it marked and does nothing.
  struct Shared {
    UiDialogSpec spec;
    UiDialogResult result;
    bool shown = false;
    std::atomic<bool> abandoned{false};
  };
  auto sh = std::make_shared<Shared>();
  sh->spec = spec;
  bool ran = Plat_RunOnMainWait([sh] {
    if (!sh->abandoned) sh->shown = RunHere(sh->spec, &sh->result);
  });
  if (!ran) {
    sh->abandoned = true;
    return false;
  }
  if (sh->shown) *out = sh->result;
  return sh->shown;
}

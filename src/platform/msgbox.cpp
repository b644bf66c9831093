#include "platform/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/signals.h"
#include "platform/text.h"
#include "platform/ui_dialog.h"
#include "platform/ui_window.h"

namespace {

std::mutex g_BoxMutex;
MsgBoxRecorder g_Recorder;
bool g_Interactive = false;

std::string CaptionSjis(const MsgBoxRequest& r) {
  return r.defaultCaption ? std::string("Error") : r.caption;
}

void WriteToStderr(const MsgBoxRequest& r) {
  std::string caption = Text_SjisToUtf8(CaptionSjis(r));
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), Text_SjisToUtf8(r.text).c_str());
}

UiIcon IconOf(MsgBoxIcon icon) {
  switch (icon) {
    case MsgBoxIcon::Error: return UiIcon::Error;
    case MsgBoxIcon::Warning: return UiIcon::Warning;
    case MsgBoxIcon::Info: return UiIcon::Info;
    case MsgBoxIcon::Question: return UiIcon::Question;
    default: return UiIcon::None;
  }
}

// The box drawn by the engine; false when it could not be shown.
bool ShowEngineBox(const MsgBoxRequest& r, int* answer) {
  UiDialogSpec spec;
  spec.caption = CaptionSjis(r);
  spec.text = r.text;
  spec.icon = IconOf(r.icon);
  int fallback = MsgBox_DefaultAnswer(r);
  int enterId = fallback;
  for (const MsgBoxButton& b : r.buttons)
    if (b.isDefault && b.enabled) enterId = b.id;
  for (const MsgBoxButton& b : r.buttons)
    spec.buttons.push_back({b.id, b.label, b.id == enterId, b.enabled, b.staysOpen});
  // Escape and the close box give the cancel answer, never a button the
  // user did not mean.
  spec.escapeId = fallback;
  spec.owner = r.owned ? PlatWin_FromIndex(0) : nullptr;
  spec.topmost = !r.owned;
  if (r.onStayingPress) spec.onStayingPress = [&r](int32_t id) { r.onStayingPress(id); };
  UiDialogResult res;
  if (!UiDialog_Run(spec, &res)) return false;
  *answer = res.id;
  return true;
}

Uint32 IconFlags(MsgBoxIcon icon) {
  switch (icon) {
    case MsgBoxIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case MsgBoxIcon::Warning: return SDL_MESSAGEBOX_WARNING;
    case MsgBoxIcon::Info:
    case MsgBoxIcon::Question: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
  }
}

// The fall-back: SDL's own box (drawn with the server's fonts; on X11 from
// a child process); false when SDL could not show it.
bool ShowSdlBox(const MsgBoxRequest& r, int* answer) {
  std::string caption = Text_SjisToUtf8(CaptionSjis(r));
  std::string text = Text_SjisToUtf8(r.text);
  std::vector<std::string> labels;
  std::vector<SDL_MessageBoxButtonData> buttons;
  int fallback = MsgBox_DefaultAnswer(r);
  int enterId = fallback;
  for (const MsgBoxButton& b : r.buttons)
    if (b.isDefault && b.enabled) enterId = b.id;
  labels.reserve(r.buttons.size() + 1);
  for (const MsgBoxButton& b : r.buttons) {
    if (!b.enabled) continue;
    labels.push_back(Text_SjisToUtf8(b.label));
    Uint32 flags = b.id == enterId ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
    buttons.push_back({flags, b.id, labels.back().c_str()});
  }
  if (buttons.empty()) {
    labels.push_back("OK");
    buttons.push_back({SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, labels.back().c_str()});
  }
  for (auto& b : buttons)
    if (b.buttonid == fallback) b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  SDL_MessageBoxData data{};
  data.flags = IconFlags(r.icon);
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = int(buttons.size());
  data.buttons = buttons.data();
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return false;
  *answer = pressed < 0 ? fallback : pressed;
  return true;
}

}  // namespace

int MsgBox_DefaultAnswer(const MsgBoxRequest& r) {
  for (const MsgBoxButton& b : r.buttons)
    if (b.isCancel && b.enabled) return b.id;
  for (const MsgBoxButton& b : r.buttons)
    if (b.isDefault && b.enabled) return b.id;
  for (const MsgBoxButton& b : r.buttons)
    if (b.enabled) return b.id;
  return 1;
}

bool MsgBox_OnScreen() {
  std::lock_guard<std::mutex> lock(g_BoxMutex);
  return g_Interactive && UiWindow_HaveDisplay() && !PlatSignal_Pending();
}

int MsgBox_Show(const MsgBoxRequest& request) {
  MsgBoxRecorder recorder;
  {
    std::lock_guard<std::mutex> lock(g_BoxMutex);
    recorder = g_Recorder;
  }
  if (recorder) return recorder(request);
  int answer = MsgBox_DefaultAnswer(request);
  if (MsgBox_OnScreen()) {
    if (ShowEngineBox(request, &answer)) return answer;
    if (UiWindow_CanShow() && ShowSdlBox(request, &answer)) return answer;
  }
  WriteToStderr(request);
  return MsgBox_DefaultAnswer(request);
}

void MsgBox_SetRecorder(MsgBoxRecorder recorder) {
  std::lock_guard<std::mutex> lock(g_BoxMutex);
  g_Recorder = std::move(recorder);
}

void MsgBox_SetInteractive(bool on) {
  std::lock_guard<std::mutex> lock(g_BoxMutex);
  g_Interactive = on;
}

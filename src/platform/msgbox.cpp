#include "platform/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/text.h"

namespace {

std::mutex g_BoxMutex;
MsgBoxRecorder g_Recorder;
bool g_Interactive = false;
SDL_Window* g_Owner = nullptr;

bool HaveDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (w && *w);
}

std::string CaptionUtf8(const MsgBoxRequest& r) {
  return r.defaultCaption ? std::string("Error") : Text_SjisToUtf8(r.caption);
}

void WriteToStderr(const MsgBoxRequest& r) {
  std::string caption = CaptionUtf8(r);
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), Text_SjisToUtf8(r.text).c_str());
}

Uint32 IconFlags(MsgBoxIcon icon) {
  switch (icon) {
    case MsgBoxIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case MsgBoxIcon::Warning: return SDL_MESSAGEBOX_WARNING;
    case MsgBoxIcon::Info: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
  }
}

// Shows the box through SDL; false when SDL could not show it.
bool ShowOnScreen(const MsgBoxRequest& r, int* answer) {
  std::string caption = CaptionUtf8(r);
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
  // Escape gives the cancel answer, never a button the user did not mean.
  for (auto& b : buttons)
    if (b.buttonid == fallback) b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  SDL_MessageBoxData data{};
  data.flags = IconFlags(r.icon);
  data.window = g_Owner;
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = int(buttons.size());
  data.buttons = buttons.data();
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
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

int MsgBox_Show(const MsgBoxRequest& request) {
  MsgBoxRecorder recorder;
  bool interactive;
  {
    std::lock_guard<std::mutex> lock(g_BoxMutex);
    recorder = g_Recorder;
    interactive = g_Interactive;
  }
  if (recorder) return recorder(request);
  int answer = MsgBox_DefaultAnswer(request);
  if (interactive && HaveDisplay() && ShowOnScreen(request, &answer)) return answer;
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

void MsgBox_SetOwner(void* sdlWindow) {
  std::lock_guard<std::mutex> lock(g_BoxMutex);
  g_Owner = static_cast<SDL_Window*>(sdlWindow);
}

// The Flash host: one movie in a child window of window 0, played by a
// control that a back end provides. No Flash player exists on this
// platform, so the product's back end never has a control; tests install a
// back end that records what the host asks of it.
#include <string>

#include "base/base.h"
#include "media/media.h"
#include "platform/text.h"

uint8_t g_FlashOpen = 0;
void* g_FlashWindow = nullptr;
void* g_FlashControl = nullptr;
int32_t g_FlashControlCount = 0;
int32_t g_FlashTotalFrames = 0;
int32_t g_FlashUserValue = 0;
int32_t g_FlashX = 0, g_FlashY = 0, g_FlashWidth = 0, g_FlashHeight = 0;

namespace {

// A window token: nothing is shown, because nothing could play in it.
uint8_t s_NullWindow;
// The hosting library is looked for once per run.
int8_t s_HostLoaded = -1;  // -1 not tried, 0 missing, 1 loaded

void* NullCreateWindow(PlatWindow*, const int32_t*) { return &s_NullWindow; }
void NullDestroyWindow(void*) {}
bool NullLoadHost() { return false; }
void* NullCreateControl(void*, const std::u16string&, int32_t*) { return nullptr; }
void NullRelease(void*) {}
bool NullPlaying(void*) { return false; }
int32_t NullFrame(void*) { return 0; }
bool NullVariable(void*, const std::u16string&, std::u16string*) { return false; }

void HostMissingBox() {
  static const std::string text = Text_Utf8ToSjis("ATL.DLLが見つかりませんでした。");
  Sys_MessageBoxF("", "%s", text.c_str());
}

}  // namespace

FlashBackend Flash_NullBackend() {
  return {NullCreateWindow, NullDestroyWindow, NullLoadHost, NullCreateControl,
          NullRelease,      NullPlaying,       NullFrame,    NullVariable};
}

FlashBackend g_FlashBackend = Flash_NullBackend();

int32_t Flash_CreateControl(void* window, const std::u16string& path) {
  if (s_HostLoaded < 0) s_HostLoaded = g_FlashBackend.loadHost() ? 1 : 0;
  if (s_HostLoaded == 0) {
    HostMissingBox();
    return 0;
  }
  int32_t frames = 0;
  void* control = g_FlashBackend.createControl(window, path, &frames);
  if (!control) return 0;
  g_FlashControl = control;
  ++g_FlashControlCount;
  return frames;
}

// The pointer is cleared with the release, so a later query or the
// shut-down never reaches a released control.
void Flash_ReleaseControl() {
  if (g_FlashControlCount <= 0 || !g_FlashControl) return;
  --g_FlashControlCount;
  g_FlashBackend.releaseControl(g_FlashControl);
  g_FlashControl = nullptr;
}

int Flash_IsPlaying() {
  return g_FlashControl && g_FlashBackend.isPlaying(g_FlashControl) ? 1 : 0;
}

int32_t Flash_CurrentFrame() {
  return g_FlashControl ? g_FlashBackend.currentFrame(g_FlashControl) : 0;
}

void Flash_Close() {
  Flash_ReleaseControl();
  if (g_FlashWindow) g_FlashBackend.destroyWindow(g_FlashWindow);
  g_FlashWindow = nullptr;
  g_FlashOpen = 0;
  g_FlashUserValue = 0;
  g_FlashTotalFrames = 0;
}

void Flash_Reset() {
  Flash_Close();
  g_FlashControlCount = 0;
  g_FlashX = g_FlashY = g_FlashWidth = g_FlashHeight = 0;
  s_HostLoaded = -1;
}

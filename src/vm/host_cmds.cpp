// Host and engine commands without dialogs: clipboard text (5, 6), command
// flags (15), frame rate (29), label test (53), settings and play timers
// (91), and the commands that only fetch their arguments.
#include <cstring>
#include <string>

#include "base/base.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "vm/host.h"
#include "vm/vm.h"

uint8_t g_CmdFlags[128] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
};
VmHostHooks g_VmHostHooks;

using namespace hostarg;

namespace {
const ArgSlot& SlotOf(int id) { return g_ArgSlot[g_ArgGiven[id]]; }
}  // namespace

int32_t Cmd_SetClipboardText() {
  if (Cmd_FetchArgs(5)) return -1;
  if (!Arg_Given(kClipGo) || !Arg_Given(kClipText)) return 0;
  const char* s = Arg_Str(kClipText);
  Clip_SetText(s ? s : "");  // a refusal of the system is not the script's error
  return 0;
}

// The clipboard's text without control bytes, at most 1024 bytes; a lead
// byte goes only with its second byte, and only when both fit.
std::string Clip_FilterText(const std::string& in) {
  std::string out;
  for (size_t i = 0; i < in.size() && out.size() < kClipboardMaxBytes; ++i) {
    uint8_t b = uint8_t(in[i]);
    if (Sjis_IsLead(b)) {
      if (i + 1 >= in.size() || in[i + 1] == '\0' || out.size() + 2 > kClipboardMaxBytes) break;
      out.push_back(char(b));
      out.push_back(in[++i]);
      continue;
    }
    if (b == 0) break;
    if (b >= 32) out.push_back(char(b));
  }
  return out;
}

int32_t Cmd_GetClipboardText() {
  if (Cmd_FetchArgs(6)) return -1;
  if (!Arg_Given(kClipGo)) return 0;
  std::string text;
  if (!Clip_GetText(&text)) return -1;  // no text: the task waits a pass, no report
  if (!Arg_Given(kClipText) || !SlotOf(kClipText).varNamed) return 0;
  const ArgSlot& s = SlotOf(kClipText);
  std::string kept = Clip_FilterText(text);
  Var_SetStringElementN(s.var, s.varIndex, kept.data(), kept.size());
  return 0;
}

int32_t Cmd_SetCommandFlags() {
  if (Cmd_FetchArgs(15)) return -1;
  for (int i = 0; i < kFlagsCount - kFlagsFirst; ++i) {
    int id = i + kFlagsFirst;
    if (Arg_Given(id)) g_CmdFlags[i + 1] = uint8_t(Arg_Int(id, 0));
  }
  return 0;
}

// A rate outside 1..1000 would stop pacing (0 divides by zero, negatives
// wrap to huge waits): it is clamped.
int32_t Cmd_FrameRate() {
  if (Cmd_FetchArgs(29)) return -1;
  if (Arg_Given(kFps)) {
    int64_t fps = Arg_Int(kFps, 60);
    fps = fps < kFrameRateMin ? kFrameRateMin : fps > kFrameRateMax ? kFrameRateMax : fps;
    g_FrameRate = uint32_t(fps);
    if (g_VmHostHooks.frameRateChanged) g_VmHostHooks.frameRateChanged();
  }
  if (Arg_Given(kSkip)) g_FrameSkipOn = uint32_t(Arg_Int(kSkip, 1));
  return 0;
}

int32_t Cmd_LabelExists() {
  if (Cmd_FetchArgs(53)) return -1;
  if (!Arg_Given(kLabelQuery) || !Arg_Given(kLabelTarget)) return 0;
  const char* name = Arg_Str(kLabel);
  std::string copy = name ? name : "";
  int64_t found = Label_Find(copy.c_str(), copy.size()) >= 0 ? 1 : 0;
  const ArgSlot& t = SlotOf(kLabelTarget);
  if (t.varNamed) Var_SetIntElement(t.var, t.varIndex, found);
  return 0;
}

int32_t Cmd_Settings() {
  if (Cmd_FetchArgs(91)) return -1;
  if (Arg_Given(kSetSaver) && g_VmHostHooks.setBlockScreenSaver)
    g_VmHostHooks.setBlockScreenSaver(uint8_t(Arg_Int(kSetSaver, 0)));
  if (Arg_Given(kSetInactive)) {
    bool active = !g_VmHostHooks.mainWindowActive || g_VmHostHooks.mainWindowActive();
    if (active) g_RunWhenInactive = uint8_t(Arg_Int(kSetInactive, 0));
  }
  if (Arg_Given(kSetWidth) && Arg_Given(kSetHeight)) {
    int32_t w = int32_t(Arg_Int(kSetWidth, 0)), h = int32_t(Arg_Int(kSetHeight, 0));
    if (w >= 1 && h >= 1) {
      // Sizes beyond the buffers' limit would allocate without bound.
      auto clamp = [](int32_t v) {
        return v < kLogicalSizeMin ? kLogicalSizeMin : v > kLogicalSizeMax ? kLogicalSizeMax : v;
      };
      if (g_VmHostHooks.setLogicalSize) g_VmHostHooks.setLogicalSize(clamp(w), clamp(h));
    }
  }
  uint32_t now = Clock_Ms32();
  for (int k = 0; k < kPlayTimerCount; ++k) {
    int id = kSetTimer1 + k;
    if (!Arg_Given(id)) continue;
    uint8_t want = uint8_t(Arg_Int(id, 0));
    if (g_PlayTimers[size_t(k)].running == 1 && want == 0) Timer_Stop(k, now);
    else if (g_PlayTimers[size_t(k)].running == 0 && want == 1) Timer_Start(k, now);
  }
  return 0;
}

#define NOP_COMMAND(n) \
  int32_t Cmd_Nop##n() { return Cmd_FetchArgs(n) ? -1 : 0; }
NOP_COMMAND(7)
NOP_COMMAND(16)
NOP_COMMAND(67)
NOP_COMMAND(68)
NOP_COMMAND(69)
NOP_COMMAND(74)
NOP_COMMAND(86)
NOP_COMMAND(99)
#undef NOP_COMMAND

#include "platform/joystick.h"

#include <SDL.h>

#include <array>
#include <mutex>

namespace {

struct Slot {
  SDL_Joystick* joy = nullptr;
  SDL_JoystickID id = -1;
  bool fake = false;
  PlatJoyState fakeState;
};

std::mutex g_JoyLock;
std::array<Slot, kPlatJoySlots> g_Slots;

void OpenDevice(int32_t deviceIndex) {
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  for (const Slot& s : g_Slots)
    if (s.joy && s.id == id) return;  // already open (init and the added event)
  for (Slot& s : g_Slots) {
    if (s.joy || s.fake) continue;
    s.joy = SDL_JoystickOpen(deviceIndex);
    if (s.joy) s.id = SDL_JoystickInstanceID(s.joy);
    return;
  }
}

}  // namespace

int32_t PlatJoy_Init() {
  if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return PlatJoy_Count();
  {
    std::lock_guard<std::mutex> lock(g_JoyLock);
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i) OpenDevice(i);
  }
  return PlatJoy_Count();
}

int32_t PlatJoy_Count() {
  std::lock_guard<std::mutex> lock(g_JoyLock);
  int32_t used = 0;
  for (int32_t i = 0; i < kPlatJoySlots; ++i)
    if (g_Slots[i].joy || g_Slots[i].fake) used = i + 1;
  return used;
}

bool PlatJoy_Read(int32_t slot, PlatJoyState* out) {
  if (slot < 0 || slot >= kPlatJoySlots || !out) return false;
  std::lock_guard<std::mutex> lock(g_JoyLock);
  Slot& s = g_Slots[static_cast<size_t>(slot)];
  if (s.fake) {
    *out = s.fakeState;
    return true;
  }
  if (!s.joy || !SDL_JoystickGetAttached(s.joy)) return false;
  PlatJoyState st;
  st.x = static_cast<uint32_t>(SDL_JoystickGetAxis(s.joy, 0) + 32768);
  st.y = static_cast<uint32_t>(SDL_JoystickGetAxis(s.joy, 1) + 32768);
  int buttons = SDL_JoystickNumButtons(s.joy);
  for (int b = 0; b < buttons && b < 32; ++b)
    if (SDL_JoystickGetButton(s.joy, b)) st.buttons |= 1u << b;
  // A hat counts as the stick where a pad has no analog axes.
  if (SDL_JoystickNumAxes(s.joy) < 2 && SDL_JoystickNumHats(s.joy) > 0) {
    uint8_t h = SDL_JoystickGetHat(s.joy, 0);
    st.x = (h & SDL_HAT_LEFT) ? 0 : (h & SDL_HAT_RIGHT) ? 65535 : 32767;
    st.y = (h & SDL_HAT_UP) ? 0 : (h & SDL_HAT_DOWN) ? 65535 : 32767;
  }
  *out = st;
  return true;
}

void PlatJoy_FakeAttach(int32_t slot, const PlatJoyState& state) {
  if (slot < 0 || slot >= kPlatJoySlots) return;
  std::lock_guard<std::mutex> lock(g_JoyLock);
  g_Slots[static_cast<size_t>(slot)].fake = true;
  g_Slots[static_cast<size_t>(slot)].fakeState = state;
}

void PlatJoy_FakeDetach(int32_t slot) {
  if (slot < 0 || slot >= kPlatJoySlots) return;
  std::lock_guard<std::mutex> lock(g_JoyLock);
  g_Slots[static_cast<size_t>(slot)].fake = false;
}

void PlatJoy_OnAdded(int32_t deviceIndex) {
  std::lock_guard<std::mutex> lock(g_JoyLock);
  OpenDevice(deviceIndex);
}

void PlatJoy_OnRemoved(int32_t instanceId) {
  std::lock_guard<std::mutex> lock(g_JoyLock);
  for (Slot& s : g_Slots) {
    if (s.joy && s.id == instanceId) {
      SDL_JoystickClose(s.joy);
      s.joy = nullptr;
      s.id = -1;
    }
  }
}

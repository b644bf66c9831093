// Joysticks on SDL with hot-plug: up to 16 slots, each read as two axes in
// 0..65535 (centre 32767/32768) and 32 buttons. Tests attach fake pads.
#pragma once
#include <cstdint>

constexpr int32_t kPlatJoySlots = 16;

struct PlatJoyState {
  uint32_t x = 32767, y = 32767;  // 0 left / up .. 65535 right / down
  uint32_t buttons = 0;           // bit n = button n + 1
};

// Opens every pad present; returns the number of slots in use.
int32_t PlatJoy_Init();
int32_t PlatJoy_Count();  // slots in use (a slot keeps its number until unplugged)
// False when no pad answers in that slot (unplugged or never there).
bool PlatJoy_Read(int32_t slot, PlatJoyState* out);

// Tests: a fake pad in a slot (takes precedence over a real one), removed again.
void PlatJoy_FakeAttach(int32_t slot, const PlatJoyState& state);
void PlatJoy_FakeDetach(int32_t slot);

// Hot-plug, called by the event pump.
void PlatJoy_OnAdded(int32_t deviceIndex);
void PlatJoy_OnRemoved(int32_t instanceId);

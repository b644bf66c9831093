// Joysticks as keys 384 + 36 j + n: left, right, up, down, buttons 1..32.
#include "platform/joystick.h"
#include "shell/shell.h"

static_assert(kJoyKeyBase + kJoyKeyStride * kJoystickMax <= kKeyCount, "joystick keys fit");
static_assert(kPlatJoySlots == kJoystickMax, "one slot per joystick");

int Input_InitJoysticks() {
  g_InputOptions.joyCount = PlatJoy_Init();
  g_InputOptions.joysticksPresent = g_InputOptions.joyCount > 0 ? 1 : 0;
  return g_InputOptions.joysticksPresent;
}

void Input_JoyKeys(int j, bool answered, uint32_t x, uint32_t y, uint32_t buttons) {
  uint8_t* p = g_KeyPressed.data() + kJoyKeyBase + kJoyKeyStride * j;
  if (!answered) {
    // A pad that no longer answers holds nothing.
    for (int n = 0; n < kJoyKeyStride; ++n) p[n] = 0;
    return;
  }
  // Analog sticks rest near the centre, not on it: a dead zone keeps their
  // jitter from pressing a direction.
  const uint32_t lo = 32768 - kJoyDeadZone, hi = 32768 + kJoyDeadZone;
  p[0] = x < lo ? 0x80 : 0;
  p[1] = x >= hi ? 0x80 : 0;
  p[2] = y < lo ? 0x80 : 0;
  p[3] = y >= hi ? 0x80 : 0;
  for (int b = 0; b < kJoyButtons; ++b) p[4 + b] = (buttons & (1u << b)) ? 0x80 : 0;
}

void Input_PollJoysticks() {
  g_InputOptions.joyCount = PlatJoy_Count();
  g_InputOptions.joysticksPresent = g_InputOptions.joyCount > 0 ? 1 : 0;
  for (int j = 0; j < kJoystickMax; ++j) {
    PlatJoyState st;
    bool answered = PlatJoy_Read(j, &st);
    Input_JoyKeys(j, answered, st.x, st.y, st.buttons);
    for (int n = 0; n < kJoyKeyStride; ++n) Input_RunTransition(kJoyKeyBase + kJoyKeyStride * j + n);
  }
}

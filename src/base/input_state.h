// Input state that the subsystems read: the key counters by key number
// (Windows virtual-key numbers, mouse buttons, then the joysticks' keys) and
// the input options. The shell's input code writes them once per frame on
// the thread that runs the frame; scripts and the message typing read them
// there.
#pragma once
#include <array>
#include <cstdint>

constexpr int kKeyCount = 1024;
constexpr int kJoystickMax = 16;
constexpr int kJoyKeyBase = 384;
constexpr int kJoyKeyStride = 36;
constexpr int kJoyButtons = 32;
constexpr uint32_t kCursorHideDelayMs = 2500;

struct KeyCounter {
  int64_t counter = 0;
  uint8_t edge = 0;        // 0 up, 2 down
  uint64_t presses = 0;
};
// Frame thread: updated once per frame by the shell's Input_UpdateFrame.
extern std::array<KeyCounter, kKeyCount> g_KeyCounters;
// Pressed bytes (bit 7 down) of the frame being updated.
extern std::array<uint8_t, kKeyCount> g_KeyPressed;

struct InputOptions {
  uint8_t keyboard = 1, mouseKeys = 1, joysticks = 0, autoHide = 1;
  uint32_t hideDelayMs = kCursorHideDelayMs;
  int32_t joyCount = 0;
  uint8_t joysticksPresent = 0;
};
extern InputOptions g_InputOptions;

// Button map of the numbers 147-275, 281-408 and 415-542: the key number of
// each of the 128 buttons (a byte each).
constexpr int kButtonMapSize = 128;
extern uint8_t g_ButtonMap[kButtonMapSize];

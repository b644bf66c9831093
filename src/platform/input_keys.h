// Host key positions to the Windows virtual-key numbers that scripts use
// (1 left button, 13 Enter, 17 Ctrl ...). Positions follow a US layout; the
// Japanese keys (yen, ro) get the OEM numbers a Japanese keyboard gives.
#pragma once
#include <cstdint>

// Virtual key of an SDL scancode; 0 for keys the engine does not know.
uint8_t Keys_VkFromScancode(int32_t scancode);
// Generic key that a sided one also presses (160/161 -> 16, 162/163 -> 17,
// 164/165 -> 18), else 0.
uint8_t Keys_GenericOf(uint8_t vk);

// Definitions of the input state that base/input_state.h declares.
#include "base/input_state.h"

std::array<KeyCounter, kKeyCount> g_KeyCounters;
std::array<uint8_t, kKeyCount> g_KeyPressed;
InputOptions g_InputOptions;
uint8_t g_ButtonMap[kButtonMapSize] = {};

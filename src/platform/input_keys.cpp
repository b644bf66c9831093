#include "platform/input_keys.h"

#include <SDL.h>

#include <array>

namespace {

struct KeyPair {
  SDL_Scancode sc;
  uint8_t vk;
};

// Keys that are not letters, digits or function keys.
constexpr KeyPair kNamedKeys[] = {
    {SDL_SCANCODE_BACKSPACE, 8},     {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_RETURN, 13},       {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_PAUSE, 19},        {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_ESCAPE, 27},       {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33},       {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_END, 35},          {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},         {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},        {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_SELECT, 41},       {SDL_SCANCODE_EXECUTE, 43},
    {SDL_SCANCODE_PRINTSCREEN, 44},  {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_DELETE, 46},       {SDL_SCANCODE_HELP, 47},
    {SDL_SCANCODE_LGUI, 91},         {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},  {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},     {SDL_SCANCODE_KP_COMMA, 108},
    {SDL_SCANCODE_KP_MINUS, 109},    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_DIVIDE, 111},   {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_SCROLLLOCK, 145},  {SDL_SCANCODE_LSHIFT, 160},
    {SDL_SCANCODE_RSHIFT, 161},      {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_RCTRL, 163},       {SDL_SCANCODE_LALT, 164},
    {SDL_SCANCODE_RALT, 165},        {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},      {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},       {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},       {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 220},   {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222},  {SDL_SCANCODE_NONUSBACKSLASH, 226},
    {SDL_SCANCODE_INTERNATIONAL1, 226},  // ro: the key left of right Shift
    {SDL_SCANCODE_INTERNATIONAL3, 220},  // yen
    {SDL_SCANCODE_INTERNATIONAL2, 21},   // katakana / hiragana
    {SDL_SCANCODE_INTERNATIONAL4, 28},   // henkan (convert)
    {SDL_SCANCODE_INTERNATIONAL5, 29},   // muhenkan (non-convert)
    {SDL_SCANCODE_LANG1, 21},            {SDL_SCANCODE_LANG2, 25},
};

std::array<uint8_t, SDL_NUM_SCANCODES> BuildTable() {
  std::array<uint8_t, SDL_NUM_SCANCODES> t{};
  for (int i = 0; i < 26; ++i) t[SDL_SCANCODE_A + i] = static_cast<uint8_t>('A' + i);
  // SDL orders the digit row 1..9 then 0.
  for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_1 + i] = static_cast<uint8_t>('1' + i);
  t[SDL_SCANCODE_0] = '0';
  for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_KP_1 + i] = static_cast<uint8_t>(97 + i);
  t[SDL_SCANCODE_KP_0] = 96;
  for (int i = 0; i < 12; ++i) t[SDL_SCANCODE_F1 + i] = static_cast<uint8_t>(112 + i);
  for (int i = 0; i < 12; ++i) t[SDL_SCANCODE_F13 + i] = static_cast<uint8_t>(124 + i);
  for (const KeyPair& k : kNamedKeys) t[k.sc] = k.vk;
  return t;
}

const std::array<uint8_t, SDL_NUM_SCANCODES> kScancodeToVk = BuildTable();

}  // namespace

uint8_t Keys_VkFromScancode(int32_t scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return kScancodeToVk[static_cast<size_t>(scancode)];
}

uint8_t Keys_GenericOf(uint8_t vk) {
  switch (vk) {
    case 160: case 161: return 16;
    case 162: case 163: return 17;
    case 164: case 165: return 18;
    default: return 0;
  }
}

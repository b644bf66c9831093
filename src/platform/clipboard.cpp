// Clipboard text through SDL, converted between CP932 and UTF-8 at the edge.
#include "platform/clipboard.h"

#include <SDL.h>

#include "platform/text.h"

namespace {
// Used while SDL's video system is not up.
std::string g_LocalClip;
bool g_LocalHasText = false;
}  // namespace

bool Clip_SetText(std::string_view sjis) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    g_LocalClip.assign(sjis);
    g_LocalHasText = true;
    return true;
  }
  std::string utf8 = Text_SjisToUtf8(sjis);
  return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool Clip_GetText(std::string* sjis) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    if (!g_LocalHasText) return false;
    *sjis = g_LocalClip;
    return true;
  }
  if (!SDL_HasClipboardText()) return false;
  char* utf8 = SDL_GetClipboardText();
  if (!utf8) return false;
  *sjis = Text_Utf8ToSjis(utf8);
  SDL_free(utf8);
  return true;
}

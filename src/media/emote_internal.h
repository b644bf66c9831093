// Helpers shared by the E-mote host's files.
#pragma once
#include <string>

struct LayerImage;

// Times go to the player as milliseconds x 0.06.
constexpr float kEmoteTimeScale = 0.06f;

namespace emote {
// A box without caption with a UTF-8 text of the engine's.
void Box(const char* utf8);
// A script's Shift-JIS text as the UTF-8 the library takes.
std::string Utf8(const char* sjis);
// The layer's slot in g_EmoteObjects (null: the first free one), or -1.
int SlotOf(const LayerImage* rec);
// The layer's player handle while the library is there, else null.
void* Handle(const LayerImage* rec);
// Every layer of the table through `release`, the slots cleared, then the
// driver dropped (entry 102).
void ReleasePlayersAndDriver(void (*release)(LayerImage* rec));
}  // namespace emote

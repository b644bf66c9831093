// Conversions between the engine's Shift-JIS (code page 932) bytes and the
// UTF-8 / UTF-16 that the host's libraries speak. Only the edges call these.
//
// Every conversion is bounded by its input; bytes that do not form a valid
// character become '?' (U+003F) in the output and conversion goes on with the
// next byte, so a bad string never stops or overruns a caller.
#pragma once
#include <array>
#include <string>
#include <string_view>

std::string Text_SjisToUtf8(std::string_view sjis);
std::string Text_Utf8ToSjis(std::string_view utf8);
std::u16string Text_SjisToUtf16(std::string_view sjis);
std::string Text_Utf16ToSjis(std::u16string_view utf16);

// Shift-JIS lead-byte test shared by the whole engine: 0x81..0x9F and
// 0xE0..0xFC begin a double-byte character.
extern const std::array<bool, 256> g_SjisLead;
inline bool Sjis_IsLead(unsigned char c) { return g_SjisLead[c]; }

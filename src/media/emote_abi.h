// The binary interface of the animated-character player library: the
// library names, the entry names and the C signature of every entry the
// engine calls. The engine's loader and the test's recording library share
// this header, so both sides agree on it.
//
// Entries are numbered (1-3, 101-121, 201-256); entry N is exported as the
// C symbol "emote_N". Texts are UTF-8, floats 32-bit, times are in
// milliseconds x 0.06.
#pragma once
#include <cstdint>

// Loaded from the executable's folder, then from the system's library path.
// The player library is used only when the driver probe library loads.
inline constexpr char kEmoteProbeLibrary[] = "libemotedriver.so";
inline constexpr char kEmotePlayerLibrary[] = "libdodadez.so";
inline constexpr char kEmoteSymbolPrefix[] = "emote_";

// The block handed to entry 2: the GPU device and two words left 0.
struct EmoteDeviceBlock {
  void* device;
  void* reserved0;
  void* reserved1;
};
// The pixel callback of entry 3: BGRA pixels, byte count.
using EmotePixelFilterFn = void (*)(uint8_t* pixels, uint32_t bytes);

extern "C" {
using EmoteFn2 = void* (*)(const EmoteDeviceBlock* block);           // make the driver
using EmoteFn3 = void (*)(const uint8_t* psb, uint32_t size, EmotePixelFilterFn filter);
using EmoteFnDriver = void (*)(void* driver);                        // 102
using EmoteFn119 = void (*)(void* driver, const uint8_t* psb, uint32_t size, void** handle);
using EmoteFn121 = void (*)(void* driver, uint32_t value);
using EmoteFnHandle = void (*)(void* handle);                        // 202 205 236 253 256
using EmoteFnByte = void (*)(void* handle, uint8_t value);           // 208
using EmoteFnInt = void (*)(void* handle, int32_t value);            // 212
using EmoteFnFloat = void (*)(void* handle, float value);            // 214 216 218 254
using EmoteFn220 = void (*)(void* handle, float value, int32_t n, int32_t a, int32_t b);
using EmoteFnFloat2 = void (*)(void* handle, float value, int32_t a, int32_t b);  // 222 224
using EmoteFn226 = void (*)(void* handle, uint32_t colour, int32_t a, int32_t b);
using EmoteFn228 = uint32_t (*)(void* handle);
using EmoteFn229 = const char* (*)(void* handle, uint32_t index);
using EmoteFn233 = void (*)(void* handle, const char* name, float value, float t, int32_t a);
using EmoteFn234 = float (*)(void* handle, const char* name);
using EmoteFn235 = void (*)(void* handle, float a, float b, float c, float d, float e);
using EmoteFnNameQuery = uint8_t (*)(void* handle, const char* name);  // 244 246
using EmoteFn245 = void (*)(void* handle, const char* name, int32_t mode);
using EmoteFnName = void (*)(void* handle, const char* name);          // 247
using EmoteFn248 = void (*)(void* handle, const char* name, float value, float t, int32_t a,
                            uint8_t b);
using EmoteFn251 = void (*)(void* handle, const char* name, float t, int32_t a);
using EmoteFnQuery = uint8_t (*)(void* handle);                        // 252 255
}

// Every entry number the loader resolves: 1-3, 101-121, 201-256 (80 in all).
constexpr int kEmoteEntryCount = 80;
constexpr int kEmoteEntryMaxOrdinal = 256;

// A recording stand-in for the animated-character player library, built as
// a shared library for the tests: every entry the engine calls appends one
// line to a log, and the answers come from values the test sets through
// fake_emote_*().
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/emote_abi.h"

namespace {

std::string g_Log;
int g_NextHandle = 1;
bool g_Fail119 = false;
bool g_FailDriver = false;
std::vector<std::string> g_TimelineNames;
std::vector<float> g_TimelineSeconds;
uint8_t g_Answer[257] = {};
uint8_t g_Filtered[4] = {};

// Handles and the driver are small numbers turned into pointers, so the log
// can name them.
void* AsPtr(int n) { return reinterpret_cast<void*>(uintptr_t(n) << 4); }
int AsNum(const void* p) { return int(reinterpret_cast<uintptr_t>(p) >> 4); }

void Log(const char* format, ...) {
  char line[512];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(line, sizeof line, format, ap);
  va_end(ap);
  g_Log += line;
  g_Log += '\n';
}

}  // namespace

extern "C" {

// ---- What the tests use ----------------------------------------------------
const char* fake_emote_log() { return g_Log.c_str(); }
void fake_emote_reset() {
  g_Log.clear();
  g_NextHandle = 1;
  g_Fail119 = g_FailDriver = false;
  g_TimelineNames.clear();
  g_TimelineSeconds.clear();
  std::memset(g_Answer, 0, sizeof g_Answer);
}
void fake_emote_fail_load(int on) { g_Fail119 = on != 0; }
void fake_emote_fail_driver(int on) { g_FailDriver = on != 0; }
void fake_emote_answer(int ordinal, int value) { g_Answer[ordinal] = uint8_t(value); }
void fake_emote_add_timeline(const char* name, float seconds) {
  g_TimelineNames.push_back(name);
  g_TimelineSeconds.push_back(seconds);
}
// The pixel B 200, G 100, R 50, A 255 as the last load's filter left it.
const uint8_t* fake_emote_filtered() { return g_Filtered; }

// ---- The library's entries ---------------------------------------------------
void* emote_2(const EmoteDeviceBlock* b) {
  Log("2 device=%d", AsNum(b->device));
  return g_FailDriver ? nullptr : AsPtr(900);
}
void emote_3(const uint8_t*, uint32_t size, EmotePixelFilterFn filter) {
  Log("3 size=%u", size);
  const uint8_t pixel[4] = {200, 100, 50, 255};
  std::memcpy(g_Filtered, pixel, 4);
  if (filter) filter(g_Filtered, 4);
}
void emote_102(void* driver) { Log("102 driver=%d", AsNum(driver)); }
void emote_119(void* driver, const uint8_t*, uint32_t size, void** handle) {
  Log("119 driver=%d size=%u", AsNum(driver), size);
  if (!g_Fail119) *handle = AsPtr(g_NextHandle++);
}
void emote_121(void* driver, uint32_t v) { Log("121 driver=%d %u", AsNum(driver), v); }
void emote_202(void* h) { Log("202 h%d", AsNum(h)); }
void emote_205(void* h) { Log("205 h%d", AsNum(h)); }
void emote_236(void* h) { Log("236 h%d", AsNum(h)); }
void emote_253(void* h) { Log("253 h%d", AsNum(h)); }
void emote_256(void* h) { Log("256 h%d", AsNum(h)); }
void emote_208(void* h, uint8_t v) { Log("208 h%d %d", AsNum(h), v); }
void emote_212(void* h, int32_t v) { Log("212 h%d %d", AsNum(h), v); }
void emote_214(void* h, float v) { Log("214 h%d %.3f", AsNum(h), v); }
void emote_216(void* h, float v) { Log("216 h%d %.3f", AsNum(h), v); }
void emote_218(void* h, float v) { Log("218 h%d %.3f", AsNum(h), v); }
void emote_254(void* h, float v) { Log("254 h%d %.3f", AsNum(h), v); }
void emote_220(void* h, float v, int32_t n, int32_t, int32_t) { Log("220 h%d %.3f %d", AsNum(h), v, n); }
void emote_222(void* h, float v, int32_t, int32_t) { Log("222 h%d %.3f", AsNum(h), v); }
void emote_224(void* h, float v, int32_t, int32_t) { Log("224 h%d %.3f", AsNum(h), v); }
void emote_226(void* h, uint32_t c, int32_t, int32_t) { Log("226 h%d %u", AsNum(h), c); }
uint32_t emote_228(void* h) {
  Log("228 h%d", AsNum(h));
  return uint32_t(g_TimelineNames.size());
}
const char* emote_229(void* h, uint32_t i) {
  Log("229 h%d %u", AsNum(h), i);
  return i < g_TimelineNames.size() ? g_TimelineNames[i].c_str() : nullptr;
}
float emote_234(void* h, const char* name) {
  Log("234 h%d %s", AsNum(h), name);
  for (size_t i = 0; i < g_TimelineNames.size(); ++i)
    if (g_TimelineNames[i] == name) return g_TimelineSeconds[i];
  return 0.0f;
}
void emote_233(void* h, const char* name, float v, float t, int32_t) {
  Log("233 h%d %s %.3f %.3f", AsNum(h), name, v, t);
}
void emote_235(void* h, float a, float b, float c, float d, float e) {
  Log("235 h%d %.1f %.1f %.1f %.1f %.1f", AsNum(h), a, b, c, d, e);
}
uint8_t emote_244(void* h, const char* name) {
  Log("244 h%d %s", AsNum(h), name);
  return g_Answer[244];
}
void emote_245(void* h, const char* name, int32_t mode) { Log("245 h%d %s %d", AsNum(h), name, mode); }
uint8_t emote_246(void* h, const char* name) {
  Log("246 h%d %s", AsNum(h), name);
  return g_Answer[246];
}
void emote_247(void* h, const char* name) { Log("247 h%d %s", AsNum(h), name); }
void emote_248(void* h, const char* name, float v, float t, int32_t, uint8_t) {
  Log("248 h%d %s %.3f %.3f", AsNum(h), name, v, t);
}
void emote_251(void* h, const char* name, float t, int32_t) { Log("251 h%d %s %.3f", AsNum(h), name, t); }
uint8_t emote_252(void* h) {
  Log("252 h%d", AsNum(h));
  return g_Answer[252];
}
uint8_t emote_255(void* h) {
  Log("255 h%d", AsNum(h));
  return g_Answer[255];
}

}  // extern "C"

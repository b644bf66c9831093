// Reader of the engine configuration file (qvcfg.qbn).
#include <cstdlib>
#include <cstring>

#include "files/script_internal.h"
#include "platform/displays.h"
#include "base/base.h"

EngineConfig g_EngineConfig;
uint32_t g_ConfigDesktopW = 0, g_ConfigDesktopH = 0;

namespace {

// The desktop's size for a 0 x 0 screen: what the start-up recorded, else the
// first display, else a common window size.
void DesktopSize(uint32_t* w, uint32_t* h) {
  if (g_ConfigDesktopW && g_ConfigDesktopH) {
    *w = g_ConfigDesktopW;
    *h = g_ConfigDesktopH;
    return;
  }
  std::vector<PlatDisplay> d = PlatDisplay_List();
  if (!d.empty() && d[0].desktop.width > 0 && d[0].desktop.height > 0) {
    *w = uint32_t(d[0].desktop.width);
    *h = uint32_t(d[0].desktop.height);
    return;
  }
  *w = 1280;
  *h = 720;
}

// The least of 256, 512, 1024 and 2048 that holds `size`, else 4096.
uint32_t TileFor(uint32_t size) {
  for (uint32_t t = 256; t <= 2048; t *= 2) {
    if (t >= size) return t;
  }
  return 4096;
}

}  // namespace

int Script_ParseConfig(const uint8_t* data, size_t size, const char* name) {
  ByteReader r(data, size);
  EngineConfig c;
  r.Skip(16);
  c.width = r.U32();
  c.height = r.U32();
  c.showFirstFrame = uint8_t(r.U32());
  const uint8_t* img = r.Bytes(8);
  const uint8_t* snd = r.Bytes(4);
  uint32_t frameThread = r.U32();
  c.debug = uint8_t(r.U32());
  c.soundMode = uint8_t(r.U32());
  c.thickFrame = uint8_t(r.U32());
  c.frameless = uint8_t(r.U32());
  for (auto& o : c.options) o = uint8_t(r.U32());
  r.Skip(4);
  uint16_t titleLen = r.U16();
  if (r.bad) return script::BadFile(name);

  if (c.width == 0 && c.height == 0) {
    c.useDesktop = 1;
    DesktopSize(&c.width, &c.height);
  } else if (c.width < 128 || c.width > 8192 || c.height < 16 || c.height > 8192) {
    Err_ShowF(901020, 1, name);
    return 1;
  }
  if (titleLen > kTitleMaxBytes) {
    Err_ShowF(901000, 1, name);
    return 1;
  }
  const uint8_t* title = r.Bytes(titleLen);
  if (!title) return script::BadFile(name);
  std::memcpy(c.title, title, titleLen);
  c.title[titleLen] = '\0';
  if (titleLen == 0) std::strcpy(c.title, " ");
  if (frameThread > 1) {
    Err_ShowF(901020, 1, name);
    return 1;
  }
  c.frameThread = uint8_t(frameThread);
  std::memcpy(c.imageExtOrder, img, 5);
  std::memcpy(c.soundExtOrder, snd, 2);
  c.tileW = TileFor(c.width);
  c.tileH = TileFor(c.height);
  g_EngineConfig = c;
  std::memcpy(g_ImageExtOrder, c.imageExtOrder, 5);
  std::memcpy(g_SoundExtOrder, c.soundExtOrder, 2);
  return 0;
}

int Script_LoadConfig() {
  FileImage img;
  if (!script::ReadFile(kFileConfig, &img)) return 1;
  int r = Script_ParseConfig(img.data, img.size, kFileConfig);
  std::free(img.data);
  return r;
}

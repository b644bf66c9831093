#include "platform/sysinfo.h"

#include <SDL.h>
#include <cpuid.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(std::string s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

// MemAvailable of /proc/meminfo in bytes (kernels since 3.14); 0 when absent.
uint64_t MemAvailable() {
  std::ifstream in("/proc/meminfo");
  std::string key;
  uint64_t kb = 0;
  std::string unit;
  while (in >> key >> kb) {
    std::getline(in, unit);
    if (key == "MemAvailable:") return kb * 1024;
  }
  return 0;
}

}  // namespace

PlatCpuInfo PlatSys_Cpu() {
  PlatCpuInfo info;
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(0, &a, &b, &c, &d)) return info;
  info.hasCpuid = true;
  char vendor[13] = {};
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &d, 4);
  std::memcpy(vendor + 8, &c, 4);
  info.vendor = vendor;
  if (a >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
    uint32_t family = (a >> 8) & 0xF, model = (a >> 4) & 0xF;
    if (family == 0xF) family += (a >> 20) & 0xFF;
    if (family == 0x6 || family >= 0xF) model |= ((a >> 16) & 0xF) << 4;
    info.family = family;
    info.model = model;
    info.featuresEdx = d;
    info.featuresEcx = c;
  }
  unsigned top = __get_cpuid_max(0x80000000u, nullptr);
  if (top >= 0x80000004u) {
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
      __get_cpuid(0x80000002u + leaf, &a, &b, &c, &d);
      unsigned regs[4] = {a, b, c, d};
      std::memcpy(brand + leaf * 16, regs, 16);
    }
    info.brand = Trim(brand);
  }
  return info;
}

bool PlatSys_Memory(uint64_t* total, uint64_t* available) {
  struct sysinfo si {};
  if (sysinfo(&si) != 0) return false;
  *total = uint64_t(si.totalram) * si.mem_unit;
  uint64_t avail = MemAvailable();
  *available = avail ? avail : uint64_t(si.freeram) * si.mem_unit;
  return true;
}

bool PlatSys_IsAdmin() { return geteuid() == 0; }

std::vector<std::string> PlatSys_DisplayNames() {
  std::vector<std::string> out;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return out;
  int n = SDL_GetNumVideoDisplays();
  for (int i = 0; i < n; ++i) {
    const char* name = SDL_GetDisplayName(i);
    out.emplace_back(name ? name : "");
  }
  return out;
}

bool PlatSys_AudioDevices(bool capture, std::vector<PlatAudioDevice>* out) {
  out->clear();
  // The audio subsystem is counted by SDL: taking it here and giving it back
  // leaves a sound device that is already open alone.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  int n = SDL_GetNumAudioDevices(capture ? 1 : 0);
  for (int i = 0; i < n; ++i) {
    PlatAudioDevice dev;
    const char* name = SDL_GetAudioDeviceName(i, capture ? 1 : 0);
    dev.name = name ? name : "";
    SDL_AudioSpec spec{};
    if (SDL_GetAudioDeviceSpec(i, capture ? 1 : 0, &spec) == 0) {
      if (spec.channels) dev.channels = spec.channels;
      if (spec.freq) dev.frequency = spec.freq;
      dev.bits = int32_t(SDL_AUDIO_BITSIZE(spec.format));
    }
    out->push_back(std::move(dev));
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return n >= 0;
}

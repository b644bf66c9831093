// SysInfo_Write: the start-up's stock-taking of the machine, a line at a
// time through the trace hook (which keeps nothing unless a tool listens).
#include <cstdarg>
#include <cstdio>

#include "base/base.h"
#include "graphics/pixel_ops.h"
#include "platform/displays.h"
#include "platform/sysinfo.h"
#include "platform/text.h"
#include "shell/sysinfo.h"

std::string g_ProcessorName;

namespace {

constexpr int kDisplayModeMax = 9999;

struct FormatName {
  uint32_t mask;
  const char* name;
};
// First match wins: the best rate and sample size a device offers.
constexpr FormatName kFormatNames[] = {
    {kWaveFormat4M16 | kWaveFormat4S16, "44.1kHz(16-bit)"},
    {kWaveFormat4M08 | kWaveFormat4S08, "44.1kHz(8-bit)"},
    {kWaveFormat2M16 | kWaveFormat2S16, "22.05kHz(16-bit)"},
    {kWaveFormat2M08 | kWaveFormat2S08, "22.05kHz,(8-bit)"},
    {kWaveFormat1M16 | kWaveFormat1S16, "11.025kHz(16-bit)"},
    {kWaveFormat1M08 | kWaveFormat1S08, "11.025kHz(8-bit)"},
};

void Add(std::vector<std::string>& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void Add(std::vector<std::string>& out, const char* format, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  out.emplace_back(buf);
}

void AddSound(std::vector<std::string>& out, bool capture) {
  out.emplace_back(capture ? "SOUND[INPUT]" : "SOUND[OUTPUT]");
  std::vector<PlatAudioDevice> devices;
  PlatSys_AudioDevices(capture, &devices);
  static const std::string kLine = Text_Utf8ToSjis("▼ Name: %s, %d, %s, %s");
  for (size_t i = 0; i < devices.size(); ++i) {
    const PlatAudioDevice& d = devices[i];
    uint32_t flags = SysInfo_FormatFlags(d.frequency, d.channels, d.bits);
    std::string name = Text_Utf8ToSjis(d.name);
    Add(out, kLine.c_str(), name.c_str(), int(i), SysInfo_SoundFormatName(flags),
        d.channels == 1 ? "Mono" : "Stereo");
  }
}

}  // namespace

const char* SysInfo_SoundFormatName(uint32_t formats) {
  for (const FormatName& f : kFormatNames)
    if (formats & f.mask) return f.name;
  return "Disable";
}

uint32_t SysInfo_FormatFlags(int32_t frequency, int32_t channels, int32_t bits) {
  if (frequency < 11025 || channels < 1 || bits < 8) return 0;
  bool stereo = channels >= 2, wide = bits >= 16;
  uint32_t flags = 0;
  // Rate families 1, 2 and 4 sit 4 bits apart; within one, M08 S08 M16 S16.
  for (int family = 0; family < 3; ++family) {
    static constexpr int32_t kRates[] = {11025, 22050, 44100};
    if (frequency < kRates[family]) break;
    uint32_t base = 1u << (family * 4);
    flags |= base;                       // mono 8-bit
    if (stereo) flags |= base << 1;
    if (wide) flags |= base << 2;
    if (stereo && wide) flags |= base << 3;
  }
  return flags;
}

int32_t Sys_IsUserAdmin() { return PlatSys_IsAdmin() ? 1 : 0; }

std::vector<std::string> SysInfo_Lines() {
  std::vector<std::string> out;
  PlatCpuInfo cpu = PlatSys_Cpu();
  if (cpu.hasCpuid) g_ProcessorName = cpu.brand;
  Add(out, "OS_VER = %d", int(g_OsVersionCode));
  Add(out, "CPU_NAME = %s", g_ProcessorName.c_str());
  Add(out, "CPU_MMX = %d", int(g_CpuFeatures.mmx));
  Add(out, "CPU_SSE = %d", int(g_CpuFeatures.sse));
  Add(out, "CPU_SSE2 = %d", int(g_CpuFeatures.sse2));
  Add(out, "CPU_CORENUM = %d", int(g_ProcessorCount));
  Add(out, "CPU_COREUSE = %d", int(g_WorkerCount));
  Add(out, "DirectX_VER = %d", int(g_DirectXVersion));
  uint64_t total = 0, avail = 0;
  PlatSys_Memory(&total, &avail);
  Add(out, "MEM_TOTAL = %u MB", unsigned(total >> 20));
  Add(out, "MEM_AVAIL = %u MB", unsigned(avail >> 20));
  const DesktopMetrics& m = g_DesktopMetrics;
  Add(out, "SCREEN = %d x %d x %d bit (%dHz)", m.width, m.height, m.bitsPerPixel, m.refreshRate);
  Add(out, "ADMIN = %d", Sys_IsUserAdmin());
  out.emplace_back("VIDEO");
  static const std::string kDevice = Text_Utf8ToSjis("▼ Name: %s [%s] %s%s");
  std::vector<std::string> names = PlatSys_DisplayNames();
  for (size_t i = 0; i < names.size(); ++i) {
    char device[32];
    std::snprintf(device, sizeof device, "DISPLAY%d", int(i + 1));
    std::string label = Text_Utf8ToSjis(names[i]);
    Add(out, kDevice.c_str(), device, label.c_str(), "D", i == 0 ? "P" : "");
  }
  AddSound(out, false);
  AddSound(out, true);
  out.emplace_back("DISPLAYMODE");
  std::vector<PlatDisplay> displays = PlatDisplay_List();
  if (!displays.empty()) {
    const std::vector<PlatDisplayMode>& modes = displays[0].modes;
    for (size_t i = 0; i < modes.size() && i <= size_t(kDisplayModeMax); ++i) {
      const PlatDisplayMode& d = modes[i];
      if (d.bpp < 8) continue;
      Add(out, "[%3d]%4dx%4d %2d bit (%d Hz)", int(i), d.width, d.height, d.bpp, d.hz);
    }
  }
  return out;
}

void SysInfo_Write() {
  // The report once went to this file; an old copy is removed so that no
  // stale report is mistaken for this machine's.
  std::remove("info.txt");
  for (const std::string& line : SysInfo_Lines()) Sys_Trace("%s", line.c_str());
}

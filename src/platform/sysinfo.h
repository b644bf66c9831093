// Facts about the machine for the system-information report: the processor
// (CPUID), physical memory, administrator rights, display names and the
// sound devices.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PlatCpuInfo {
  bool hasCpuid = false;
  std::string vendor;    // "GenuineIntel", ...
  std::string brand;     // brand string of the extended leaves, blanks trimmed
  uint32_t family = 0, model = 0;
  uint32_t featuresEdx = 0, featuresEcx = 0;  // leaf 1
};
PlatCpuInfo PlatSys_Cpu();

// Total and available physical memory in bytes; false when unknown.
bool PlatSys_Memory(uint64_t* total, uint64_t* available);

// Whether the process runs with the system's administrator rights (root).
bool PlatSys_IsAdmin();

// Names of the displays, the primary first (empty when video is not up).
std::vector<std::string> PlatSys_DisplayNames();

// One sound device as the audio system describes it.
struct PlatAudioDevice {
  std::string name;       // UTF-8
  int32_t channels = 2;
  int32_t frequency = 44100;
  int32_t bits = 16;
};
// Playback (capture false) or recording devices; false when the audio
// system cannot list them.
bool PlatSys_AudioDevices(bool capture, std::vector<PlatAudioDevice>* out);

// Facts about the machine and the user that scripts may read: whether the
// engine runs with administrator rights, and the physical memory figures.
#pragma once
#include <cstdint>
#include <string_view>

// True when the process runs as the superuser (effective user id 0).
bool SysInfo_IsAdmin();

// Physical memory: total and available bytes and the load in percent
// (100 - 100 * available / total), as a 32-bit program would see them, each
// byte count capped at 2^31 - 1. All zero when the figures are unknown.
struct MemoryStatus {
  int64_t totalBytes = 0;
  int64_t availBytes = 0;
  int32_t loadPercent = 0;
};
MemoryStatus SysInfo_Memory();
// The same figures from the text of a /proc/meminfo file (MemTotal and
// MemAvailable, in kB; MemFree when MemAvailable is missing).
MemoryStatus SysInfo_ParseMeminfo(std::string_view text);

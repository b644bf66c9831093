// Capabilities of the machine as the engine records them: system code,
// processors, workers, desktop. Sys_ReadCaps (shell) fills them.
#include "base/base.h"

uint8_t g_OsVersionCode = 255;
uint8_t g_ProcessorCount = 1;
uint8_t g_WorkerCount = 1;
DesktopMetrics g_DesktopMetrics;

namespace {

struct BuildCode {
  uint32_t build;
  uint8_t code;
};

// Windows build numbers and the codes the scripts see for them.
constexpr BuildCode kBuildCodes[] = {
    {950, 1},   {1111, 2},  {1212, 3},  {1214, 4},  {1057, 12}, {1381, 13}, {1998, 20},
    {2222, 21}, {3000, 30}, {2195, 40}, {2211, 45}, {2223, 45}, {2239, 45}, {2247, 45},
    {2250, 45}, {2257, 45}, {2600, 50}, {3790, 60}, {5219, 65}, {5260, 65}, {5270, 65},
    {5381, 65}, {5384, 65}, {5536, 65}, {5568, 65}, {5600, 65}, {5743, 65}, {6000, 70},
    {6001, 70}, {6002, 70}, {6801, 80}, {7000, 80}, {7100, 80}, {7600, 80}, {8158, 90},
    {8250, 90}, {8375, 90}, {9200, 90}, {9374, 91}, {9600, 91},
};

}  // namespace

uint8_t Sys_OsCodeForBuild(uint32_t build) {
  for (const BuildCode& b : kBuildCodes)
    if (b.build == build) return b.code;
  return 255;
}

// This host is not a Windows version: the code for an unknown build, which
// counts as a recent system and is never refused.
uint8_t Sys_GetOsVersionCode() { return 255; }

uint8_t Sys_WorkerCountFor(int processors, int maximum) {
  int n = processors < 1 ? 1 : processors;
  return uint8_t(n < maximum ? n : maximum);
}

int32_t Sys_RecordedRefresh(int hz) { return hz < 60 ? -1 : hz; }

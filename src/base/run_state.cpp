// Engine-wide run state: definitions of what base/engine_state.h declares.
#include <chrono>
#include <cstring>
#include <ctime>

#include "base/base.h"

std::string g_ModulePath;
std::string g_ExeDir;
std::string g_InstanceName;
std::string g_ModulePathHost;
std::string g_ExeDirHost;

uint32_t g_BuiltSize = 0;
uint8_t g_HasAppendedData = 0;
uint8_t g_ScreenSaverMode = 0;
uint64_t g_AppendedPackOffset = 0;
uint32_t g_PreviewSize = 0;

std::mutex g_SoundLock;
std::atomic<uint8_t> g_RestartRequested{0};
std::atomic<uint8_t> g_AppRunning{0};

std::string g_DataDir;
uint8_t g_DataDirNotWritable = 0;
uint8_t g_SoundMode = 0;
uint8_t g_FrameThreadMode = 0;
uint8_t g_JoystickEnabled = 0;
int32_t g_StartLocalTime[8] = {};

std::atomic<uint8_t> g_SoundThreadState{kThreadNeverStarted};
std::atomic<uint8_t> g_FrameThreadState{kThreadNeverStarted};

uint32_t g_FrameRate = 60;
uint32_t g_FrameSkipOn = 1;

void Sys_LocalTime(int32_t out[8]) {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  // Read on one thread at a time (start-up, then the frame's scripts).
  const std::tm* p = std::localtime(&t);
  if (!p) {
    std::memset(out, 0, 8 * sizeof(int32_t));
    return;
  }
  const std::tm tm = *p;
  out[0] = tm.tm_year + 1900;
  out[1] = tm.tm_mon + 1;
  out[2] = tm.tm_mday;
  out[3] = tm.tm_wday;
  out[4] = tm.tm_hour;
  out[5] = tm.tm_min;
  out[6] = tm.tm_sec;
  out[7] = int32_t(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
}

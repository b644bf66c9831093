// Engine shell (layer 10 of 10): the top of the engine. Process entry, start-up and
// shut-down, the frame driver, windows, input and screen modes. Nothing
// includes it but main.cpp and the tests; the subsystems below take what
// they share from base/.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/base.h"

// Fills the capabilities of base/config.h from the machine and enumerates
// the monitors (caps_read.cpp).
void Sys_ReadCaps();

// ---- Process entry (boot_*.cpp) -----------------------------------------
// Entry of the process (main.cpp): turns on-screen message boxes on, runs
// Boot_Run and returns its exit code; when the shut-down left a thread
// running it ends the process itself (flushed, without static destructors).
int Boot_Main(int argc, char** argv);
// SIGTERM and SIGINT set the sticky shut-down flag (and the quit byte): the
// engine ends the orderly way, without the close question. Boot_Main calls it.
void Boot_InstallQuitSignals();
// The entry sequence without the platform's interactive set-up: locks,
// paths, current folder, appended data, screen-saver arguments, the engine,
// release, restart. 0 for a normal end or a second copy, nonzero when the
// program could not start.
int Boot_Run(int argc, char** argv);
// Fills the paths from the host path of the executable.
void Boot_InitPaths();
void Boot_InitPathsFrom(const std::string& hostExePath);
// Asks the running copy to come to the front; always 0.
int Boot_ActivateRunningInstance(const std::string& instanceName);
// -1 stop, 0 no block, 1 block found.
int Boot_CheckAppendedData();
uint32_t Boot_ReadBuiltSize();

// Result of reading the header at B.
struct AppendedHeader {
  bool magic = false;         // "QVER" at B
  uint32_t packOffset = 0;
  uint32_t previewSize = 0;
  uint64_t fileSize = 0;      // 0 when the file cannot be opened
};
AppendedHeader Boot_ReadAppendedHeader(const std::string& hostPath, uint32_t builtSize);
bool Boot_HasAppendedMagic(const std::string& hostPath, uint32_t builtSize);
// Decides about a header: 1 valid block, 0 none (also for a block whose
// pack offset or preview lies outside the file).
int Boot_JudgeAppendedHeader(uint32_t builtSize, const AppendedHeader& h);

// Screen-saver command line: 0 start normally, -1 end the process.
int Boot_HandleScreenSaverArgs(int argc, char** argv);
// Checks a preview bitmap (a whole BMP file): 24 bits, uncompressed, rows
// padded to 4 bytes, all inside `size`. Fills width and height.
bool Saver_ValidatePreview(const uint8_t* bmp, size_t size, int32_t* width, int32_t* height);
// Reads the preview bitmap that follows the header; empty when invalid.
std::vector<uint8_t> Saver_LoadPreviewBitmap(uint32_t* size);

// Start and instance locks (boot_instance.cpp).
constexpr char kStartLockName[] = "tavren1";
bool Boot_TakeStartLock();
// 1 taken, 0 another copy holds it (front request sent), -1 failure.
int Boot_TakeInstanceLock();
void Boot_ReleaseMutex(int n);  // 0 start, 1 instance, 2 folder
void Boot_ReleaseMutexes();
// Takes the folder lock named by the executable's folder ('\' as ':') and
// releases the instance lock; false when another copy holds it (that copy
// is then asked to the front through the folder lock).
bool Boot_TakeFolderLock();
// True when a later copy asked this one to come to the front since the last
// call. The window code polls it and raises the main window.
bool Boot_PollFrontRequest();
// Starts the executable again without arguments.
void Boot_Restart(const std::string& hostPath);

// Engine windows, window procedure, input state and screen modes.
#include "shell/window.h"

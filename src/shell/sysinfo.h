// The system-information report of the start-up and the probes behind it:
// the processor name, the graphics-library release kept for the system
// variables, administrator rights and file versions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// ---- Values kept for the rest of the run (written once at start-up) -------
// Major release of the graphics library (0 to 9) found by the probe; this
// host has none of its files, so it stays 0 unless a test reads others.
extern uint8_t g_DirectXVersion;
// The processor's brand string, once the report's processor probe ran.
extern std::string g_ProcessorName;

// ---- The report (sysinfo_report.cpp) ---------------------------------------
// Deletes ".\info.txt" (nothing is written there any more) and emits the
// report line by line through the trace hook.
void SysInfo_Write();
// The report's lines, in order, as the trace hook gets them (Shift-JIS).
std::vector<std::string> SysInfo_Lines();
// Wave-format flag bits of a sound device: rate (1 11.025 kHz, 2 22.05 kHz,
// 4 44.1 kHz), channels (M, S) and sample size (08, 16).
constexpr uint32_t kWaveFormat1M08 = 0x1, kWaveFormat1S08 = 0x2, kWaveFormat1M16 = 0x4,
                   kWaveFormat1S16 = 0x8, kWaveFormat2M08 = 0x10, kWaveFormat2S08 = 0x20,
                   kWaveFormat2M16 = 0x40, kWaveFormat2S16 = 0x80, kWaveFormat4M08 = 0x100,
                   kWaveFormat4S08 = 0x200, kWaveFormat4M16 = 0x400, kWaveFormat4S16 = 0x800;
// The best format a device offers, by name ("Disable" for none).
const char* SysInfo_SoundFormatName(uint32_t formats);
// The flags of a device of that rate, channel count and sample size (it
// offers that format and the smaller ones of the same rate family).
uint32_t SysInfo_FormatFlags(int32_t frequency, int32_t channels, int32_t bits);
// 1 with administrator rights, else 0.
int32_t Sys_IsUserAdmin();

// ---- Versions and the graphics-library probe (sysinfo_dx.cpp) -------------
// The 64-bit version a.b.c.d (a in the top 16 bits).
uint64_t Ver_Make(uint16_t a, uint16_t b, uint16_t c, uint16_t d);
// 1 x greater, 0 equal, -1 smaller, as unsigned numbers.
int32_t Ver_Compare(uint64_t x, uint64_t y);
// Result codes of the version reader.
constexpr int32_t kVerOk = 0;
constexpr int32_t kVerFail = int32_t(0x80004005u);
constexpr int32_t kVerInvalidArg = int32_t(0x80070057u);
constexpr int32_t kVerOutOfMemory = int32_t(0x8007000Eu);
// The file version of a library: kVerOk, kVerInvalidArg for a null path or
// out pointer, kVerFail when the file carries no version (every file here:
// version resources belong to the other platform's libraries).
int32_t Ver_GetFileVersion(const char* path, uint64_t* version);
using VerReaderFn = int32_t (*)(const char* path, uint64_t* version);
// The release from the system folder's libraries, read through `reader`;
// null out pointers are not written; always 0.
int32_t Sys_GetDirectXVersionFrom(const std::string& systemDir, VerReaderFn reader,
                                  uint32_t* major, uint32_t* minor, char* letter);
// The same for this host (no system folder of that kind: release 0).
int32_t Sys_GetDirectXVersion(uint32_t* major, uint32_t* minor, char* letter);
// Start-up: keeps the major release in g_DirectXVersion.
void Sys_KeepDirectXVersion();

// File commands: 21 (folders, copies, deletes, programs, preloads, a layer
// saved as an image), 22 (exists, size and associated program queries) and
// 8 (a text table into a string array). Scripts name files in the engine's
// Windows-style names; they are mapped onto the host here. Note that the
// names may be absolute or climb with "..": a script can reach any file the
// user can, as it always could.
#pragma once
#include <cstdint>

int32_t Cmd_File();           // 21
int32_t Cmd_FileQuery();      // 22
int32_t Cmd_LoadTextTable();  // 8

namespace filearg {
// 21
constexpr uint8_t kFile = 0, kFile2 = 1, kFolder = 2, kMkdir = 3, kCopy = 4, kDelete = 5, kRun = 6,
                  kRunWait = 7, kParams = 8, kLevel = 9, kLayer = 10, kNumber = 11, kBmp = 12,
                  kPng = 13, kJpeg = 14, kPreImage = 15, kPreSound = 16, kCount = 17;
// 22
constexpr uint8_t kQFolder = 0, kQFile = 1, kQImage = 2, kQSound = 3, kQExists = 4, kQSize = 5,
                  kQProgram = 6, kQResult = 7, kQCount = 8;
// 8
constexpr uint8_t kTFile = 0, kTCount = 1, kTSplit = 2, kTTarget = 3, kTArgs = 4;
}  // namespace filearg

constexpr int kPngLevelDefault = 5, kJpegQualityDefault = 90;

void CmdSchema_RegisterFiles();

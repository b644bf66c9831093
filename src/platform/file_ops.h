// File operations of the script's file commands on host paths (already
// mapped from the engine's names). Failures are answered, never reported:
// the commands go on without them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

bool FileOps_MakeDirs(const std::string& hostPath);   // every missing folder of the path
bool FileOps_Copy(const std::string& from, const std::string& to);  // overwrites
bool FileOps_Delete(const std::string& hostPath);     // a file, not a folder
bool FileOps_RemoveDir(const std::string& hostPath);  // an empty folder
bool FileOps_IsDir(const std::string& hostPath);
bool FileOps_IsFile(const std::string& hostPath);
// The program the desktop opens the file with ("" when none is known).
std::string FileOps_AssociatedProgram(const std::string& hostPath);
// Starts a program, or opens a document with the desktop's program, with
// the parameters split at blanks. With `wait` the call returns only when the
// program has ended. False when nothing could be started.
bool FileOps_Run(const std::string& hostPath, const std::string& params, bool wait);

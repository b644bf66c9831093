// Windows-style names of the game's tree ('\' separators, any case, CP932)
// onto the host file system. Internal to src/files/.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Host path of a relative Windows-style name, relative to the current
// directory, each component matched without regard to ASCII case. False
// when some component does not exist.
bool Host_MapName(const char* winName, std::string* hostPath);

// Size of a regular file; false for a folder or a missing file.
bool Host_RegularFileSize(const std::string& hostPath, uint64_t* size);

// One directory entry of Host_ListFolder: the name in Shift-JIS and the
// host path.
struct HostDirEntry {
  std::string sjisName;
  std::string hostPath;
  bool isDir = false;
};
// The entries of a folder in the order the file system gives; false when it
// cannot be read.
bool Host_ListFolder(const std::string& hostPath, std::vector<HostDirEntry>* out);

// Absolute form of a host path (for packs, which stay reachable after the
// current directory changes).
std::string Host_Absolute(const std::string& hostPath);

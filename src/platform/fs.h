// Host file system seen through the engine's Windows-style names.
//
// The engine names files in Shift-JIS with `\` separators and any letter
// case. Fs_ResolvePath turns such a name into a host path (UTF-8, `/`),
// matching every component case-insensitively against what is on disk, so
// "QVBIN\QVC.QBN" finds "qvbin/qvc.qbn". The host's own paths (the
// executable, the XDG folders) keep their original case and are UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Resolves an engine name (CP932, `\` or `/`, any case; a leading separator
// means the root, otherwise relative to the current folder) onto the host.
// Each component is converted to UTF-8 and looked up case-insensitively (an
// exact match wins over a case-folded one). Components that do not exist are
// kept as converted, so the result also names files about to be created.
// Empty components and "." are skipped; ".." steps up.
// Returns true when the whole path exists.
bool Fs_Resolve(std::string_view engineName, std::string* hostPath);
// The same, returning only the host path.
std::string Fs_ResolvePath(std::string_view engineName);

// The running executable (from /proc/self/exe), original case; "" on failure.
std::string Fs_ExePath();
// Folder part of a host path, without the trailing '/' ("/" for the root).
std::string Fs_DirName(const std::string& hostPath);

// Per-user application-data folder: $XDG_DATA_HOME, else ~/.local/share.
std::string Fs_XdgDataDir();
// Documents folder: XDG_DOCUMENTS_DIR of ~/.config/user-dirs.dirs (or
// $XDG_CONFIG_HOME/user-dirs.dirs), else ~/Documents. Neither is created.
std::string Fs_DocumentsDir();

bool Fs_SetCurrentDir(const std::string& hostPath);
bool Fs_Exists(const std::string& hostPath);
// Size of a regular file, -1 when it cannot be examined.
int64_t Fs_FileSize(const std::string& hostPath);
// Reads up to `maxBytes` from `offset`; false when the file cannot be opened
// (a short read is not a failure: `out` holds what was there).
bool Fs_ReadBytes(const std::string& hostPath, uint64_t offset, size_t maxBytes,
                  std::vector<uint8_t>* out);

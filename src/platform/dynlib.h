// Optional libraries loaded at run time (in place of LoadLibrary and
// GetProcAddress): the engine still starts without them and the feature
// that needs one is then off.
#pragma once
#include <memory>
#include <string>

struct DynLibDeleter {
  void operator()(void* handle) const;
};
// A loaded library; closing happens when the last owner lets go.
using DynLib = std::unique_ptr<void, DynLibDeleter>;

// Opens the library at `path` (a host path, or a bare name searched on the
// system's library path). Null when it cannot be loaded.
DynLib DynLib_Open(const std::string& path);
// The address of `symbol` in `lib`, or null.
void* DynLib_Symbol(const DynLib& lib, const char* symbol);

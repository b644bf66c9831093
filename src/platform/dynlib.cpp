// Run-time libraries through dlopen.
#include "platform/dynlib.h"

#include <dlfcn.h>

void DynLibDeleter::operator()(void* handle) const {
  if (handle) dlclose(handle);
}

DynLib DynLib_Open(const std::string& path) {
  // Symbols resolved at once, so that a library missing one of its own
  // dependencies fails here and not at the first call.
  return DynLib(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* DynLib_Symbol(const DynLib& lib, const char* symbol) {
  return lib ? dlsym(lib.get(), symbol) : nullptr;
}

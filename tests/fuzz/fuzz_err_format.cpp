// Error texts come from the compiled error-text file: any bytes must format
// without reading past the text or an argument that was not passed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks how many of the fixed arguments the caller passed.
  size_t count = size ? data[0] % 5 : 0;
  std::string text(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
  const ErrArg args[] = {ErrArg("name.png"), ErrArg(-12), ErrArg(int64_t(1) << 40),
                         ErrArg(2.5), ErrArg(static_cast<const char*>(nullptr))};
  char out[kErrTextBufferSize];
  size_t n = Err_FormatChecked(out, sizeof out, text.c_str(), args, count);
  if (n >= sizeof out || out[n] != '\0') __builtin_trap();
  return 0;
}

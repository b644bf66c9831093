// Placeholder reporter: prints the number and sets the quit flag. Replaced by
// the full reporter with text lookup, place prefix and the error dialog.
#include <cstdio>

#include "shell/shell.h"

std::atomic<uint8_t> g_QuitRequested{0};

static void Report(int32_t number, int quit) {
  g_QuitRequested = uint8_t(quit);
  std::fprintf(stderr, "error %d\n", int(number));
}

void Err_ScriptF(int32_t number, int quit, ...) { Report(number, quit); }
void Err_Script(int32_t number, int quit) { Report(number, quit); }
void Err_ShowF(int32_t number, int quit, ...) { Report(number, quit); }
void Err_Show(int32_t number, int quit) { Report(number, quit); }
int Sys_MessageBoxF(const char*, const char*, ...) { return 1; }

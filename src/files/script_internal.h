// Helpers shared by the compiled-data readers (files/script_*.cpp and the
// VM's vm/script_*.cpp).
#pragma once
#include "files/files.h"
#include "files/script_data.h"

namespace script {
// Finds and loads a needed file (misses reported as 104060 / 104010 / 901040).
bool ReadFile(const char* name, FileImage* out);
// Reports a malformed file (104010 with its name, quit 1); returns 1.
int BadFile(const char* name);
}  // namespace script

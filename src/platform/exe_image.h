// Layout of the executable file itself.
#pragma once
#include <cstdint>
#include <string>

// End of the ELF image of the file at `hostPath`: the largest end of its
// program headers' file contents, its sections' contents and its header
// tables. Bytes past it were appended after linking. 0 when the file is not
// a readable 64-bit little-endian ELF file or the end does not fit in u32.
uint32_t Exe_ElfImageEnd(const std::string& hostPath);

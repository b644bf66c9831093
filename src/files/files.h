// Resource files: lookup over the four sources, packs, compiled data readers,
// save data. The public face of src/files/.
#pragma once
#include <cstddef>
#include <cstdint>

// ---- Hashes and names (hash.cpp) ---------------------------------------
// MurmurHash2, multiplier 0x5bd1e995, shift 24, seed 0 (the first hash is the
// length). Names of object nodes, labels and pack entries are hashed with it.
uint32_t Hash_Murmur2(const void* data, size_t len);
// Standard reflected CRC-32 (polynomial 0xEDB88320).
uint32_t Crc32_Block(const void* data, size_t len);
// Lower-cases A-Z in place; both bytes of a Shift-JIS double-byte character
// are left alone. Stops at the terminating zero.
void Str_ToLowerSjis(char* s);

// Compiled script data files of qvbin.
#include "files/script_data.h"

// Shared helpers: zeroed allocation, Shift-JIS names and paths, the name
// hash and CRC-32.
#pragma once
#include <cstddef>
#include <cstdint>

// Allocates `size` bytes set to zero; null on failure. Free with std::free.
void* Mem_AllocZeroed(size_t size);
// Shift-JIS to UTF-8 in a new heap string (free with std::free); null on failure.
char* Str_SjisToUtf8(const char* sjis);
// The same for the first `length` bytes (less when a zero byte comes first).
char* Str_SjisToUtf8(const char* sjis, size_t length);

// MurmurHash2, multiplier 0x5bd1e995, shift 24, seed 0 (the first hash is the
// length). Names of object nodes, labels and pack entries are hashed with it.
uint32_t Hash_Murmur2(const void* data, size_t len);
// Standard reflected CRC-32 (polynomial 0xEDB88320).
uint32_t Crc32_Block(const void* data, size_t len);
// Lower-cases A-Z in place; both bytes of a Shift-JIS double-byte character
// are left alone. Stops at the terminating zero.
void Str_ToLowerSjis(char* s);
// The same over `len` bytes of a buffer without a terminator.
void Str_ToLowerSjisN(char* s, size_t len);
// Replaces every single-byte `from` by `to` in place, stepping over
// double-byte characters whole.
void Str_ReplaceCharSjis(char* s, char from, char to);
// Whether `s` ends with `tail`, ASCII letters compared without case.
bool Str_EndsWith(const char* s, const char* tail);

// ---- Object paths (path.cpp) ----------------------------------------------
constexpr size_t kObjPathMax = 256;  // bytes of every path buffer, with the NUL
// Builds the absolute path of `path` into `out` (kObjPathMax bytes). Returns
// 1 when it names a group (it ended in '/', which is removed), 0 for a leaf,
// -1 after error 100242 (a space in a component unless allowSpace, or a
// result that does not fit the buffer).
int32_t Obj_ResolvePath(char* out, const char* path, const char* curPath, bool allowSpace);
// Start of the last component of a resolved path (after the last '/').
const char* Obj_LastComponent(const char* path);
// Index of the '/' or NUL that ends the path component starting at i.
size_t Path_ComponentEnd(const char* s, size_t i);

// Bytes of `text` (length `len`) that fit in `cap` - 1 bytes without
// splitting a double-byte character.
size_t Sjis_FitLength(const char* text, size_t len, size_t cap);
// Copies `src` into `out` (`cap` bytes with the terminator), cut on a
// Shift-JIS character boundary when it does not fit. Returns the length.
size_t Str_CopySjis(char* out, size_t cap, const char* src);

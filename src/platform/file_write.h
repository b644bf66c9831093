// Durable file writes for data that must survive a crash or a full disk
// (save files): a whole file written beside the old one and moved over it
// only once it is complete on disk, and an append whose new bytes are on
// disk before the bytes that make them reachable are written.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Writes the bytes to `path` + ".tmp", flushes them to the disk, closes the
// file and renames it over `path`. 0, or the errno of the first failure
// (the temporary file is removed then and `path` is untouched).
int FileW_Replace(const std::string& path, const uint8_t* data, size_t n);

// Writes `tail` at `tailAt` (the old end of the file) and, once that is on
// the disk, `head` at offset 0. 0, or the errno of the first failure; when
// the tail cannot be written the file is cut back to `tailAt`, so its old
// contents stay as they were.
int FileW_AppendThenPatch(const std::string& path, uint64_t tailAt, const uint8_t* tail, size_t tailLen,
                          const uint8_t* head, size_t headLen);

// Tests: a hook asked before every write; a nonzero errno makes that write
// fail after half of its bytes. Null (the default) writes normally.
using FileWFaultFn = int (*)(const std::string& path, uint64_t offset, size_t n);
void FileW_SetFaultHook(FileWFaultFn fn);

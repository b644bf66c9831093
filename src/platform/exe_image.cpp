#include "platform/exe_image.h"

#include <elf.h>

#include <cstring>
#include <vector>

#include "platform/fs.h"

namespace {

template <typename T>
bool ReadAt(const std::string& path, uint64_t offset, T* out) {
  std::vector<uint8_t> b;
  if (!Fs_ReadBytes(path, offset, sizeof(T), &b) || b.size() != sizeof(T)) return false;
  std::memcpy(out, b.data(), sizeof(T));
  return true;
}

}  // namespace

uint32_t Exe_ElfImageEnd(const std::string& hostPath) {
  Elf64_Ehdr eh;
  if (!ReadAt(hostPath, 0, &eh)) return 0;
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
      eh.e_ident[EI_DATA] != ELFDATA2LSB)
    return 0;
  int64_t fileSize = Fs_FileSize(hostPath);
  if (fileSize <= 0) return 0;
  uint64_t end = eh.e_ehsize;
  if (eh.e_phentsize == sizeof(Elf64_Phdr)) {
    end = std::max<uint64_t>(end, eh.e_phoff + uint64_t(eh.e_phnum) * sizeof(Elf64_Phdr));
    for (unsigned i = 0; i < eh.e_phnum; ++i) {
      Elf64_Phdr ph;
      if (!ReadAt(hostPath, eh.e_phoff + uint64_t(i) * sizeof ph, &ph)) return 0;
      end = std::max<uint64_t>(end, ph.p_offset + ph.p_filesz);
    }
  }
  if (eh.e_shentsize == sizeof(Elf64_Shdr)) {
    end = std::max<uint64_t>(end, eh.e_shoff + uint64_t(eh.e_shnum) * sizeof(Elf64_Shdr));
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
      Elf64_Shdr sh;
      if (!ReadAt(hostPath, eh.e_shoff + uint64_t(i) * sizeof sh, &sh)) return 0;
      if (sh.sh_type != SHT_NOBITS) end = std::max<uint64_t>(end, sh.sh_offset + sh.sh_size);
    }
  }
  // A header that points past the file is not an image we can trust.
  if (end > uint64_t(fileSize) || end > 0xFFFFFFFFull) return 0;
  return uint32_t(end);
}

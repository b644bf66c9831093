#include "pack_writer.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

#include "files/files.h"
#include "files/formats.h"

namespace {
void PutU32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char(uint8_t(v >> (8 * i)));
}
void PutU64(std::string& s, uint64_t v) {
  PutU32(s, uint32_t(v));
  PutU32(s, uint32_t(v >> 32));
}

std::string WindowsName(std::string name) {
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  return name;
}

std::string Lower(std::string s) {
  Str_ToLowerSjisN(s.data(), s.size());
  return s;
}

std::string Deflate(const std::string& in, int level) {
  uLongf cap = compressBound(uLong(in.size()));
  std::string out(cap, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &cap,
                reinterpret_cast<const Bytef*>(in.data()), uLong(in.size()), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(cap);
  return out;
}

// The record that lets the engine rebuild one damaged block of `data`.
std::string RepairRecord(const std::string& data, bool withRecord) {
  std::string r;
  if (!withRecord) {
    PutU32(r, 0);
    PutU32(r, 0);
    return r;
  }
  uint32_t blocks = uint32_t((data.size() + kRepairBlock - 1) / kRepairBlock);
  PutU32(r, kRepairBlock);
  PutU32(r, blocks);
  std::string parity(kRepairBlock, '\0');
  for (uint32_t b = 0; b < blocks; ++b) {
    size_t start = size_t(b) * kRepairBlock;
    size_t len = std::min<size_t>(kRepairBlock, data.size() - start);
    uint16_t crc = uint16_t(Crc32_Block(data.data() + start, len));
    r += char(uint8_t(crc));
    r += char(uint8_t(crc >> 8));
    for (size_t j = 0; j < len; ++j) parity[j] = char(parity[j] ^ data[start + j]);
  }
  return r + parity;
}

uint8_t CodedLength(size_t len) {
  constexpr auto table = Pack_MakeLenTable();
  if (len > 255) throw std::runtime_error("pack entry name longer than 255 bytes");
  return uint8_t(255 - table[len]);
}
}  // namespace

std::string Pack_Build(const std::vector<PackEntryDesc>& entries, const PackOptions& opts,
                       PackLayout* layout) {
  struct Prepared {
    std::string name, stored;
    uint8_t type, compression;
    uint32_t unpacked;
  };
  std::vector<Prepared> prep;
  size_t dirSize = 0;
  for (const PackEntryDesc& e : entries) {
    Prepared p;
    p.name = WindowsName(e.name);
    p.type = uint8_t(e.type >= 0 ? e.type : File_TypeFromExt(p.name.c_str()));
    p.compression = e.compress ? kPackZlib : kPackStored;
    p.stored = e.compress ? Deflate(e.bytes, opts.zlibLevel) : e.bytes;
    p.unpacked = uint32_t(e.bytes.size());
    dirSize += kPackDirEntryFixed + p.name.size();
    prep.push_back(std::move(p));
  }
  std::string out(kPackMagic, 4);
  PutU32(out, opts.version);
  PutU32(out, uint32_t(prep.size()));
  PutU32(out, uint32_t(dirSize));
  out.append(16, '\0');
  PackLayout lay;
  lay.dirSize = dirSize;
  // Data follow the directory, each entry's stored bytes then its record.
  uint64_t dataAt = kPackHeaderSize + dirSize;
  std::string data;
  for (const Prepared& p : prep) {
    PackEntryLayout el;
    el.dirAt = out.size();
    el.nameLen = uint32_t(p.name.size());
    el.dataAt = size_t(dataAt + data.size());
    el.stored = uint32_t(p.stored.size());
    el.unpacked = p.unpacked;
    el.recordAt = el.dataAt + el.stored;
    std::string lowName = Lower(p.name);
    PutU32(out, Hash_Murmur2(lowName.data(), lowName.size()));
    out += char(CodedLength(p.name.size()));
    for (char c : p.name) out += char(~uint8_t(c));
    out += char(p.type);
    out += char(p.compression);
    PutU32(out, p.unpacked);
    PutU32(out, el.stored);
    PutU64(out, el.dataAt);
    PutU32(out, Hash_Murmur2(p.stored.data(), p.stored.size()));
    data += p.stored;
    data += RepairRecord(p.stored, opts.repair);
    lay.entries.push_back(el);
  }
  out += data;
  if (layout) *layout = std::move(lay);
  return out;
}

std::vector<PackEntryDesc> Pack_Descs(const std::map<std::string, std::string>& files,
                                      bool compress) {
  std::vector<PackEntryDesc> out;
  for (const auto& [name, bytes] : files) out.push_back({name, bytes, compress});
  return out;
}

void Pack_DamageBlock(std::string& pack, const PackEntryLayout& e, uint32_t block, uint32_t at,
                      uint32_t count) {
  for (uint32_t k = 0; k < count; ++k) {
    size_t off = size_t(block) * kRepairBlock + at + k;
    if (off >= e.stored) throw std::runtime_error("damage outside the entry's stored bytes");
    pack[e.dataAt + off] = char(uint8_t(pack[e.dataAt + off]) ^ 0xA5);
  }
}

void Pack_PatchU8(std::string& pack, size_t at, uint8_t v) { pack.at(at) = char(v); }

void Pack_PatchU32(std::string& pack, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) pack.at(at + size_t(i)) = char(uint8_t(v >> (8 * i)));
}

void Pack_PatchU64(std::string& pack, size_t at, uint64_t v) {
  Pack_PatchU32(pack, at, uint32_t(v));
  Pack_PatchU32(pack, at + 4, uint32_t(v >> 32));
}

std::string Fixture_StoreArea(const std::map<std::string, std::string>& files) {
  std::string area;
  for (const auto& [name, bytes] : files) {
    std::string n = WindowsName(name);
    PutU32(area, uint32_t(n.size()));
    area += n;
    PutU32(area, uint32_t(bytes.size()));
    area += bytes;
  }
  return area;
}

bool Fixture_UseStore(const std::map<std::string, std::string>& files) {
  std::string area = Fixture_StoreArea(files);
  return File_StoreSetArea(reinterpret_cast<const uint8_t*>(area.data()), area.size(),
                           uint32_t(files.size())) == 0;
}

#include "save_writer.h"

#include <zlib.h>

namespace {
void U32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s->push_back(static_cast<char>(v >> (8 * i)));
}
void SetU32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = static_cast<char>(v >> (8 * i));
}
std::string Compress(const std::string& in) {
  uLongf n = compressBound(in.size());
  std::string out(n, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &n,
            reinterpret_cast<const Bytef*>(in.data()), in.size(), 1);
  out.resize(n);
  return out;
}
}  // namespace

std::string SaveWriter_Item(const SaveItemDesc& item) {
  std::string data;
  uint32_t unpacked = 0;
  if (item.kind == 2) {
    for (const SaveItemDesc& sub : item.subItems) {
      data += SaveWriter_Item(sub);
      unpacked += 12 + uint32_t(sub.payload.size());
    }
  } else {
    data = item.raw ? item.payload : Compress(item.payload);
    unpacked = uint32_t(item.payload.size());
  }
  std::string out;
  out.push_back(static_cast<char>(item.kind));
  out.push_back(1);
  out.push_back(static_cast<char>(item.varNo & 0xFF));
  out.push_back(static_cast<char>((item.varNo >> 8) & 0xFF));
  U32(&out, item.storedOverride >= 0 ? uint32_t(item.storedOverride) : uint32_t(data.size()));
  U32(&out, item.unpackedOverride >= 0 ? uint32_t(item.unpackedOverride) : unpacked);
  return out + data;
}

std::string SaveWriter_File(const SaveFileDesc& desc) {
  std::string out = desc.magic.substr(0, 4);
  out.resize(4, '\0');
  U32(&out, desc.version);
  U32(&out, desc.countOverride >= 0 ? uint32_t(desc.countOverride)
                                    : uint32_t(desc.records.size()));
  U32(&out, 1024);
  out.resize(4112, '\0');
  for (const SaveRecordDesc& r : desc.records) {
    if (r.dno >= 1 && r.dno <= 1024) SetU32(&out, 12 + 4 * r.dno, uint32_t(out.size()));
    U32(&out, r.dno);
    for (const SaveItemDesc& it : r.items) out += SaveWriter_Item(it);
  }
  for (const auto& [dno, off] : desc.tableOverrides) SetU32(&out, 12 + 4 * dno, off);
  return out;
}

std::string SaveWriter_IntVar(const std::vector<uint32_t>& dims, const std::vector<int64_t>& v) {
  std::string s;
  U32(&s, 1);
  U32(&s, uint32_t(dims.size()));
  for (uint32_t d : dims) U32(&s, d);
  U32(&s, uint32_t(v.size() * 8));
  for (int64_t x : v)
    for (int i = 0; i < 8; ++i) s.push_back(static_cast<char>(uint64_t(x) >> (8 * i)));
  return s;
}

std::string SaveWriter_StrVar(const std::vector<uint32_t>& dims,
                              const std::vector<std::string>& v) {
  std::string body;
  for (const std::string& e : v) {
    U32(&body, uint32_t(e.size()));
    body += e;
  }
  std::string s;
  U32(&s, 3);
  U32(&s, uint32_t(dims.size()));
  for (uint32_t d : dims) U32(&s, d);
  U32(&s, uint32_t(body.size()));
  return s + body;
}

std::string SaveWriter_Layer(uint32_t width, uint32_t height, const std::string& pixels) {
  std::string s;
  U32(&s, 1600);
  U32(&s, width * 4 * height);
  std::string block(1600, '\0');
  SetU32(&block, 120, width);
  SetU32(&block, 124, height);
  return s + block + pixels;
}

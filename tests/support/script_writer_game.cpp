// Fixture writer: the qvbin files of a whole game and where to put them.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "files/files.h"
#include "script_writer.h"
#include "shell/startup.h"
#include "vm/cmd_schema.h"
#include "vm/vm_limits.h"

namespace fx {

namespace {
std::string Header(const char magic[4], uint32_t second, uint32_t count) {
  std::string s(magic, 4);
  PutU32(s, second);
  PutU32(s, count);
  return s;
}
void PutZ(std::string& s, const std::string& z) {
  s += z;
  s.push_back('\0');
}
}  // namespace

std::string ConfigFile(const Config& c) {
  std::string s = Header("QVCF", 480, 0);
  PutU32(s, 0);
  PutU32(s, c.width);
  PutU32(s, c.height);
  PutU32(s, c.showFirstFrame);
  s.append(reinterpret_cast<const char*>(c.imageOrder), 8);
  s.append(reinterpret_cast<const char*>(c.soundOrder), 4);
  for (uint32_t v : {c.frameThread, c.debug, c.soundMode, c.thickFrame, c.frameless}) PutU32(s, v);
  for (uint32_t v : c.options) PutU32(s, v);
  PutU32(s, 0);
  PutU16(s, uint16_t(c.title.size()));
  return s + c.title;
}

std::string ErrorTextFile(const std::map<uint32_t, std::string>& texts) {
  std::string s = Header("QVE\0", 480, uint32_t(texts.size()));
  PutU32(s, 0);
  for (const auto& [n, t] : texts) {
    PutU32(s, n);
    PutZ(s, t);
  }
  return s;
}

std::string CommandTableFile() {
  Sys_RegisterCommands();
  std::string s = Header("QVC\0", 480, uint32_t(kCmdCount));
  PutU32(s, 0);
  for (int n = 0; n < kCmdCount; ++n) {
    char buf[16];
    PutZ(s, CmdSchema_Name(n, buf, sizeof buf));
    const CmdSchemaEntry* e = CmdSchema_Get(n);
    uint8_t count = e ? e->argCount : 0;
    PutU8(s, count);
    for (int id = 0; id < count; ++id) {
      const CmdArgSchema* a = CmdSchema_Arg(n, id);
      PutZ(s, a ? a->name : "a" + std::to_string(id));
      PutU8(s, a ? a->kind : 0);
      PutU8(s, a ? a->check : 0);
    }
  }
  for (int i = 0; i < kErrnoTextCount; ++i) PutZ(s, "errno " + std::to_string(i));
  s.append(size_t(kCmdTableTailBytes), '\0');
  return s;
}

std::string VarCountFile(uint32_t n, uint32_t value, uint32_t version) {
  std::string s = Header("QVT\0", version, n);
  PutU32(s, value);
  return s;
}

std::string SceneListFile(const std::map<uint16_t, std::string>& names) {
  uint32_t count = names.empty() ? 0 : uint32_t(names.rbegin()->first) + 1;
  std::string s = Header("QVTL", 480, count);
  // One record per scene number: a number without a name gets an empty one.
  for (uint32_t n = 0; n < count; ++n) {
    auto it = names.find(uint16_t(n));
    const std::string name = it == names.end() ? "" : it->second;
    PutU32(s, n);
    PutU32(s, uint32_t(name.size()));
    s += name;
    s.append(16, '\0');
    PutU32(s, 0);
  }
  return s;
}

std::string VarDefFile(const std::vector<VarDef>& defs) {
  std::string s = "QVV\0";
  s.resize(4);
  PutU32(s, 480);
  PutU16(s, uint16_t(defs.size()));
  for (const VarDef& d : defs) {
    PutU8(s, d.scope);
    PutU8(s, d.group);
    PutU16(s, d.scene);
    PutU16(s, d.var);
    PutU8(s, d.type);
    PutU8(s, uint8_t(d.dims.size()));
    for (uint32_t x : d.dims) PutU32(s, x);
    if (d.type == 1) {
      PutU64(s, uint64_t(d.initInt));
    } else if (d.type == 2) {
      uint64_t bits;
      std::memcpy(&bits, &d.initDbl, 8);
      PutU64(s, bits);
    } else {
      PutU16(s, uint16_t(d.initText.bytes.size()));
      s += d.initText.bytes;
    }
  }
  return s;
}

// Labels sorted by the top byte of their hash, so that every bucket's first
// candidate is the first label of that byte.
std::string LabelFile(const std::vector<LabelDesc>& labels) {
  std::vector<std::pair<uint32_t, const LabelDesc*>> sorted;
  for (const LabelDesc& l : labels) sorted.push_back({Hash_Murmur2(l.name.data(), l.name.size()), &l});
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return (a.first >> 24) < (b.first >> 24); });
  std::string s = Header("QVL\0", 480, uint32_t(sorted.size()));
  for (uint32_t b = 0; b < 256; ++b) {
    uint32_t first = 0;
    while (first < sorted.size() && (sorted[first].first >> 24) < b) ++first;
    PutU32(s, first);
  }
  for (const auto& [h, l] : sorted) {
    PutU8(s, uint8_t(l->name.size()));
    s += l->name;
    PutU32(s, h);
    PutU32(s, l->pc);
    PutU16(s, l->scene);
    PutU8(s, l->ifDepth);
    PutU8(s, l->loopDepth);
  }
  return s;
}

// ---- Game ---------------------------------------------------------------------

Game::Game() = default;

Game& Game::ErrorText(uint32_t number, const std::string& text) {
  errTexts_[number] = text;
  return *this;
}

Game& Game::Def(const VarDef& d) {
  defs_.push_back(d);
  return *this;
}

Game& Game::IntVar(uint16_t var, const std::vector<uint32_t>& dims, int64_t init, uint8_t scope, uint16_t scene,
                   uint8_t group) {
  VarDef d;
  d.scope = scope, d.group = group, d.scene = scene, d.var = var, d.type = 1, d.dims = dims, d.initInt = init;
  return Def(d);
}

Game& Game::DoubleVar(uint16_t var, const std::vector<uint32_t>& dims, double init, uint8_t scope,
                      uint16_t scene, uint8_t group) {
  VarDef d;
  d.scope = scope, d.group = group, d.scene = scene, d.var = var, d.type = 2, d.dims = dims, d.initDbl = init;
  return Def(d);
}

Game& Game::TextVar(uint16_t var, const std::vector<uint32_t>& dims, const std::string& init, uint8_t scope,
                    uint16_t scene, uint8_t group) {
  VarDef d;
  d.scope = scope, d.group = group, d.scene = scene, d.var = var, d.type = 3, d.dims = dims;
  d.initText = Text(init);
  return Def(d);
}

Game& Game::VarCount(uint32_t n) {
  varCount_ = n;
  return *this;
}

Game& Game::CountValue(uint32_t v) {
  countValue_ = v;
  return *this;
}

fx::Scene& Game::Scene(uint16_t number, const std::string& fileName) {
  auto it = scenes_.find(number);
  if (it != scenes_.end()) return it->second;
  std::string name = !fileName.empty() ? fileName : number == 0 ? "main.txt" : "scene" + std::to_string(number) + ".txt";
  return scenes_.emplace(number, fx::Scene(number, name)).first->second;
}

Game& Game::Label(const std::string& name, uint16_t scene, uint32_t pc, uint8_t ifDepth, uint8_t loopDepth) {
  extraLabels_.push_back({scene, {name, pc, ifDepth, loopDepth}});
  return *this;
}

Game& Game::ListScene(uint16_t number, const std::string& fileName) {
  extraList_[number] = fileName;
  return *this;
}

Files Game::Build() const {
  Files f;
  uint32_t n = 999;
  for (const VarDef& d : defs_) n = std::max<uint32_t>(n, d.var);
  if (varCount_) n = *varCount_;
  std::map<uint16_t, std::string> list = extraList_;
  std::vector<LabelDesc> labels;
  for (const auto& [num, s] : scenes_) {
    list[num] = s.FileName();
    for (const auto& l : s.Labels()) labels.push_back({l.name, l.pc, num, l.ifDepth, l.loopDepth});
    char name[32];
    std::snprintf(name, sizeof name, "qvbin\\qvt%05u.qbn", unsigned(num));
    f[name] = s.Build();
  }
  for (const auto& [scene, l] : extraLabels_) labels.push_back({l.name, l.pc, scene, l.ifDepth, l.loopDepth});
  f["qvbin\\qvcfg.qbn"] = ConfigFile(config_);
  f["qvbin\\qve.qbn"] = ErrorTextFile(errTexts_);
  f["qvbin\\qvc.qbn"] = CommandTableFile();
  f["qvbin\\qvt.qbn"] = VarCountFile(n, countValue_);
  f["qvbin\\qvt_list.qbn"] = SceneListFile(list);
  f["qvbin\\qvv.qbn"] = VarDefFile(defs_);
  f["qvbin\\qvl.qbn"] = LabelFile(labels);
  return f;
}

// ---- The compiler store ---------------------------------------------------------

std::string StoreArea(const Files& files) {
  std::string area;
  for (const auto& [name, bytes] : files) {
    PutU32(area, uint32_t(name.size()));
    area += name;
    PutU32(area, uint32_t(bytes.size()));
    area += bytes;
  }
  return area;
}

bool UseStore(const Files& files) {
  std::string area = StoreArea(files);
  return File_StoreSetArea(reinterpret_cast<const uint8_t*>(area.data()), area.size(), uint32_t(files.size())) == 0;
}

}  // namespace fx

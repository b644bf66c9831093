// Fixture writer: expressions and scene files.
#include "script_writer.h"

#include <cstring>
#include <stdexcept>

#include "files/files.h"
#include "files/formats.h"
#include "shell/startup.h"
#include "vm/cmd_schema.h"

namespace fx {

void PutU8(std::string& s, uint8_t v) { s.push_back(char(v)); }
void PutU16(std::string& s, uint16_t v) {
  PutU8(s, uint8_t(v));
  PutU8(s, uint8_t(v >> 8));
}
void PutU32(std::string& s, uint32_t v) {
  PutU16(s, uint16_t(v));
  PutU16(s, uint16_t(v >> 16));
}
void PutU64(std::string& s, uint64_t v) {
  PutU32(s, uint32_t(v));
  PutU32(s, uint32_t(v >> 32));
}
void PatchU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char(uint8_t(v >> (8 * i)));
}

void SceneKey(uint8_t key[4]) {
  uint32_t crc = Crc32_Block(kSceneKeyWord, sizeof kSceneKeyWord - 1);
  for (int i = 0; i < 4; ++i) key[i] = uint8_t(crc >> (24 - 8 * i));
}

// ---- Expressions ------------------------------------------------------------

std::string Token(uint8_t op, const std::string& payload) {
  std::string t;
  PutU8(t, op);
  PutU16(t, uint16_t(payload.size()));
  return t + payload;
}

namespace {
template <typename T>
std::string Bytes(T v) {
  std::string s(sizeof v, '\0');
  std::memcpy(s.data(), &v, sizeof v);
  return s;
}
std::string VarPayload(char sigil, int32_t num) { return std::string(1, sigil) + Bytes(num); }
bool IsDouble(uint8_t t) { return t == kTypeDouble || t == kTypeTextDouble; }
bool IsText(uint8_t t) { return t == kTypeText || t == kTypeTextDouble; }
}  // namespace

Expr Int(int64_t v) { return {Token('L', Bytes(v)), kTypeInt}; }
Expr Int8(int8_t v) { return {Token('B', Bytes(v)), kTypeInt}; }
Expr Int16(int16_t v) { return {Token('W', Bytes(v)), kTypeInt}; }
Expr Int32(int32_t v) { return {Token('I', Bytes(v)), kTypeInt}; }
Expr Dbl(double v) { return {Token('F', Bytes(v)), kTypeDouble}; }

Expr Text(const std::string& s) {
  std::string p = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') p.push_back('\\');
    p.push_back(c);
  }
  p.push_back('"');
  return {Token('M', p), kTypeText};
}

Expr Var(int32_t num, char sigil) { return {Token('H', VarPayload(sigil, num)), kTypeInt}; }
Expr Whole(int32_t num, char sigil) { return {Token('v', VarPayload(sigil, num)), kTypeInt}; }

Expr Elem(int32_t num, const std::vector<Expr>& idx, char sigil) {
  Expr e{Token('V', VarPayload(sigil, num)), kTypeInt};
  for (const Expr& i : idx) e.bytes += i.bytes;
  e.bytes += Token(')');
  return e;
}

Expr Bin(const Expr& a, const Expr& b, char op) {
  bool dbl = IsDouble(a.type) || IsDouble(b.type);
  bool txt = IsText(a.type) || IsText(b.type);
  uint8_t t;
  if (std::strchr("=!><ZS&|", op)) t = dbl ? kTypeDouble : kTypeInt;
  else if (txt) t = dbl ? kTypeTextDouble : kTypeText;
  else t = dbl ? kTypeDouble : kTypeInt;
  return {a.bytes + b.bytes + Token(uint8_t(op)), t};
}

Expr Un(const Expr& a, char op) {
  uint8_t t = a.type;
  if (op == 's') t = IsDouble(t) ? kTypeTextDouble : kTypeText;
  if (op == 'i') t = IsDouble(t) ? kTypeDouble : kTypeInt;
  return {a.bytes + Token(uint8_t(op)), t};
}

namespace {
int64_t ParseInt(const std::string& s) { return std::stoll(s, nullptr, 0); }

// One token of the mini-syntax, starting at `i`; advances `i`.
std::string AsmToken(const std::string& src, size_t& i) {
  char c = src[i];
  if (c == 'M') {
    size_t q = i + 1;
    if (q >= src.size() || src[q] != '"') throw std::invalid_argument("M needs a quoted text");
    std::string p = "\"";
    size_t k = q + 1;
    for (; k < src.size() && src[k] != '"'; ++k) {
      if (src[k] == '\\' && k + 1 < src.size()) p.push_back(src[k++]);
      p.push_back(src[k]);
    }
    p.push_back('"');
    i = k + 1;
    return Token('M', p);
  }
  size_t end = src.find(' ', i);
  if (end == std::string::npos) end = src.size();
  std::string word = src.substr(i, end - i);
  i = end;
  std::string arg = word.substr(1);
  switch (c) {
    case 'B': return Token('B', Bytes(int8_t(ParseInt(arg))));
    case 'W': return Token('W', Bytes(int16_t(ParseInt(arg))));
    case 'I': return Token('I', Bytes(int32_t(ParseInt(arg))));
    case 'L': return Token('L', Bytes(int64_t(ParseInt(arg))));
    case 'F': return Token('F', Bytes(std::stod(arg)));
    case 'H':
    case 'V':
    case 'v':
      if (arg.size() < 2) throw std::invalid_argument("variable token needs sigil and number");
      return Token(uint8_t(c), VarPayload(arg[0], int32_t(ParseInt(arg.substr(1)))));
    case '!':
      if (word.size() == 3) return Token(uint8_t(std::stoi(arg, nullptr, 16)));
      [[fallthrough]];
    default:
      if (word.size() != 1) throw std::invalid_argument("unknown token " + word);
      return Token(uint8_t(c));
  }
}
}  // namespace

Expr Asm(const std::string& src, uint8_t type) {
  Expr e{"", type};
  size_t i = 0;
  while (i < src.size()) {
    if (src[i] == ' ') {
      ++i;
      continue;
    }
    e.bytes += AsmToken(src, i);
  }
  return e;
}

// ---- Scenes -------------------------------------------------------------------

Scene::Scene(uint16_t number, std::string fileName) : number_(number), fileName_(std::move(fileName)) {}

Scene& Scene::Line(uint32_t line) {
  nextLine_ = line;
  return *this;
}

Scene& Scene::Raw(int cmd, const std::vector<RawDesc>& descs, uint16_t extra) {
  ins_.push_back({uint8_t(cmd), extra, descs, nextLine_++});
  return *this;
}

Scene& Scene::Cmd(const std::string& name, const std::vector<Arg>& args, uint16_t extra) {
  Sys_RegisterCommands();  // the table the engine runs with, every subsystem's commands
  int cmd = CmdSchema_Find(name.c_str());
  if (cmd < 0 && name.rfind("cmd", 0) == 0) cmd = std::stoi(name.substr(3));
  if (cmd < 0 || cmd >= 256) throw std::invalid_argument("no command named " + name);
  std::vector<RawDesc> descs;
  for (const Arg& a : args) {
    int id = a.name.size() > 1 && a.name[0] == '#' ? std::stoi(a.name.substr(1))
                                                   : CmdSchema_ArgId(cmd, a.name.c_str());
    if (id < 0 || id > 255) throw std::invalid_argument("command " + name + " has no argument " + a.name);
    descs.push_back({uint8_t(id), a.value.type, a.op, a.value, {}, {}});
  }
  return Raw(cmd, descs, extra);
}

Scene& Scene::Let(const Expr& target, const Expr& value, uint8_t op) {
  return Raw(54, {{kLetArgTarget, target.type, op, target, {}, {}}, {kLetArgValue, value.type, op, value, {}, {}}});
}

namespace {
std::vector<RawDesc> DimDescs(const Expr& target, const Expr& init) {
  return {{kDimArgTarget, target.type, 0, target, {}, {}}, {kDimArgInit, init.type, 0, init, {}, {}}};
}
RawDesc PcDesc(uint8_t id) { return {id, kTypeInt, 0, {}, 0u, 0u}; }
}  // namespace

Scene& Scene::Dim(const Expr& target, const Expr& init) { return Raw(51, DimDescs(target, init)); }
Scene& Scene::DimFloat(const Expr& target, const Expr& init) { return Raw(26, DimDescs(target, init)); }
Scene& Scene::DimStr(const Expr& target, const Expr& init) { return Raw(90, DimDescs(target, init)); }

Scene& Scene::Label(const std::string& name) {
  return Label(name, uint8_t(ifDepth_), uint8_t(loopDepth_));
}
Scene& Scene::Label(const std::string& name, uint8_t ifDepth, uint8_t loopDepth) {
  labels_.push_back({name, Pc(), ifDepth, loopDepth});
  return *this;
}

void Scene::SetLength(uint32_t ins, int desc, uint32_t value) { ins_.at(ins).descs.at(size_t(desc)).length = value; }

Scene& Scene::If(const Expr& cond) {
  uint32_t pc = Pc();
  Raw(45, {{kIfArgCond, cond.type, 0, cond, {}, {}}, PcDesc(kIfArgNext), PcDesc(kIfArgEnd)});
  blocks_.push_back({false, pc, {pc}, {}});
  ++ifDepth_;
  return *this;
}

namespace {
Scene::Block& Top(std::vector<Scene::Block>& b, bool loop) {
  if (b.empty() || b.back().isLoop != loop) throw std::logic_error("block commands do not nest");
  return b.back();
}
}  // namespace

Scene& Scene::ElseIf(const Expr& cond) {
  Block& b = Top(blocks_, false);
  Raw(46);
  uint32_t pc = Pc();
  for (uint32_t p : b.pending) SetLength(p, 1, pc);
  Raw(11, {{kIfArgCond, cond.type, 0, cond, {}, {}}, PcDesc(kIfArgNext)});
  b.pending = {pc};
  return *this;
}

Scene& Scene::Else() {
  Block& b = Top(blocks_, false);
  Raw(46);
  uint32_t pc = Pc();
  for (uint32_t p : b.pending) SetLength(p, 1, pc);
  Raw(11);
  b.pending.clear();
  return *this;
}

Scene& Scene::EndIf() {
  Block& b = Top(blocks_, false);
  SetLength(b.openPc, 2, Pc());
  blocks_.pop_back();
  --ifDepth_;
  return Raw(49);
}

Scene& Scene::Loop(const Expr& count) {
  uint32_t pc = Pc();
  Raw(56, {{kLoopArgCount, count.type, 0, count, {}, {}}, PcDesc(kLoopArgEnd)});
  blocks_.push_back({true, pc, {}, {}});
  ++loopDepth_;
  return *this;
}

Scene& Scene::EndLoop() {
  Block& b = Top(blocks_, true);
  SetLength(b.openPc, 1, Pc());
  blocks_.pop_back();
  --loopDepth_;
  return Raw(59);
}

Scene& Scene::Break(int64_t n) { return Raw(57, {{0, kTypeInt, 0, Int(n), {}, {}}}); }
Scene& Scene::Continue(int64_t n) { return Raw(58, {{0, kTypeInt, 0, Int(n), {}, {}}}); }
Scene& Scene::IfBreak(int64_t n) { return Raw(47, {{0, kTypeInt, 0, Int(n), {}, {}}}); }
Scene& Scene::IfRestart(int64_t n) { return Raw(48, {{0, kTypeInt, 0, Int(n), {}, {}}}); }

Scene& Scene::Jump(const std::string& label) { return JumpTo(Text(label)); }
Scene& Scene::JumpTo(const Expr& labelText) {
  return Raw(43, {{kJumpArgLabel, kTypeText, 0, labelText, {}, {}}});
}

uint16_t Scene::PackCounts(int i, int d, int s) {
  return uint16_t((i << 3) | (d >> 2) | ((d & 3) << 14) | (s << 9));
}

namespace {
void AddValues(std::vector<RawDesc>& out, int firstId, const std::vector<Expr>& v, uint8_t forceType) {
  for (size_t k = 0; k < v.size(); ++k) {
    uint8_t t = forceType ? forceType : v[k].type;
    out.push_back({uint8_t(firstId + int(k)), t, 0, v[k], {}, {}});
  }
}
}  // namespace

Scene& Scene::Call(const std::string& label, const std::vector<Expr>& ints, const std::vector<Expr>& dbls,
                   const std::vector<Expr>& strs) {
  std::vector<RawDesc> d = {{0, kTypeText, 0, Text(label), {}, {}}};
  AddValues(d, 1, ints, 0);
  AddValues(d, 17, dbls, 0);
  AddValues(d, 33, strs, kTypeText);
  return Raw(44, d, PackCounts(int(ints.size()), int(dbls.size()), int(strs.size())));
}

Scene& Scene::Return(const std::vector<Expr>& ints, const std::vector<Expr>& dbls, const std::vector<Expr>& strs) {
  std::vector<RawDesc> d;
  AddValues(d, 0, ints, 0);
  AddValues(d, 16, dbls, 0);
  AddValues(d, 32, strs, kTypeText);
  return Raw(77, d, PackCounts(int(ints.size()), int(dbls.size()), int(strs.size())));
}

std::string Scene::Build() const {
  if (!blocks_.empty()) throw std::logic_error("scene " + fileName_ + " has open blocks");
  std::string ins, desc, expr, lines;
  for (const Ins& in : ins_) {
    PutU8(ins, in.cmd);
    PutU8(ins, uint8_t(in.descs.size()));
    PutU16(ins, in.extra);
    for (const RawDesc& d : in.descs) {
      uint32_t off = uint32_t(expr.size());
      expr += d.expr.bytes;
      PutU8(desc, d.id);
      PutU8(desc, 0);
      PutU8(desc, d.type);
      PutU8(desc, d.op);
      PutU32(desc, d.length ? *d.length : uint32_t(d.expr.bytes.size()));
      PutU32(desc, d.offset ? *d.offset : off);
    }
    PutU32(lines, in.line);
  }
  uint8_t key[4];
  SceneKey(key);
  for (std::string* s : {&ins, &desc, &expr, &lines}) {
    for (size_t i = 0; i < s->size(); ++i) (*s)[i] = char(uint8_t((*s)[i]) ^ key[i & 3]);
  }
  std::string f = "QVT\0";
  f.resize(4);
  PutU32(f, 480);
  PutU32(f, uint32_t(ins_.size()));
  PutU32(f, uint32_t(ins.size()));
  PutU32(f, uint32_t(desc.size()));
  PutU32(f, uint32_t(expr.size()));
  PutU32(f, uint32_t(lines.size()));
  PutU32(f, 0);
  return f + ins + desc + expr + lines;
}

}  // namespace fx

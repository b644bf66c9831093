// Fixture writer for the compiled script data: every qvbin file of a game
// (qvcfg, qve, qvc, qvt, qvt_list, qvv, qvl) and its scene files, from a
// small readable description.
//
// Expressions are built with the helpers of fx:: or assembled from a postfix
// mini-syntax (tokens separated by blanks):
//
//   fx::Asm("H$1000 L1 +")          // a + 1 with a = variable 1000
//   fx::Asm("V$1001 L2 ) L3 *")     // b[2] * 3
//   fx::Asm("M\"ab\" M\"c\" +")     // "ab" + "c" (text, value type 3)
//   fx::Add(fx::Var(1000), fx::Int(1))   // the same as the first, by builder
//
// Token forms: B<n> W<n> I<n> L<n> (integers of 1, 2, 4, 8 bytes), F<x>
// (double), M"text" (text literal; \" and \\ escape), H<sigil><n>,
// V<sigil><n>, v<sigil><n> (variable tokens; sigils $ # `), ) and the
// one-character operators R s i + - * / % A O ^ & | = ! > < Z S ,. Any
// other character, or a token written as !xx (two hex digits), is emitted as
// that opcode byte with an empty payload, for hostile-input tests.
//
// A game:
//
//   fx::Game g;
//   g.IntVar(1000);                          // global int64 scalar
//   g.IntVar(1001, {3, 4});                  // 3 x 4 array
//   fx::Scene& s = g.Scene(0);               // scene 0, "main.txt"
//   s.Label("SYSTEM_START");
//   s.Let(fx::Var(1000), fx::Int(42));
//   s.Loop(fx::Int(3));
//     s.Let(fx::Var(1000), fx::Int(1), fx::kOpAdd);
//   s.EndLoop();
//   s.Cmd("wait", {{"frames", fx::Int(1)}});  // by schema names
//   fx::Files files = g.Build();             // name -> bytes
//   fx::UseStore(files);                     // into the compiler store
//
// Commands are named as the engine's command schema names them
// (src/vm/cmd_schema.h); an argument is named by its schema name or "#<id>".
// The structured helpers (If/ElseIf/Else/EndIf, Loop/EndLoop, Jump, Call,
// Return) fill in the program counters and value counts themselves.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TempDir;

namespace fx {

using Files = std::map<std::string, std::string>;

// Value types of a descriptor.
constexpr uint8_t kTypeInt = 1, kTypeDouble = 2, kTypeText = 3, kTypeTextDouble = 4;
// Assignment operator codes.
constexpr uint8_t kOpSet = 0, kOpAdd = 1, kOpSub = 2, kOpMul = 3, kOpDiv = 4, kOpMod = 5, kOpAnd = 6,
                  kOpOr = 7, kOpXor = 8;

// A compiled expression and the value type its descriptor gets.
struct Expr {
  std::string bytes;
  uint8_t type = kTypeInt;
  Expr As(uint8_t t) const {
    Expr e = *this;
    e.type = t;
    return e;
  }
};

// One token: opcode and payload.
std::string Token(uint8_t op, const std::string& payload = "");

Expr Int(int64_t v);            // 'L'
Expr Int8(int8_t v);            // 'B'
Expr Int16(int16_t v);          // 'W'
Expr Int32(int32_t v);          // 'I'
Expr Dbl(double v);             // 'F', value type 2
Expr Text(const std::string& s);  // 'M' with quotes; value type 3
Expr Var(int32_t num, char sigil = '$');  // 'H'
Expr Elem(int32_t num, const std::vector<Expr>& idx, char sigil = '$');  // V ... )
Expr Whole(int32_t num, char sigil = '$');  // 'v'
// Postfix: a b op / a op.
Expr Bin(const Expr& a, const Expr& b, char op);
Expr Un(const Expr& a, char op);
inline Expr Add(const Expr& a, const Expr& b) { return Bin(a, b, '+'); }
inline Expr Sub(const Expr& a, const Expr& b) { return Bin(a, b, '-'); }
inline Expr Mul(const Expr& a, const Expr& b) { return Bin(a, b, '*'); }
// The mini-syntax above; the value type is 1 unless given.
Expr Asm(const std::string& src, uint8_t type = kTypeInt);

// One argument of a command by schema name (or "#<id>").
struct Arg {
  std::string name;
  Expr value;
  uint8_t op = 0;
};

// A descriptor written as it is: for data-carrying descriptors and tests of
// bad scenes. `length`/`offset` override the expression's when set.
struct RawDesc {
  uint8_t id = 0;
  uint8_t type = kTypeInt;
  uint8_t op = 0;
  Expr expr;
  std::optional<uint32_t> length;
  std::optional<uint32_t> offset;
};

class Scene {
 public:
  explicit Scene(uint16_t number = 0, std::string fileName = "main.txt");
  uint16_t Number() const { return number_; }
  const std::string& FileName() const { return fileName_; }
  uint32_t Pc() const { return uint32_t(ins_.size()); }

  // A command by schema name with keyword arguments; `extra` is the
  // instruction's u16 field.
  Scene& Cmd(const std::string& name, const std::vector<Arg>& args = {}, uint16_t extra = 0);
  // A command by number with its descriptors as given.
  Scene& Raw(int cmd, const std::vector<RawDesc>& descs = {}, uint16_t extra = 0);
  // Source line of the instructions that follow (default: 1, 2, 3 ...).
  Scene& Line(uint32_t line);

  // 54: target (id 1) then value (id 2); the operator goes on both.
  Scene& Let(const Expr& target, const Expr& value, uint8_t op = kOpSet);
  Scene& Dim(const Expr& target, const Expr& init);       // 51
  Scene& DimFloat(const Expr& target, const Expr& init);  // 26
  Scene& DimStr(const Expr& target, const Expr& init);    // 90

  // A label at the next instruction with the block depths open here
  // (relative to the enclosing call, which the writer cannot know: give
  // them when a label stands inside blocks of a called routine).
  Scene& Label(const std::string& name);
  Scene& Label(const std::string& name, uint8_t ifDepth, uint8_t loopDepth);

  // IF blocks: If(c) ... [ElseIf(c) ...] [Else() ...] EndIf().
  Scene& If(const Expr& cond);
  Scene& ElseIf(const Expr& cond);
  Scene& Else();
  Scene& EndIf();
  // LOOP blocks: Loop(count) ... EndLoop(); Break / Continue leave n levels.
  Scene& Loop(const Expr& count);
  Scene& EndLoop();
  Scene& Break(int64_t n = 1);     // 57
  Scene& Continue(int64_t n = 1);  // 58
  Scene& IfBreak(int64_t n = 1);   // 47
  Scene& IfRestart(int64_t n = 1); // 48
  // Jump (43) to a label named by a constant or by any text expression.
  Scene& Jump(const std::string& label);
  Scene& JumpTo(const Expr& labelText);
  // Call (44) with passed values; Return (77) with returned values.
  Scene& Call(const std::string& label, const std::vector<Expr>& ints = {},
              const std::vector<Expr>& dbls = {}, const std::vector<Expr>& strs = {});
  Scene& Return(const std::vector<Expr>& ints = {}, const std::vector<Expr>& dbls = {},
                const std::vector<Expr>& strs = {});

  // The scene file, sections XORed with the engine's scene key.
  std::string Build() const;
  // Labels declared in this scene: name, pc, IF depth, LOOP depth.
  struct LabelAt {
    std::string name;
    uint32_t pc;
    uint8_t ifDepth, loopDepth;
  };
  const std::vector<LabelAt>& Labels() const { return labels_; }
  // The packed value counts of a call or return.
  static uint16_t PackCounts(int ints, int dbls, int strs);

 // Internal bookkeeping of the builder.
  struct Ins {
    uint8_t cmd;
    uint16_t extra;
    std::vector<RawDesc> descs;
    uint32_t line;
  };
  struct Block {
    bool isLoop;
    uint32_t openPc;               // the IF / LOOP instruction
    std::vector<uint32_t> pending; // instructions whose next-branch waits
    std::vector<uint32_t> skips;   // 46 instructions waiting for the end
  };

 private:
  void SetLength(uint32_t ins, int desc, uint32_t value);
  uint16_t number_;
  std::string fileName_;
  std::vector<Ins> ins_;
  std::vector<Block> blocks_;
  std::vector<LabelAt> labels_;
  uint32_t nextLine_ = 1;
  int ifDepth_ = 0, loopDepth_ = 0;
};

// The engine configuration file's fields.
struct Config {
  uint32_t width = 640, height = 480;
  uint32_t showFirstFrame = 0;
  uint8_t imageOrder[8] = {1, 2, 3, 4, 5, 0, 0, 0};
  uint8_t soundOrder[4] = {1, 2, 0, 0};
  uint32_t frameThread = 0, debug = 0, soundMode = 0, thickFrame = 0, frameless = 0;
  uint32_t options[3] = {0, 0, 0};
  std::string title = "test";
};

// A variable definition record.
struct VarDef {
  uint8_t scope = 1, group = 1;
  uint16_t scene = 0, var = 0;
  uint8_t type = 1;
  std::vector<uint32_t> dims;
  int64_t initInt = 0;
  double initDbl = 0;
  Expr initText = {};  // type 3: compiled text expression
};

class Game {
 public:
  Game();
  Config& Cfg() { return config_; }
  Game& ErrorText(uint32_t number, const std::string& text);
  // Variable definitions (scope 1 global, 2 scene, 3 global kept by resets).
  Game& IntVar(uint16_t var, const std::vector<uint32_t>& dims = {}, int64_t init = 0, uint8_t scope = 1,
               uint16_t scene = 0, uint8_t group = 1);
  Game& DoubleVar(uint16_t var, const std::vector<uint32_t>& dims = {}, double init = 0, uint8_t scope = 1,
                  uint16_t scene = 0, uint8_t group = 1);
  Game& TextVar(uint16_t var, const std::vector<uint32_t>& dims = {}, const std::string& init = "",
                uint8_t scope = 1, uint16_t scene = 0, uint8_t group = 1);
  Game& Def(const VarDef& d);
  // Variable count n of qvt.qbn (records 0..n); default: the highest
  // variable defined, at least 999.
  Game& VarCount(uint32_t n);
  Game& CountValue(uint32_t v);  // the value kept for system variable 124
  // The scene of that number (created with "scene<n>.txt", or "main.txt"
  // for 0, unless a name is given the first time).
  fx::Scene& Scene(uint16_t number, const std::string& fileName = "");
  // Labels beyond those the scenes declare.
  Game& Label(const std::string& name, uint16_t scene, uint32_t pc, uint8_t ifDepth = 0,
              uint8_t loopDepth = 0);
  // Scene-list entries beyond the scenes (a listed scene without a file).
  Game& ListScene(uint16_t number, const std::string& fileName);

  // Every file, by its engine name ("qvbin\\qvc.qbn" ...).
  Files Build() const;

 private:
  Config config_;
  std::map<uint32_t, std::string> errTexts_;
  std::vector<VarDef> defs_;
  std::optional<uint32_t> varCount_;
  uint32_t countValue_ = 0;
  std::map<uint16_t, fx::Scene> scenes_;
  std::map<uint16_t, std::string> extraList_;
  std::vector<std::pair<uint16_t, fx::Scene::LabelAt>> extraLabels_;
};

// Single files, for tests of one reader.
std::string ConfigFile(const Config& c);
std::string ErrorTextFile(const std::map<uint32_t, std::string>& texts);
std::string CommandTableFile();  // generated from the command schema
std::string VarCountFile(uint32_t n, uint32_t value = 0, uint32_t version = 480);
std::string SceneListFile(const std::map<uint16_t, std::string>& names);
std::string VarDefFile(const std::vector<VarDef>& defs);
struct LabelDesc {
  std::string name;
  uint32_t pc;
  uint16_t scene;
  uint8_t ifDepth = 0, loopDepth = 0;
};
std::string LabelFile(const std::vector<LabelDesc>& labels);
// The 4-byte scene key the engine derives from its key word.
void SceneKey(uint8_t key[4]);

// Where to put a game.
void WriteLoose(const Files& files, const TempDir& dir);  // qvbin/... files
bool UseStore(const Files& files);                         // compiler store
std::string StoreArea(const Files& files);  // the compiler's data-area layout
std::string PackImage(const Files& files, bool compress = false);  // one .qpf

// Little-endian appends, for tests that build odd files by hand.
void PutU8(std::string& s, uint8_t v);
void PutU16(std::string& s, uint16_t v);
void PutU32(std::string& s, uint32_t v);
void PutU64(std::string& s, uint64_t v);
void PatchU32(std::string& s, size_t at, uint32_t v);

}  // namespace fx

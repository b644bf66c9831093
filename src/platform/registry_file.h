// Read-only registry values from a text file that a game ships beside its
// executable or that the user keeps in the configuration folder
// ($XDG_CONFIG_HOME/<game>/registry.ini). The file is UTF-8:
//
//   ; comment                       (also '#')
//   [HKEY_CURRENT_USER\Software\Maker\Game]
//   "InstallDir"="C:\\Games\\Game"  (quoted: \\ and \" escape)
//   Level=dword:0000002a            (hexadecimal, 32 bits)
//   Plain=text up to the line end
//   @="the key's default value"
//
// Sections are full key paths; key paths and value names compare without
// regard to ASCII case, and '/' in a key path counts as '\'. A later entry
// for the same key and name replaces an earlier one.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RegValue {
  enum class Kind : uint8_t { String, Dword };
  Kind kind = Kind::String;
  std::string text;     // UTF-8, for Kind::String
  uint32_t number = 0;  // for Kind::Dword
};

struct RegFile {
  struct Entry {
    std::string key;   // folded: lower-case, '\' separators, no trailing '\'
    std::string name;  // folded lower-case; "" is the default value
    RegValue value;
  };
  std::vector<Entry> entries;
};

// Parses the text of a registry file. Lines that do not parse are skipped;
// entries before the first section are ignored. Never fails.
RegFile Reg_ParseFile(std::string_view text);
// Looks a value up (key path and name in UTF-8; name "" the default value);
// null when missing.
const RegValue* Reg_Find(const RegFile& file, std::string_view key, std::string_view name);
// Reads the registry files of the game: `beside` (the one shipped with the
// game, read first) and then the user's $XDG_CONFIG_HOME/<game>/registry.ini,
// whose entries win. Missing files are empty.
RegFile Reg_LoadFiles(const std::string& beside, const std::string& game);

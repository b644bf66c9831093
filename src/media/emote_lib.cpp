// Loading the animated-character player library and its entries. The
// library is optional: without it (and on this platform none ships) the
// feature is off and every wrapper of the host does nothing.
#include <cstdio>

#include "base/base.h"
#include "media/media.h"

EmoteEntryTable g_EmoteEntry;

namespace {

// The entries the host calls; a library that lacks one of them is not used,
// so that no call ever goes through a null entry.
constexpr int kCalledEntries[] = {2,   3,   102, 119, 121, 202, 205, 208, 212, 214, 216,
                                  218, 220, 222, 224, 226, 228, 229, 233, 234, 235, 236,
                                  244, 245, 246, 247, 248, 251, 252, 253, 254, 255, 256};

bool InResolvedRange(int n) { return (n >= 1 && n <= 3) || (n >= 101 && n <= 121) || n >= 201; }

DynLib OpenIn(const std::string& folder, const char* name) {
  if (folder.empty()) return DynLib_Open(name);
  return DynLib_Open(folder + "/" + name);
}

}  // namespace

int Emote_LoadDriverFrom(const std::string& folder) {
  Emote_UnloadLibrary();
  // The probe library only says whether the driver is installed; it is
  // closed again at once.
  if (!OpenIn(folder, kEmoteProbeLibrary)) return 0;
  DynLib lib = OpenIn(folder, kEmotePlayerLibrary);
  if (!lib) return 0;
  int resolved = 0;
  for (int n = 1; n <= kEmoteEntryMaxOrdinal; ++n) {
    if (!InResolvedRange(n)) continue;
    char symbol[32];
    std::snprintf(symbol, sizeof symbol, "%s%d", kEmoteSymbolPrefix, n);
    g_EmoteEntry.entry[n] = DynLib_Symbol(lib, symbol);
    resolved += g_EmoteEntry.entry[n] != nullptr;
  }
  for (int n : kCalledEntries) {
    if (!g_EmoteEntry.entry[n]) {
      Sys_Trace("E-mote library without entry %d: not used.", n);
      Emote_UnloadLibrary();
      return 0;
    }
  }
  Sys_Trace("E-mote library loaded: %d of %d entries.", resolved, kEmoteEntryCount);
  g_EmoteEntry.module = std::move(lib);
  g_EmoteEntry.available = 1;
  return 0;
}

int Emote_LoadDriver() {
  Emote_LoadDriverFrom(g_ExeDirHost);
  if (!g_EmoteEntry.available) Emote_LoadDriverFrom("");
  return 0;
}

void Emote_UnloadLibrary() {
  g_EmoteEntry.available = 0;
  g_EmoteEntry.driver = nullptr;
  for (void*& e : g_EmoteEntry.entry) e = nullptr;
  g_EmoteEntry.module.reset();
}

// Menu bars attached to windows.
#include <map>
#include <mutex>

#include "platform/menu.h"

namespace {
std::mutex g_BarLock;
std::map<const PlatWindow*, const PlatMenu*> g_Bars;
}  // namespace

void PlatMenuBar_Attach(PlatWindow* w, const PlatMenu* menu) {
  if (!w) return;
  std::lock_guard<std::mutex> lock(g_BarLock);
  if (menu) g_Bars[w] = menu;
  else g_Bars.erase(w);
}

const PlatMenu* PlatMenuBar_Get(const PlatWindow* w) {
  std::lock_guard<std::mutex> lock(g_BarLock);
  auto it = g_Bars.find(w);
  return it == g_Bars.end() ? nullptr : it->second;
}

// The notification-area icon: an item of the desktop's status-notifier
// service over the session bus, with a 16 x 16 picture and a tip. Where the
// session has no bus, or no watcher of such items runs, the icon is simply
// off: every call succeeds quietly and nothing is shown.
//
// Any thread may call these; the bus is served by a thread of its own.
#pragma once
#include <cstdint>
#include <string>

constexpr int32_t kPlatTrayIconSide = 16;

// What the user did on the icon: a primary click (activate) or a request for
// its menu, at a desktop position.
enum class PlatTrayAction : uint8_t { Activate, Menu };
using PlatTrayFn = void (*)(PlatTrayAction action, int32_t x, int32_t y);
// Receives the user's actions (called on the bus thread); null for none.
void PlatTray_SetHandler(PlatTrayFn fn);

// Shows the icon or updates it: kPlatTrayIconSide square BGRA pixels (null:
// the engine's own picture) and the tip (CP932). True when the desktop shows
// it, false when the icon is off (no bus, no watcher).
bool PlatTray_Show(const uint32_t* bgra, const std::string& tipSjis);
// Takes the icon away (nothing when it is not shown).
void PlatTray_Remove();
// Whether the icon is on the desktop now.
bool PlatTray_Shown();

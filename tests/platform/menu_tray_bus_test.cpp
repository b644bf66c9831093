// The tray icon against a private session bus (a dbus-daemon of the test's
// own) on which the test itself plays the desktop's watcher of
// status-notifier items: registration, the properties the desktop reads,
// the clicks it forwards, and the removal. Skipped without dbus-daemon.
#include <dbus/dbus.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "platform/tray.h"

namespace {

struct Bus {
  std::string address;
  int pid = 0;
  Bus() {
    FILE* p = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!p) return;
    char line[512];
    if (std::fgets(line, sizeof line, p)) address = line;
    if (std::fgets(line, sizeof line, p)) pid = std::atoi(line);
    pclose(p);
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) address.pop_back();
  }
  ~Bus() {
    if (pid > 0) kill(pid, SIGTERM);
  }
};

DBusConnection* Connect(const std::string& address) {
  DBusConnection* c = dbus_connection_open_private(address.c_str(), nullptr);
  if (!c) return nullptr;
  if (!dbus_bus_register(c, nullptr)) {
    dbus_connection_close(c);
    dbus_connection_unref(c);
    return nullptr;
  }
  return c;
}

void Close(DBusConnection* c) {
  if (!c) return;
  dbus_connection_close(c);
  dbus_connection_unref(c);
}

// The desktop's side: owns the watcher's name and notes each registration.
struct Watcher {
  DBusConnection* conn = nullptr;
  std::thread thread;
  std::atomic<bool> run{true};
  std::mutex lock;
  std::vector<std::string> registered;

  static DBusHandlerResult Filter(DBusConnection* c, DBusMessage* m, void* self) {
    if (!dbus_message_is_method_call(m, "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem"))
      return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    const char* name = nullptr;
    dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
    auto* w = static_cast<Watcher*>(self);
    {
      std::lock_guard<std::mutex> g(w->lock);
      w->registered.emplace_back(name ? name : "");
    }
    DBusMessage* r = dbus_message_new_method_return(m);
    dbus_connection_send(c, r, nullptr);
    dbus_message_unref(r);
    return DBUS_HANDLER_RESULT_HANDLED;
  }

  bool Start(const std::string& address) {
    conn = Connect(address);
    if (!conn) return false;
    if (dbus_bus_request_name(conn, "org.kde.StatusNotifierWatcher", DBUS_NAME_FLAG_DO_NOT_QUEUE,
                              nullptr) != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
      return false;
    dbus_connection_add_filter(conn, Filter, this, nullptr);
    thread = std::thread([this] {
      while (run && dbus_connection_read_write_dispatch(conn, 20)) {
      }
    });
    return true;
  }
  ~Watcher() {
    run = false;
    if (thread.joinable()) thread.join();
    Close(conn);
  }
};

// Reads one property of the item through a connection of its own.
DBusMessage* GetProperty(DBusConnection* c, const std::string& item, const char* name,
                         DBusError* err = nullptr) {
  DBusMessage* m = dbus_message_new_method_call(item.c_str(), "/StatusNotifierItem",
                                                "org.freedesktop.DBus.Properties", "Get");
  const char* iface = "org.kde.StatusNotifierItem";
  dbus_message_append_args(m, DBUS_TYPE_STRING, &iface, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
  DBusMessage* r = dbus_connection_send_with_reply_and_block(c, m, 2000, err);
  dbus_message_unref(m);
  return r;
}

std::atomic<int> g_Menus{0}, g_Activates{0};
std::atomic<int32_t> g_LastX{0};

TEST(TrayBus, RegistersAnswersAndGoes) {
  if (std::system("command -v dbus-daemon >/dev/null 2>&1") != 0) GTEST_SKIP() << "no dbus-daemon";
  dbus_threads_init_default();
  Bus bus;
  ASSERT_FALSE(bus.address.empty());
  Watcher watcher;
  ASSERT_TRUE(watcher.Start(bus.address));
  setenv("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str(), 1);
  PlatTray_SetHandler([](PlatTrayAction a, int32_t x, int32_t) {
    (a == PlatTrayAction::Menu ? g_Menus : g_Activates) += 1;
    g_LastX = x;
  });

  std::vector<uint32_t> px(kPlatTrayIconSide * kPlatTrayIconSide, 0x80102030u);
  const std::string tip = Text_Utf8ToSjis("ゲーム");
  ASSERT_TRUE(PlatTray_Show(px.data(), tip));
  EXPECT_TRUE(PlatTray_Shown());
  std::string item;
  {
    std::lock_guard<std::mutex> g(watcher.lock);
    ASSERT_EQ(watcher.registered.size(), 1u);
    item = watcher.registered[0];
  }
  EXPECT_EQ(item.rfind("org.kde.StatusNotifierItem-", 0), 0u) << item;

  DBusConnection* desk = Connect(bus.address);
  ASSERT_NE(desk, nullptr);
  DBusMessage* r = GetProperty(desk, item, "Title");
  ASSERT_NE(r, nullptr);
  DBusMessageIter it, v;
  ASSERT_TRUE(dbus_message_iter_init(r, &it));
  dbus_message_iter_recurse(&it, &v);
  const char* title = nullptr;
  dbus_message_iter_get_basic(&v, &title);
  EXPECT_STREQ(title, "ゲーム");
  dbus_message_unref(r);

  // The picture goes out as ARGB bytes, alpha first.
  r = GetProperty(desk, item, "IconPixmap");
  ASSERT_NE(r, nullptr);
  DBusMessageIter arr, st, bytes;
  dbus_message_iter_init(r, &it);
  dbus_message_iter_recurse(&it, &v);
  dbus_message_iter_recurse(&v, &arr);
  dbus_message_iter_recurse(&arr, &st);
  dbus_int32_t w = 0, h = 0;
  dbus_message_iter_get_basic(&st, &w);
  dbus_message_iter_next(&st);
  dbus_message_iter_get_basic(&st, &h);
  dbus_message_iter_next(&st);
  dbus_message_iter_recurse(&st, &bytes);
  const uint8_t* data = nullptr;
  int n = 0;
  dbus_message_iter_get_fixed_array(&bytes, &data, &n);
  EXPECT_EQ(w, kPlatTrayIconSide);
  EXPECT_EQ(h, kPlatTrayIconSide);
  ASSERT_EQ(n, kPlatTrayIconSide * kPlatTrayIconSide * 4);
  EXPECT_EQ(data[0], 0x80);
  EXPECT_EQ(data[1], 0x10);
  EXPECT_EQ(data[2], 0x20);
  EXPECT_EQ(data[3], 0x30);
  dbus_message_unref(r);

  DBusError err;
  dbus_error_init(&err);
  EXPECT_EQ(GetProperty(desk, item, "NoSuchProperty", &err), nullptr);
  EXPECT_TRUE(dbus_error_has_name(&err, DBUS_ERROR_UNKNOWN_PROPERTY)) << "an error reply, not silence";
  dbus_error_free(&err);

  // A request without its arguments is refused, not left unanswered.
  DBusMessage* bare = dbus_message_new_method_call(item.c_str(), "/StatusNotifierItem",
                                                   "org.freedesktop.DBus.Properties", "Get");
  dbus_error_init(&err);
  EXPECT_EQ(dbus_connection_send_with_reply_and_block(desk, bare, 2000, &err), nullptr);
  EXPECT_TRUE(dbus_error_has_name(&err, DBUS_ERROR_INVALID_ARGS)) << err.name;
  dbus_error_free(&err);
  dbus_message_unref(bare);

  for (const char* method : {"ContextMenu", "Activate"}) {
    DBusMessage* m = dbus_message_new_method_call(item.c_str(), "/StatusNotifierItem",
                                                  "org.kde.StatusNotifierItem", method);
    dbus_int32_t x = 11, y = 22;
    dbus_message_append_args(m, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y, DBUS_TYPE_INVALID);
    DBusMessage* ok = dbus_connection_send_with_reply_and_block(desk, m, 2000, nullptr);
    dbus_message_unref(m);
    ASSERT_NE(ok, nullptr) << method;
    dbus_message_unref(ok);
  }
  EXPECT_EQ(g_Menus.load(), 1);
  EXPECT_EQ(g_Activates.load(), 1);
  EXPECT_EQ(g_LastX.load(), 11);

  // An update keeps the item; a removal gives up its name.
  EXPECT_TRUE(PlatTray_Show(nullptr, tip));
  PlatTray_Remove();
  EXPECT_FALSE(PlatTray_Shown());
  EXPECT_FALSE(dbus_bus_name_has_owner(desk, item.c_str(), nullptr));
  Close(desk);
  PlatTray_SetHandler(nullptr);
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

}  // namespace

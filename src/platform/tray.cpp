// The status-notifier item on libdbus: a private session-bus connection, the
// item object with its properties and click methods, and a thread that
// serves the connection while the icon is up.
#include "platform/tray.h"

#include <dbus/dbus.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/text.h"

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kItemIface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr int kCallTimeoutMs = 1000;

struct Tray {
  std::mutex lock;  // guards everything below but the thread's run flag
  DBusConnection* conn = nullptr;
  std::string busName;
  std::thread thread;
  std::atomic<bool> run{false};
  std::vector<uint8_t> pixmap;  // ARGB, bytes in network order
  std::string tipUtf8;
  PlatTrayFn handler = nullptr;
};

Tray& T() {
  static Tray* t = new Tray;
  return *t;
}

// A session bus the engine may use: one named in the environment (never one
// launched on demand), and not switched off.
bool BusOffered() {
  const char* a = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return a && *a && std::strncmp(a, "disabled:", 9) != 0;
}

void AppendPixmaps(DBusMessageIter* it, const std::vector<uint8_t>& px) {
  DBusMessageIter arr, st, bytes;
  dbus_message_iter_open_container(it, DBUS_TYPE_ARRAY, "(iiay)", &arr);
  if (!px.empty()) {
    dbus_int32_t side = kPlatTrayIconSide;
    dbus_message_iter_open_container(&arr, DBUS_TYPE_STRUCT, nullptr, &st);
    dbus_message_iter_append_basic(&st, DBUS_TYPE_INT32, &side);
    dbus_message_iter_append_basic(&st, DBUS_TYPE_INT32, &side);
    dbus_message_iter_open_container(&st, DBUS_TYPE_ARRAY, "y", &bytes);
    const uint8_t* data = px.data();
    dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &data, int(px.size()));
    dbus_message_iter_close_container(&st, &bytes);
    dbus_message_iter_close_container(&arr, &st);
  }
  dbus_message_iter_close_container(it, &arr);
}

void AppendString(DBusMessageIter* it, const char* s) {
  dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &s);
}

// One property as a variant; false for a name the item does not have.
bool AppendProperty(DBusMessageIter* it, const char* name, Tray& t) {
  DBusMessageIter v, st;
  auto str = [&](const char* value) {
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "s", &v);
    AppendString(&v, value);
    dbus_message_iter_close_container(it, &v);
  };
  if (!std::strcmp(name, "Category")) str("ApplicationStatus");
  else if (!std::strcmp(name, "Id")) str("engine");
  else if (!std::strcmp(name, "Title")) str(t.tipUtf8.c_str());
  else if (!std::strcmp(name, "Status")) str("Active");
  else if (!std::strcmp(name, "IconName")) str(t.pixmap.empty() ? "application-x-executable" : "");
  else if (!std::strcmp(name, "IconPixmap")) {
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "a(iiay)", &v);
    AppendPixmaps(&v, t.pixmap);
    dbus_message_iter_close_container(it, &v);
  } else if (!std::strcmp(name, "ToolTip")) {
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "(sa(iiay)ss)", &v);
    dbus_message_iter_open_container(&v, DBUS_TYPE_STRUCT, nullptr, &st);
    AppendString(&st, "");
    AppendPixmaps(&st, {});
    AppendString(&st, t.tipUtf8.c_str());
    AppendString(&st, "");
    dbus_message_iter_close_container(&v, &st);
    dbus_message_iter_close_container(it, &v);
  } else if (!std::strcmp(name, "ItemIsMenu")) {
    dbus_bool_t no = FALSE;
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "b", &v);
    dbus_message_iter_append_basic(&v, DBUS_TYPE_BOOLEAN, &no);
    dbus_message_iter_close_container(it, &v);
  } else {
    return false;
  }
  return true;
}

constexpr const char* kPropertyNames[] = {"Category", "Id",         "Title",   "Status",
                                          "IconName", "IconPixmap", "ToolTip", "ItemIsMenu"};

DBusMessage* Properties(DBusMessage* msg, Tray& t) {
  DBusMessageIter it, dict, entry;
  DBusMessage* reply = nullptr;
  std::lock_guard<std::mutex> lock(t.lock);
  if (dbus_message_is_method_call(msg, DBUS_INTERFACE_PROPERTIES, "Get")) {
    const char *iface = nullptr, *name = nullptr;
    if (!dbus_message_get_args(msg, nullptr, DBUS_TYPE_STRING, &iface, DBUS_TYPE_STRING, &name,
                               DBUS_TYPE_INVALID))
      return dbus_message_new_error(msg, DBUS_ERROR_INVALID_ARGS, "interface and name");
    reply = dbus_message_new_method_return(msg);
    dbus_message_iter_init_append(reply, &it);
    if (!AppendProperty(&it, name, t)) {
      dbus_message_unref(reply);
      return dbus_message_new_error(msg, DBUS_ERROR_UNKNOWN_PROPERTY, name);
    }
    return reply;
  }
  reply = dbus_message_new_method_return(msg);
  dbus_message_iter_init_append(reply, &it);
  dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &dict);
  for (const char* name : kPropertyNames) {
    dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    AppendString(&entry, name);
    AppendProperty(&entry, name, t);
    dbus_message_iter_close_container(&dict, &entry);
  }
  dbus_message_iter_close_container(&it, &dict);
  return reply;
}

DBusHandlerResult OnMessage(DBusConnection* conn, DBusMessage* msg, void*) {
  Tray& t = T();
  DBusMessage* reply = nullptr;
  if (dbus_message_is_method_call(msg, DBUS_INTERFACE_PROPERTIES, "Get") ||
      dbus_message_is_method_call(msg, DBUS_INTERFACE_PROPERTIES, "GetAll")) {
    reply = Properties(msg, t);
  } else if (dbus_message_is_method_call(msg, kItemIface, "Activate") ||
             dbus_message_is_method_call(msg, kItemIface, "ContextMenu") ||
             dbus_message_is_method_call(msg, kItemIface, "SecondaryActivate")) {
    dbus_int32_t x = 0, y = 0;
    dbus_message_get_args(msg, nullptr, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y,
                          DBUS_TYPE_INVALID);
    PlatTrayFn fn;
    {
      std::lock_guard<std::mutex> lock(t.lock);
      fn = t.handler;
    }
    bool menu = !dbus_message_is_method_call(msg, kItemIface, "Activate");
    if (fn) fn(menu ? PlatTrayAction::Menu : PlatTrayAction::Activate, x, y);
    reply = dbus_message_new_method_return(msg);
  } else if (dbus_message_is_method_call(msg, kItemIface, "Scroll")) {
    reply = dbus_message_new_method_return(msg);
  } else {
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
  }
  if (reply) {
    dbus_connection_send(conn, reply, nullptr);
    dbus_message_unref(reply);
  }
  return DBUS_HANDLER_RESULT_HANDLED;
}

bool WatcherRuns(DBusConnection* conn) {
  DBusMessage* m = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS,
                                                DBUS_INTERFACE_DBUS, "NameHasOwner");
  const char* name = kWatcher;
  dbus_message_append_args(m, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
  DBusMessage* r = dbus_connection_send_with_reply_and_block(conn, m, kCallTimeoutMs, nullptr);
  dbus_message_unref(m);
  dbus_bool_t has = FALSE;
  if (r) {
    dbus_message_get_args(r, nullptr, DBUS_TYPE_BOOLEAN, &has, DBUS_TYPE_INVALID);
    dbus_message_unref(r);
  }
  return has;
}

bool Register(DBusConnection* conn, const std::string& busName) {
  DBusMessage* m =
      dbus_message_new_method_call(kWatcher, kWatcherPath, kWatcher, "RegisterStatusNotifierItem");
  const char* name = busName.c_str();
  dbus_message_append_args(m, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
  DBusMessage* r = dbus_connection_send_with_reply_and_block(conn, m, kCallTimeoutMs, nullptr);
  dbus_message_unref(m);
  if (!r) return false;
  bool ok = dbus_message_get_type(r) == DBUS_MESSAGE_TYPE_METHOD_RETURN;
  dbus_message_unref(r);
  return ok;
}

void Close(Tray& t) {
  DBusConnection* conn = nullptr;
  {
    std::lock_guard<std::mutex> lock(t.lock);
    conn = t.conn;
    t.conn = nullptr;
  }
  t.run = false;
  if (t.thread.joinable()) t.thread.join();
  if (!conn) return;
  dbus_connection_close(conn);
  dbus_connection_unref(conn);
}

// Connects, claims the item's name and hands it to the watcher; false (and
// nothing left open) when any step fails.
bool Open(Tray& t) {
  if (!BusOffered()) return false;
  dbus_threads_init_default();
  // Opened by the address the environment names now: the library's own
  // session-bus lookup keeps the first address it ever read.
  DBusConnection* conn = dbus_connection_open_private(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr);
  if (!conn) return false;
  if (!dbus_bus_register(conn, nullptr)) {
    dbus_connection_close(conn);
    dbus_connection_unref(conn);
    return false;
  }
  dbus_connection_set_exit_on_disconnect(conn, FALSE);
  static int s_serial = 0;
  char name[96];
  std::snprintf(name, sizeof name, "org.kde.StatusNotifierItem-%d-%d", int(getpid()), ++s_serial);
  static const DBusObjectPathVTable kVTable = {nullptr, OnMessage, nullptr, nullptr, nullptr,
                                               nullptr};
  bool ok = WatcherRuns(conn) &&
            dbus_bus_request_name(conn, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, nullptr) ==
                DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER &&
            dbus_connection_register_object_path(conn, kItemPath, &kVTable, nullptr);
  if (!ok) {
    dbus_connection_close(conn);
    dbus_connection_unref(conn);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(t.lock);
    t.conn = conn;
    t.busName = name;
  }
  t.run = true;
  t.thread = std::thread([conn, &t] {
    while (t.run && dbus_connection_read_write_dispatch(conn, 50)) {
    }
  });
  if (!Register(conn, name)) {
    Close(t);
    return false;
  }
  return true;
}

void Signal(Tray& t, const char* name) {
  std::lock_guard<std::mutex> lock(t.lock);
  if (!t.conn) return;
  DBusMessage* m = dbus_message_new_signal(kItemPath, kItemIface, name);
  dbus_connection_send(t.conn, m, nullptr);
  dbus_message_unref(m);
  dbus_connection_flush(t.conn);
}

}  // namespace

void PlatTray_SetHandler(PlatTrayFn fn) {
  std::lock_guard<std::mutex> lock(T().lock);
  T().handler = fn;
}

bool PlatTray_Show(const uint32_t* bgra, const std::string& tipSjis) {
  Tray& t = T();
  {
    std::lock_guard<std::mutex> lock(t.lock);
    t.tipUtf8 = Text_SjisToUtf8(tipSjis);
    t.pixmap.clear();
    if (bgra) {
      t.pixmap.reserve(size_t(kPlatTrayIconSide) * kPlatTrayIconSide * 4);
      for (int i = 0; i < kPlatTrayIconSide * kPlatTrayIconSide; ++i) {
        uint32_t p = bgra[i];
        for (int sh : {24, 16, 8, 0}) t.pixmap.push_back(uint8_t(p >> sh));
      }
    }
  }
  if (!PlatTray_Shown()) return Open(t);
  Signal(t, "NewIcon");
  Signal(t, "NewToolTip");
  Signal(t, "NewTitle");
  return true;
}

void PlatTray_Remove() { Close(T()); }

bool PlatTray_Shown() {
  std::lock_guard<std::mutex> lock(T().lock);
  return T().conn != nullptr;
}

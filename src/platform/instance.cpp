#include "platform/instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kFrontRequest[] = "FRONT\n";

// Abstract socket address for a lock name of this user. Names longer than the address
// allows are shortened to a prefix plus a 64-bit FNV-1a hash of the whole.
socklen_t MakeAddress(std::string_view name, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  // Per user, as named mutexes are per session: another user's copy of the
  // same game is not this user's running copy.
  std::string key = "tavren-lock:" + std::to_string(getuid()) + ":" + std::string(name);
  const size_t room = sizeof addr->sun_path - 1;
  if (key.size() > room) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
    char tail[20];
    std::snprintf(tail, sizeof tail, "#%016llx", (unsigned long long)h);
    key = key.substr(0, room - std::strlen(tail)) + tail;
  }
  std::memcpy(addr->sun_path + 1, key.data(), key.size());
  return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + key.size());
}

// Reads and drops whatever a connected client sent; true when it was a
// front request.
bool TakeClient(int client) {
  char buf[16] = {};
  pollfd p{client, POLLIN, 0};
  bool front = false;
  if (poll(&p, 1, 200) > 0) {
    ssize_t n = recv(client, buf, sizeof buf - 1, 0);
    front = n > 0 && std::strncmp(buf, kFrontRequest, 5) == 0;
  }
  close(client);
  return front;
}

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::Acquire(std::string_view name, Result* result) {
  *result = Result::Failed;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return nullptr;
  sockaddr_un addr;
  socklen_t len = MakeAddress(name, &addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    *result = errno == EADDRINUSE ? Result::Held : Result::Failed;
    close(fd);
    return nullptr;
  }
  if (listen(fd, 8) != 0) {
    close(fd);
    return nullptr;
  }
  *result = Result::Acquired;
  return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() { close(fd_); }

bool InstanceLock::PollFrontRequest() {
  bool front = false;
  for (;;) {
    int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) break;
    front |= TakeClient(client);
  }
  return front;
}

bool InstanceLock::WaitFrontRequest(int timeoutMs) {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return false;
  return PollFrontRequest();
}

bool Instance_SendFrontRequest(std::string_view name) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr;
  socklen_t len = MakeAddress(name, &addr);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
            send(fd, kFrontRequest, sizeof kFrontRequest - 1, MSG_NOSIGNAL) ==
                ssize_t(sizeof kFrontRequest - 1);
  close(fd);
  return ok;
}

// Named exclusive locks between processes, in place of named mutexes.
//
// A lock is a listening UNIX socket in the abstract namespace: binding a
// name that another process holds fails, and the name vanishes when its
// holder closes it or dies, so a crashed copy never leaves a stale lock.
// The holder also receives over it the "bring your window to the front"
// request of a later copy.
#pragma once
#include <memory>
#include <string_view>

class InstanceLock {
 public:
  enum class Result { Acquired, Held, Failed };
  // Tries to take `name`; `result` says whether another process holds it.
  static std::unique_ptr<InstanceLock> Acquire(std::string_view name, Result* result);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Non-blocking: true when at least one front request arrived since the
  // last call (all pending ones are taken).
  bool PollFrontRequest();
  // Waits up to `timeoutMs` for a front request.
  bool WaitFrontRequest(int timeoutMs);

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};

// Asks the holder of `name` to bring its window to the front; false when no
// process holds the name or it could not be reached.
bool Instance_SendFrontRequest(std::string_view name);

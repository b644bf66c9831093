// Start, instance and folder locks, the front request, and the restart.
#include <memory>

#include "platform/instance.h"
#include "platform/process.h"
#include "platform/text.h"
#include "shell/shell.h"

namespace {

// The three locks in their order; a released one is forgotten at once so
// the final release does not touch it again.
std::unique_ptr<InstanceLock> g_Locks[3];

std::string FolderLockName() {
  std::string name = g_ExeDir;
  for (size_t i = 0; i < name.size(); ++i) {
    if (Sjis_IsLead(uint8_t(name[i])) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (name[i] == '\\') name[i] = ':';
  }
  return name;
}

}  // namespace

bool Boot_TakeStartLock() {
  InstanceLock::Result r;
  std::unique_ptr<InstanceLock> lock = InstanceLock::Acquire(kStartLockName, &r);
  if (!lock) return false;
  g_Locks[0] = std::move(lock);
  return true;
}

int Boot_TakeInstanceLock() {
  InstanceLock::Result r;
  std::unique_ptr<InstanceLock> lock = InstanceLock::Acquire(g_InstanceName, &r);
  if (lock) {
    g_Locks[1] = std::move(lock);
    return 1;
  }
  if (r == InstanceLock::Result::Held) {
    Boot_ActivateRunningInstance(g_InstanceName);
    return 0;
  }
  return -1;
}

bool Boot_TakeFolderLock() {
  InstanceLock::Result r;
  const std::string name = FolderLockName();
  std::unique_ptr<InstanceLock> lock = InstanceLock::Acquire(name, &r);
  if (!lock) {
    // The running copy gave up its instance lock once it held this one: the
    // front request goes where it listens.
    if (r == InstanceLock::Result::Held) Boot_ActivateRunningInstance(name);
    return false;
  }
  g_Locks[2] = std::move(lock);
  Boot_ReleaseMutex(1);  // the folder lock stands in for the instance lock
  return true;
}

int Boot_ActivateRunningInstance(const std::string& instanceName) {
  Instance_SendFrontRequest(instanceName);
  return 0;
}

bool Boot_PollFrontRequest() {
  bool front = false;
  for (int i = 1; i < 3; ++i)
    if (g_Locks[i]) front |= g_Locks[i]->PollFrontRequest();
  return front;
}

void Boot_ReleaseMutex(int n) {
  if (n >= 0 && n < 3) g_Locks[n].reset();
}

void Boot_ReleaseMutexes() {
  for (int i = 0; i < 3; ++i) Boot_ReleaseMutex(i);
}

void Boot_Restart(const std::string& hostPath) {
  if (hostPath.empty()) return;
  Proc_Spawn({hostPath});  // a failure is not reported: the engine is ending
}

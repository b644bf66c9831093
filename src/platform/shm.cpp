#include "platform/shm.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

extern char** environ;

bool PlatSharedMem::Create(const std::string& name, size_t size) {
  Close();
  if (name.empty() || size == 0) return false;
  name_ = "/" + name;
  fd_ = shm_open(name_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    name_.clear();
    return false;
  }
  // A stale area of another size is cut or grown to this one.
  void* p = MAP_FAILED;
  if (ftruncate(fd_, off_t(size)) == 0)
    p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (p == MAP_FAILED) {
    Close();
    return false;
  }
  data_ = static_cast<uint8_t*>(p);
  size_ = size;
  return true;
}

void PlatSharedMem::Close() {
  if (data_) munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!name_.empty()) shm_unlink(name_.c_str());
  name_.clear();
}

uint32_t PlatShared_Load32(const uint8_t* at) {
  return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(const_cast<uint8_t*>(at)))
      .load(std::memory_order_acquire);
}

void PlatShared_Store32(uint8_t* at, uint32_t v) {
  std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(at)).store(v, std::memory_order_release);
}

PlatChild::~PlatChild() {
  if (Running()) Kill();
}

bool PlatChild::Start(const std::vector<std::string>& argv) {
  if (pid_ > 0 || argv.empty() || argv[0].empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  pid_ = pid;
  exitCode_ = -1;
  return true;
}

bool PlatChild::Running(int* exitCode) {
  if (pid_ > 0) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    if (r == pid_) exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    else if (errno == EINTR) return true;
    pid_ = -1;
  }
  if (exitCode) *exitCode = exitCode_;
  return false;
}

void PlatChild::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  exitCode_ = -1;
}

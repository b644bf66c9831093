// Named shared-memory areas and a started program that can be polled: what
// the compiler link exchanges its files through. The areas are POSIX shared
// memory objects ("/<name>"), so the other side must be a native program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One named area, created (or taken over when a stale one of that name is
// left from an earlier run), sized and mapped read-write. The name is removed
// from the system when the area is closed, so nothing outlives the exchange;
// the other side must have opened it before then.
class PlatSharedMem {
 public:
  PlatSharedMem() = default;
  ~PlatSharedMem() { Close(); }
  PlatSharedMem(const PlatSharedMem&) = delete;
  PlatSharedMem& operator=(const PlatSharedMem&) = delete;

  // False when the area cannot be made, sized or mapped (nothing is left).
  bool Create(const std::string& name, size_t size);
  void Close();
  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  std::string name_;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  int fd_ = -1;
};

// Loads and stores of a 32-bit field that the other process reads or writes
// at the same time (acquire and release order).
uint32_t PlatShared_Load32(const uint8_t* at);
void PlatShared_Store32(uint8_t* at, uint32_t v);

// A program started with an argument vector that the caller polls for its
// end. A program still running when the object goes is killed and reaped.
class PlatChild {
 public:
  PlatChild() = default;
  ~PlatChild();
  PlatChild(const PlatChild&) = delete;
  PlatChild& operator=(const PlatChild&) = delete;

  // Starts argv[0] (a path) in the current folder; false when it cannot be.
  bool Start(const std::vector<std::string>& argv);
  // True while it runs; once it has ended, false with its exit code (-1 for
  // a program that did not end normally).
  bool Running(int* exitCode = nullptr);
  void Kill();

 private:
  int pid_ = -1;
  int exitCode_ = -1;
};

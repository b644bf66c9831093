// Watches the numbered error reports made while it lives: their numbers
// through the reporter's observer hook, and every trace line (the reports'
// "error <number>: <text>" among them) for failure messages.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ErrCapture {
 public:
  ErrCapture();
  ~ErrCapture();
  ErrCapture(const ErrCapture&) = delete;
  ErrCapture& operator=(const ErrCapture&) = delete;

  // Numbers in the order they were reported.
  const std::vector<int32_t>& Numbers() const;
  bool Has(int32_t number) const;
  size_t Count() const { return Numbers().size(); }
  bool Empty() const { return Numbers().empty(); }
  // The first and the last number reported; 0 when there was none.
  int32_t First() const { return Empty() ? 0 : Numbers().front(); }
  int32_t Last() const { return Empty() ? 0 : Numbers().back(); }
  // The trace lines seen, one per line.
  const std::string& Text() const;
  // Forgets what was seen so far and keeps watching.
  void Clear();

 private:
  // The hooks that were set before, put back when the capture ends.
  void (*prevObserver_)(int32_t number, int quit);
  void (*prevTrace_)(const char* line);
};

// A stand-in for the script compiler, for the compiler-link tests. It speaks
// the engine's side of the exchange from the other end: it opens the block,
// checks the version and the argument, announces its files, waits for the
// engine, writes the data area and ends. What it does is chosen by
// FAKE_CC_MODE; the area names come from FAKE_CC_BLOCK and FAKE_CC_DATA so
// that tests can run side by side. It writes what it received into
// "fake_cc_seen.txt" in the current folder.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Env(const char* name, const char* def) {
  const char* v = std::getenv(name);
  return v ? v : def;
}

uint8_t* MapExisting(const std::string& name, size_t* size) {
  int fd = shm_open(("/" + name).c_str(), O_RDWR, 0);
  if (fd < 0) return nullptr;
  struct stat st {};
  fstat(fd, &st);
  *size = size_t(st.st_size);
  void* p = mmap(nullptr, *size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}

void Put32(uint8_t* at, uint32_t v) { std::memcpy(at, &v, 4); }
uint32_t Get32(const uint8_t* at) {
  uint32_t v;
  std::memcpy(&v, at, 4);
  return v;
}
void Flag(uint8_t* at, uint32_t v) {
  std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(at)).store(v, std::memory_order_release);
}
uint32_t ReadFlag(uint8_t* at) {
  return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(at)).load(std::memory_order_acquire);
}

// Appends one {u32 L, name, u32 D, data} record.
void Record(std::string& out, const std::string& name, const std::string& data) {
  uint32_t l = uint32_t(name.size()), d = uint32_t(data.size());
  out.append(reinterpret_cast<const char*>(&l), 4).append(name);
  out.append(reinterpret_cast<const char*>(&d), 4).append(data);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = Env("FAKE_CC_MODE", "ok");
  size_t blockSize = 0;
  uint8_t* b = MapExisting(Env("FAKE_CC_BLOCK", "TAVRENCompilerFileMapObject"), &blockSize);
  if (!b || blockSize < 512) return 3;
  const char* path = reinterpret_cast<const char*>(b + 132);
  if (FILE* f = std::fopen("fake_cc_seen.txt", "w")) {
    std::fprintf(f, "arg=%s\nversion=%u\npath=%.*s\n", argc > 1 ? argv[1] : "", Get32(b + 128),
                 int(strnlen(path, 380)), path);
    std::fclose(f);
  }
  if (mode == "early") return 2;
  if (mode == "hang") {
    for (;;) pause();
  }

  std::string area;
  uint32_t count = 0;
  if (mode == "ok" || mode == "fail") {
    Record(area, "QVBIN\\Main.qbn", "compiled scene");
    Record(area, "readme.txt", "");
    count = 2;
  } else if (mode == "size0") {
    Record(area, "a", "payload");  // 4 + 1 + 4 + 7 = 16 bytes
    count = 1;
  } else if (mode == "badlen") {
    Record(area, "x.qbn", "abc");
    Put32(reinterpret_cast<uint8_t*>(area.data()), 4000);  // name runs past the area
    count = 1;
  } else if (mode == "badcount") {
    Record(area, "x.qbn", "abc");
    count = 2;  // the second record is not there
  }
  // "count0" hands over nothing.
  b[12] = mode == "fail" ? 0 : 1;
  Put32(b + 16, count);
  Put32(b + 20, mode == "size0" || mode == "count0" ? 0 : uint32_t(area.size()));
  std::string out = Env("FAKE_CC_DATADIR", "");
  std::memset(b + 132, 0, 380);
  if (mode == "noterm") std::memset(b + 132, 'x', 380);
  else std::memcpy(b + 132, out.data(), out.size() < 379 ? out.size() : 379);
  Flag(b + 0, 1);

  for (int i = 0; i < 5000 && ReadFlag(b + 4) != 1; ++i) usleep(1000);
  if (ReadFlag(b + 4) != 1) return 4;
  size_t dataSize = 0;
  uint8_t* d = MapExisting(Env("FAKE_CC_DATA", "TAVRENCompilerFileMapObject2"), &dataSize);
  if (!d) return 5;
  if (FILE* f = std::fopen("fake_cc_seen.txt", "a")) {
    std::fprintf(f, "datasize=%zu\n", dataSize);
    std::fclose(f);
  }
  std::memcpy(d, area.data(), area.size() < dataSize ? area.size() : dataSize);
  return 0;
}

// Named locks: held names refuse a second holder, vanish with the holder's
// death, and carry the front request.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/fs.h"
#include "platform/instance.h"
#include "support/process_env.h"

namespace {

std::string UniqueName(const char* what) {
  return std::string("test-") + what + "-" + std::to_string(getpid());
}

TEST(InstanceLock, SecondAcquireIsHeldUntilRelease) {
  const std::string name = UniqueName("held");
  InstanceLock::Result r;
  auto first = InstanceLock::Acquire(name, &r);
  ASSERT_TRUE(first);
  EXPECT_EQ(r, InstanceLock::Result::Acquired);
  EXPECT_FALSE(InstanceLock::Acquire(name, &r));
  EXPECT_EQ(r, InstanceLock::Result::Held);
  first.reset();
  EXPECT_TRUE(InstanceLock::Acquire(name, &r));
}

// The holder of ReleasedWhenHolderDies: this test program started again
// with the lock's name in kHolderVar. It takes the lock and waits until it
// is killed.
constexpr char kHolderVar[] = "TAVREN_TEST_LOCK_HOLDER";
TEST(InstanceLockChild, HoldsUntilKilled) {
  const char* name = std::getenv(kHolderVar);
  if (!name) GTEST_SKIP() << "runs only as a child";
  InstanceLock::Result r;
  auto lock = InstanceLock::Acquire(name, &r);
  if (!lock) _exit(1);
  for (;;) pause();
}

// The holder is a new process (started, not forked): a fork of a test
// program whose earlier cases left threads running may stop in the
// allocator before it ever takes the lock.
TEST(InstanceLock, ReleasedWhenHolderDies) {
  const std::string name = UniqueName("death");
  pid_t child = fx::SpawnWithEnv({Fs_ExePath(), "--gtest_filter=InstanceLockChild.HoldsUntilKilled"},
                                 {std::string(kHolderVar) + "=" + name});
  ASSERT_GT(child, 0);
  InstanceLock::Result r = InstanceLock::Result::Acquired;
  for (int i = 0; i < 1000; ++i) {
    auto probe = InstanceLock::Acquire(name, &r);
    if (!probe && r == InstanceLock::Result::Held) break;
    probe.reset();
    if (waitpid(child, nullptr, WNOHANG) == child) {
      child = -1;
      break;
    }
    usleep(10000);
  }
  ASSERT_GT(child, 0) << "the holder ended before it took the lock";
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_EQ(r, InstanceLock::Result::Held) << "the holder never took the lock";
  EXPECT_TRUE(InstanceLock::Acquire(name, &r));
}

TEST(InstanceLock, FrontRequestReachesHolder) {
  const std::string name = UniqueName("front");
  EXPECT_FALSE(Instance_SendFrontRequest(name));  // nobody holds it
  InstanceLock::Result r;
  auto lock = InstanceLock::Acquire(name, &r);
  ASSERT_TRUE(lock);
  EXPECT_FALSE(lock->PollFrontRequest());
  EXPECT_TRUE(Instance_SendFrontRequest(name));
  EXPECT_TRUE(Instance_SendFrontRequest(name));
  EXPECT_TRUE(lock->WaitFrontRequest(2000));
  EXPECT_FALSE(lock->PollFrontRequest());  // both were taken at once
}

TEST(InstanceLock, LongNamesStayDistinct) {
  std::string a(300, 'a'), b(300, 'a');
  b[299] = 'b';  // differs only past what an address holds
  InstanceLock::Result r;
  auto la = InstanceLock::Acquire(a, &r);
  ASSERT_TRUE(la);
  auto lb = InstanceLock::Acquire(b, &r);
  EXPECT_TRUE(lb);
  EXPECT_FALSE(InstanceLock::Acquire(a, &r));
}

}  // namespace

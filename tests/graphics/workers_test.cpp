// The pixel worker pool's placement: each worker keeps to the processor of
// its index among those the process may use, and a worker whose index has
// no processor stays free.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <vector>

#include "graphics/graphics_limits.h"
#include "graphics/workers.h"

namespace {

using CpuList = std::vector<int>;

CpuList ListOf(const cpu_set_t& set) {
  CpuList cpus;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &set)) cpus.push_back(cpu);
  return cpus;
}

CpuList ThisThreadCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (pthread_getaffinity_np(pthread_self(), sizeof set, &set) != 0) return {};
  return ListOf(set);
}

bool PinThisThreadTo(const CpuList& cpus) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int cpu : cpus) CPU_SET(cpu, &set);
  return pthread_setaffinity_np(pthread_self(), sizeof set, &set) == 0;
}

// Starts `count` workers from this thread, has each one read its own
// processor mask, and stops the pool again.
std::vector<CpuList> WorkerCpus(int count) {
  std::vector<CpuList> seen(size_t(kWorkerMax), CpuList{});
  Gfx_StartWorkers(count);
  EXPECT_EQ(Gfx_WorkerCount(), count);
  for (int i = 0; i < count; ++i) {
    WorkerJob job;
    job.fn = [](WorkerJob& j) {
      (*static_cast<std::vector<CpuList>*>(j.user))[size_t(j.index)] = ThisThreadCpus();
    };
    job.user = &seen;
    Gfx_PostJob(i, job);
  }
  Gfx_WaitWorkers(count);
  Gfx_StopWorkers();
  seen.resize(size_t(count));
  return seen;
}

// The calling thread's processors are put back however the case ends;
// the workers it starts inherit them.
class WorkerPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    allowed_ = ThisThreadCpus();
    ASSERT_FALSE(allowed_.empty());
  }
  void TearDown() override {
    Gfx_StopWorkers();
    PinThisThreadTo(allowed_);
  }
  CpuList allowed_;
};

TEST_F(WorkerPlacement, EachWorkerKeepsToTheProcessorOfItsIndex) {
  int count = int(allowed_.size()) < kWorkerMax ? int(allowed_.size()) : kWorkerMax;
  std::vector<CpuList> got = WorkerCpus(count);
  for (int i = 0; i < count; ++i)
    EXPECT_EQ(got[size_t(i)], CpuList{allowed_[size_t(i)]}) << "worker " << i;
}

// With fewer processors than workers, the workers past the last processor
// keep every processor they were started with.
TEST_F(WorkerPlacement, WorkersBeyondTheProcessorsStayFree) {
  CpuList few(allowed_.begin(), allowed_.begin() + (allowed_.size() < 2 ? 1 : 2));
  ASSERT_LT(int(few.size()), kWorkerMax);
  ASSERT_TRUE(PinThisThreadTo(few));
  std::vector<CpuList> got = WorkerCpus(kWorkerMax);
  for (int i = 0; i < kWorkerMax; ++i) {
    CpuList want = i < int(few.size()) ? CpuList{few[size_t(i)]} : few;
    EXPECT_EQ(got[size_t(i)], want) << "worker " << i;
  }
}

}  // namespace

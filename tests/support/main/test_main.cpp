// The main of every test program: each case starts from the engine state of
// a new process, whether ctest runs it alone or the whole program runs at once.
#include <gtest/gtest.h>

#include "support/fresh_state.h"

namespace {

class FreshState : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { Fixture_FreshEngineState(); }
};

}  // namespace

int main(int argc, char** argv) {
  // A case that expects the process to end runs in a new copy of the
  // program: earlier cases of the same run leave threads (pixel workers,
  // the GL driver's) that a plain fork would copy in a locked state.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshState);
  return RUN_ALL_TESTS();
}

// Every core test leaves program-wide state as the program starts with it,
// so that the tests of this executable hold in any order in one process.
#include <gtest/gtest.h>

#include "core/state.h"

namespace {

class ProgramStateReset : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { vek::ResetProgramState(); }
};

const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ProgramStateReset);
  return true;
}();

}  // namespace

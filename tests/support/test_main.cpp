// gtest main for every test executable. Before any test runs, the process
// gets a home and XDG folders of its own, so no test can reach the user's
// real files, settings or registry store.
#include <gtest/gtest.h>

#include "test_support.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vektest::TempDir home;
  vektest::UsePrivateHome(home);
  return RUN_ALL_TESTS();
}

// gtest main for every test executable. Before any test runs, the process
// gets a home and XDG folders of its own, so no test can reach the user's
// real files, settings or registry store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vektest::TempDir home;
  const std::string h = home.path().string();
  std::filesystem::create_directories(home.path() / "config");
  std::filesystem::create_directories(home.path() / "data");
  setenv("HOME", h.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (h + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
  return RUN_ALL_TESTS();
}

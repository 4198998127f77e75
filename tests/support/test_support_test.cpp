#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace fs = std::filesystem;

TEST(TempDirTest, IsCreatedEmptyAndRemovedWithReadOnlyContent) {
  fs::path kept;
  {
    vektest::TempDir dir;
    kept = dir.path();
    ASSERT_TRUE(fs::is_directory(kept));
    EXPECT_TRUE(fs::is_empty(kept));
    fs::create_directory(dir / "sub");
    vektest::MakeFile(dir / "sub" / "ro.bin", "x");
    fs::permissions(dir / "sub", fs::perms::owner_read | fs::perms::owner_exec);
  }
  EXPECT_FALSE(fs::exists(kept));
}

TEST(MakeFileTest, WritesExactBytesAndPatternsRepeat) {
  vektest::TempDir dir;
  auto p = vektest::MakeFile(dir / "a.bin", std::vector<uint8_t>{0, 1, 255});
  EXPECT_EQ(vektest::ReadFileBytes(p), (std::vector<uint8_t>{0, 1, 255}));
  auto q = vektest::MakePatternFile(dir / "b.bin", 8193, 7);
  EXPECT_EQ(fs::file_size(q), 8193u);
  EXPECT_EQ(vektest::ReadFileBytes(q), vektest::PatternBytes(8193, 7));
  EXPECT_NE(vektest::PatternBytes(64, 1), vektest::PatternBytes(64, 2));
}

TEST(TestMainTest, HomeAndXdgFoldersAreIsolated) {
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_NE(std::string(home).find("vektest-"), std::string::npos);
  EXPECT_EQ(std::string(std::getenv("XDG_CONFIG_HOME")), std::string(home) + "/config");
}

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "platform/internal.h"
#include "platform/paths.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

namespace platform {
bool operator==(const DriveMapping& a, const DriveMapping& b) {
  return a.Letter == b.Letter && a.HostRoot == b.HostRoot;
}
void PrintTo(const DriveMapping& m, std::ostream* out) {
  *out << m.Letter << ": " << m.HostRoot;
}
}  // namespace platform

namespace {

class PathMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDriveMap({{'C', "/home/u"}, {'d', "/home/u/data/"}, {'Z', "/"}, {'Y', "relative"}});
  }
  void TearDown() override { ResetDriveMap(); }
};

struct Conversion {
  std::string_view From;
  std::optional<std::string> To;
};

}  // namespace

TEST(DriveMapFileTest, ReadsLettersAndSkipsBadLines) {
  const auto map = ParseDriveMapFile(
      "# my drives\n"
      "c: /home/u/\n"
      "D:/media/stick\r\n"
      "  E: /mnt/with space  \n"
      "F: relative/path\n"
      "1: /digit\n"
      "G /no-colon\n"
      "C: /second/c\n"
      "H:\n");
  const std::vector<DriveMapping> expected{
      {'C', "/home/u"}, {'D', "/media/stick"}, {'E', "/mnt/with space"}};
  EXPECT_EQ(map, expected);
}

TEST(DriveMapFileTest, ReplacesTheDefaultMap) {
  const fs::path file = fs::path(std::getenv("XDG_CONFIG_HOME")) / "vek2003" / "drives";
  fs::create_directories(file.parent_path());
  vektest::MakeFile(file, "X: /srv/x\n");
  ResetDriveMap();
  EXPECT_EQ(DriveMap(), (std::vector<DriveMapping>{{'X', "/srv/x"}}));
  fs::remove(file);
  ResetDriveMap();
  EXPECT_EQ(DriveRoot('C'), std::string(std::getenv("HOME")));
  EXPECT_EQ(DriveRoot('Z'), "/");
  EXPECT_EQ(DriveRoot('A'), std::nullopt);
  ResetDriveMap();
}

TEST(DefaultDriveMapTest, GivesLettersToRemovableOpticalNetworkAndRamVolumes) {
  FakeBlockDevices devices;
  const auto map = DefaultDriveMap(
      "/dev/vda / ext4 rw 0 0\n"
      "server:/share /mnt/share nfs4 rw 0 0\n"
      "/dev/sr0 /media/u/CD\\040ROM iso9660 ro 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/vdb1 /media/u/DATA ext4 rw 0 0\n"
      "/dev/sdb1 /run/media/u/STICK vfat rw 0 0\n"
      "tmpfs /mnt/ram tmpfs rw 0 0\n"
      "tmpfs /mnt/ram tmpfs rw 0 0\n",
      "/home/u/");
  const std::vector<DriveMapping> expected{{'C', "/home/u"},         {'D', "/mnt/share"},
                                           {'E', "/media/u/CD ROM"}, {'F', "/run/media/u/STICK"},
                                           {'G', "/mnt/ram"},        {'Z', "/"}};
  EXPECT_EQ(map, expected);
}

TEST_F(PathMapTest, WindowsToHost) {
  const Conversion cases[] = {
      {"C:\\a\\b.txt", "/home/u/a/b.txt"},
      {"c:/a/b.txt", "/home/u/a/b.txt"},
      {"C:\\", "/home/u"},
      {"C:\\A\\B.TXT", "/home/u/A/B.TXT"},
      {"C:\\a\\\\b\\", "/home/u/a/b"},
      {"C:\\a\\..\\..\\b", "/home/u/b"},
      {"D:\\x", "/home/u/data/x"},
      {"Z:\\etc\\hosts", "/etc/hosts"},
      {"Q:\\x", std::nullopt},
      {"Y:\\x", std::nullopt},
      {"A:\\", std::nullopt},
      {"x.txt", std::nullopt},
      {"\\a", std::nullopt},
      {"C:a", std::nullopt},
      {"C:", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHostPath(c.From), c.To) << c.From;
}

TEST_F(PathMapTest, HostToWindowsByLongestRoot) {
  const Conversion cases[] = {
      {"/home/u/a/b.txt", "C:\\a\\b.txt"},
      {"/home/u", "C:\\"},
      {"/home/u/", "C:\\"},
      {"/home/u/data/x", "D:\\x"},
      {"/home/u/database", "C:\\database"},
      {"/home/U/x", "Z:\\home\\U\\x"},  // names compare as the host compares them
      {"/home/user2/x", "Z:\\home\\user2\\x"},
      {"/etc", "Z:\\etc"},
      {"/home/u/back\\slash", std::nullopt},
      {"relative/x", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ToWindowsPath(c.From), c.To) << c.From;
  SetDriveMap({{'C', "/home/u"}});
  EXPECT_EQ(ToWindowsPath("/etc"), std::nullopt);
}

TEST_F(PathMapTest, DriveRootAcceptsEitherCase) {
  EXPECT_EQ(DriveRoot('c'), "/home/u");
  EXPECT_EQ(DriveRoot('D'), "/home/u/data");  // as the map keeps it
  EXPECT_EQ(DriveRoot('q'), std::nullopt);
}

TEST(PathTextTest, SplitsAndJoins) {
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(ExtractFileName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(ExtractFilePath("C:\\"), "C:\\");
  EXPECT_EQ(ExtractFileName("C:\\a\\"), "");
  EXPECT_EQ(ExtractFilePath("C:x.txt"), "C:");
  EXPECT_EQ(ExtractFileName("x.txt"), "x.txt");
  EXPECT_EQ(ExtractFilePath("x.txt"), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
}

TEST_F(PlatformTest, LinkedRootsMatchTheirResolvedPaths) {
  fs::create_directory(dir / "real");
  fs::create_directory_symlink(dir / "real", dir / "link");
  SetDriveMap({{'C', Host("link")}});
  EXPECT_EQ(ToWindowsPath(Host("real") + "/x.txt"), "C:\\x.txt");
  EXPECT_EQ(ToWindowsPath(Host("link") + "/x.txt"), "C:\\x.txt");
}

TEST_F(PlatformTest, CurrentDirectoryAsWindowsPath) {
  const fs::path before = fs::current_path();
  fs::create_directory(dir / "sub");
  fs::current_path(dir.path());
  EXPECT_EQ(CurrentDirectory(), "C:\\");
  fs::current_path(dir / "sub");
  EXPECT_EQ(CurrentDirectory(), "C:\\sub");
  SetDriveMap({{'C', Host("sub") + "/deeper"}});
  EXPECT_EQ(CurrentDirectory(), "");
  fs::current_path(before);
}

// Icons, file types and entries as the desktop's own tools read them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/shell_desktop.h"
#include "platform/shell_link.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kType = "application/x-vektest";
constexpr std::string_view kBanner = "TEST BANNER (c)2003 <&>\r\n";

// The user's data and settings folders inside the test's folder.
class ShellDesktopTest : public PlatformTest {
 protected:
  vektest::ScopedEnvironment environment{
      {{"XDG_DATA_HOME", (dir / "data").string()}, {"XDG_CONFIG_HOME", (dir / "config").string()}}};
};

// A program entry for the file type, saved where the desktop looks for entries.
fs::path SaveEntry(const std::string& program) {
  ShellLink link;
  link.SetPath(program);
  link.SetWorkingDirectory("C:\\Program Files");
  link.SetName("Test 100% Program");
  link.SetIconName("vektest");
  link.SetFileType(kType);
  link.SetCategories("Utility;");
  link.SetHidden(true);
  const auto folder = DesktopEntriesFolder();
  EXPECT_TRUE(folder);
  ForceDirectories(*folder);
  EXPECT_TRUE(link.Save(*folder + "\\vektest.desktop")) << LastError();
  return fs::path(DesktopDataFolder()) / "applications" / "vektest.desktop";
}

}  // namespace

TEST_F(ShellDesktopTest, AFileTypeIsKnownByNameAndByContentAndOpensWithItsEntry) {
  fs::create_directories(dir / "Program Files");
  const fs::path entry = SaveEntry("C:\\Program Files\\my $program.exe");
  const std::string text = [&] {
    const auto bytes = vektest::ReadFileBytes(entry);
    return std::string(bytes.begin(), bytes.end());
  }();
  EXPECT_EQ(text,
            "[Desktop Entry]\nType=Application\nName=Test 100% Program\n"
            "Exec=\"" +
                Host("Program Files/my \\\\$program.exe") +
                "\" %f\n"
                "Path=" +
                Host("Program Files") +
                "\nIcon=vektest\nTerminal=false\n"
                "MimeType=application/x-vektest;\nCategories=Utility;\nNoDisplay=true\n");
  struct stat st {};
  ASSERT_EQ(::stat(entry.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);  // a launcher
  const vektest::TCommandResult validation = vektest::RunCommand({"desktop-file-validate", entry});
  EXPECT_EQ(validation.Status, 0) << validation.Output;
  EXPECT_EQ(validation.Output, "");

  ASSERT_TRUE(InstallFileType("vektest", {std::string(kType), "Test file", "*.vektest",
                                          std::string(kBanner), "application-x-vektest"}));
  EXPECT_EQ(UpdateDesktopDatabases("vektest.desktop", kType), std::vector<std::string>{});

  vektest::MakeFile(dir / "by name.vektest", "anything");
  vektest::MakeFile(dir / "by content.dat", std::string(kBanner) + "and the rest");
  vektest::MakeFile(dir / "other.dat", "TEST BANNER but not the line");
  const std::string type = std::string(kType) + "\n";
  for (const char* name : {"by name.vektest", "by content.dat"}) {
    const auto query = vektest::RunCommand({"xdg-mime", "query", "filetype", dir / name});
    EXPECT_EQ(query.Output, type) << name;
  }
  EXPECT_NE(vektest::RunCommand({"xdg-mime", "query", "filetype", dir / "other.dat"}).Output, type);
  EXPECT_EQ(vektest::RunCommand({"xdg-mime", "query", "default", std::string(kType)}).Output,
            "vektest.desktop\n");
}

TEST_F(ShellDesktopTest, TheEntryStartsItsProgramInItsFolderWithTheOpenedFile) {
  // A program whose path needs every kind of quoting an entry knows; it
  // says where it runs and what it was given on the output it inherits.
  const std::string folder = "it's \"odd\" $dir `x`";
  fs::create_directories(dir / folder);
  vektest::MakeFile(dir / folder / "stand in.exe",
                    "#!/bin/sh\nprintf '%s|%s|%s\\n' \"$PWD\" \"$#\" \"$1\"\n");
  fs::permissions(dir / folder / "stand in.exe", fs::perms::owner_all);
  ShellLink link;
  link.SetPath(Win(folder + "\\stand in.exe"));
  link.SetWorkingDirectory(Win(folder));
  link.SetFileType(kType);
  const auto entriesFolder = DesktopEntriesFolder();
  ASSERT_TRUE(entriesFolder);
  ForceDirectories(*entriesFolder);
  ASSERT_TRUE(link.Save(*entriesFolder + "\\starter.desktop"));
  const fs::path entry = fs::path(DesktopDataFolder()) / "applications" / "starter.desktop";
  EXPECT_EQ(vektest::RunCommand({"desktop-file-validate", entry}).Output, "");

  const std::string opened = Host("a b$c 'd'.vektest");
  vektest::MakeFile(opened, "x");
  const auto launch = vektest::RunCommand({"gio", "launch", entry, opened});
  EXPECT_EQ(launch.Output, Host(folder) + "|1|" + opened + "\n");
}

TEST_F(ShellDesktopTest, IconsGoIntoTheThemeBySizeAndKind) {
  const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G'};
  ASSERT_TRUE(InstallThemeIcon(ThemeIconKind::Application, "vektest", 16, png));
  ASSERT_TRUE(InstallThemeIcon(ThemeIconKind::FileType, "application-x-vektest", 256, png));
  const fs::path theme = dir / "data" / "icons" / "hicolor";
  EXPECT_EQ(vektest::ReadFileBytes(theme / "16x16" / "apps" / "vektest.png"), png);
  EXPECT_EQ(vektest::ReadFileBytes(theme / "256x256" / "mimetypes" / "application-x-vektest.png"),
            png);
  // A theme folder that cannot be made: told, nothing left behind.
  vektest::MakeFile(dir / "data" / "icons" / "hicolor" / "32x32", "a file in the way");
  EXPECT_FALSE(InstallThemeIcon(ThemeIconKind::Application, "vektest", 32, png));
}

TEST_F(ShellDesktopTest, MissingOrFailingToolsAreNotedAndNothingElse) {
  const fs::path bin = dir / "bin";
  fs::create_directories(bin);
  vektest::MakeFile(bin / "update-desktop-database", "#!/bin/sh\nexit 3\n");
  fs::permissions(bin / "update-desktop-database", fs::perms::owner_all);
  vektest::ScopedEnvironment path({{"PATH", bin.string()}});
  EXPECT_EQ(UpdateDesktopDatabases("vektest.desktop", kType),
            (std::vector<std::string>{"update-mime-database: not installed",
                                      "update-desktop-database: ended with status 3",
                                      "xdg-mime: not installed"}));
  vektest::MakeFile(dir / "launcher.desktop", "x");
  TrustLauncher(Win("launcher.desktop"));  // no gio: nothing happens
  EXPECT_EQ(vektest::ReadFileBytes(dir / "launcher.desktop"), std::vector<uint8_t>{'x'});
}

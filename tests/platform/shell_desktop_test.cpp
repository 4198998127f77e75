// Icons, file types and entries as the desktop's own tools read them.
#include <fcntl.h>
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

// A launcher on the desktop is marked as trusted through gio, the path as
// one word however it is spelt; a stand-in gio notes what it was given.
TEST_F(ShellDesktopTest, ALauncherIsMarkedTrustedThroughGio) {
  const fs::path bin = dir / "bin";
  fs::create_directories(bin);
  vektest::MakeFile(bin / "gio", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$0.args\"\n");
  fs::permissions(bin / "gio", fs::perms::owner_all);
  vektest::MakeFile(bin / "gio.args", "");
  vektest::ScopedEnvironment path({{"PATH", bin.string()}});
  fs::create_directories(dir / "My Desktop");
  vektest::MakeFile(dir / "My Desktop" / "a $b 'c'.desktop", "x");
  TrustLauncher(Win("My Desktop\\a $b 'c'.desktop"));
  const auto args = vektest::ReadFileBytes(bin / "gio.args");
  EXPECT_EQ(std::string(args.begin(), args.end()),
            "set\n" + Host("My Desktop/a $b 'c'.desktop") + "\nmetadata::trusted\ntrue\n");
}

// The starter that entries run in place of a program: whatever the
// program's folder is called, the program runs in it with the arguments
// the starter was given, each as it is.
TEST_F(ShellDesktopTest, TheStarterRunsItsProgramInItsFolderWithItsArguments) {
  for (const std::string folder : {"with space und Ümlaut", "100% %f", "it's \"odd\" $x `y`"}) {
    SCOPED_TRACE(folder);
    fs::create_directories(dir / folder);
    vektest::MakeFile(dir / folder / "stand in.exe",
                      "#!/bin/sh\nprintf '%s|%s|%s|%s\\n' \"$PWD\" \"$#\" \"$1\" \"$2\"\n");
    fs::permissions(dir / folder / "stand in.exe", fs::perms::owner_all);
    const auto starter =
        InstallProgramStarter("vektest", Win(folder + "\\stand in.exe"), Win(folder));
    ASSERT_TRUE(starter) << LastError();
    const fs::path host = dir / "data" / "vektest" / "bin" / "vektest";
    EXPECT_EQ(*starter, Win("data\\vektest\\bin\\vektest"));
    EXPECT_EQ(vektest::RunCommand({host, "a b", "'%f'"}).Output, Host(folder) + "|2|a b|'%f'\n");
  }
}

// Launchers get the execute bits that the umask lets a new file have.
TEST_F(ShellDesktopTest, LaunchersAreRunnableAsFarAsTheUmaskAllows) {
  fs::create_directories(dir / "Program Files");
  for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
    SCOPED_TRACE(mask);
    const mode_t before = ::umask(mask);
    const fs::path entry = SaveEntry("C:\\Program Files\\x.exe");
    const bool starterWritten = InstallProgramStarter("vektest", Win("x.exe"), Win("")).has_value();
    ::umask(before);
    ASSERT_TRUE(starterWritten);
    for (const fs::path& file : {entry, dir / "data" / "vektest" / "bin" / "vektest"}) {
      struct stat st {};
      ASSERT_EQ(::stat(file.c_str(), &st), 0) << file;
      EXPECT_EQ(st.st_mode & 07777, 0777 & ~mask) << file;
    }
  }
}

// Each file goes to "<file>.new" first. A name there already, such as a
// link someone planted, is taken away, and what it points to is never
// written.
TEST_F(ShellDesktopTest, TemporaryFilesNeverFollowALinkInTheirPlace) {
  const fs::path data = dir / "data";
  const std::vector<fs::path> files = {
      data / "icons" / "hicolor" / "16x16" / "apps" / "vektest.png",
      data / "mime" / "packages" / "vektest.xml", data / "applications" / "vektest.desktop",
      data / "vektest" / "bin" / "vektest"};
  vektest::MakeFile(dir / "victim", "keep me");
  for (const fs::path& file : files) {
    fs::create_directories(file.parent_path());
    fs::create_symlink(dir / "victim", file.string() + ".new");
  }
  ASSERT_TRUE(InstallThemeIcon(ThemeIconKind::Application, "vektest", 16, {0x89, 'P', 'N', 'G'}));
  ASSERT_TRUE(InstallFileType("vektest", {std::string(kType), "Test file", "*.vektest",
                                          std::string(kBanner), "application-x-vektest"}));
  SaveEntry("C:\\x.exe");
  ASSERT_TRUE(InstallProgramStarter("vektest", Win("x.exe"), Win("")));
  const auto victim = vektest::ReadFileBytes(dir / "victim");
  EXPECT_EQ(std::string(victim.begin(), victim.end()), "keep me");
  for (const fs::path& file : files) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file))) << file;
    EXPECT_FALSE(fs::exists(fs::symlink_status(file.string() + ".new"))) << file;
  }
}

// A theme's icon cache is believed only while it is newer than the theme's
// folder: the folder's time moves on after icons are written, and a cache
// that is there is made again with them.
TEST_F(ShellDesktopTest, TheIconThemeIsMarkedChangedAndItsCacheMadeAgain) {
  const fs::path theme = dir / "data" / "icons" / "hicolor";
  const auto cacheHolds = [&](std::string_view name) {
    const auto bytes = vektest::ReadFileBytes(theme / "icon-theme.cache");
    return std::string(bytes.begin(), bytes.end()).find(name) != std::string::npos;
  };
  const auto modified = [](const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mtim.tv_sec;
  };
  const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G'};
  ASSERT_TRUE(InstallThemeIcon(ThemeIconKind::Application, "earlier", 16, png));
  constexpr time_t kLongAgo = 1000000000;
  const timespec times[2] = {{kLongAgo, 0}, {kLongAgo, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, theme.c_str(), times, 0), 0);
  // Into a size folder that is there already: the theme's folder itself
  // does not change with it.
  ASSERT_TRUE(InstallThemeIcon(ThemeIconKind::Application, "vektest", 16, png));
  ASSERT_EQ(modified(theme), kLongAgo);
  UpdateDesktopDatabases("vektest.desktop", kType);
  EXPECT_GT(modified(theme), kLongAgo);
  EXPECT_FALSE(fs::exists(theme / "icon-theme.cache"));  // none where there was none

  if (vektest::RunCommand({"gtk-update-icon-cache", "--help"}).Status != 0) {
    GTEST_SKIP() << "gtk-update-icon-cache is not installed";
  }
  fs::remove(theme / "16x16" / "apps" / "vektest.png");
  ASSERT_EQ(vektest::RunCommand({"gtk-update-icon-cache", "-f", "-t", "-q", theme}).Status, 0);
  ASSERT_TRUE(cacheHolds("earlier"));
  ASSERT_TRUE(InstallThemeIcon(ThemeIconKind::FileType, "application-x-vektest", 48, png));
  UpdateDesktopDatabases("vektest.desktop", kType);
  EXPECT_TRUE(cacheHolds("application-x-vektest"));
  EXPECT_GE(modified(theme / "icon-theme.cache"), modified(theme));
}

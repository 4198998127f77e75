// The installer file the build made: its measurements, its self-check and
// its payload, through the installer's own steps.
#include <gtest/gtest.h>

#include <filesystem>

#include "installer/finish_page.h"
#include "installer/state.h"
#include "installer/wizard.h"
#include "installer_fixture.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/shell_desktop.h"
#include "platform/system.h"

using namespace vek::installer;
namespace fs = std::filesystem;

using InstallerRealSetupTest = vektest::InstallerTest;

namespace {

// The width a PNG file's header gives; 0 when it is no PNG.
uint32_t PngWidth(const fs::path& file) {
  const auto bytes = vektest::ReadFileBytes(file);
  if (bytes.size() < 24 || bytes[1] != 'P' || bytes[2] != 'N' || bytes[3] != 'G') return 0;
  return uint32_t{bytes[16]} << 24 | uint32_t{bytes[17]} << 16 | uint32_t{bytes[18]} << 8 |
         bytes[19];
}

std::string Output(const std::vector<std::string>& command) {
  return vektest::RunCommand(command).Output;
}

}  // namespace

TEST_F(InstallerRealSetupTest, TheBuiltInstallerChecksAndInstallsItsPayload) {
#ifndef VEK_SETUP_FILE
  GTEST_SKIP() << "a sanitizer build packs no installer file";
#else
  const fs::path setupFile = VEK_SETUP_FILE;
  const fs::path payload = VEK_PAYLOAD_DIR;
  ASSERT_TRUE(fs::exists(setupFile)) << setupFile;
  platform::SetDriveMap({{'C', dir.path().string()}, {'Z', "/"}});
  SetupFileOverride = platform::ToWindowsPath(setupFile.string());
  ASSERT_TRUE(SetupFileOverride);
  PayloadTableOverride.reset();  // the table compiled in
  Form1->FormCreate();

  const auto imageEnd = platform::ElfImageEnd(setupFile.string());
  ASSERT_TRUE(imageEnd);
  EXPECT_EQ(PayloadOffset, static_cast<int64_t>(*imageEnd));
  EXPECT_EQ(SetupSize, static_cast<int64_t>(fs::file_size(setupFile)));
  EXPECT_EQ(PayloadSize, int64_t{PayloadTotal} + 4);
  int64_t files = 0;
  for (const TPayloadEntry& entry : ShippedPayloadTable()) {
    EXPECT_EQ(fs::file_size(payload / std::string(entry.Name)), static_cast<uintmax_t>(entry.Size));
    files += entry.Size;
  }
  EXPECT_EQ(PayloadTotal, files);

  // The menu in the folder where the desktop reads it. An earlier install
  // left a log of what it could not do, and the icon theme has a cache made
  // before these icons.
  ASSERT_TRUE(platform::RegWriteString(platform::RootKey::CurrentUser, vektest::kShellFolders,
                                       "Start Menu", *platform::DesktopEntriesFolder()));
  fs::create_directories(dir / "VEK 2003");
  vektest::MakeFile(dir / "VEK 2003" / "install.log", "xdg-mime: not installed\n");
  const fs::path hicolor = dir / "data" / "icons" / "hicolor";
  fs::create_directories(hicolor / "16x16" / "apps");
  vektest::MakeFile(hicolor / "16x16" / "apps" / "earlier.png", "\x89PNG");
  ASSERT_EQ(vektest::RunCommand({"gtk-update-icon-cache", "-f", "-t", "-q", hicolor}).Status, 0);
  RunInstallation("C:\\VEK 2003");
  ASSERT_TRUE(Form6->IsShown()) << "self-check or copy failed";
  for (const TPayloadEntry& entry : ShippedPayloadTable()) {
    const std::string name(entry.Name);
    EXPECT_EQ(vektest::ReadFileBytes(dir / "VEK 2003" / name),
              vektest::ReadFileBytes(payload / name))
        << name;
  }

  // The desktop knows the program, its icon and its file type, by name and
  // by the banner line it starts with, and opens the files with the entry
  // in the menu.
  for (const int size : platform::ThemeIconSizes) {
    const fs::path theme =
        dir / "data" / "icons" / "hicolor" / (std::to_string(size) + "x" + std::to_string(size));
    EXPECT_EQ(PngWidth(theme / "apps" / "vek2003.png"), static_cast<uint32_t>(size));
    EXPECT_EQ(PngWidth(theme / "mimetypes" / "application-x-vek2003.png"),
              static_cast<uint32_t>(size));
  }
  EXPECT_FALSE(fs::exists(dir / "VEK 2003" / "install.log"));  // nothing to note
  const auto cache = vektest::ReadFileBytes(hicolor / "icon-theme.cache");
  for (const std::string_view icon : {"vek2003", "application-x-vek2003"}) {
    EXPECT_NE(std::string(cache.begin(), cache.end()).find(icon), std::string::npos) << icon;
  }
  vektest::MakeFile(dir / "x.vek", "anything");
  vektest::MakeFile(dir / "renamed.dat",
                    "VEK 1024 Bit Encrypted File (c)2003 Quarne T. Velso\r\nthe rest");
  for (const char* name : {"x.vek", "renamed.dat"}) {
    EXPECT_EQ(Output({"xdg-mime", "query", "filetype", dir / name}), "application/x-vek2003\n")
        << name;
  }
  EXPECT_EQ(Output({"xdg-mime", "query", "default", "application/x-vek2003"}), "vek2003.desktop\n");
  const fs::path menuEntry = dir / "data" / "applications" / "vek2003.desktop";
  const fs::path launcher = dir / "Desktop" / "vek2003.desktop";
  for (const fs::path& entry : {menuEntry, launcher}) {
    const auto validation = vektest::RunCommand({"desktop-file-validate", entry});
    EXPECT_EQ(validation.Status, 0) << entry << validation.Output;
    const auto text = vektest::ReadFileBytes(entry);
    EXPECT_EQ(std::string(text.begin(), text.end()).find("NoDisplay"), std::string::npos);
  }
#endif
}

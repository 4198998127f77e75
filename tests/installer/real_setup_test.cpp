// The installer file the build made: its measurements, its self-check and
// its payload, through the installer's own steps.
#include <gtest/gtest.h>

#include <filesystem>

#include "installer/finish_page.h"
#include "installer/state.h"
#include "installer/wizard.h"
#include "installer_fixture.h"
#include "platform/paths.h"
#include "platform/system.h"

using namespace vek::installer;
namespace fs = std::filesystem;

using InstallerRealSetupTest = vektest::InstallerTest;

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

  RunInstallation("C:\\VEK 2003");
  ASSERT_TRUE(Form6->IsShown()) << "self-check or copy failed";
  for (const TPayloadEntry& entry : ShippedPayloadTable()) {
    const std::string name(entry.Name);
    EXPECT_EQ(vektest::ReadFileBytes(dir / "VEK 2003" / name),
              vektest::ReadFileBytes(payload / name))
        << name;
  }
#endif
}

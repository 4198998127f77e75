#include "installer_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "installer/state.h"
#include "installer/wizard.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui_test_support.h"

namespace vektest {
namespace fs = std::filesystem;

namespace {

void Put(Bytes& bytes, size_t at, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr uint64_t kGigabyte = 1024ull * 1024 * 1024;

}  // namespace

// ELF64 header, data, then a table of two section headers (the null one and
// one over the data) that ends the file.
Bytes ElfImage(size_t size, uint32_t seed) {
  constexpr size_t kHeader = 64, kSectionHeader = 64;
  Bytes bytes = PatternBytes(size, seed);
  std::fill(bytes.begin(), bytes.begin() + kHeader, uint8_t{0});
  const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  std::copy(std::begin(ident), std::end(ident), bytes.begin());
  const size_t table = size - 2 * kSectionHeader;
  Put(bytes, 40, table, 8);           // e_shoff
  Put(bytes, 58, kSectionHeader, 2);  // e_shentsize
  Put(bytes, 60, 2, 2);               // e_shnum
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(table), bytes.end(), uint8_t{0});
  const size_t data = table + kSectionHeader;
  Put(bytes, data + 4, 1, 4);                 // sh_type: program data
  Put(bytes, data + 24, kHeader, 8);          // sh_offset
  Put(bytes, data + 32, table - kHeader, 8);  // sh_size
  return bytes;
}

Bytes TestSetup::Readme() {
  const std::string_view text = "VEK 2003 - a readme for the tests.\r\nLine two.\r\n";
  return Bytes(text.begin(), text.end());
}

vek::installer::TPayloadTable TestSetup::Table() const {
  using namespace vek::installer;
  return {{{ProgramFileName, static_cast<int32_t>(Files[0].size())},
           {ReadmeFileName, static_cast<int32_t>(Files[1].size())},
           {IconFileName, static_cast<int32_t>(Files[2].size())}}};
}

Bytes TestSetup::Body() const {
  Bytes body = Image;
  for (const Bytes& file : Files) body.insert(body.end(), file.begin(), file.end());
  return body;
}

int32_t TestSetup::Sum() const {
  int32_t sum = 0;
  const Bytes body = Body();
  EXPECT_TRUE(vek::installer::AddByteSum(sum, body.data(), body.size()));
  return sum;
}

Bytes TestSetup::File() const {
  Bytes file = Body();
  const auto trailer = vek::installer::TrailerOf(Sum());
  file.insert(file.end(), trailer.begin(), trailer.end());
  return file;
}

void InstallerTest::SetUp() {
  platform::SetDriveMap({{'C', dir.path().string()}});
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  platform::faults::Reset();
  platform::ClearFakeDrives();
  platform::FakeDrive c;
  c.Space = platform::DiskFreeSpace{8, 512, 262144, 1048576};
  c.SpaceEx = platform::DiskFreeSpaceEx{kGigabyte, 4 * kGigabyte, kGigabyte};
  platform::SetFakeDrive('C', c);

  platform::SetRegistryFileForTest((registry_ / "registry").string());
  ASSERT_TRUE(platform::RegCreateKey(platform::RootKey::CurrentUser, kShellFolders));
  platform::RegWriteString(platform::RootKey::CurrentUser, kShellFolders, "Desktop", "C:\\Desktop");
  platform::RegWriteString(platform::RootKey::CurrentUser, kShellFolders, "Start Menu",
                           "C:\\Start Menu");
  fs::create_directories(dir / "Desktop");
  fs::create_directories(dir / "Start Menu");
  platform::SetShellFolderHookForTest(
      [this](const std::string& verb, const std::string& target, const std::string& folder) {
        shellCalls.push_back(verb + "|" + target + (folder.empty() ? "" : "|" + folder));
      });

  fs::create_directories(dir / "setup");
  MakeFile(dir / "setup" / "vek2003-setup", setup.File());
  vek::installer::ResetInstallerState();
  vek::installer::SetupFileOverride = std::string(kSetupFile);
  vek::installer::PayloadTableOverride = setup.Table();
  CreateWindows();
}

void InstallerTest::TearDown() {
  vek::installer::SourceStream.reset();
  vek::installer::TargetStream.reset();
  platform::SetShellHookForTest(nullptr);
  platform::SetRegistryFileForTest(std::nullopt);
  platform::faults::Reset();
  platform::ClearFakeDrives();
  platform::ResetDriveMap();
}

void InstallerTest::CreateWindows() {
  RestartUiApplication();
  vek::installer::CreateInstallerWindows();
}

void InstallerTest::WriteSetupFile(const Bytes& bytes) {
  MakeFile(dir / "setup" / "vek2003-setup", bytes);
  vek::installer::Form1->FormCreate();
}

void InstallerTest::MakeSetupFileUnsizable() {
  const timespec times[2] = {{0, 0}, {0, UTIME_OMIT}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "setup" / "vek2003-setup").c_str(), times, 0), 0);
  vek::installer::Form1->FormCreate();
}

std::vector<uint16_t> InstallerTest::RunInstallation(std::string_view installDir) {
  using namespace vek::installer;
  InstallDir = std::string(installDir);
  Form5->Show();
  std::vector<uint16_t> steps;
  constexpr size_t kTickLimit = 100000;
  while (Form5->IsShown() && steps.size() < kTickLimit) {
    steps.push_back(CurrentStep);
    ui::clock::Advance(10);
  }
  EXPECT_FALSE(Form5->IsShown()) << "the installation did not end";
  return steps;
}

fs::path InstallerTest::HostPath(std::string_view windowsRelative) const {
  return HostPathBelow(dir.path(), windowsRelative);
}

void InstallerTest::Screenshot(ui::TForm* form, const std::string& name) {
  vektest::Screenshot(form, name);
}

}  // namespace vektest

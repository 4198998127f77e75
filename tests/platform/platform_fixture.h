#pragma once
// A temporary folder mapped as drive C:, with every test double of the
// platform layer put back afterwards.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/internal.h"
#include "platform/paths.h"
#include "test_support.h"

class PlatformTest : public vektest::TempDirTest {
 protected:
  void SetUp() override {
    platform::SetDriveMap({{'C', dir.path().string()}});
    platform::faults::Reset();
  }
  void TearDown() override {
    platform::faults::Reset();
    platform::ClearFakeDrives();
    platform::SetMountTableForTest(std::nullopt);
    platform::ResetDriveMap();
  }
  // "C:\" + name: the Windows path of something in the temporary folder.
  static std::string Win(std::string_view name) { return "C:\\" + std::string(name); }
  std::string Host(std::string_view name) const { return (dir / name).string(); }
};

// A stand-in for /sys/class/block: removable disk sdb with partition sdb1,
// and fixed disk vda. In force while the object lives.
class FakeBlockDevices {
 public:
  FakeBlockDevices() {
    namespace fs = std::filesystem;
    fs::create_directories(sys_ / "disks" / "sdb" / "sdb1");
    vektest::MakeFile(sys_ / "disks" / "sdb" / "removable", "1\n");
    vektest::MakeFile(sys_ / "disks" / "sdb" / "sdb1" / "partition", "1\n");
    fs::create_directory_symlink(sys_ / "disks" / "sdb" / "sdb1", sys_ / "sdb1");
    fs::create_directory_symlink(sys_ / "disks" / "sdb", sys_ / "sdb");
    fs::create_directories(sys_ / "vda");
    vektest::MakeFile(sys_ / "vda" / "removable", "0\n");
    platform::detail::SetSysBlockRootForTest(sys_.path().string());
  }
  ~FakeBlockDevices() { platform::detail::SetSysBlockRootForTest(std::nullopt); }

 private:
  vektest::TempDir sys_;
};

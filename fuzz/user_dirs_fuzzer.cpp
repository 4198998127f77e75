// The user-dirs.dirs reader behind the desktop folder: whatever the file
// says, the desktop is answered as nothing or as a Windows path.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "fuzz_support.h"
#include "platform/registry.h"

using vekfuzz::Check;

namespace {

constexpr const char* ShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void Prepare() {
  static bool done = false;
  if (done) return;
  done = true;
  const auto root = vekfuzz::Drive().HostPath("");
  std::filesystem::create_directories(root / "config");
  std::filesystem::create_directories(root / "data");
  std::filesystem::create_directories(root / "Desktop");
  ::setenv("HOME", root.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);  // an empty registry
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Prepare();
  vekfuzz::Drive().Place("config/user-dirs.dirs", std::span<const uint8_t>(data, size));
  const auto desktop =
      platform::RegReadString(platform::RootKey::CurrentUser, ShellFolders, "Desktop");
  if (desktop) {
    Check(desktop->size() >= 3 && (*desktop)[1] == ':' && (*desktop)[2] == '\\',
          "the desktop folder is a full Windows path");
  }
  return 0;
}

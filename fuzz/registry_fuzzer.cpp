// The program's registry file: whatever it holds, reading keys and values
// gives answers, and a value written into a key that exists is read back
// as written, with the file's other keys still there.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/registry.h"

using platform::RootKey;
using vekfuzz::Check;

namespace {

constexpr std::string_view KeyPath = "Software\\VEK 2003\\Fuzz";

std::filesystem::path StoreFile() {
  static const std::filesystem::path file = [] {
    const auto data = vekfuzz::Drive().HostPath("data");
    std::filesystem::create_directories(data / "vek2003");
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    return data / "vek2003" / "registry";
  }();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path file = StoreFile();
  // A new file each time (written aside, then renamed), so the store sees it.
  vekfuzz::Drive().Place("data/vek2003/registry.new", std::span<const uint8_t>(data, size));
  std::filesystem::rename(vekfuzz::Drive().HostPath("data/vek2003/registry.new"), file);
  Check(platform::RegistryFile() == file.string(), "the store file is the one under XDG_DATA_HOME");

  const auto subKeys = platform::RegSubKeys(RootKey::CurrentUser, "Software");
  for (const RootKey root : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine}) {
    for (const std::string& key : platform::RegSubKeys(root, "")) {
      Check(platform::RegKeyExists(root, key), "a listed key exists");
      (void)platform::RegReadString(root, key, "");
    }
  }
  if (!platform::RegCreateKey(RootKey::CurrentUser, KeyPath)) return 0;
  Check(platform::RegWriteString(RootKey::CurrentUser, KeyPath, "Value", "a \"quoted\" \\ value"),
        "a value can be written into a key that exists");
  Check(platform::RegReadString(RootKey::CurrentUser, KeyPath, "Value") == "a \"quoted\" \\ value",
        "a written value reads back as written");
  for (const std::string& key : subKeys) {
    Check(platform::RegKeyExists(RootKey::CurrentUser, "Software\\" + key),
          "a write keeps the file's other keys");
  }
  return 0;
}

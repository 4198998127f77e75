// The drive map file: whatever its text, the map holds each letter once,
// every root is an absolute host folder, and the paths of a mapped drive
// go to its root and come back as the same Windows path.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/paths.h"

using vekfuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<platform::DriveMapping> map = platform::ParseDriveMapFile(text);
  bool seen[26] = {};
  for (const auto& m : map) {
    Check(m.Letter >= 'A' && m.Letter <= 'Z', "a drive letter is an upper-case letter");
    Check(!seen[m.Letter - 'A'], "each letter is mapped once");
    seen[m.Letter - 'A'] = true;
    Check(!m.HostRoot.empty() && m.HostRoot[0] == '/', "a root is an absolute host folder");
  }
  platform::SetDriveMap(map);
  for (const auto& m : map) {
    const std::string windows = std::string(1, m.Letter) + ":\\folder\\file.txt";
    const auto host = platform::ToHostPath(windows);
    Check(host.has_value(), "a path on a mapped drive has a host path");
    Check(host->rfind(m.HostRoot == "/" ? "/" : m.HostRoot + "/", 0) == 0,
          "the host path lies under the drive's root");
  }
  return 0;
}

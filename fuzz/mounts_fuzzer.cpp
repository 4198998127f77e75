// The mount table as the default drive map reads it: C: is the home
// folder, the last letter is the host's root, every other letter is a
// distinct removable or network mount below the removable-media folders.

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
  const std::vector<platform::DriveMapping> map = platform::DefaultDriveMap(text, "/home/ann");
  Check(map.size() >= 2, "the home folder and the root are always mapped");
  Check(map.front().Letter == 'C' && map.front().HostRoot == "/home/ann", "C: is the home folder");
  Check(map.back().HostRoot == "/", "the last drive is the host's root");
  bool seen[26] = {};
  for (size_t i = 0; i < map.size(); ++i) {
    const auto& m = map[i];
    Check(m.Letter >= 'A' && m.Letter <= 'Z', "a drive letter is an upper-case letter");
    Check(!seen[m.Letter - 'A'], "each letter is mapped once");
    seen[m.Letter - 'A'] = true;
    Check(!m.HostRoot.empty() && m.HostRoot[0] == '/', "a root is an absolute host folder");
    for (size_t j = 0; j < i; ++j) {
      Check(i + 1 == map.size() || map[j].HostRoot != m.HostRoot, "each mount is mapped once");
    }
  }
  return 0;
}

// Argument 1 as the program resolves it: a full Windows path of a file or
// folder that exists on a mapped drive, or nothing.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/paths.h"
#include "platform/shell.h"

using vekfuzz::Check;

namespace {

// A few things to find on the drive.
void Furnish() {
  static bool done = false;
  if (done) return;
  done = true;
  const uint8_t bytes[] = {'x'};
  vekfuzz::Drive().Place("file.vek", bytes);
  ::mkdir(vekfuzz::Drive().HostPath("docs").c_str(), 0700);
  vekfuzz::Drive().Place("docs/a b.txt", bytes);
  Check(::symlink("file.vek", vekfuzz::Drive().HostPath("link").c_str()) == 0,
        "a link can be made");
  Check(::chdir(vekfuzz::Drive().HostPath("docs").c_str()) == 0,
        "the scratch folder can be entered");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Furnish();
  const std::string_view argument(reinterpret_cast<const char*>(data), size);
  const std::string resolved = platform::ResolveCommandLinePath(argument);
  if (resolved.empty()) return 0;
  Check(resolved.size() >= 3 && resolved[1] == ':' && resolved[2] == '\\',
        "a resolved argument is a full Windows path");
  const auto host = platform::ToHostPath(resolved);
  Check(host.has_value(), "a resolved argument lies on a mapped drive");
  struct stat st {};
  Check(::lstat(host->c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)),
        "a resolved argument is an existing file or folder, its links resolved");
  return 0;
}

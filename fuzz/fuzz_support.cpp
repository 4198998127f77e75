#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/paths.h"

namespace vekfuzz {

namespace fs = std::filesystem;

namespace {

// Writes are pushed through to the device (the settings writer does that),
// which costs nothing in memory.
fs::path ScratchParent() {
  std::error_code ignored;
  if (fs::is_directory("/dev/shm", ignored)) return "/dev/shm";
  return fs::temp_directory_path();
}

}  // namespace

TScratchDrive::TScratchDrive() {
  std::string pattern = (ScratchParent() / "vek-fuzz-XXXXXX").string();
  Check(::mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
  root_ = pattern;
  platform::SetDriveMap({{'C', root_.string()}});
}

TScratchDrive::~TScratchDrive() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

fs::path TScratchDrive::HostPath(std::string_view name) const {
  return root_ / name;
}

void TScratchDrive::Place(std::string_view name, std::span<const uint8_t> bytes) const {
  const fs::path path = HostPath(name);
  // Removing first drops a read-only mode and the stored attributes with the old file.
  std::error_code ignored;
  fs::remove(path, ignored);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  Check(out.good(), "the input can be written to the scratch drive");
}

std::vector<uint8_t> ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  Check(!in.bad() && in.is_open(), "a file of the scratch drive can be read");
  return bytes;
}

const TScratchDrive& Drive() {
  static const TScratchDrive drive;
  return drive;
}

void Check(bool kept, const char* promise) {
  if (kept) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace vekfuzz

#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/paths.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui_doubles.h"

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

void StartWindows() {
  static int argc = 1;
  static char name[] = "fuzzer";
  static char* argv[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const fs::path home = Drive().HostPath("home");
  fs::create_directories(home / "Desktop");
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  ::setenv("XDG_DATA_HOME", home.c_str(), 1);
  ui::TApplication::Initialize(argc, argv, ui::ClockMode::Virtual);
  ui::dialogs_for_test::SetScripted(true);
  ui::dialogs_for_test::SetUnexpectedHandler([](const std::string&) { return ui::mrCancel; });
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

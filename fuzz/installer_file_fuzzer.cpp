// The installer's reading of its own file, through its windows (offscreen,
// on the virtual clock): the measuring at start-up, the self-check over
// every byte and the copying of the payload files. Whatever the file, the
// installation comes to an end, and it installs the program only from a
// file whose trailer holds the sum of the bytes before it, with the bytes
// that follow the program image.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "installer/image.h"
#include "installer/state.h"
#include "installer/wizard.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui/dialogs.h"
#include "ui/form.h"

namespace {

using namespace vek::installer;
using vekfuzz::Check;

// The table the fuzzed files are read by (the seeds follow it).
constexpr TPayloadTable Table{{{ProgramFileName, 100}, {ReadmeFileName, 50}, {IconFileName, 20}}};

}  // namespace

// The font library keeps blocks of its own, unreferenced, once windows have
// drawn texts; they are no leak of the installer.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vekfuzz::StartWindows();
  ResetInstallerState();
  SetupFileOverride = "C:\\setup";
  PayloadTableOverride = Table;
  CreateInstallerWindows();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::error_code ignored;
  std::filesystem::remove_all(vekfuzz::Drive().HostPath("target"), ignored);
  vekfuzz::Drive().Place("setup", std::span<const uint8_t>(data, size));
  Form1->FormCreate();  // measures the file
  InstallDir = "C:\\target";
  Form5->Show();
  for (int tick = 0; tick < 20000 && Form5->IsShown(); ++tick) ui::clock::Advance(10);
  Check(!Form5->IsShown(), "the installation comes to an end");
  Form6->Hide();
  Form7->Hide();
  SourceStream.reset();
  TargetStream.reset();

  const auto program = vekfuzz::Drive().HostPath("target/" + std::string(ProgramFileName));
  if (!std::filesystem::exists(program)) return 0;
  Check(size >= TrailerSize, "an installing file holds a trailer");
  int32_t sum = 0;
  const bool inRange = AddByteSum(sum, data, size - TrailerSize);
  TTrailer trailer{};
  std::copy(data + size - TrailerSize, data + size, trailer.begin());
  Check(inRange && sum == TrailerValue(trailer),
        "only a file with its sum in the trailer installs");
  const std::vector<uint8_t> installed = vekfuzz::ReadHostFile(program);
  Check(installed.size() == 100, "the program file has the size of its table entry");
  const size_t at = static_cast<size_t>(PayloadOffset);
  Check(at + 100 <= size && std::equal(installed.begin(), installed.end(), data + at),
        "the program file is the bytes after the program image");
  return 0;
}

// A crafted file as the decrypt run meets it: the file examination's
// verdict, and the regions the run reads on the strength of that verdict.
// A file the examination accepts holds its whole data region after its
// header and the key-check block after that, so reading them where the run
// looks for them succeeds in full; any other file keeps its directory size
// as its content size and is no encrypted file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_info.h"
#include "core/state.h"
#include "fuzz_support.h"
#include "platform/files.h"

namespace {

using vek::BannerLineLength;
using vek::KeyCheckLength;
using vek::TCurrentFile;
using vekfuzz::Check;

constexpr std::string_view CraftedName = "crafted.vek";

// Reads the regions as the decrypt run places them: the data region ends
// where the key-check block starts, 128 bytes before the end of the file.
void CheckRegionsReadable(const TCurrentFile& file) {
  const auto stream = platform::FileStream::Open(
      file.Folder + file.Name, platform::FileMode::OpenRead, platform::ShareMode::DenyNone);
  Check(stream != nullptr, "an accepted file can be opened");
  const int64_t dataStart = file.Size - file.ContentSize - KeyCheckLength;
  Check(dataStart >= file.DataStart, "the data region starts after the header");
  Check(stream->Seek(dataStart), "the data region can be reached");
  std::vector<uint8_t> region(static_cast<size_t>(file.ContentSize + KeyCheckLength));
  Check(stream->Read(region.data(), std::ssize(region)) == std::ssize(region),
        "the data region and the key-check block are there in full");
}

void CheckVerdict(size_t size) {
  const TCurrentFile& file = vek::CurrentFile;
  Check(file.Name == CraftedName && file.Folder == vekfuzz::DriveRoot,
        "the examination names the file it examined");
  Check(file.Size == static_cast<int64_t>(size), "the size is the file's size");
  Check(file.Status == TCurrentFile::StatusVekFile || file.Status == TCurrentFile::StatusShort ||
            file.Status == TCurrentFile::StatusNotVek,
        "an existing file is encrypted, short or not encrypted");
  Check(file.IsVekFile == (file.Status == TCurrentFile::StatusVekFile), "IsVekFile says status 0");
  if (!file.IsVekFile) {
    Check(file.ContentSize == file.Size, "a plain file's content size is its size");
    return;
  }
  Check(file.DataStart > BannerLineLength, "the header ends after the banner line");
  Check(file.ContentSize >= 0, "the content size is not negative");
  Check(file.ContentSize <= file.Size - file.DataStart - KeyCheckLength,
        "the data region and the key-check block lie inside the file");
  CheckRegionsReadable(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vekfuzz::Drive().Place(CraftedName, std::span<const uint8_t>(data, size));
  vek::ReadFileInfo(vekfuzz::DriveRoot, CraftedName);
  CheckVerdict(size);
  return 0;
}

// The header reader on bytes alone (the part of a file after the banner
// line). Whatever the bytes, it answers short or not-encrypted or accepts a
// header that lies inside them; it reads nothing beyond them (the address
// sanitizer watches every access); and an accepted header is exactly as
// long as it says: its bytes alone give the same answer, one byte fewer
// makes it short.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/file_info.h"
#include "core/state.h"
#include "fuzz_support.h"

namespace {

using vek::BannerLineLength;
using vek::TCurrentFile;
using vekfuzz::Check;

constexpr size_t MaxProductLineLength = 255;

void CheckAcceptedHeader(std::span<const uint8_t> bytes, const TCurrentFile& file) {
  Check(file.DataStart > BannerLineLength, "an accepted header has fields after the banner");
  const auto length = static_cast<size_t>(file.DataStart - BannerLineLength);
  Check(length <= bytes.size(), "an accepted header lies inside the bytes");
  Check(file.ProductLine.size() <= MaxProductLineLength, "the product line fits its width");

  TCurrentFile again;
  Check(vek::ParseHeaderFields(bytes.first(length), again) == TCurrentFile::StatusVekFile,
        "the header's own bytes are accepted");
  Check(again.DataStart == file.DataStart && again.ContentSize == file.ContentSize,
        "the header's own bytes give the same length and size");
  TCurrentFile cut;
  Check(vek::ParseHeaderFields(bytes.first(length - 1), cut) == TCurrentFile::StatusShort,
        "a header cut by one byte is short");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  TCurrentFile file;
  const uint8_t status = vek::ParseHeaderFields(bytes, file);
  Check(status == TCurrentFile::StatusVekFile || status == TCurrentFile::StatusShort ||
            status == TCurrentFile::StatusNotVek,
        "the reader answers 0, 2 or 3");
  if (status == TCurrentFile::StatusVekFile) CheckAcceptedHeader(bytes, file);
  return 0;
}

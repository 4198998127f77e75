#include "core/file_info.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>

#include "core/shared_buffer.h"
#include "platform/files.h"

namespace vek {

namespace {

bool IsBannerLine(std::span<const uint8_t, BannerLineLength> line) {
  return std::equal(HeaderBanner.begin(), HeaderBanner.end(), line.begin(),
                    [](char c, uint8_t byte) { return static_cast<uint8_t>(c) == byte; }) &&
         line[HeaderBanner.size()] == format::CR && line[HeaderBanner.size() + 1] == format::LF;
}

// Name, size, attributes and times from the directory entry of the file.
void TakeDirectoryEntry(std::string_view path, std::string_view name, TCurrentFile& file) {
  const auto found =
      platform::FindFiles(path, platform::attr::AnyFile & ~platform::attr::Directory);
  // A name holding "*" or "?" searches as a mask: only the entry itself counts.
  const auto entry = std::find_if(found.begin(), found.end(),
                                  [name](const platform::SearchRec& e) { return e.Name == name; });
  if (entry == found.end()) return;
  file.Name = entry->Name;
  file.Size = entry->Size;
  file.Attributes = entry->Attr;
  if (!entry->Times.AccessedSet) return;
  for (auto [from, to] : {std::pair{&entry->Times.Created, &file.Created},
                          std::pair{&entry->Times.Modified, &file.Modified},
                          std::pair{&entry->Times.Accessed, &file.Accessed}}) {
    *to = {from->DayOfWeek, from->Day,    from->Month, from->Year,
           from->Hour,      from->Minute, from->Second};
  }
}

// Reads and checks the header of the file at `path`; fills the header
// fields of `file` only when it is a valid encrypted file.
uint8_t ExamineHeader(const std::string& path, TCurrentFile& file) {
  const auto stream =
      platform::FileStream::Open(path, platform::FileMode::OpenRead, platform::ShareMode::DenyNone);
  if (!stream) return TCurrentFile::StatusShort;
  TCurrentFile header = file;
  const uint8_t status = ReadHeader(*stream, header).value_or(TCurrentFile::StatusShort);
  if (status != TCurrentFile::StatusVekFile) return status;
  if (!SizeFieldFits(header, stream->Size())) return TCurrentFile::StatusNotVek;
  file = std::move(header);
  return TCurrentFile::StatusVekFile;
}

}  // namespace

std::optional<uint8_t> ReadHeader(platform::FileStream& stream, TCurrentFile& header) {
  std::array<uint8_t, BannerLineLength> bannerLine{};
  const int64_t lineRead = stream.Read(bannerLine.data(), BannerLineLength);
  if (lineRead < 0) return std::nullopt;
  if (lineRead != BannerLineLength) return TCurrentFile::StatusShort;
  if (!IsBannerLine(bannerLine)) return TCurrentFile::StatusNotVek;
  const int64_t count = stream.Read(SharedBuffer.data(), SharedBufferSize);
  if (count < 0) return std::nullopt;
  return ParseHeaderFields(
      std::span<const uint8_t>(SharedBuffer.data(), static_cast<size_t>(count)), header);
}

bool SizeFieldFits(const TCurrentFile& header, int64_t fileSize) {
  return header.ContentSize >= 0 &&
         header.ContentSize <= fileSize - header.DataStart - KeyCheckLength;
}

void ReadFileInfo(std::string_view folder, std::string_view name) {
  TCurrentFile file;  // folder and name may be CurrentFile's own
  file.Folder = folder;
  file.Name = name;
  const std::string path = file.Folder + file.Name;
  if (!platform::FileExists(path)) {
    file.Status = TCurrentFile::StatusMissing;
  } else {
    TakeDirectoryEntry(path, name, file);
    file.ContentSize = file.Size;
    file.Status = ExamineHeader(path, file);
  }
  file.IsVekFile = file.Status == TCurrentFile::StatusVekFile;
  CurrentFile = std::move(file);
}

}  // namespace vek

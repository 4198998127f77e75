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

constexpr uint8_t CR = 0x0D;
constexpr uint8_t LF = 0x0A;
constexpr size_t MaxProductLineLength = 255;

// Header tags.
constexpr uint8_t FieldsMarker = 0x14;
constexpr uint8_t SoftwareVersionTag = 0x00;
constexpr uint8_t FileFormatVersionTag = 0x01;
constexpr uint8_t FirstOwnerTag = 0x10;  // 0x10..0x17: the eight owner texts
constexpr uint8_t LastOwnerTag = 0x17;
constexpr uint8_t TimestampTag = 0x20;
constexpr uint8_t AttributesTag = 0x30;
constexpr uint8_t FirstWindowsTag = 0x40;  // 0x40..0x44: the Windows texts
constexpr uint8_t SizeTag = 0x80;

// The Windows texts by tag, from FirstWindowsTag on.
constexpr std::array WindowsTexts = {
    &TCurrentFile::WindowsVersionText, &TCurrentFile::RegisteredOwner,
    &TCurrentFile::RegisteredOrganization, &TCurrentFile::ComputerName, &TCurrentFile::ProductId};

// Walks the header bytes from position 1. Reading past them raises
// RangeError (from the reader), which Parse turns into status 2.
class THeaderParser {
 public:
  explicit THeaderParser(std::span<const uint8_t> bytes) : reader_(bytes) {}

  uint8_t Parse(TCurrentFile& file) {
    try {
      return ParseHeader(file);
    } catch (const RangeError&) {
      return TCurrentFile::StatusShort;
    }
  }

 private:
  uint8_t ParseHeader(TCurrentFile& file) {
    if (!ReadProductLine(file.ProductLine) || Byte() != LF || Byte() != FieldsMarker) {
      return TCurrentFile::StatusNotVek;
    }
    for (uint8_t tag = Byte(); tag != SizeTag; tag = Byte()) {
      if (!ReadField(tag, file)) return TCurrentFile::StatusNotVek;
    }
    file.ContentSize = QWord();
    file.DataStart = BannerLineLength + next_ - 1;
    return TCurrentFile::StatusVekFile;
  }

  // The characters up to CR, and the CR; false when there are too many.
  bool ReadProductLine(std::string& line) {
    line.clear();
    for (uint8_t c = Byte(); c != CR; c = Byte()) {
      if (line.size() == MaxProductLineLength) return false;
      line.push_back(static_cast<char>(c));
    }
    return true;
  }

  // One tagged field; false for a tag that no header carries.
  bool ReadField(uint8_t tag, TCurrentFile& file) {
    if (tag == SoftwareVersionTag || tag == FileFormatVersionTag) {
      TVersionBytes& version =
          tag == SoftwareVersionTag ? file.SoftwareVersion : file.FileFormatVersion;
      version[0] = Byte();
      version[1] = Byte();
    } else if (tag >= FirstOwnerTag && tag <= LastOwnerTag) {
      AssignOwnerText(file.Owner, tag - FirstOwnerTag, Text());
    } else if (tag == TimestampTag) {
      ReadTimestamp(file.Timestamp);
      file.HasTimestamp = true;
    } else if (tag == AttributesTag) {
      file.HeaderAttributes = static_cast<uint32_t>(DWord());
      file.PreserveAttributes = true;
    } else if (tag >= FirstWindowsTag && tag - FirstWindowsTag < std::ssize(WindowsTexts)) {
      file.*WindowsTexts[static_cast<size_t>(tag - FirstWindowsTag)] = Text();
      file.HasWindowsInfo = true;
    } else {
      return false;
    }
    return true;
  }

  // Owner text `index` (0..7, in tag order), cut to its field's width.
  static void AssignOwnerText(TEmbeddedData& owner, int index, std::string_view text) {
    switch (index) {
      case 0:
        return owner.OwnerFirstName.Assign(text);
      case 1:
        return owner.OwnerLastName.Assign(text);
      case 2:
        return owner.OwnerCompany.Assign(text);
      case 3:
        return owner.OwnerLocation.Assign(text);
      case 4:
        return owner.OwnerEmail.Assign(text);
      default:
        return owner.InfoLines[static_cast<size_t>(index - 5)].Assign(text);
    }
  }

  void ReadTimestamp(TTimestampFields& moment) {
    for (uint16_t* field : {&moment.Hour, &moment.Minute, &moment.Second, &moment.DayOfWeek,
                            &moment.Day, &moment.Month}) {
      *field = Byte();
    }
    moment.Year = Word();
  }

  uint8_t Byte() { return reader_.GetByte(next_++); }
  uint16_t Word() { return Advance(reader_.GetWord(next_), 2); }
  int32_t DWord() { return Advance(reader_.GetDWord(next_), 4); }
  int64_t QWord() { return Advance(reader_.GetQWord(next_), 8); }
  std::string Text() {
    std::string text = reader_.GetString(next_);
    next_ += 1 + static_cast<int>(text.size());
    return text;
  }
  template <class T>
  T Advance(T value, int length) {
    next_ += length;
    return value;
  }

  TBufferReader reader_;
  int next_ = 1;  // position of the next byte to read
};

bool IsBannerLine(std::span<const uint8_t, BannerLineLength> line) {
  return std::equal(HeaderBanner.begin(), HeaderBanner.end(), line.begin(),
                    [](char c, uint8_t byte) { return static_cast<uint8_t>(c) == byte; }) &&
         line[HeaderBanner.size()] == CR && line[HeaderBanner.size() + 1] == LF;
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

uint8_t ParseHeaderFields(std::span<const uint8_t> bytes, TCurrentFile& file) {
  return THeaderParser(bytes).Parse(file);
}

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

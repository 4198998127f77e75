#include "core/vek_format.h"

#include <array>
#include <initializer_list>

#include "core/shared_buffer.h"
#include "core/short_string.h"

namespace vek {
namespace format {
namespace {

// The Windows texts by tag, from FirstWindowsTag on.
constexpr std::array WindowsTexts = {
    &TCurrentFile::WindowsVersionText, &TCurrentFile::RegisteredOwner,
    &TCurrentFile::RegisteredOrganization, &TCurrentFile::ComputerName, &TCurrentFile::ProductId};
static_assert(WindowsTexts.size() == LastWindowsTag - FirstWindowsTag + 1);

// The owner texts by tag, from FirstOwnerTag on.
constexpr int OwnerTextCount = LastOwnerTag - FirstOwnerTag + 1;

std::string_view OwnerText(const TEmbeddedData& owner, int index) {
  switch (index) {
    case 0:
      return owner.OwnerFirstName.Text();
    case 1:
      return owner.OwnerLastName.Text();
    case 2:
      return owner.OwnerCompany.Text();
    case 3:
      return owner.OwnerLocation.Text();
    case 4:
      return owner.OwnerEmail.Text();
    default:
      return owner.InfoLines[static_cast<size_t>(index - 5)].Text();
  }
}

// Owner text `index` (0..7, in tag order), cut to its field's width.
void AssignOwnerText(TEmbeddedData& owner, int index, std::string_view text) {
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

void AppendShortText(std::string& header, uint8_t tag, std::string_view text) {
  const std::string cut = CutToWidth(text, ShortTextMax);
  header += static_cast<char>(tag);
  header += static_cast<char>(cut.size());
  header += cut;
}

void AppendVersion(std::string& header, uint8_t tag, const TVersionBytes& version) {
  header += static_cast<char>(tag);
  header += static_cast<char>(version[0]);
  header += static_cast<char>(version[1]);
}

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
      if (line.size() == ShortTextMax) return false;
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
    } else if (tag >= FirstWindowsTag && tag <= LastWindowsTag) {
      file.*WindowsTexts[static_cast<size_t>(tag - FirstWindowsTag)] = Text();
      file.HasWindowsInfo = true;
    } else {
      return false;
    }
    return true;
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

}  // namespace

std::string WordToBytes(uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string DWordToBytes(uint32_t value) {
  return WordToBytes(static_cast<uint16_t>(value >> 16)) +
         WordToBytes(static_cast<uint16_t>(value & 0xFFFF));
}

std::string QWordToBytes(uint64_t value) {
  return DWordToBytes(static_cast<uint32_t>(value >> 32)) +
         DWordToBytes(static_cast<uint32_t>(value & 0xFFFFFFFF));
}

std::string BuildHeader(const TCurrentFile& fields) {
  std::string header;
  header += HeaderBanner;
  header += static_cast<char>(CR);
  header += static_cast<char>(LF);
  header += CutToWidth(fields.ProductLine, ShortTextMax);
  header += static_cast<char>(CR);
  header += static_cast<char>(LF);
  header += static_cast<char>(FieldsMarker);
  AppendVersion(header, SoftwareVersionTag, fields.SoftwareVersion);
  AppendVersion(header, FileFormatVersionTag, fields.FileFormatVersion);
  for (int i = 0; i < OwnerTextCount; ++i) {
    AppendShortText(header, static_cast<uint8_t>(FirstOwnerTag + i), OwnerText(fields.Owner, i));
  }
  if (fields.HasTimestamp) {
    const TTimestampFields& t = fields.Timestamp;
    header += static_cast<char>(TimestampTag);
    for (const uint16_t field : {t.Hour, t.Minute, t.Second, t.DayOfWeek, t.Day, t.Month}) {
      header += static_cast<char>(field & 0xFF);
    }
    header += WordToBytes(t.Year);
  }
  if (fields.PreserveAttributes) {
    header += static_cast<char>(AttributesTag);
    header += DWordToBytes(fields.HeaderAttributes);
  }
  if (fields.HasWindowsInfo) {
    for (size_t i = 0; i < WindowsTexts.size(); ++i) {
      AppendShortText(header, static_cast<uint8_t>(FirstWindowsTag + i), fields.*WindowsTexts[i]);
    }
  }
  header += static_cast<char>(SizeTag);
  header += QWordToBytes(static_cast<uint64_t>(fields.ContentSize));
  return header;
}

}  // namespace format

uint8_t ParseHeaderFields(std::span<const uint8_t> bytes, TCurrentFile& file) {
  return format::THeaderParser(bytes).Parse(file);
}

}  // namespace vek

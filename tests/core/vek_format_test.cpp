// The encrypted file's header: what the builder writes the parser reads
// back, field for field, at the edges of every field's range.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "core/state.h"
#include "core/vek_format.h"

namespace vek {
namespace {

// Every owner text filled to its field's capacity with `c`.
TEmbeddedData FullOwner(char c) {
  TEmbeddedData owner;
  owner.OwnerFirstName.Assign(std::string(16, c));
  owner.OwnerLastName.Assign(std::string(16, c));
  owner.OwnerCompany.Assign(std::string(32, c));
  owner.OwnerLocation.Assign(std::string(64, c));
  owner.OwnerEmail.Assign(std::string(64, c));
  for (auto& line : owner.InfoLines) line.Assign(std::string(64, c));
  return owner;
}

void SetWindowsTexts(TCurrentFile& f, const std::string& text) {
  f.HasWindowsInfo = true;
  for (std::string* t : {&f.WindowsVersionText, &f.RegisteredOwner, &f.RegisteredOrganization,
                         &f.ComputerName, &f.ProductId}) {
    *t = text;
  }
}

// The header fields as they come back from the bytes after the banner line.
TCurrentFile ParseBack(const std::string& header, uint8_t& status) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(header.data());
  TCurrentFile parsed;
  status = ParseHeaderFields(
      std::span<const uint8_t>(bytes + BannerLineLength, header.size() - BannerLineLength), parsed);
  return parsed;
}

TEST(VekFormatTest, EveryFieldComesBackAtItsLimits) {
  struct Case {
    const char* What;
    void (*Set)(TCurrentFile&);
  };
  const Case cases[] = {
      {"nothing but the fixed fields", [](TCurrentFile&) {}},
      {"longest product line",
       [](TCurrentFile& f) { f.ProductLine = std::string(format::ShortTextMax, 'p'); }},
      {"highest version bytes",
       [](TCurrentFile& f) {
         f.SoftwareVersion = f.FileFormatVersion = {0xFF, 0xFF};
       }},
      {"owner texts at their capacities", [](TCurrentFile& f) { f.Owner = FullOwner('o'); }},
      {"owner texts of bytes that look like tags",
       [](TCurrentFile& f) { f.Owner = FullOwner(static_cast<char>(format::SizeTag)); }},
      {"lowest timestamp",
       [](TCurrentFile& f) {
         f.HasTimestamp = true;
         f.Timestamp = {};
       }},
      {"highest timestamp",
       [](TCurrentFile& f) {
         f.HasTimestamp = true;
         f.Timestamp = {23, 59, 59, 7, 31, 12, 0xFFFF};
       }},
      {"no attributes", [](TCurrentFile& f) { f.PreserveAttributes = true; }},
      {"every attribute bit",
       [](TCurrentFile& f) {
         f.PreserveAttributes = true;
         f.HeaderAttributes = 0xFFFFFFFF;
       }},
      {"empty Windows texts", [](TCurrentFile& f) { SetWindowsTexts(f, ""); }},
      {"longest Windows texts",
       [](TCurrentFile& f) { SetWindowsTexts(f, std::string(format::ShortTextMax, 'w')); }},
      {"one byte", [](TCurrentFile& f) { f.ContentSize = 1; }},
      {"size bytes in order", [](TCurrentFile& f) { f.ContentSize = 0x0102030405060708; }},
      {"largest size",
       [](TCurrentFile& f) { f.ContentSize = std::numeric_limits<int64_t>::max(); }},
      {"every field at once",
       [](TCurrentFile& f) {
         f.ProductLine = std::string(format::ShortTextMax, 'p');
         f.Owner = FullOwner('o');
         f.HasTimestamp = true;
         f.Timestamp = {23, 59, 59, 7, 31, 12, 2003};
         f.PreserveAttributes = true;
         f.HeaderAttributes = 0x21;
         SetWindowsTexts(f, std::string(format::ShortTextMax, 'w'));
         f.ContentSize = 1000000;
       }},
  };
  for (const Case& c : cases) {
    TCurrentFile fields;
    fields.SoftwareVersion = format::WrittenSoftwareVersion;
    fields.FileFormatVersion = format::WrittenFileFormatVersion;
    c.Set(fields);
    const std::string header = format::BuildHeader(fields);
    ASSERT_GT(header.size(), static_cast<size_t>(BannerLineLength)) << c.What;
    EXPECT_EQ(header.substr(0, HeaderBanner.size()), HeaderBanner) << c.What;
    EXPECT_EQ(header.substr(header.size() - 9, 1), std::string(1, '\x80')) << c.What;

    uint8_t status = 0xFF;
    const TCurrentFile parsed = ParseBack(header, status);
    TCurrentFile expected = fields;
    expected.DataStart = static_cast<int64_t>(header.size());
    EXPECT_EQ(status, TCurrentFile::StatusVekFile) << c.What;
    EXPECT_TRUE(parsed == expected) << c.What;
  }
}

// Texts that do not fit their length byte are cut to it; the rest of the
// header still parses.
TEST(VekFormatTest, OverlongTextsAreCutToTheLengthByte) {
  TCurrentFile fields;
  fields.ProductLine = std::string(300, 'p');
  SetWindowsTexts(fields, std::string(300, 'w'));
  fields.ContentSize = 5;
  uint8_t status = 0xFF;
  const TCurrentFile parsed = ParseBack(format::BuildHeader(fields), status);
  EXPECT_EQ(status, TCurrentFile::StatusVekFile);
  EXPECT_EQ(parsed.ProductLine, std::string(255, 'p'));
  EXPECT_EQ(parsed.ProductId, std::string(255, 'w'));
  EXPECT_EQ(parsed.ContentSize, 5);
}

TEST(VekFormatTest, NumbersAreBigEndian) {
  EXPECT_EQ(format::WordToBytes(0), std::string(2, '\0'));
  EXPECT_EQ(format::WordToBytes(0xFFFF), std::string(2, '\xFF'));
  EXPECT_EQ(format::WordToBytes(0x0102), std::string("\x01\x02"));
  EXPECT_EQ(format::DWordToBytes(0xFFFFFFFF), std::string(4, '\xFF'));
  EXPECT_EQ(format::DWordToBytes(0x01020304), std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(format::QWordToBytes(0), std::string(8, '\0'));
  EXPECT_EQ(format::QWordToBytes(0xFFFFFFFFFFFFFFFF), std::string(8, '\xFF'));
  EXPECT_EQ(format::QWordToBytes(0x0102030405060708),
            std::string("\x01\x02\x03\x04\x05\x06\x07\x08"));
}

}  // namespace
}  // namespace vek

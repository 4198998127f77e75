// The file examination and the reader of an encrypted file's header.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/file_info.h"
#include "core/state.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "test_support.h"

namespace vek {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view BannerText = "VEK 1024 Bit Encrypted File (c)2003 Quarne T. Velso";
constexpr std::string_view PlainProductLine =
    "VEK 2003 for Microsoft Windows 95/98/ME/NT/2000/XP (c)2003 Quarne T. Velso";

// What a test header carries.
struct THeaderContent {
  std::string ProductLine{PlainProductLine};
  std::vector<std::string> OwnerTexts{"Ann",           "Lee", "Acme", "http://a.invalid",
                                      "ann@a.invalid", "one", "two",  "three"};
  bool Timestamp = true;
  bool Attributes = true;
  bool Windows = true;
  std::vector<std::string> WindowsTexts{"Windows XP Version 5.1 (Build 2600)", "Owner", "Org",
                                        "HOST", "55274-640-0000000-23456"};
  int64_t Size = 1000;
};

void Append(std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> more) {
  bytes.insert(bytes.end(), more);
}
void AppendText(std::vector<uint8_t>& bytes, uint8_t tag, const std::string& text) {
  Append(bytes, {tag, static_cast<uint8_t>(text.size())});
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// The header as the engine writes it, built here byte by byte.
std::vector<uint8_t> BuildHeader(const THeaderContent& content) {
  std::vector<uint8_t> bytes(BannerText.begin(), BannerText.end());
  Append(bytes, {0x0D, 0x0A});
  bytes.insert(bytes.end(), content.ProductLine.begin(), content.ProductLine.end());
  Append(bytes, {0x0D, 0x0A, 0x14, 0x00, 1, 0, 0x01, 1, 0});
  for (size_t i = 0; i < content.OwnerTexts.size(); ++i) {
    AppendText(bytes, static_cast<uint8_t>(0x10 + i), content.OwnerTexts[i]);
  }
  if (content.Timestamp) Append(bytes, {0x20, 15, 7, 5, 3, 9, 12, 0x07, 0xD3});
  if (content.Attributes) Append(bytes, {0x30, 0x00, 0x00, 0x00, 0x21});
  if (content.Windows) {
    for (size_t i = 0; i < content.WindowsTexts.size(); ++i) {
      AppendText(bytes, static_cast<uint8_t>(0x40 + i), content.WindowsTexts[i]);
    }
  }
  bytes.push_back(0x80);
  const auto size = static_cast<uint64_t>(content.Size);
  for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(size >> shift));
  return bytes;
}

// Header, `dataLength` data bytes and the 128-byte key check.
std::vector<uint8_t> EncryptedFile(const std::vector<uint8_t>& header, int64_t dataLength) {
  std::vector<uint8_t> file = header;
  file.resize(file.size() + static_cast<size_t>(dataLength) + 128, 0xA5);
  return file;
}

class FileInfoTest : public vektest::TempDirTest {
 protected:
  void SetUp() override {
    ResetProgramState();
    platform::SetDriveMap({{'C', dir.path().string()}});
  }
  void TearDown() override { platform::ResetDriveMap(); }

  // Writes the file and examines it.
  const TCurrentFile& Examine(const std::vector<uint8_t>& bytes) {
    vektest::MakeFile(dir / "a.vek", bytes);
    ReadFileInfo("C:\\", "a.vek");
    return CurrentFile;
  }
};

TEST_F(FileInfoTest, ReadsEveryFieldOfAHeaderWithAllFlagsOn) {
  const THeaderContent content;
  const std::vector<uint8_t> header = BuildHeader(content);
  const TCurrentFile& file = Examine(EncryptedFile(header, 1000));
  ASSERT_EQ(file.Status, TCurrentFile::StatusVekFile);
  EXPECT_TRUE(file.IsVekFile);
  EXPECT_EQ(file.Name, "a.vek");
  EXPECT_EQ(file.Folder, "C:\\");
  EXPECT_EQ(file.Size, static_cast<int64_t>(header.size()) + 1000 + 128);
  EXPECT_EQ(file.ContentSize, 1000);
  EXPECT_EQ(file.DataStart, static_cast<int64_t>(header.size()));
  EXPECT_EQ(file.ProductLine, PlainProductLine);
  EXPECT_EQ(file.SoftwareVersion, (TVersionBytes{1, 0}));
  EXPECT_EQ(file.FileFormatVersion, (TVersionBytes{1, 0}));
  EXPECT_EQ(file.Owner.OwnerFirstName.Text(), "Ann");
  EXPECT_EQ(file.Owner.OwnerLastName.Text(), "Lee");
  EXPECT_EQ(file.Owner.OwnerCompany.Text(), "Acme");
  EXPECT_EQ(file.Owner.OwnerLocation.Text(), "http://a.invalid");
  EXPECT_EQ(file.Owner.OwnerEmail.Text(), "ann@a.invalid");
  EXPECT_EQ(file.Owner.InfoLines[0].Text(), "one");
  EXPECT_EQ(file.Owner.InfoLines[1].Text(), "two");
  EXPECT_EQ(file.Owner.InfoLines[2].Text(), "three");
  EXPECT_TRUE(file.HasTimestamp);
  EXPECT_EQ(file.Timestamp, (TTimestampFields{15, 7, 5, 3, 9, 12, 2003}));
  EXPECT_TRUE(file.PreserveAttributes);
  EXPECT_EQ(file.HeaderAttributes, 0x21u);
  EXPECT_TRUE(file.HasWindowsInfo);
  EXPECT_EQ(file.WindowsVersionText, "Windows XP Version 5.1 (Build 2600)");
  EXPECT_EQ(file.RegisteredOwner, "Owner");
  EXPECT_EQ(file.RegisteredOrganization, "Org");
  EXPECT_EQ(file.ComputerName, "HOST");
  EXPECT_EQ(file.ProductId, "55274-640-0000000-23456");
}

TEST_F(FileInfoTest, HeaderWithAllFlagsOffAndEmptyTexts) {
  THeaderContent content;
  content.Timestamp = content.Attributes = content.Windows = false;
  content.OwnerTexts.assign(8, "");
  content.Size = 0;
  const std::vector<uint8_t> header = BuildHeader(content);
  ASSERT_EQ(header.size(), 53u + (74 + 2) + 7 + 16 + 9);
  const TCurrentFile& file = Examine(EncryptedFile(header, 0));
  ASSERT_EQ(file.Status, TCurrentFile::StatusVekFile);
  EXPECT_FALSE(file.HasTimestamp);
  EXPECT_FALSE(file.PreserveAttributes);
  EXPECT_FALSE(file.HasWindowsInfo);
  EXPECT_EQ(file.Timestamp, TTimestampFields{});
  EXPECT_TRUE(file.Owner.OwnerFirstName.Empty());
  EXPECT_EQ(file.ContentSize, 0);
  EXPECT_EQ(file.DataStart, static_cast<int64_t>(header.size()));
}

TEST_F(FileInfoTest, TextsAreCutToTheirFieldsWidths) {
  THeaderContent content;
  content.OwnerTexts = {std::string(40, 'f'),  std::string(17, 'l'), std::string(255, 'c'),
                        std::string(65, 'd'),  std::string(64, 'e'), std::string(100, '1'),
                        std::string(200, '2'), std::string(255, '3')};
  content.WindowsTexts[0] = std::string(255, 'w');
  content.ProductLine = std::string(255, 'p');
  const std::vector<uint8_t> header = BuildHeader(content);
  const TCurrentFile& file = Examine(EncryptedFile(header, 1000));
  ASSERT_EQ(file.Status, TCurrentFile::StatusVekFile);
  EXPECT_EQ(file.Owner.OwnerFirstName.Text(), std::string(16, 'f'));
  EXPECT_EQ(file.Owner.OwnerLastName.Text(), std::string(16, 'l'));
  EXPECT_EQ(file.Owner.OwnerCompany.Text(), std::string(32, 'c'));
  EXPECT_EQ(file.Owner.OwnerLocation.Text(), std::string(64, 'd'));
  EXPECT_EQ(file.Owner.OwnerEmail.Text(), std::string(64, 'e'));
  EXPECT_EQ(file.Owner.InfoLines[2].Text(), std::string(64, '3'));
  EXPECT_EQ(file.WindowsVersionText, std::string(255, 'w'));
  EXPECT_EQ(file.ProductLine, std::string(255, 'p'));
  // The whole stored text is stepped over, whatever part of it is kept.
  EXPECT_EQ(file.DataStart, static_cast<int64_t>(header.size()));
  EXPECT_EQ(file.RegisteredOwner, "Owner");
}

TEST_F(FileInfoTest, FileCutShortAnywhereInItsHeaderIsShort) {
  const std::vector<uint8_t> header = BuildHeader(THeaderContent{});
  for (size_t length = 0; length < header.size(); ++length) {
    const std::vector<uint8_t> cut(header.begin(), header.begin() + static_cast<long>(length));
    ASSERT_EQ(Examine(cut).Status, TCurrentFile::StatusShort) << length;
    EXPECT_FALSE(CurrentFile.IsVekFile);
    EXPECT_EQ(CurrentFile.Size, static_cast<int64_t>(length));
    EXPECT_EQ(CurrentFile.ContentSize, static_cast<int64_t>(length));
  }
}

TEST_F(FileInfoTest, WhatIsNotAHeaderIsNotAnEncryptedFile) {
  const std::vector<uint8_t> good = BuildHeader(THeaderContent{});
  const size_t productEnd = 53 + PlainProductLine.size();  // index of its CR
  const size_t sizeTag = good.size() - 9;
  struct Case {
    const char* Name;
    size_t Index;
    uint8_t Byte;
  };
  const Case cases[] = {
      {"banner", 0, 'v'},
      {"banner's last character", 50, 'O'},
      {"banner's CR", 51, 0x0A},
      {"banner's LF", 52, 0x0D},
      {"product line's LF", productEnd + 1, 0x0D},
      {"marker", productEnd + 2, 0x15},
      {"tag 0x02", productEnd + 3, 0x02},
      {"tag 0x18", productEnd + 9, 0x18},
      {"tag 0x45", sizeTag, 0x45},
      {"tag 0x50", sizeTag, 0x50},
      {"tag 0xFF", sizeTag, 0xFF},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    bad[c.Index] = c.Byte;
    const TCurrentFile& file = Examine(EncryptedFile(bad, 1000));
    EXPECT_EQ(file.Status, TCurrentFile::StatusNotVek) << c.Name;
    EXPECT_FALSE(file.IsVekFile) << c.Name;
    // No header field of a file that is not an encrypted one.
    EXPECT_TRUE(file.ProductLine.empty()) << c.Name;
    EXPECT_TRUE(file.Owner.OwnerFirstName.Empty()) << c.Name;
    EXPECT_EQ(file.ContentSize, file.Size) << c.Name;
  }
}

TEST_F(FileInfoTest, ProductLineOfMoreThan255CharactersIsRefused) {
  THeaderContent content;
  content.ProductLine = std::string(256, 'p');
  EXPECT_EQ(Examine(EncryptedFile(BuildHeader(content), 1000)).Status, TCurrentFile::StatusNotVek);
}

TEST_F(FileInfoTest, SizeFieldMustFitTheFile) {
  const struct {
    int64_t SizeField;
    int64_t DataLength;
    uint8_t Status;
  } cases[] = {
      {1000, 1000, TCurrentFile::StatusVekFile},     {0, 0, TCurrentFile::StatusVekFile},
      {999, 1000, TCurrentFile::StatusVekFile},  // room to spare: the data is found from the end
      {1001, 1000, TCurrentFile::StatusNotVek},      {-1, 1000, TCurrentFile::StatusNotVek},
      {INT64_MIN, 1000, TCurrentFile::StatusNotVek}, {INT64_MAX, 1000, TCurrentFile::StatusNotVek},
      {0, -128, TCurrentFile::StatusNotVek},  // no room even for the key check
  };
  for (const auto& c : cases) {
    THeaderContent content;
    content.Size = c.SizeField;
    const TCurrentFile& file = Examine(EncryptedFile(BuildHeader(content), c.DataLength));
    EXPECT_EQ(file.Status, c.Status) << c.SizeField << " in " << c.DataLength;
  }
}

TEST_F(FileInfoTest, HeaderLongerThanWhatIsReadIsShort) {
  // Repeated Windows texts push the size tag beyond the 8192 bytes read
  // after the banner line, although the file holds it.
  THeaderContent content;
  content.WindowsTexts.clear();
  std::vector<uint8_t> header = BuildHeader(content);
  std::vector<uint8_t> texts;
  for (int i = 0; i < 40; ++i) AppendText(texts, 0x40, std::string(255, 'x'));
  header.insert(header.end() - 9, texts.begin(), texts.end());
  EXPECT_EQ(Examine(EncryptedFile(header, 1000)).Status, TCurrentFile::StatusShort);
}

TEST_F(FileInfoTest, PlainAndMissingFiles) {
  vektest::MakeFile(dir / "plain.txt", std::string(5000, 'x'));
  ReadFileInfo("C:\\", "plain.txt");
  EXPECT_EQ(CurrentFile.Status, TCurrentFile::StatusNotVek);
  EXPECT_EQ(CurrentFile.Name, "plain.txt");
  EXPECT_EQ(CurrentFile.Size, 5000);
  EXPECT_EQ(CurrentFile.ContentSize, 5000);
  EXPECT_EQ(CurrentFile.Attributes, platform::GetAttributes("C:\\plain.txt"));
  const auto times = platform::GetFileTimes("C:\\plain.txt");
  ASSERT_TRUE(times && times->AccessedSet);
  const platform::CalendarTime& m = times->Modified;
  EXPECT_EQ(CurrentFile.Modified,
            (TDateTimeFields{m.DayOfWeek, m.Day, m.Month, m.Year, m.Hour, m.Minute, m.Second}));
  EXPECT_NE(CurrentFile.Accessed.Year, 0);

  // The examination's own record may name the file it examines.
  CurrentFile.Name = "gone.txt";
  ReadFileInfo(CurrentFile.Folder, CurrentFile.Name);
  EXPECT_EQ(CurrentFile.Status, TCurrentFile::StatusMissing);
  EXPECT_EQ(CurrentFile.Name, "gone.txt");
  EXPECT_EQ(CurrentFile.Size, 0);

  fs::create_directory(dir / "folder");
  ReadFileInfo("C:\\", "folder");
  EXPECT_EQ(CurrentFile.Status, TCurrentFile::StatusMissing);
}

TEST_F(FileInfoTest, HiddenReadOnlyFilesAreExamined) {
  vektest::MakeFile(dir / "h.vek", EncryptedFile(BuildHeader(THeaderContent{}), 1000));
  ASSERT_TRUE(platform::SetAttributes("C:\\h.vek", 7));
  ReadFileInfo("C:\\", "h.vek");
  EXPECT_EQ(CurrentFile.Status, TCurrentFile::StatusVekFile);
  EXPECT_EQ(CurrentFile.Attributes & 7, 7u);
  EXPECT_GT(CurrentFile.Size, 1000);
}

// The parser on its own, over byte runs of exactly the length given, so
// that a read past them shows (with the address sanitizer).
TEST(ParseHeaderFieldsTest, MutatedHeadersNeverReadPastTheirBytes) {
  const std::vector<uint8_t> full = BuildHeader(THeaderContent{});
  const std::vector<uint8_t> body(full.begin() + 53, full.end());
  uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  for (int round = 0; round < 5000; ++round) {
    std::vector<uint8_t> bytes = body;
    for (int changes = 1 + static_cast<int>(next() % 4); changes > 0; --changes) {
      bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
    }
    bytes.resize(next() % (bytes.size() + 1));
    std::vector<uint8_t> exact(bytes);  // its own allocation of exactly that length
    TCurrentFile file;
    const uint8_t status = ParseHeaderFields(std::span<const uint8_t>(exact), file);
    ASSERT_LE(status, TCurrentFile::StatusNotVek);
    if (status == TCurrentFile::StatusVekFile) {
      EXPECT_LE(file.DataStart, static_cast<int64_t>(53 + exact.size()));
    }
  }
  TCurrentFile file;
  EXPECT_EQ(ParseHeaderFields({}, file), TCurrentFile::StatusShort);
  EXPECT_EQ(ParseHeaderFields(std::span<const uint8_t>(body), file), TCurrentFile::StatusVekFile);
  EXPECT_EQ(file.DataStart, static_cast<int64_t>(full.size()));
}

}  // namespace
}  // namespace vek

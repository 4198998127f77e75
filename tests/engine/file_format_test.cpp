// The encrypted file's layout: each optional header field present exactly
// when its flag is set, owner texts written in full up to their limits, and
// the key-check block deciding the key to its last byte.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cipher.h"
#include "core/file_info.h"
#include "core/state.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "expected_file.h"

namespace vektest {
namespace {

using vek::Form20;
using vek::Form8;

using EngineFileFormatTest = EngineTest;

struct TFlagCase {
  bool Timestamp, Attributes, Windows;
};

TEST_F(EngineFileFormatTest, OptionalFieldsFollowTheirOwnFlags) {
  const TFlagCase cases[] = {
      {true, false, false}, {false, true, false}, {false, false, true},
      {true, false, true},  {false, true, true},  {true, true, false},
  };
  // Owner texts at the limits of their fields: 16, 16, 32, then 64 each.
  const std::vector<std::string> owner = {
      std::string(16, 'f'), std::string(16, 'l'), std::string(32, 'c'), std::string(64, 'd'),
      std::string(64, 'e'), std::string(64, '1'), std::string(64, '2'), std::string(64, '3')};
  vek::WindowsVersionText = "Windows XP";
  vek::WindowsRegisteredOwner = "Owner";
  vek::WindowsRegisteredOrganization = "Org";
  vek::WindowsComputerName = "DESK";
  vek::WindowsProductId = "55274";
  const auto content = PatternBytes(50);
  for (const TFlagCase& c : cases) {
    vek::JobList.JobCount = 0;
    const uint16_t i = AddPlainJob("a.txt", content);
    vek::JobList.HasTimestamp[i] = c.Timestamp;
    vek::JobList.PreserveAttributes[i] = c.Attributes;
    vek::JobList.HasWindowsInfo[i] = c.Windows;
    vek::JobList.Attributes[i] = 0x20;
    vek::TEmbeddedData& data = vek::JobList.Owner[i];
    data.OwnerFirstName.Assign(owner[0]);
    data.OwnerLastName.Assign(owner[1]);
    data.OwnerCompany.Assign(owner[2]);
    data.OwnerLocation.Assign(owner[3]);
    data.OwnerEmail.Assign(owner[4]);
    for (size_t k = 0; k < 3; ++k) data.InfoLines[k].Assign(owner[5 + k]);
    EncryptAll();

    THeaderFields fields = PlainFields(content.size());
    fields.Owner = owner;
    if (c.Timestamp) fields.Timestamp = TExpectedTimestamp{15, 7, 5, 3, 9, 12, 2003};
    if (c.Attributes) fields.Attributes = 0x20;
    if (c.Windows)
      fields.Windows = std::vector<std::string>{"Windows XP", "Owner", "Org", "DESK", "55274"};
    EXPECT_EQ(ReadHost("a.txt.vek"), ExpectedVekFile(fields, content, TestKey))
        << c.Timestamp << c.Attributes << c.Windows;
    Form8->Button1->Click();
    std::filesystem::remove(HostPath("a.txt.vek"));
  }
}

// A key-check block changed in any byte refuses the right key: the data
// never reaches the plain name.
TEST_F(EngineFileFormatTest, TheWholeKeyCheckBlockDecidesTheKey) {
  const auto content = PatternBytes(300);
  for (const size_t fromEnd : {size_t{128}, size_t{64}, size_t{1}}) {
    vek::JobList.JobCount = 0;
    AddVekJob("a.txt.vek", content);
    const auto size = std::filesystem::file_size(HostPath("a.txt.vek"));
    FlipBits(HostPath("a.txt.vek"), size - fromEnd, 0x80);
    StartRun(vek::RunDecrypt);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form20->IsShown()) << fromEnd;
    EXPECT_EQ(Form20->Label3->Caption(),
              "The key you have specified to decrypt this file is invalid.");
    Form20->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_FALSE(HostExists("a.txt")) << fromEnd;
    Form8->Button1->Click();
  }
}

// The key-check block is the whole key state after the file's last byte
// but for its index (and the accumulator is the state's last byte). So a
// short file under a key, with nothing else, continues that key's keystream
// past its own length: a longer file under the same key is read from there
// on, its own key-check block telling which of the 128 indexes is right.
TEST_F(EngineFileFormatTest, AShortFileGivesAwayLongerFilesUnderItsKeyPastItsLength) {
  const auto shortContent = PatternBytes(100, 21);
  const auto longContent = PatternBytes(400, 22);
  AddPlainJob("short.txt", shortContent);
  AddPlainJob("long.txt", longContent);
  EncryptAll();
  ASSERT_EQ(Form8->Label1->Caption(), "Completed.");
  const auto shortFile = ReadHost("short.txt.vek");
  const auto longFile = ReadHost("long.txt.vek");
  const size_t check = static_cast<size_t>(vek::KeyCheckLength);

  vek::TKeyState after;
  std::copy(shortFile.end() - static_cast<ptrdiff_t>(check), shortFile.end(), after.State);
  after.Accumulator = after.State[check - 1];
  const auto longData = longFile.end() - static_cast<ptrdiff_t>(check + longContent.size());
  int fits = 0;
  std::vector<uint8_t> read;
  for (unsigned index = 0; index < vek::KeyStateSize; ++index) {
    vek::TKeyState guess = after;
    guess.Index = static_cast<uint8_t>(index);
    std::vector<uint8_t> beyond(longData + static_cast<ptrdiff_t>(shortContent.size()),
                                longFile.end() - static_cast<ptrdiff_t>(check));
    guess.DecipherBlock(beyond.data(), beyond.size());
    if (std::equal(guess.State, guess.State + check,
                   longFile.end() - static_cast<ptrdiff_t>(check))) {
      ++fits;
      read = beyond;
    }
  }
  EXPECT_EQ(fits, 1);
  EXPECT_EQ(read,
            std::vector<uint8_t>(longContent.begin() + static_cast<ptrdiff_t>(shortContent.size()),
                                 longContent.end()));
  Form8->Button1->Click();
}

}  // namespace
}  // namespace vektest

// The settings record and the enciphered settings file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numeric>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/cipher.h"
#include "core/cipher_reference.h"
#include "core/settings.h"
#include "core/state.h"
#include "core/texts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "test_support.h"

namespace vek {
namespace {

namespace fs = std::filesystem;
using platform::faults::Op;

constexpr size_t RecordSize = 1024;
constexpr uint16_t ClockHour = 10;
constexpr uint16_t ClockDay = 9;

// --- What the writer draws from the random generator -------------------------------

uint32_t SeedOf(const platform::CalendarTime& moment) {
  return uint32_t{moment.Millisecond} * moment.Second + moment.Hour + moment.Day;
}

// The random bytes of the record and of the file's tail, and the filler count.
struct TDraw {
  std::vector<uint8_t> Record;
  std::vector<uint8_t> Tail;  // the first FillerCount of them end the file
  int FillerCount = 0;
};

TDraw DrawForSeed(uint32_t seed) {
  platform::RandSeed = seed;
  TDraw draw;
  for (size_t i = 0; i < RecordSize; ++i) {
    draw.Record.push_back(static_cast<uint8_t>(platform::Random(256)));
    draw.Tail.push_back(static_cast<uint8_t>(platform::Random(256)));
  }
  draw.FillerCount = static_cast<int>(platform::Random(256));
  draw.Tail.resize(static_cast<size_t>(draw.FillerCount));
  return draw;
}

// A clock moment at which the writer draws `fillerCount` filler bytes.
platform::CalendarTime MomentForFiller(int fillerCount) {
  std::set<uint32_t> tried;
  for (uint16_t second = 1; second < 60; ++second) {
    for (uint16_t ms = 0; ms < 1000; ++ms) {
      const platform::CalendarTime moment{2003, 12, ClockDay, 2, ClockHour, 30, second, ms};
      if (!tried.insert(SeedOf(moment)).second) continue;
      if (DrawForSeed(SeedOf(moment)).FillerCount == fillerCount) return moment;
    }
  }
  ADD_FAILURE() << "no clock moment draws " << fillerCount << " filler bytes";
  return {};
}

// --- Option values --------------------------------------------------------------------

struct TOptions {
  int32_t StartCount;
  std::array<std::string, 9> Texts;
  std::array<bool, 10> Flags;
  std::array<uint8_t, 3> Bytes;  // delete method, lock window speed, insane mode threshold
  std::array<uint16_t, 2> Pauses;
  std::array<int32_t, WindowSlotCount> Left, Top;
  friend bool operator==(const TOptions&, const TOptions&) = default;
};

TOptions Options() {
  return {
      StartCount,
      {std::string(OwnerFirstName.Text()), std::string(OwnerLastName.Text()),
       std::string(OwnerCompany.Text()), std::string(OwnerLocation.Text()),
       std::string(OwnerEmail.Text()), std::string(InfoLine1.Text()), std::string(InfoLine2.Text()),
       std::string(InfoLine3.Text()), std::string(ScreenLockPassword.Text())},
      {TimestampEncryption, PreserveAttributes, WindowsInformation, DeletePlaintextAfterEncrypt,
       VerifyAfterEncrypt, DeleteEncryptedAfterDecrypt, ShowHints, SaveWindowLayout,
       ScreenLockEnabled, false},
      {DeleteMethod, LockWindowSpeed, InsaneModeThreshold},
      {HintPause, HintHidePause},
      WindowLeft,
      WindowTop};
}

// Values that differ from the defaults and from each other: short strings
// (filler after them), one of full width, one empty; mixed flags.
void SetSampleOptions() {
  StartCount = 0x01020304;
  OwnerFirstName.Assign("Quentin");
  OwnerLastName.Assign("Abcdefghijklmnop");  // 16, the whole slot
  OwnerCompany.Assign("");
  OwnerLocation.Assign("http://example.invalid/dl");
  OwnerEmail.Assign("q@example.invalid");
  InfoLine1.Assign("line one");
  InfoLine2.Assign("line two");
  InfoLine3.Assign("3");
  TimestampEncryption = true;
  PreserveAttributes = false;
  WindowsInformation = true;
  DeletePlaintextAfterEncrypt = false;
  VerifyAfterEncrypt = true;
  DeleteEncryptedAfterDecrypt = false;
  DeleteMethod = 3;
  ShowHints = false;
  HintPause = 1600;
  HintHidePause = 4000;
  SaveWindowLayout = false;
  ScreenLockEnabled = true;
  ScreenLockPassword.Assign("secret");
  LockWindowSpeed = 4;
  InsaneModeThreshold = 7;
}

// --- Building the expected record by hand ------------------------------------------------

void Put(std::vector<uint8_t>& record, size_t position, std::initializer_list<uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), record.begin() + static_cast<long>(position - 1));
}
void Put32(std::vector<uint8_t>& record, size_t position, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  Put(record, position,
      {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
       static_cast<uint8_t>(v)});
}
void PutText(std::vector<uint8_t>& record, size_t position, const std::string& text) {
  record[position - 1] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), record.begin() + static_cast<long>(position));
}
uint16_t SumOfCheckedBytes(const std::vector<uint8_t>& record) {
  return static_cast<uint16_t>(std::accumulate(record.begin(), record.begin() + 1021, 0u));
}
void PutChecksum(std::vector<uint8_t>& record) {
  const uint16_t sum = SumOfCheckedBytes(record);
  Put(record, 1022, {static_cast<uint8_t>(sum >> 8), static_cast<uint8_t>(sum)});
}

// The plain record that `options` give over the random bytes of `draw`.
std::vector<uint8_t> ExpectedRecord(const TOptions& o, const TDraw& draw) {
  std::vector<uint8_t> record = draw.Record;
  Put(record, 1, {1, 0});
  Put32(record, 3, o.StartCount);
  const size_t textPositions[] = {213, 230, 247, 280, 345, 410, 475, 540};
  for (size_t i = 0; i < 8; ++i) PutText(record, textPositions[i], o.Texts[i]);
  for (size_t i = 0; i < 6; ++i) record[604 + i] = o.Flags[i] ? 0xFF : 0x00;
  record[610] = o.Bytes[0];
  record[611] = o.Flags[6] ? 0xFF : 0x00;
  Put(record, 613,
      {static_cast<uint8_t>(o.Pauses[0] >> 8), static_cast<uint8_t>(o.Pauses[0]),
       static_cast<uint8_t>(o.Pauses[1] >> 8), static_cast<uint8_t>(o.Pauses[1])});
  record[616] = o.Flags[7] ? 0xFF : 0x00;
  record[617] = o.Flags[8] ? 0xFF : 0x00;
  PutText(record, 619, o.Texts[8]);
  record[635] = o.Bytes[1];
  record[636] = o.Bytes[2];
  if (o.Flags[7]) {
    for (size_t i = 0; i < WindowSlotCount; ++i) {
      Put32(record, 848 + 8 * i, o.Left[i]);
      Put32(record, 852 + 8 * i, o.Top[i]);
    }
  }
  PutChecksum(record);
  return record;
}

std::string_view KeyFor(size_t fileSize) {
  return FileTypeRow(static_cast<int>(fileSize - RecordSize) + 1).Extension;
}

// The record of a settings file's bytes, deciphered with its key.
std::vector<uint8_t> Decipher(std::vector<uint8_t> file) {
  TKeyState key;
  key.SetKey(KeyFor(file.size()));
  key.DecipherBlock(file.data(), RecordSize);
  file.resize(RecordSize);
  return file;
}

// A settings file of `record` with `tail` after it.
std::vector<uint8_t> Encipher(std::vector<uint8_t> record, const std::vector<uint8_t>& tail) {
  record.insert(record.end(), tail.begin(), tail.end());
  TKeyState key;
  key.SetKey(KeyFor(record.size()));
  key.EncipherBlock(record.data(), RecordSize);
  return record;
}

class SettingsTest : public vektest::TempDirTest {
 protected:
  void SetUp() override {
    ResetProgramState();
    platform::faults::Reset();
    platform::SetDriveMap({{'C', dir.path().string()}});
    ProgramFolder = "C:\\";
    UseClockFor(17);
  }
  void TearDown() override {
    SetSaveWindowPositionsHook({});
    platform::SetLocalNowForTest(std::nullopt);
    platform::faults::Reset();
    platform::ResetDriveMap();
  }

  void UseClockFor(int fillerCount) {
    moment_ = MomentForFiller(fillerCount);
    platform::SetLocalNowForTest(moment_);
  }
  TDraw Draw() const { return DrawForSeed(SeedOf(moment_)); }

  fs::path SettingsFile() const { return dir / "VEK 2003.set"; }
  std::vector<uint8_t> FileBytes() const { return vektest::ReadFileBytes(SettingsFile()); }
  void Rewrite(const std::vector<uint8_t>& bytes) const {
    fs::permissions(SettingsFile(), fs::perms::owner_write, fs::perm_options::add);
    vektest::MakeFile(SettingsFile(), bytes);
  }
  std::vector<std::string> FolderContents() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
  uint32_t FileAttributes() const {
    return platform::GetAttributes("C:\\VEK 2003.set").value_or(0) & platform::attr::AnyFile;
  }

  platform::CalendarTime moment_;
};

constexpr uint32_t ReadOnlyHiddenSystem = 7;

TEST_F(SettingsTest, FileDecodesToTheRecordAndLoadsBackEveryValue) {
  SetSampleOptions();
  SaveWindowLayout = true;
  int captures = 0;
  SetSaveWindowPositionsHook([&captures] {
    ++captures;
    for (size_t i = 0; i < WindowSlotCount; ++i) {
      WindowLeft[i] = -1000 - static_cast<int32_t>(i);  // left of and above the screen
      WindowTop[i] = INT32_MIN + static_cast<int32_t>(i);
    }
  });
  ASSERT_TRUE(SaveSettings());
  EXPECT_EQ(captures, 1);
  const TOptions saved = Options();
  const TDraw draw = Draw();

  const std::vector<uint8_t> file = FileBytes();
  ASSERT_EQ(file.size(), RecordSize + static_cast<size_t>(draw.FillerCount));
  EXPECT_EQ(FileAttributes(), ReadOnlyHiddenSystem);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + RecordSize, file.end()), draw.Tail);

  // Decoded with the literal cipher and the key of row N + 1.
  std::vector<uint8_t> record(file.begin(), file.begin() + RecordSize);
  TKeyState key;
  reference::SetKey(key, KeyFor(file.size()));
  reference::DecipherBlock(key, record.data(), RecordSize);
  EXPECT_EQ(record, ExpectedRecord(saved, draw));

  ResetProgramState();
  ProgramFolder = "C:\\";
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(Options(), saved);
  EXPECT_EQ(CurrentFile.Name, "VEK 2003.set");
  EXPECT_EQ(CurrentFile.Size, static_cast<int64_t>(file.size()));
}

TEST_F(SettingsTest, FillerCountSetsTheFileSizeAndTheKeyRow) {
  for (const int fillerCount : {0, 255}) {
    SCOPED_TRACE(fillerCount);
    UseClockFor(fillerCount);
    SetSampleOptions();
    ASSERT_TRUE(SaveSettings());
    const std::vector<uint8_t> file = FileBytes();
    ASSERT_EQ(file.size(), RecordSize + static_cast<size_t>(fillerCount));
    const std::vector<uint8_t> record = Decipher(file);  // key of row 1, then row 256
    EXPECT_EQ(record, ExpectedRecord(Options(), Draw()));
    StartCount = 0;
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(StartCount, 0x01020304);
  }
}

TEST_F(SettingsTest, FilesOfAnyOtherSizeAreRefused) {
  UseClockFor(255);
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> file = FileBytes();
  for (const size_t size : {size_t{0}, size_t{1}, RecordSize - 1, size_t{1280}, size_t{4096}}) {
    std::vector<uint8_t> changed = file;
    changed.resize(size, 0);
    Rewrite(changed);
    StartCount = 99;
    EXPECT_FALSE(LoadSettings()) << size;
    EXPECT_EQ(StartCount, 99) << size;
  }
  Rewrite(file);
  EXPECT_TRUE(LoadSettings());
}

TEST_F(SettingsTest, MissingFileIsNotLoaded) {
  EXPECT_FALSE(SettingsFileExists());
  EXPECT_FALSE(LoadSettings());
  ASSERT_TRUE(SaveSettings());
  EXPECT_TRUE(SettingsFileExists());
  ProgramFolder = "C:\\elsewhere\\";
  EXPECT_FALSE(SettingsFileExists());
  EXPECT_FALSE(LoadSettings());
}

TEST_F(SettingsTest, EveryChangedByteOfTheCheckedPositionsIsRefused) {
  SetSampleOptions();
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> file = FileBytes();
  const TOptions before = Options();
  for (size_t p = 0; p < 1021; ++p) {
    std::vector<uint8_t> changed = file;
    changed[p] = static_cast<uint8_t>(changed[p] + p % 255 + 1);  // every change from +1 to +255
    Rewrite(changed);
    ASSERT_FALSE(LoadSettings()) << "position " << p + 1;
  }
  EXPECT_EQ(Options(), before);
  Rewrite(file);
  EXPECT_TRUE(LoadSettings());
}

TEST_F(SettingsTest, WithoutTheLayoutOptionPositionsAreFillerAndKeepTheirValues) {
  SetSampleOptions();
  int captures = 0;
  SetSaveWindowPositionsHook([&captures] { ++captures; });
  WindowLeft.fill(111);
  WindowTop.fill(-222);
  ASSERT_TRUE(SaveSettings());
  EXPECT_EQ(captures, 0);
  const TDraw draw = Draw();
  const std::vector<uint8_t> record = Decipher(FileBytes());
  EXPECT_EQ(std::vector<uint8_t>(record.begin() + 847, record.begin() + 1015),
            std::vector<uint8_t>(draw.Record.begin() + 847, draw.Record.begin() + 1015));

  WindowLeft.fill(5);
  WindowTop.fill(6);
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(WindowLeft[20], 5);
  EXPECT_EQ(WindowTop[0], 6);
}

TEST_F(SettingsTest, StoredValuesOutsideTheirRangesGiveTheDefaults) {
  struct Case {
    size_t Position;
    std::vector<uint8_t> Stored;
    std::function<int()> Loaded;
    int Expected;
  };
  const auto method = [] { return int{DeleteMethod}; };
  const auto speed = [] { return int{LockWindowSpeed}; };
  const auto threshold = [] { return int{InsaneModeThreshold}; };
  const auto pause = [] { return int{HintPause}; };
  const auto hidePause = [] { return int{HintHidePause}; };
  const Case cases[] = {
      {611, {0}, method, 2},
      {611, {4}, method, 2},
      {611, {1}, method, 1},
      {636, {0}, speed, 1},
      {636, {6}, speed, 1},
      {636, {5}, speed, 5},
      {637, {22}, threshold, 0},
      {637, {255}, threshold, 0},
      {637, {21}, threshold, 21},
      {613, {0, 0}, pause, 800},
      {613, {0x03, 0x21}, pause, 800},   // 801
      {613, {0x32, 0x00}, pause, 800},   // 12800
      {613, {0x00, 0x64}, pause, 100},   // 100
      {613, {0x19, 0x00}, pause, 6400},  // 6400
      {615, {0, 0}, hidePause, 8000},
      {615, {0x03, 0xE7}, hidePause, 8000},   // 999
      {615, {0x05, 0xDC}, hidePause, 8000},   // 1500
      {615, {0x42, 0x68}, hidePause, 8000},   // 17000
      {615, {0x03, 0xE8}, hidePause, 1000},   // 1000
      {615, {0x3E, 0x80}, hidePause, 16000},  // 16000
  };
  SetSampleOptions();
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> file = FileBytes();
  const std::vector<uint8_t> tail(file.begin() + RecordSize, file.end());
  for (const Case& c : cases) {
    std::vector<uint8_t> record = Decipher(file);
    std::copy(c.Stored.begin(), c.Stored.end(), record.begin() + static_cast<long>(c.Position - 1));
    PutChecksum(record);
    Rewrite(Encipher(record, tail));
    ASSERT_TRUE(LoadSettings()) << c.Position;
    EXPECT_EQ(c.Loaded(), c.Expected) << "position " << c.Position << " byte " << int{c.Stored[0]};
  }
}

TEST_F(SettingsTest, RecordWithWrongMarksIsRefusedThoughItsSumHolds) {
  const std::pair<uint8_t, uint8_t> marks[] = {{0, 0}, {2, 0},    {0xFF, 0},
                                               {1, 1}, {1, 0xFF}, {0, 1}};
  SetSampleOptions();
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> file = FileBytes();
  const std::vector<uint8_t> tail(file.begin() + RecordSize, file.end());
  for (const auto& [first, second] : marks) {
    std::vector<uint8_t> record = Decipher(file);
    Put(record, 1, {first, second});
    PutChecksum(record);
    Rewrite(Encipher(record, tail));
    StartCount = 99;
    EXPECT_FALSE(LoadSettings()) << int{first} << " " << int{second};
    EXPECT_EQ(StartCount, 99) << int{first} << " " << int{second};
  }
  Rewrite(file);
  EXPECT_TRUE(LoadSettings());
}

TEST_F(SettingsTest, OwnerOfTheOptionsCarriesEveryOwnerText) {
  SetSampleOptions();
  OwnerCompany.Assign("Company");
  const TEmbeddedData owner = OptionsOwner();
  const std::pair<std::string_view, std::string_view> fields[] = {
      {owner.OwnerFirstName.Text(), OwnerFirstName.Text()},
      {owner.OwnerLastName.Text(), OwnerLastName.Text()},
      {owner.OwnerCompany.Text(), OwnerCompany.Text()},
      {owner.OwnerLocation.Text(), OwnerLocation.Text()},
      {owner.OwnerEmail.Text(), OwnerEmail.Text()},
      {owner.InfoLines[0].Text(), InfoLine1.Text()},
      {owner.InfoLines[1].Text(), InfoLine2.Text()},
      {owner.InfoLines[2].Text(), InfoLine3.Text()},
  };
  for (size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_FALSE(fields[i].second.empty()) << i;
    EXPECT_EQ(fields[i].first, fields[i].second) << i;
  }
}

TEST_F(SettingsTest, StoredTextLongerThanItsWidthIsCut) {
  SetSampleOptions();
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> file = FileBytes();
  std::vector<uint8_t> record = Decipher(file);
  // A password of 20 characters in its 16-wide slot runs over the lock
  // speed (636) and the threshold (637), which then hold 'p' (112).
  record[618] = 20;
  std::fill_n(record.begin() + 619, 20, 'p');
  PutChecksum(record);
  Rewrite(Encipher(record, std::vector<uint8_t>(file.begin() + RecordSize, file.end())));
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(ScreenLockPassword.Text(), std::string(16, 'p'));
  EXPECT_EQ(LockWindowSpeed, DefaultLockWindowSpeed);
  EXPECT_EQ(InsaneModeThreshold, DefaultInsaneModeThreshold);
}

TEST_F(SettingsTest, UnreadableFileIsNotLoaded) {
  SetSampleOptions();
  ASSERT_TRUE(SaveSettings());
  // The loader's own open and read are the last of their kind.
  platform::faults::Reset();
  ASSERT_TRUE(LoadSettings());
  const int64_t opens = platform::faults::Count(Op::Open);
  const int64_t reads = platform::faults::Count(Op::Read);
  for (const auto& [op, nth] : {std::pair{Op::Open, opens}, std::pair{Op::Read, reads}}) {
    platform::faults::Reset();
    platform::faults::Fail(op, static_cast<int>(nth), platform::err::SharingViolation);
    StartCount = 99;
    EXPECT_FALSE(LoadSettings()) << (op == Op::Open ? "open" : "read");
    EXPECT_EQ(StartCount, 99);
  }
}

TEST_F(SettingsTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  struct Case {
    const char* Name;
    std::function<void()> Plan;
  };
  const Case cases[] = {
      {"open", [] { platform::faults::Fail(Op::Open, 1, platform::err::AccessDenied); }},
      {"record write", [] { platform::faults::Fail(Op::Write, 1, platform::err::WriteFault); }},
      {"filler write", [] { platform::faults::Fail(Op::Write, 2, platform::err::WriteFault); }},
      {"disk full", [] { platform::faults::DiskFull(1); }},
      {"flush", [] { platform::faults::Fail(Op::Flush, 1, platform::err::WriteFault); }},
      {"close", [] { platform::faults::Fail(Op::Close, 1, platform::err::WriteFault); }},
      {"attributes",
       [] { platform::faults::Fail(Op::SetAttributes, 1, platform::err::AccessDenied); }},
      {"rename", [] { platform::faults::Fail(Op::Rename, 1, platform::err::SharingViolation); }},
  };
  SetSampleOptions();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    StartCount = 1;
    ASSERT_TRUE(SaveSettings());
    const std::vector<uint8_t> old = FileBytes();

    StartCount = 2;
    c.Plan();
    EXPECT_FALSE(SaveSettings());
    platform::faults::Reset();
    EXPECT_EQ(FileBytes(), old);
    EXPECT_EQ(FileAttributes(), ReadOnlyHiddenSystem);
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"VEK 2003.set"});
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(StartCount, 1);
  }
}

TEST_F(SettingsTest, FailedFirstWriteLeavesNoFile) {
  platform::faults::Fail(Op::Write, 1, platform::err::WriteFault);
  EXPECT_FALSE(SaveSettings());
  EXPECT_TRUE(FolderContents().empty());
}

// The settings are the user's alone (read-only for the owner) whatever the
// umask, and a file someone put under the temporary name beforehand is
// never written into: the save makes its own.
TEST_F(SettingsTest, TheFileIsPrivateAndAPlantedTemporaryFileIsNeverUsed) {
  const mode_t old = ::umask(022);
  const fs::path planted = SettingsFile().string() + ".tmp";
  vektest::MakeFile(planted, std::string_view("planted"));
  fs::create_hard_link(planted, SettingsFile().parent_path() / "planted.keep");
  const bool saved = SaveSettings();
  ::umask(old);
  ASSERT_TRUE(saved);
  EXPECT_EQ(fs::status(SettingsFile()).permissions(), fs::perms::owner_read);
  EXPECT_EQ(vektest::ReadFileBytes(SettingsFile().parent_path() / "planted.keep"),
            std::vector<uint8_t>({'p', 'l', 'a', 'n', 't', 'e', 'd'}));
  EXPECT_EQ(fs::hard_link_count(SettingsFile()), 1u);
  EXPECT_FALSE(fs::exists(planted));
  EXPECT_TRUE(LoadSettings());
}

// A file swapped in under the temporary name after the write never becomes
// the settings file: the save fails and the old settings stay in force.
TEST_F(SettingsTest, ASwappedTemporaryFileNeverBecomesTheSettingsFile) {
  SetSampleOptions();
  StartCount = 1;
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> old = FileBytes();
  const fs::path temporary = SettingsFile().string() + ".tmp";
  platform::faults::Before(Op::Rename, 1, [&] {
    fs::rename(temporary, SettingsFile().parent_path() / "moved.keep");
    vektest::MakeFile(temporary, std::string_view("planted"));
  });
  StartCount = 2;
  EXPECT_FALSE(SaveSettings());
  EXPECT_EQ(FileBytes(), old);
  EXPECT_EQ(FileAttributes(), ReadOnlyHiddenSystem);
  EXPECT_EQ(vektest::ReadFileBytes(temporary),
            std::vector<uint8_t>({'p', 'l', 'a', 'n', 't', 'e', 'd'}));
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(StartCount, 1);
}

// The program's folder may be reached through a linked folder (a home
// folder or an install folder kept on another disk): the settings are
// saved there and load back, and no temporary file is left.
TEST_F(SettingsTest, AProgramFolderBehindALinkKeepsItsSettings) {
  fs::create_directory(dir / "real");
  fs::create_directory_symlink(dir / "real", dir / "linked");
  ProgramFolder = "C:\\linked\\";
  SetSampleOptions();
  StartCount = 3;
  ASSERT_TRUE(SaveSettings());
  StartCount = 4;
  ASSERT_TRUE(SaveSettings());
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir / "real")) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"VEK 2003.set"});
  StartCount = 0;
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(StartCount, 4);
}

TEST_F(SettingsTest, NewFileReplacesTheOldOneWhole) {
  UseClockFor(255);
  ASSERT_TRUE(SaveSettings());
  UseClockFor(0);
  ASSERT_TRUE(SaveSettings());
  EXPECT_EQ(FileBytes().size(), RecordSize);
  EXPECT_EQ(FileAttributes(), ReadOnlyHiddenSystem);
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"VEK 2003.set"});
  EXPECT_TRUE(LoadSettings());
}

TEST_F(SettingsTest, DefaultsLeaveWindowPositionsAlone) {
  SetSampleOptions();
  SaveWindowLayout = true;
  WindowLeft[3] = 42;
  ApplyDefaultSettings();
  const TOptions o = Options();
  EXPECT_EQ(o.StartCount, 0);
  EXPECT_EQ(o.Texts, (std::array<std::string, 9>{}));
  EXPECT_EQ(o.Flags,
            (std::array<bool, 10>{true, true, true, true, true, true, true, false, false, false}));
  EXPECT_EQ(o.Bytes, (std::array<uint8_t, 3>{2, 1, 0}));
  EXPECT_EQ(o.Pauses, (std::array<uint16_t, 2>{800, 8000}));
  EXPECT_EQ(WindowLeft[3], 42);
}

}  // namespace
}  // namespace vek

// The program-wide state: fixed-capacity texts, the job list's whole-entry
// helpers, and the return to the start state.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "core/state.h"
#include "state_values.h"

namespace vek {
namespace {

TEST(CutToWidthTest, Cuts) {
  struct Case {
    std::string Text;
    size_t Width;
    std::string Expected;
  };
  const Case cases[] = {
      {"abc", 5, "abc"},
      {"abcdef", 3, "abc"},
      {"abc", 0, ""},
      {"a\xC3\xA9", 2, "a"},  // "aé": the é is not split
      {"a\xC3\xA9", 3, "a\xC3\xA9"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", 4, "\xE6\x97\xA5"},  // two CJK characters
      {"\xF0\x9F\x98\x80x", 3, ""},                     // a four-byte character does not fit
      {"caf\xE9s", 4, "caf\xE9"},                       // 8-bit text, not UTF-8: cut exactly
      {"a\xC3\xA9\xFF", 2, "a\xC3"},                    // invalid UTF-8 anywhere: cut exactly
      {"\xED\xA0\x80zz", 2, "\xED\xA0"},                // an encoded surrogate is not UTF-8
  };
  for (const Case& c : cases) EXPECT_EQ(CutToWidth(c.Text, c.Width), c.Expected) << c.Text;
}

TEST(ShortStringTest, StoresAtMostItsCapacity) {
  TShortString<4> text;
  EXPECT_TRUE(text.Empty());
  text.Assign("abcdefgh");
  EXPECT_EQ(text.Text(), "abcd");
  text.Assign("xy");
  EXPECT_EQ(text.Text(), "xy");
  EXPECT_EQ(text.Chars[2], 'c');  // the rest of the slot keeps what it held
  text.Assign(text.Text().substr(1));
  EXPECT_EQ(text.Text(), "y");
  text.Clear();
  EXPECT_EQ(text.Text(), "");
  EXPECT_EQ(text.Chars[2], '\0');
}

TEST(ShortStringTest, FillNulOverwritesTheWholeCapacity) {
  TShortString<16> text;
  text.Assign("secret");
  text.FillNul();
  EXPECT_EQ(text.Text(), std::string(16, '\0'));
  EXPECT_EQ(TShortString<16>::Capacity, 16u);
}

TEST(StateTest, StartsEmpty) {
  EXPECT_EQ(JobList.JobCount, 0);
  EXPECT_TRUE(JobList.Name[JobListCapacityMax].empty());
  EXPECT_EQ(KeyState, TKeyState{});
  EXPECT_EQ(SharedBuffer[SharedBufferSize - 1], 0);
  EXPECT_TRUE(OwnerFirstName.Empty());
  EXPECT_FALSE(ExitRequested);
  EXPECT_EQ(Form1, nullptr);
  EXPECT_EQ(Form22, nullptr);
}

// Entry i with a value in every kind of field, distinct per entry.
void FillEntry(size_t i) {
  const std::string tag = std::to_string(i);
  JobList.IsVekFile[i] = true;
  JobList.Name[i] = "file" + tag;
  JobList.Folder[i] = "C:\\folder" + tag + "\\";
  JobList.Size[i] = static_cast<int64_t>(i) * 1000;
  JobList.ContentSize[i] = static_cast<int64_t>(i) * 900;
  JobList.Created[i].Year = static_cast<uint16_t>(2000 + i);
  JobList.Accessed[i].Second = static_cast<uint16_t>(i);
  JobList.Attributes[i] = static_cast<uint16_t>(0x20 + i);
  JobList.Owner[i].OwnerFirstName.Assign("first" + tag);
  JobList.Owner[i].InfoLines[2].Assign("line three " + tag);
  JobList.HasTimestamp[i] = true;
  JobList.Timestamp[i].Year = static_cast<uint16_t>(2003 + i);
  JobList.HasWindowsInfo[i] = true;
  JobList.ComputerName[i] = "machine" + tag;
  JobList.ProductLine[i] = "product line " + tag;
  JobList.FileFormatVersion[i] = {1, static_cast<uint8_t>(i)};
}

TEST(JobListTest, MoveEntryCarriesEveryField) {
  FillEntry(3);
  const TJobList& list = JobList;
  JobList.MoveEntry(3, 2);
  EXPECT_TRUE(list.IsVekFile[2]);
  EXPECT_EQ(list.Name[2], "file3");
  EXPECT_EQ(list.Folder[2], "C:\\folder3\\");
  EXPECT_EQ(list.Size[2], 3000);
  EXPECT_EQ(list.ContentSize[2], 2700);
  EXPECT_EQ(list.Created[2].Year, 2003);
  EXPECT_EQ(list.Accessed[2].Second, 3);
  EXPECT_EQ(list.Attributes[2], 0x23);
  EXPECT_EQ(list.Owner[2].OwnerFirstName.Text(), "first3");
  EXPECT_EQ(list.Owner[2].InfoLines[2].Text(), "line three 3");
  EXPECT_TRUE(list.HasTimestamp[2]);
  EXPECT_EQ(list.Timestamp[2].Year, 2006);
  EXPECT_TRUE(list.HasWindowsInfo[2]);
  EXPECT_EQ(list.ComputerName[2], "machine3");
  EXPECT_EQ(list.ProductLine[2], "product line 3");
  EXPECT_EQ(list.FileFormatVersion[2], (TVersionBytes{1, 3}));
}

TEST(JobListTest, ForEachFieldVisitsEveryArray) {
  // Every per-entry array is at least 1025 bytes, so one left out of the
  // visit would leave more than that unaccounted for.
  size_t visited = 0;
  JobList.ForEachField([&visited](const auto& field) { visited += sizeof(field); });
  EXPECT_LT(sizeof(TJobList) - visited, TJobList::Slots);
}

TEST(JobListTest, ClearEntryEmptiesOnlyThatEntry) {
  FillEntry(5);
  FillEntry(6);
  JobList.ClearEntry(5);
  EXPECT_FALSE(JobList.IsVekFile[5]);
  EXPECT_TRUE(JobList.Name[5].empty());
  EXPECT_EQ(JobList.Size[5], 0);
  EXPECT_EQ(JobList.Created[5], TDateTimeFields{});
  EXPECT_EQ(JobList.Owner[5], TEmbeddedData{});
  EXPECT_EQ(JobList.Timestamp[5], TTimestampFields{});
  EXPECT_TRUE(JobList.ProductLine[5].empty());
  EXPECT_EQ(JobList.FileFormatVersion[5], (TVersionBytes{0, 0}));
  EXPECT_EQ(JobList.Name[6], "file6");
}

TEST(StateTest, ResetReturnsToTheStartState) {
  // A value in each group of the state.
  KeyState.SetKey("key");
  SharedBuffer[0] = 1;
  SharedBuffer2[SharedBufferSize - 1] = 2;
  NowYear = 2003;
  NowMSec = 999;
  StartCount = 7;
  OwnerEmail.Assign("someone@example.com");
  ScreenLockPassword.Assign("pass");
  DeleteMethod = DeleteTriplePass;
  HintHidePause = 8000;
  WindowLeft[20] = -5;
  WindowsVersionCode = 9;
  WindowsProductId = "12345";
  DriveKinds[26] = DriveKindFloppy;
  DriveTotalBytes = -1;
  VolumeFileSystem = "FAT12";
  VolumeFlags[11] = true;
  ProgramFolder = "C:\\";
  ExitRequested = true;
  ConfirmDeletes = true;
  RunMode = RunDeleteJobList;
  JobList.JobCount = 2;
  JobList.JobListCapacity = JobListCapacityMax;
  JobList.JobTotalSize = 99;
  JobList.SelectedRow = 2;
  FillEntry(1);
  FillEntry(JobListCapacityMax);
  CurrentFile.Name = "current";
  CurrentFile.Owner.OwnerCompany.Assign("company");
  ViewerRecord.ContentSize = 5;
  EditedEntry.HasWindowsInfo = true;
  EngineState = {0xF000, 0xF001};
  JobPos = 3;
  TargetName = "target.vek";
  TempOpen = true;
  OverallStep = 10;
  HeaderText = "header";
  DecryptDone = 4;
  DeleteReturnState = 0x1001;
  WipeStreamOpen = true;
  ErrorAdvice = "advice";
  StopRequested = true;
  ErrorCount = 3;
  LogFileName = "C:\\log";
  KeyGenBuffer.Assign("generated");
  CapsOn = true;
  LockStepY = -7;
  LatestVersion = "1.01";
  WipeRow = 1024;

  ResetProgramState();

  EXPECT_EQ(KeyState, TKeyState{});
  EXPECT_EQ(SharedBuffer, (std::array<uint8_t, SharedBufferSize>{}));
  EXPECT_EQ(SharedBuffer2, (std::array<uint8_t, SharedBufferSize>{}));
  EXPECT_EQ(NowYear, 0);
  EXPECT_EQ(NowMSec, 0);
  EXPECT_EQ(StartCount, 0);
  EXPECT_TRUE(OwnerEmail.Empty());
  EXPECT_TRUE(ScreenLockPassword.Empty());
  EXPECT_EQ(DeleteMethod, 0);
  EXPECT_EQ(HintHidePause, 0);
  EXPECT_EQ(WindowLeft[20], 0);
  EXPECT_EQ(WindowsVersionCode, 0);
  EXPECT_TRUE(WindowsProductId.empty());
  EXPECT_EQ(DriveKinds[26], 0);
  EXPECT_EQ(DriveTotalBytes, 0);
  EXPECT_TRUE(VolumeFileSystem.empty());
  EXPECT_FALSE(VolumeFlags[11]);
  EXPECT_TRUE(ProgramFolder.empty());
  EXPECT_FALSE(ExitRequested);
  EXPECT_FALSE(ConfirmDeletes);
  EXPECT_EQ(RunMode, 0);
  EXPECT_EQ(JobList.JobCount, 0);
  EXPECT_EQ(JobList.JobListCapacity, 0);
  EXPECT_EQ(JobList.JobTotalSize, 0);
  EXPECT_EQ(JobList.SelectedRow, 0);
  for (size_t i : {size_t{1}, size_t{JobListCapacityMax}}) {
    EXPECT_TRUE(JobList.Name[i].empty());
    EXPECT_EQ(JobList.Owner[i], TEmbeddedData{});
    EXPECT_EQ(JobList.FileFormatVersion[i], (TVersionBytes{0, 0}));
  }
  EXPECT_TRUE(CurrentFile.Name.empty());
  EXPECT_TRUE(CurrentFile.Owner.OwnerCompany.Empty());
  EXPECT_EQ(ViewerRecord.ContentSize, 0);
  EXPECT_FALSE(EditedEntry.HasWindowsInfo);
  EXPECT_EQ(EngineState.Current, 0);
  EXPECT_EQ(EngineState.Next, 0);
  EXPECT_EQ(JobPos, 0);
  EXPECT_TRUE(TargetName.empty());
  EXPECT_FALSE(TempOpen);
  EXPECT_EQ(OverallStep, 0);
  EXPECT_TRUE(HeaderText.empty());
  EXPECT_EQ(DecryptDone, 0);
  EXPECT_EQ(DeleteReturnState, 0);
  EXPECT_FALSE(WipeStreamOpen);
  EXPECT_TRUE(ErrorAdvice.empty());
  EXPECT_FALSE(StopRequested);
  EXPECT_EQ(ErrorCount, 0);
  EXPECT_TRUE(LogFileName.empty());
  EXPECT_TRUE(KeyGenBuffer.Empty());
  EXPECT_FALSE(CapsOn);
  EXPECT_EQ(LockStepY, 0);
  EXPECT_TRUE(LatestVersion.empty());
  EXPECT_EQ(WipeRow, 0);
}

// A variable as the program starts with it, by its kind.
template <class T>
bool IsAtStart(T& value) {
  if constexpr (std::is_same_v<T, TJobList>) {
    bool all = value.JobCount == 0 && value.JobListCapacity == 0 && value.JobTotalSize == 0 &&
               value.SelectedRow == 0;
    for (size_t i : {size_t{1}, size_t{JobListCapacityMax}}) {
      value.ForEachField([i, &all](const auto& field) {
        all = all && field[i] == std::remove_cvref_t<decltype(field[i])>{};
      });
    }
    return all;
  } else if constexpr (std::is_same_v<T, TKeystreamStore>) {
    return value.Kept() == 0;
  } else {
    return value == T{};
  }
}

// Every variable of every group, whatever its kind, comes back empty.
TEST(StateTest, ResetEmptiesEveryGroupedVariable) {
  ForEachProgramVariable([](const char*, auto& value) { statetest::FillWithUserData(value); });
  ASSERT_FALSE(IsAtStart(JobList));
  ASSERT_FALSE(IsAtStart(RunKeystream));

  ResetProgramState();

  ForEachProgramVariable(
      [](const char* name, auto& value) { EXPECT_TRUE(IsAtStart(value)) << name; });
}

}  // namespace
}  // namespace vek

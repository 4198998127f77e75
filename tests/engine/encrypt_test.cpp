// The encrypt path: files built as the format describes them, the header
// with its fields, the overwrite and space checks, errors by fault
// injection, and sources that change under the engine.

#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/texts.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "expected_file.h"
#include "lock_limit.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::EngineState;
using vek::Form15;
using vek::Form20;
using vek::Form8;

class EngineEncryptTest : public EngineTest {
 protected:
  // Drive `letter` beside C:, as the folder `folder` of C:.
  void MapDrive(char letter, std::string_view folder) {
    std::filesystem::create_directory(HostPath(folder));
    platform::SetDriveMap({{'C', dir.path().string()}, {letter, HostPath(folder).string()}});
  }
};

TEST_F(EngineEncryptTest, FilesAsTheFormatDescribesThem) {
  for (const bool verify : {false, true}) {
    for (const size_t size : {size_t{1}, size_t{8192}, size_t{8193}}) {
      vek::JobList.JobCount = 0;
      vek::VerifyAfterEncrypt = verify;
      const std::string name = "f" + std::to_string(size) + (verify ? "v" : "") + ".bin";
      const auto content = PatternBytes(size, static_cast<uint32_t>(size));
      AddPlainJob(name, content);
      EncryptAll();
      EXPECT_EQ(Form8->Label1->Caption(), "Completed.") << name;
      EXPECT_EQ(ReadHost(name + ".vek"), ExpectedVekFile(PlainFields(size), content, TestKey))
          << name;
      EXPECT_EQ(ReadHost(name), content);
      EXPECT_EQ(vek::OverallDone, vek::OverallTotal) << name;  // read back only when asked
      EXPECT_EQ(LogHas("Now processing: " + name + " -> " + name + ".vek " +
                       vek::SizeToText(static_cast<int64_t>(size))),
                true);
      Form8->Button1->Click();
    }
  }
}

TEST_F(EngineEncryptTest, KeystreamTheSystemWouldNotLockIsComputedAndLogged) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer answers every lock of memory with success";
#endif
  const auto content = PatternBytes(60000, 3);
  struct TCase {
    rlim_t Limit;
    std::string Line;  // how the log line starts; empty: no line
  };
  // The key states of the run's store take 1065090 bytes (17 lock steps).
  const TCase cases[] = {
      {0, "*** The system refused to lock memory for the keystream"},
      {17 << 16, "*** The system locked memory for 47.9 KB of keystream only"},
      {RLIM_INFINITY, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Limit);
    vek::JobList.JobCount = 0;
    vek::VerifyAfterEncrypt = true;
    AddPlainJob("big.bin", content);
    {
      const TLockLimit limit(c.Limit);
      EncryptAll();
    }
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
    EXPECT_EQ(ReadHost("big.bin.vek"),
              ExpectedVekFile(PlainFields(content.size()), content, TestKey));
    int lines = 0;
    for (const std::string& text : LogTexts()) {
      if (text.rfind("*** The system ", 0) == 0) {
        ++lines;
        if (!c.Line.empty()) {
          EXPECT_EQ(text.rfind(c.Line, 0), 0u) << text;
        }
      }
    }
    EXPECT_EQ(lines, c.Line.empty() ? 0 : 1) << "once a run, encryption and verification together";
    Form8->Button1->Click();
    std::filesystem::remove(HostPath("big.bin.vek"));
  }
}

TEST_F(EngineEncryptTest, AZeroByteFileIsNotEncrypted) {
  AddPlainJob("empty.txt", {});
  AddPlainJob("one.txt", {7});
  // Warnings on: the warning ends the run.
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("empty.txt.vek"));
  EXPECT_FALSE(HostExists("one.txt.vek"));
  Form8->Button1->Click();

  // Warnings off (after an earlier "ignore all"): the run goes on.
  MakeFile(HostPath("one.txt.vek"), "old");
  vek::JobList.JobCount = 0;
  AddPlainJob("one.txt", {7});
  AddPlainJob("empty.txt", {});
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button2->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(LogHas("Warnings are OFF (Auto Continue)"));
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("empty.txt.vek"));
  EXPECT_EQ(ReadHost("one.txt.vek"), ExpectedVekFile(PlainFields(1), {7}, TestKey));
}

TEST_F(EngineEncryptTest, HeaderWithAllFlagsOff) {
  const auto content = PatternBytes(300);
  const uint16_t i = AddPlainJob("a.txt", content);
  THeaderFields fields = PlainFields(300);
  fields.Owner = {"Ann", "Smith", "", "http://example.com/", "ann@example.com", "one", "", "three"};
  vek::TEmbeddedData& owner = vek::JobList.Owner[i];
  owner.OwnerFirstName.Assign("Ann");
  owner.OwnerLastName.Assign("Smith");
  owner.OwnerLocation.Assign("http://example.com/");
  owner.OwnerEmail.Assign("ann@example.com");
  owner.InfoLines[0].Assign("one");
  owner.InfoLines[2].Assign("three");
  // Flags off: a Windows text, attributes or timestamp must not appear.
  vek::WindowsVersionText = "Windows XP";
  EncryptAll();
  size_t ownerLength = 0;
  for (const auto& text : fields.Owner) ownerLength += text.size();
  EXPECT_EQ(vek::HeaderLength, 53 + (PlainProductLine.size() + 2) + 7 + 16 + ownerLength + 9);
  EXPECT_EQ(ReadHost("a.txt.vek"), ExpectedVekFile(fields, content, TestKey));
  EXPECT_FALSE(vek::JobList.HasTimestamp[i]);
  EXPECT_EQ(vek::JobList.Timestamp[i], vek::TTimestampFields{});
}

TEST_F(EngineEncryptTest, HeaderWithAllFlagsOn) {
  const auto content = PatternBytes(1000000);
  const uint16_t i = AddPlainJob("big.dat", content);
  vek::JobList.HasTimestamp[i] = true;
  vek::JobList.PreserveAttributes[i] = true;
  vek::JobList.HasWindowsInfo[i] = true;
  vek::JobList.Attributes[i] = 0x21;
  const std::string longText(300, 'w');  // more than a length byte holds
  vek::WindowsVersionText = "Windows XP Version 5.1 (Build 2600)";
  vek::WindowsRegisteredOwner = longText;
  vek::WindowsRegisteredOrganization = "";
  vek::WindowsComputerName = "DESK";
  vek::WindowsProductId = "55274-640-1234567-23456";
  EncryptAll();

  THeaderFields fields = PlainFields(1000000);
  fields.Timestamp = TExpectedTimestamp{15, 7, 5, 3, 9, 12, 2003};  // Tuesday is day 3
  fields.Attributes = 0x21;
  fields.Windows = std::vector<std::string>{vek::WindowsVersionText, std::string(255, 'w'), "",
                                            "DESK", "55274-640-1234567-23456"};
  const auto header = ExpectedHeader(fields);
  const auto file = ReadHost("big.dat.vek");
  ASSERT_EQ(file.size(), header.size() + content.size() + 128);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(header.size())),
            header);
  EXPECT_EQ(vek::HeaderLength, header.size());
  // The literal bytes the format names.
  const std::string text(file.begin(), file.begin() + static_cast<long>(header.size()));
  EXPECT_NE(text.find(std::string("\x20\x0F\x07\x05\x03\x09\x0C\x07\xD3", 9)), std::string::npos);
  EXPECT_NE(text.find(std::string("\x30\x00\x00\x00\x21", 5)), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 9), std::string("\x80\0\0\0\0\0\x0F\x42\x40", 9));
  // The moment written is the one kept in the job entry.
  EXPECT_EQ(vek::JobList.Timestamp[i], (vek::TTimestampFields{15, 7, 5, 3, 9, 12, 2003}));
}

TEST_F(EngineEncryptTest, FieldEncoders) {
  EXPECT_EQ(vek::TForm8::WordToBytes(2003), std::string("\x07\xD3"));
  EXPECT_EQ(vek::TForm8::DWordToBytes(0x21), std::string("\0\0\0\x21", 4));
  EXPECT_EQ(vek::TForm8::QWordToBytes(1000000), std::string("\0\0\0\0\0\x0F\x42\x40", 8));
  EXPECT_EQ(vek::TForm8::QWordToBytes(0x0102030405060708),
            std::string("\x01\x02\x03\x04\x05\x06\x07\x08"));
}

// Drive C: with exactly `free` bytes free.
void SetFreeSpace(int64_t free) {
  SetDrive('C', platform::drive::Fixed, free);
}

TEST_F(EngineEncryptTest, SizesOf4GBAndMoreKeepAll64Bits) {
  const int64_t listed = (int64_t{5} << 30) + 3;
  MakeFile(HostPath("huge.iso"), "small on the drive");
  AddJobEntry("huge.iso", listed);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptCheckSpace));
  EXPECT_EQ(vek::HeaderText.substr(vek::HeaderText.size() - 8),
            std::string("\0\0\0\x01\x40\0\0\x03", 8));
  EXPECT_EQ(vek::FileTotal, listed);
  Form8->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();

  // A file of that size on the drive (sparse: nothing is written). The need
  // for space is counted in 64 bits: 2 GB free is too little, though the
  // need cut to 32 bits would fit.
  std::filesystem::resize_file(HostPath("huge.iso"), static_cast<uintmax_t>(listed));
  vek::JobList.JobCount = 0;
  AddJobEntry("huge.iso", listed);
  SetFreeSpace(int64_t{2} << 30);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_NE(Form20->Label2->Caption().find("There is not enough free disk space"),
            std::string::npos);
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();

  // With room for it the source opens as it was listed, and its data
  // begins: the first block read, enciphered and written after the header.
  vek::JobList.JobCount = 0;
  AddJobEntry("huge.iso", listed);
  SetFreeSpace(int64_t{1} << 40);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptAdvance));
  EXPECT_EQ(vek::SourceSize, listed);
  for (const std::string& text : LogTexts()) {
    EXPECT_EQ(text.find("Source file size changed"), std::string::npos) << text;
  }
  EXPECT_EQ(Form8->TargetStream->Position(), int64_t{vek::HeaderLength} + 8192);
  Form8->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("huge.iso.vek"));
  EXPECT_FALSE(HostExists("tmp.tmp"));
  std::filesystem::remove(HostPath("huge.iso"));
}

TEST_F(EngineEncryptTest, AnExistingTargetIsReplacedOnlyAfterContinue) {
  const auto content = PatternBytes(500);
  AddPlainJob("a.txt", content);
  const auto old = PatternBytes(20000, 9);
  MakeFile(HostPath("a.txt.vek"), old);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  ui::clock::Advance(50);
  EXPECT_EQ(ReadHost("a.txt.vek"), old);  // untouched while the question waits
  Form20->Button1->Click();               // Continue
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadHost("a.txt.vek"), ExpectedVekFile(PlainFields(500), content, TestKey));

  // Cancel keeps the old file.
  Form8->Button1->Click();
  vek::JobList.JobCount = 0;
  AddPlainJob("b.txt", content);
  MakeFile(HostPath("b.txt.vek"), old);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadHost("b.txt.vek"), old);

  // After "ignore all future warnings" the next one is replaced without a question.
  Form8->Button1->Click();
  vek::JobList.JobCount = 0;
  AddPlainJob("c.txt", content);
  AddPlainJob("d.txt", content);
  MakeFile(HostPath("c.txt.vek"), old);
  MakeFile(HostPath("d.txt.vek"), old);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button2->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(ReadHost("d.txt.vek"), ExpectedVekFile(PlainFields(500), content, TestKey));
  EXPECT_EQ(LogCount("WARNING: d.txt.vek"), 0);
  EXPECT_EQ(LogCount("WARNING: This file already exists, overwrite it?"), 1);
}

TEST_F(EngineEncryptTest, FreeSpaceMustExceedTheNeed) {
  const auto content = PatternBytes(1000);
  AddPlainJob("a.txt", content);
  const auto need = static_cast<int64_t>(ExpectedHeader(PlainFields(1000)).size()) + 1000 + 128;
  SetFreeSpace(need);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "There is not enough free disk space on drive C: (" +
                                           vek::SizeToText(need) + " min required, " +
                                           vek::SizeToText(need) + " free)");
  EXPECT_EQ(
      Form20->Label3->Caption(),
      "Either free up space on this drive or copy file to another drive with more free space.");
  EXPECT_FALSE(Form20->Button1->Enabled());
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.txt.vek"));

  Form8->Button1->Click();  // the main window shows with an empty job list
  AddJobEntry("a.txt", 1000);
  SetFreeSpace(need + 1);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_TRUE(HostExists("a.txt.vek"));
}

// The space is that of the drive the file lies on; with warnings off a file
// that does not fit is passed over.
TEST_F(EngineEncryptTest, TheSpaceCheckedIsThatOfTheFilesDrive) {
  MapDrive('D', "d");
  SetDrive('D', platform::drive::Fixed, 500);
  SetFreeSpace(int64_t{1} << 30);
  const auto content = PatternBytes(1000);
  AddPlainJob("a.txt", content);
  MakeFile(HostPath("a.txt.vek"), "old");  // its question switches the warnings off
  MakeFile(HostPath("d/b.txt"), content);
  vek::JobList.Folder[AddJobEntry("b.txt", 1000)] = "D:\\";
  AddPlainJob("c.txt", content);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button2->Click();  // Continue (ignore all future warnings)
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("d/b.txt.vek"));
  EXPECT_EQ(ReadHost("d/b.txt"), content);
  EXPECT_EQ(ReadHost("c.txt.vek"), ExpectedVekFile(PlainFields(1000), content, TestKey));
  const auto need = static_cast<int64_t>(ExpectedHeader(PlainFields(1000)).size()) + 1000 + 128;
  EXPECT_TRUE(LogHas("WARNING: There is not enough free disk space on drive D: (" +
                     vek::SizeToText(need) + " min required, " + vek::SizeToText(500) + " free)"));
}

// The boost is decided afresh for each file: a small file after a big one
// runs at normal priority again.
TEST_F(EngineEncryptTest, TheBoostIsDecidedForEachFile) {
  vek::InsaneModeThreshold = 1;
  AddPlainJob("big.bin", PatternBytes(1048577));
  AddPlainJob("small.bin", PatternBytes(10));
  platform::ClearPriorityRequests();
  StartRun(vek::RunEncrypt);
  struct TBoosted {
    bool Boost;
    std::string Caption;
    uint32_t Priority;
  };
  const TBoosted files[] = {
      {true, " Task details : (Insane! CPU boost mode activated) ",
       platform::RealtimePriorityClass},
      {false, " Task details : ", platform::NormalPriorityClass},
  };
  for (const TBoosted& f : files) {
    ASSERT_TRUE(RunUntilState(vek::StateEncryptFindSource));
    EXPECT_EQ(vek::InsaneMode, f.Boost);
    EXPECT_EQ(Form8->GroupBox2->Caption(), f.Caption);
    EXPECT_EQ(platform::PriorityClass(), f.Priority);
    RunSteps(1);
  }
}

// The progress of each file and of the run, block by block, through the
// encryption and the reading back of two files (verification on).
struct TProgressPoint {
  uint16_t State;
  int Arrival;  // the state's n-th arrival in the run
  int64_t FileDone, FileTotal;
  int Bar;
  std::string Percent;
  int64_t OverallDone;  // below 0: not shown yet
  int OverallBar;
  std::string OverallPercent;
  std::string Task;  // Label1
};

TEST_F(EngineEncryptTest, ProgressBlockByBlock) {
  AddPlainJob("a.bin", PatternBytes(20000));
  AddPlainJob("b.bin", PatternBytes(9000));
  vek::VerifyAfterEncrypt = true;
  const int64_t overallTotal = 2 * (20000 + 9000);
  const TProgressPoint points[] = {
      {vek::StateEncryptCheckTarget, 1, 0, 20000, 0, "0%", -1, 0, "",
       "Searching for source file.."},
      {vek::StateEncryptReadBlock, 2, 8192, 20000, 163, "40%", 8192, 56, "14%",
       "Encrypting file.."},
      {vek::StateVerifyOpenSource, 1, 0, 20000, 0, "0%", 20000, 137, "34%",
       "Verifying encrypted file.."},
      {vek::StateVerifyReadSource, 2, 8192, 20000, 163, "40%", 28192, 194, "48%",
       "Verifying encrypted file.."},
      {vek::StateEncryptCheckTarget, 2, 0, 9000, 0, "0%", 40000, 275, "68%",
       "Searching for source file.."},
      {vek::StateEncryptReadBlock, 6, 8192, 9000, 372, "91%", 48192, 332, "83%",
       "Encrypting file.."},
  };
  std::map<uint16_t, int> arrivals;
  StartRun(vek::RunEncrypt);
  for (const TProgressPoint& p : points) {
    SCOPED_TRACE(std::to_string(p.State) + " #" + std::to_string(p.Arrival));
    while (EngineState.Current != p.State || arrivals[p.State] < p.Arrival) {
      ASSERT_NE(EngineState.Current, vek::EngineIdle);
      RunSteps(1);
      ++arrivals[EngineState.Current];
    }
    EXPECT_EQ(Form8->Label1->Caption(), p.Task);
    EXPECT_EQ(FileProgressShown(),
              (TProgressShown{Amount(p.FileDone, p.FileTotal), p.Percent, p.Bar}));
    if (p.OverallDone < 0) continue;
    EXPECT_EQ(OverallProgressShown(), (TProgressShown{Amount(p.OverallDone, overallTotal),
                                                      p.OverallPercent, p.OverallBar}));
    EXPECT_EQ(Form8->Caption(), "VEK: " + p.OverallPercent + " complete");
  }
}

// Left to its own pace (here one step a millisecond, four steps a block)
// the window shows the progress at most every 30 ms of its clock, each
// time with the figures as they are then; the finish shows the whole.
TEST_F(EngineEncryptTest, ProgressIsShownEveryThirtyMilliseconds) {
  constexpr int64_t Size = 20 * 8192;
  AddPlainJob("a.bin", PatternBytes(Size));
  StartRun(vek::RunEncrypt);
  ASSERT_EQ(Form8->ProgressInterval(), 30);
  Form8->SetTickBudget(0);
  std::vector<int64_t> shownAt;
  std::string shown = Form8->Label7->Caption();
  for (int tick = 0; tick < 10000 && EngineState.Current != vek::EngineIdle; ++tick) {
    ui::clock::Advance(1);
    if (Form8->Label7->Caption() == shown) continue;
    shown = Form8->Label7->Caption();
    if (vek::FileDone == 0 || vek::FileDone == Size) continue;
    shownAt.push_back(ui::clock::NowMs());
    EXPECT_EQ(FileProgressShown().Amount, Amount(vek::FileDone, Size));
    EXPECT_EQ(OverallProgressShown().Amount, Amount(vek::OverallDone, vek::OverallTotal));
  }
  Form8->SetTickBudget(Form8->DefaultTickBudget);
  ASSERT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_GE(shownAt.size(), 2u);
  for (size_t i = 1; i < shownAt.size(); ++i) EXPECT_GE(shownAt[i] - shownAt[i - 1], 30) << i;
  EXPECT_EQ(FileProgressShown(), (TProgressShown{Amount(Size, Size), "100%", 400}));
  EXPECT_EQ(OverallProgressShown(),
            (TProgressShown{Amount(vek::OverallTotal, vek::OverallTotal), "100%", 400}));
}

TEST_F(EngineEncryptTest, UnknownFreeSpaceIsError21) {
  AddPlainJob("a.txt", PatternBytes(10));
  platform::SetFakeDrive('C', platform::FakeDrive{});  // no figures at all
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "21");
  EXPECT_EQ(Form15->Label12->Caption(), "a.txt.vek");
  EXPECT_EQ(Form15->Label4->Caption(), "Drive not ready");
  Form15->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();

  // On a removable drive Retry asks for the space again.
  AddJobEntry("a.txt", 10);
  SetDriveKind('C', platform::drive::Removable);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->Button1->Enabled());
  platform::ClearFakeDrives();
  Form15->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_EQ(ReadHost("a.txt.vek"), ExpectedVekFile(PlainFields(10), PatternBytes(10), TestKey));
}

// A diskette drive without a readable disk has no size: error 21, never a
// space warning from figures of an earlier question.
TEST_F(EngineEncryptTest, ADisketteDriveWithoutADiskIsError21) {
  MapDrive('A', "floppy");
  SetDrive('A', platform::drive::Removable, std::nullopt);
  MakeFile(HostPath("floppy/a.txt"), PatternBytes(10));
  vek::JobList.Folder[AddJobEntry("a.txt", 10)] = "A:\\";
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "21");
  EXPECT_EQ(Form15->Label12->Caption(), "a.txt.vek");
}

TEST_F(EngineEncryptTest, AMissingSourceCanBeRetried) {
  SetDriveKind('C', platform::drive::Removable);
  const auto content = PatternBytes(100);
  AddJobEntry("late.txt", 100);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "2");
  EXPECT_EQ(Form15->Label12->Caption(), "late.txt");
  EXPECT_EQ(Form8->Label1->Caption(), "Source file not found");
  MakeFile(HostPath("late.txt"), content);
  Form15->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(LogHas("User response: Retry"));
  EXPECT_EQ(ReadHost("late.txt.vek"), ExpectedVekFile(PlainFields(100), content, TestKey));
}

TEST_F(EngineEncryptTest, AMissingSourceWithReportsOffIsPassedOver) {
  AddPlainJob("a.txt", PatternBytes(10));
  platform::faults::Fail(platform::faults::Op::Write, 1, platform::err::WriteFault);
  AddJobEntry("missing.txt", 10);
  AddPlainJob("b.txt", PatternBytes(10));
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form15->Button4->Click();  // Skip all errors
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(vek::ErrorCount, 1);
  EXPECT_TRUE(HostExists("b.txt.vek"));
}

TEST_F(EngineEncryptTest, AWriteFaultSkipsTheFileWithItsStreamsClosed) {
  const auto content = PatternBytes(20000);
  AddPlainJob("a.bin", content);
  AddPlainJob("b.bin", content);
  platform::faults::Fail(platform::faults::Op::Write, 3, platform::err::WriteFault);  // block 2
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "29");
  EXPECT_EQ(Form15->Label4->Caption(), "Write fault");
  EXPECT_EQ(Form15->Label12->Caption(), "a.bin.vek");
  EXPECT_FALSE(Form15->Button1->Enabled());
  Form15->Button4->Click();  // Skip all errors
  ASSERT_TRUE(RunUntilState(vek::StateEncryptFindSource));
  EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen);
  EXPECT_EQ(Form8->SourceStream, nullptr);
  EXPECT_FALSE(HostExists("a.bin.vek"));  // no half-written file under its name
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_EQ(ReadHost("a.bin"), content);
  EXPECT_EQ(ReadHost("b.bin.vek"), ExpectedVekFile(PlainFields(20000), content, TestKey));
}

TEST_F(EngineEncryptTest, AFullDiskIsAWriteFault) {
  AddPlainJob("a.bin", PatternBytes(20000));
  platform::faults::DiskFull(2);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "29");
  Form15->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.bin.vek"));
}

// The older encrypted file the user agreed to replace stands until the new
// one is complete, and is then replaced in one step.
TEST_F(EngineEncryptTest, AnOlderEncryptedFileStandsUntilTheNewOneIsComplete) {
  const auto content = PatternBytes(20000);
  AddPlainJob("a.bin", content);
  const auto old = PatternBytes(3000, 5);
  const auto complete = ExpectedVekFile(PlainFields(20000), content, TestKey);
  MakeFile(HostPath("a.bin.vek"), old);
  platform::faults::DiskFull(3);  // the second data block
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button1->Click();  // replace it
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(ReadHost("a.bin.vek"), old);
  Form15->Button3->Click();  // Stop all processing
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadHost("a.bin.vek"), old);
  EXPECT_EQ(ReadHost("a.bin"), content);
  EXPECT_FALSE(HostExists("tmp.tmp"));
  Form8->Button1->Click();

  vek::JobList.JobCount = 0;
  AddPlainJob("a.bin", content);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button1->Click();
  ASSERT_TRUE(RunUntilState(vek::StateEncryptCloseTarget));
  EXPECT_EQ(ReadHost("a.bin.vek"), old);
  ui::clock::Advance(1);
  EXPECT_EQ(ReadHost("a.bin.vek"), complete);
  EXPECT_FALSE(HostExists("tmp.tmp"));
}

// An unfinished file whose removal fails is removed at the next clean-up;
// one that never goes is named in the log, and the next file is written
// under another temporary name.
TEST_F(EngineEncryptTest, AnUnfinishedFileThatCannotBeRemovedAtOnce) {
  using platform::faults::Op;
  const auto content = PatternBytes(100);
  for (const int failingDeletes : {1, 10}) {
    SCOPED_TRACE(failingDeletes);
    vek::JobList.JobCount = 0;
    AddPlainJob("a.bin", PatternBytes(20000));
    AddPlainJob("b.bin", content);
    platform::faults::Reset();
    platform::faults::DiskFull(2);
    StartRun(vek::RunEncrypt);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form15->IsShown());
    for (int n = 1; n <= failingDeletes; ++n) {
      platform::faults::Fail(Op::Delete, n, platform::err::SharingViolation);
    }
    Form15->Button4->Click();  // Skip all errors
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
    EXPECT_FALSE(HostExists("a.bin.vek"));
    EXPECT_EQ(ReadHost("b.bin.vek"), ExpectedVekFile(PlainFields(100), content, TestKey));
    const bool named =
        LogHas("*** The unfinished file " + WinPath("tmp.tmp") + " could not be removed");
    EXPECT_EQ(named, failingDeletes > 1);
    EXPECT_EQ(HostExists("tmp.tmp"), failingDeletes > 1);
    EXPECT_FALSE(HostExists("tmp2.tmp"));
    Form8->Button1->Click();
    std::filesystem::remove(HostPath("b.bin.vek"));
    std::filesystem::remove(HostPath("tmp.tmp"));
  }
}

struct TChangeCase {
  size_t Listed;
  size_t Actual;
};

TEST_F(EngineEncryptTest, ASourceThatChangedSinceItWasListed) {
  for (const TChangeCase c : {TChangeCase{10000, 6000}, TChangeCase{6000, 10000}}) {
    vek::JobList.JobCount = 0;
    const std::string name = "changed" + std::to_string(c.Actual) + ".bin";
    const auto content = PatternBytes(c.Actual, 5);
    MakeFile(HostPath(name), content);
    AddJobEntry(name, static_cast<int64_t>(c.Listed));
    vek::VerifyAfterEncrypt = true;
    EncryptAll();
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
    EXPECT_TRUE(LogHas("Source file size changed since it was listed: now " +
                       vek::SizeToText(static_cast<int64_t>(c.Actual))));
    EXPECT_EQ(ReadHost(name + ".vek"), ExpectedVekFile(PlainFields(c.Actual), content, TestKey));
    Form8->Button1->Click();
  }
}

TEST_F(EngineEncryptTest, ASourceEmptiedSinceItWasListed) {
  MakeFile(HostPath("gone.txt"), std::vector<uint8_t>{});
  AddJobEntry("gone.txt", 100);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label3->Caption(), "Cannot encrypt a file that is zero bytes long.");
  EXPECT_FALSE(vek::SourceOpen);
}

TEST_F(EngineEncryptTest, ASourceThatChangesWhileItIsReadIsAReadFault) {
  for (const bool grows : {true, false}) {
    vek::JobList.JobCount = 0;
    const std::string name = grows ? "grows.bin" : "shrinks.bin";
    const auto content = PatternBytes(20000);
    AddPlainJob(name, content);
    vek::DeletePlaintextAfterEncrypt = true;
    StartRun(vek::RunEncrypt);
    ASSERT_TRUE(RunUntilState(vek::StateEncipherBlock));
    if (grows) {
      std::ofstream(HostPath(name), std::ios::binary | std::ios::app) << "more";
    } else {
      std::filesystem::resize_file(HostPath(name), 10000);
    }
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form15->IsShown()) << name;
    EXPECT_EQ(Form15->Label2->Caption(), "30");
    EXPECT_EQ(Form15->Label12->Caption(), name);
    Form15->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_FALSE(HostExists(name + ".vek"));
    EXPECT_TRUE(HostExists(name));  // never handed to the delete
    Form8->Button1->Click();
  }
}

TEST_F(EngineEncryptTest, TheOriginalGoesToTheDeleteStatesWhenComplete) {
  const auto content = PatternBytes(9000);
  AddPlainJob("a.bin", content);
  vek::DeletePlaintextAfterEncrypt = true;
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
  EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen);
  EXPECT_EQ(ReadHost("a.bin.vek"), ExpectedVekFile(PlainFields(9000), content, TestKey));
  EXPECT_EQ(vek::DeleteFolder, WinPath());
  EXPECT_EQ(vek::DeleteName, "a.bin");
  EXPECT_EQ(vek::DeleteSize, 9000);
  EXPECT_EQ(vek::DeleteReturnState, vek::StateEncryptNextFile);
  EXPECT_TRUE(vek::DeleteShowProgress);
  EXPECT_EQ(Form8->Label14->Caption(), "Deleting original non-encrypted file by request");
  Form8->Button1->Click();
}

TEST_F(EngineEncryptTest, AFailedCloseKeepsTheOriginal) {
  AddPlainJob("a.bin", PatternBytes(100));
  vek::DeletePlaintextAfterEncrypt = true;
  platform::faults::Fail(platform::faults::Op::Close, 1, platform::err::WriteFault);  // the target
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "29");
  Form15->Button3->Click();
  EXPECT_FALSE(PassesOnTheWayToIdle(vek::StateDeleteFile));
  EXPECT_TRUE(HostExists("a.bin"));
  EXPECT_FALSE(HostExists("a.bin.vek"));
}

TEST_F(EngineEncryptTest, VerificationOfADisketteAsksForItAgain) {
  MapDrive('A', "floppy");
  SetDrive('A', platform::drive::Removable, 1457664, 1457664);
  const auto content = PatternBytes(3000);
  MakeFile(HostPath("floppy/a.txt"), content);
  const uint16_t i = AddJobEntry("a.txt", 3000);
  vek::JobList.Folder[i] = "A:\\";
  vek::VerifyAfterEncrypt = true;
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(),
            "Please eject the diskette, re-insert again and click Continue.");
  EXPECT_EQ(Form20->Label3->Caption(),
            "(This eliminates the effects of buffering for file read verification)");
  EXPECT_TRUE(Form20->Button1->Enabled());
  Form20->Button1->Click();
  EXPECT_EQ(EngineState.Current, vek::StateVerifyStart);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(ReadHost("floppy/a.txt.vek"), ExpectedVekFile(PlainFields(3000), content, TestKey));
}

}  // namespace
}  // namespace vektest

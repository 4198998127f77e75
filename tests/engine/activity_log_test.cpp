// The activity log: its line format, the head of a run, and the save of
// the log window to drive C:.

#include <filesystem>
#include <string>
#include <vector>

#include "app/start_window.h"
#include "core/state.h"
#include "engine/activity_log_window.h"
#include "engine/processing_window.h"
#include "engine_fixture.h"
#include "platform/system.h"
#include "ui/dialogs.h"

namespace vektest {
namespace {

using vek::Form21;
using vek::Form8;

constexpr std::string_view LogName = "VEK2003 Tuesday 9th of December 2003 at 3-07-05pm.log";

using EngineLogTest = EngineTest;

TEST_F(EngineLogTest, LineFormatAndCounts) {
  for (const auto& [hour, prefix] : {std::pair{7, "07:04:09 "}, {19, "19:04:09 "}}) {
    platform::CalendarTime t = TestMoment();
    t.Hour = static_cast<uint16_t>(hour);
    t.Minute = 4;
    t.Second = 9;
    platform::SetLocalNowForTest(t);
    Form21->ListBox1->Clear();
    vek::ActionCount = 0;
    Form8->LogLine("a line");
    EXPECT_EQ(vek::ActionCount, 0);
    Form8->LogAction("an action");
    EXPECT_EQ(vek::ActionCount, 1);
    EXPECT_EQ(Form21->ListBox1->Items(),
              (std::vector<std::string>{std::string(prefix) + "a line",
                                        std::string(prefix) + "an action"}));
  }
}

TEST_F(EngineLogTest, HeadOfAnEncryptRun) {
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  const auto texts = LogTexts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[0], "VEK 2003 ACTIVITY LOG:");
  EXPECT_EQ(texts[1], "Started encryption processing at 3:07:05pm, Tuesday 9th of December 2003");
  EXPECT_EQ(texts[2], "Delete mode: Use normal file system delete method");
  EXPECT_EQ(texts[3], "Now processing: a.txt -> a.txt.vek 10 Bytes");
  EXPECT_EQ(LogLines()[0], "15:07:05 VEK 2003 ACTIVITY LOG:");
  EXPECT_EQ(vek::LogFileName, "C:\\" + std::string(LogName));
}

TEST_F(EngineLogTest, DeleteModeOutsideTheTableIsEmpty) {
  for (const uint8_t method : {uint8_t{0}, uint8_t{4}, uint8_t{255}}) {
    vek::DeleteMethod = method;
    Form21->ListBox1->Clear();
    Form8->StartActivityLog(1);
    EXPECT_EQ(LogTexts().back(), "Delete mode: ");
  }
  Form21->ListBox1->Clear();
  Form8->StartActivityLog(9);  // no run kind line
  EXPECT_EQ(LogTexts().size(), 2u);
}

TEST_F(EngineLogTest, SavedLogHoldsTheHeadingThenTheLines) {
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  Form8->Button4->Click();
  ASSERT_TRUE(Form21->IsShown());
  EXPECT_EQ(Form21->Button2->Hint(), "Save activity log as \"C:\\" + std::string(LogName) + "\"");
  // The head, the file's line; not the finish's own two lines.
  EXPECT_EQ(Form21->Label4->Caption(), "4");
  EXPECT_EQ(vek::ActionCount, 6);
  EXPECT_EQ(Form21->Label6->Caption(), "0");
  Screenshot(Form21, "engine_activity_log");
  ASSERT_TRUE(Form21->Button2->Enabled());
  Form21->Button2->Click();
  EXPECT_FALSE(Form21->Button2->Enabled());

  std::string expected;
  for (int i = 0; i < 9; ++i) expected += vek::Form1->Memo1->Line(i) + "\r\n";
  expected += "\r\n";
  for (const std::string& line : LogLines()) expected += line + "\r\n";
  const auto saved = ReadHost(LogName);
  EXPECT_EQ(std::string(saved.begin(), saved.end()), expected);
  // A second save needs the window shown again.
  Form21->Hide();
  Form21->Show();
  EXPECT_TRUE(Form21->Button2->Enabled());
}

TEST_F(EngineLogTest, EveryRunHasItsOwnLogName) {
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  const std::string first = vek::LogFileName;
  Form8->Button1->Click();  // OK
  vek::JobList.JobCount = 0;
  AddPlainJob("b.txt", PatternBytes(10));
  // The same second again; the next name is taken by a file on the drive.
  MakeFile(HostPath("VEK2003 Tuesday 9th of December 2003 at 3-07-05pm (2).log"), "saved earlier");
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(first, "C:\\" + std::string(LogName));
  EXPECT_EQ(vek::LogFileName, "C:\\VEK2003 Tuesday 9th of December 2003 at 3-07-05pm (3).log");
}

TEST_F(EngineLogTest, AFailedSaveSaysSoAndCanBeTriedAgain) {
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  Form8->Button4->Click();
  std::filesystem::create_directory(HostPath(LogName));  // the name is taken by a folder
  ui::dialogs_for_test::Expect(ui::mrOk, "could not be saved");
  Form21->Button2->Click();
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_TRUE(Form21->Button2->Enabled());
  EXPECT_FALSE(HostExists(std::string(LogName) + ".tmp"));
}

}  // namespace
}  // namespace vektest

// The activity log: its line format, the head of a run, and the save of
// the log window to drive C:.

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/start_window.h"
#include "core/file_info.h"
#include "core/state.h"
#include "engine/activity_log_window.h"
#include "engine/delete_confirmation.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine_fixture.h"
#include "platform/files.h"
#include "platform/system.h"
#include "ui/dialogs.h"
#include "ui_doubles.h"

namespace vektest {
namespace {

using vek::Form21;
using vek::Form8;

constexpr std::string_view LogName = "VEK2003 Tuesday 9th of December 2003 at 3-07-05pm.log";

class EngineLogTest : public EngineTest {
 protected:
  // What a save writes: the start window's nine heading lines, an empty
  // line, then the log's lines.
  static std::vector<uint8_t> SavedLog() {
    std::string text;
    for (int i = 0; i < 9; ++i) text += vek::Form1->Memo1->Line(i) + "\r\n";
    text += "\r\n";
    for (const std::string& line : LogLines()) text += line + "\r\n";
    return {text.begin(), text.end()};
  }
};

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

// Every line of the head counts as an action taken; a kind without a run
// line still names the delete method.
TEST_F(EngineLogTest, TheHeadOfEachRunKind) {
  constexpr std::string_view Moment = "3:07:05pm, Tuesday 9th of December 2003";
  const struct {
    uint8_t Kind;
    std::string KindLine;  // empty: none
  } cases[] = {
      {1, "Started encryption processing at " + std::string(Moment)},
      {2, "Started decryption processing at " + std::string(Moment)},
      {3, "Started multi-delete processing at " + std::string(Moment)},
      {0, ""},
      {9, ""},
  };
  vek::DeleteMethod = vek::DeleteTriplePass;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Kind);
    Form21->ListBox1->Clear();
    vek::ActionCount = 0;
    Form8->StartActivityLog(c.Kind);
    std::vector<std::string> expected{"VEK 2003 ACTIVITY LOG:"};
    if (!c.KindLine.empty()) expected.push_back(c.KindLine);
    expected.emplace_back("Delete mode: Use triple pass overwriting method");
    EXPECT_EQ(LogTexts(), expected);
    EXPECT_EQ(vek::ActionCount, expected.size());
  }
}

TEST_F(EngineLogTest, DeleteModeOutsideTheTableIsEmpty) {
  for (const uint8_t method : {uint8_t{0}, uint8_t{4}, uint8_t{255}}) {
    vek::DeleteMethod = method;
    Form21->ListBox1->Clear();
    Form8->StartActivityLog(1);
    EXPECT_EQ(LogTexts().back(), "Delete mode: ");
  }
}

// A run of several files opens its log once; a one-file delete writes no
// head at all.
TEST_F(EngineLogTest, ARunOfTwoFilesHasOneHead) {
  const struct {
    const char* What;
    uint8_t RunMode;
    std::string_view KindLine;  // empty: no head
  } cases[] = {
      {"encrypt", vek::RunEncrypt, "Started encryption processing at "},
      {"decrypt", vek::RunDecrypt, "Started decryption processing at "},
      {"job-list delete", vek::RunDeleteJobList, "Started multi-delete processing at "},
      {"one-file delete", vek::RunDeleteFile, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    vek::Form2->ClearJobList();
    for (const char* name : {"a.bin", "b.bin"}) {
      const std::string listed = std::string(c.What) + " " + name;
      if (c.RunMode == vek::RunDecrypt) {
        AddVekJob(listed + ".vek", PatternBytes(100));
      } else {
        AddPlainJob(listed, PatternBytes(100));
      }
    }
    if (c.RunMode == vek::RunEncrypt || c.RunMode == vek::RunDecrypt) {
      StartRun(c.RunMode);
    } else {
      vek::ReadFileInfo(WinPath(), vek::JobList.Name[1]);
      vek::Form2->BitBtn6->SetCaption(c.RunMode == vek::RunDeleteFile ? "&Delete file"
                                                                      : "&Delete job list files");
      vek::Form9->StartDeleteRun();
    }
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_FALSE(Form8->RunActive());
    const auto texts = LogTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(LogCount("VEK 2003 ACTIVITY LOG:"), c.KindLine.empty() ? 0 : 1);
    if (!c.KindLine.empty()) {
      ASSERT_GE(texts.size(), 2u);
      EXPECT_EQ(texts[0], "VEK 2003 ACTIVITY LOG:");
      EXPECT_EQ(texts[1].substr(0, c.KindLine.size()), c.KindLine);
    }
    Form8->Button1->Click();  // OK
  }
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
  EXPECT_EQ(ReadHost(LogName), SavedLog());
  // A second save needs the window shown again.
  Form21->Hide();
  Form21->Show();
  EXPECT_TRUE(Form21->Button2->Enabled());
}

// The saved log is the user's alone whatever the umask, and a file put
// under its temporary name beforehand is never written into.
TEST_F(EngineLogTest, TheSavedLogIsPrivateAndAPlantedTemporaryFileIsNeverUsed) {
  const std::string name(LogName);
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  Form8->Button4->Click();
  MakeFile(HostPath(name + ".tmp"), std::string_view("planted"));
  std::filesystem::create_hard_link(HostPath(name + ".tmp"), HostPath("planted.keep"));
  const mode_t old = ::umask(022);
  Form21->Button2->Click();
  ::umask(old);
  EXPECT_EQ(ReadHost(name), SavedLog());
  EXPECT_EQ(std::filesystem::status(HostPath(name)).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(ReadHost("planted.keep"), std::vector<uint8_t>({'p', 'l', 'a', 'n', 't', 'e', 'd'}));
  EXPECT_FALSE(HostExists(name + ".tmp"));
}

// A file swapped in under the temporary name after the write never takes
// the log's name: the save says it failed and both files stay as they are.
TEST_F(EngineLogTest, ASwappedTemporaryFileNeverBecomesTheSavedLog) {
  const std::string name(LogName);
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  Form8->Button4->Click();
  MakeFile(HostPath(name), std::string_view("saved before"));
  platform::faults::Before(platform::faults::Op::Rename, 1, [&] {
    std::filesystem::rename(HostPath(name + ".tmp"), HostPath("moved.keep"));
    MakeFile(HostPath(name + ".tmp"), std::string_view("planted"));
  });
  ui::dialogs_for_test::Expect(ui::mrOk, "could not be saved");
  Form21->Button2->Click();
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_TRUE(Form21->Button2->Enabled());
  EXPECT_EQ(ReadHost(name),
            std::vector<uint8_t>({'s', 'a', 'v', 'e', 'd', ' ', 'b', 'e', 'f', 'o', 'r', 'e'}));
  EXPECT_EQ(ReadHost(name + ".tmp"), std::vector<uint8_t>({'p', 'l', 'a', 'n', 't', 'e', 'd'}));
}

// From the main window's encrypt button through the run to the log; the
// log's close button, or the window system's close, leads back to the main
// window alone.
TEST_F(EngineLogTest, ClosingTheLogLeadsBackToTheMainWindow) {
  const std::function<void()> closes[] = {[] { Form21->Button1->Click(); },
                                          [] { Form21->RequestClose(); }};
  for (const auto& close : closes) {
    vek::Form2->Show();
    AddPlainJob("a.txt", PatternBytes(10));
    vek::Form2->BitBtn1->Click();
    ASSERT_FALSE(vek::Form2->IsShown());
    vek::Form7->Edit1->SetText(TestKey);
    vek::Form7->Button1->Click();
    ASSERT_TRUE(RunUntilIdle());
    Form8->Button4->Click();
    ASSERT_TRUE(Form21->IsShown());
    close();
    EXPECT_FALSE(Form21->IsShown());
    EXPECT_FALSE(Form8->IsShown());
    EXPECT_TRUE(vek::Form2->IsShown());
    std::filesystem::remove(HostPath("a.txt.vek"));
  }
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

// Whatever part of the save fails, the user is told, the log's name holds
// no half log, and the save can be tried again once the cause is gone.
TEST_F(EngineLogTest, AFailedSaveSaysSoAndCanBeTriedAgain) {
  using platform::faults::Op;
  const std::string name(LogName);
  const struct {
    const char* What;
    std::function<void()> Inject;
  } cases[] = {
      {"create", [] { platform::faults::Fail(Op::Open, 1, platform::err::AccessDenied); }},
      {"write", [] { platform::faults::DiskFull(1); }},
      {"close", [] { platform::faults::Fail(Op::Close, 1, platform::err::WriteFault); }},
      {"rename", [] { platform::faults::Fail(Op::Rename, 1, platform::err::AccessDenied); }},
      {"name taken by a folder", [&] { std::filesystem::create_directory(HostPath(name)); }},
  };
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  Form8->Button4->Click();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    c.Inject();
    ui::dialogs_for_test::Expect(ui::mrOk, "could not be saved");
    Form21->Button2->Click();
    EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
    EXPECT_TRUE(Form21->Button2->Enabled());
    EXPECT_FALSE(std::filesystem::is_regular_file(HostPath(name)));
    EXPECT_FALSE(HostExists(name + ".tmp"));

    platform::faults::Reset();
    std::filesystem::remove(HostPath(name));
    Form21->Button2->Click();
    EXPECT_FALSE(Form21->Button2->Enabled());
    EXPECT_EQ(ReadHost(name), SavedLog());
    std::filesystem::remove(HostPath(name));
    Form21->Hide();
    Form21->Show();
  }
}

}  // namespace
}  // namespace vektest

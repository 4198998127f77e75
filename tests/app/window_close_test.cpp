// A close from the window system (the close box, Alt+F4, the window
// manager's close message) can reach any window, whatever its border asked
// for. Each window answers it the way its own controls lead out, and no
// close leaves the program without a window on the screen.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/start_window.h"
#include "app_fixture.h"
#include "core/file_info.h"
#include "core/settings.h"
#include "engine/activity_log_window.h"
#include "engine/delete_confirmation.h"
#include "engine/error_report_window.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "loopback_server.h"
#include "platform/http.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "tools/drive_info_window.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/update_window.h"
#include "tools/viewer_window.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui/dialogs.h"

namespace {

using vek::Form1;
using vek::Form17;
using vek::Form19;
using vek::Form2;
using vek::Form22;
using vek::Form4;

// The windows of each test are the only ones: the exit wipe some closes
// start must not run on into other tests.
class AppWindowCloseTest : public apptest::AppTest {
 protected:
  void SetUp() override {
    vektest::RestartUiApplication();
    AppTest::SetUp();
    StartProgram();
  }
  void TearDown() override {
    AppTest::TearDown();
    vektest::RestartUiApplication();
  }

  static std::vector<std::string> ShownCaptions() {
    std::vector<std::string> shown;
    for (const ui::TForm* form : ui::Application->Forms()) {
      if (form->IsShown()) shown.push_back(form->ClassName() + " \"" + form->Caption() + "\"");
    }
    return shown;
  }

  // "I &ACCEPT" on the start window, which shows the update check.
  static void Accept() {
    Form1->Button1->Click();
    ASSERT_TRUE(Form22->IsShown());
  }
};

TEST_F(AppWindowCloseTest, TheStartWindowsCloseQuitsThroughTheExitWipe) {
  Form1->RequestClose();
  EXPECT_FALSE(Form1->IsShown());
  EXPECT_TRUE(Form19->IsShown());
  EXPECT_FALSE(ui::Application->Terminated());
}

// At any moment of the check the close leads on as the window's own close
// does: to the options on the first start, to the main window later; and the
// check stops with it, so nothing shows a second time.
TEST_F(AppWindowCloseTest, TheUpdateWindowsCloseLeadsOnAndEndsTheCheck) {
  for (const int startCount : {1, 2}) {
    for (const int closeAfterMs : {0, 500, 2000}) {
      SCOPED_TRACE("start " + std::to_string(startCount) + ", " + std::to_string(closeAfterMs) +
                   " ms");
      Form1->Show();
      vek::StartCount = startCount;
      ASSERT_NO_FATAL_FAILURE(Accept());
      ui::clock::Advance(closeAfterMs);
      Form22->RequestClose();
      EXPECT_FALSE(Form22->IsShown());
      ui::TForm* next = startCount == 1 ? static_cast<ui::TForm*>(Form4) : Form2;
      EXPECT_TRUE(next->IsShown());
      next->Hide();
      ui::clock::Advance(20000);
      EXPECT_FALSE(next->IsShown());
      EXPECT_FALSE(Form22->IsShown());
    }
  }
}

TEST_F(AppWindowCloseTest, TheOptionsCloseCancelsTheChanges) {
  vek::StartCount = 1;
  ASSERT_NO_FATAL_FAILURE(Accept());
  Form22->RequestClose();
  ASSERT_TRUE(Form4->IsShown());
  Form4->Edit1->SetText("Changed");
  Form4->RequestClose();
  EXPECT_FALSE(Form4->IsShown());
  EXPECT_TRUE(Form2->IsShown());
  EXPECT_EQ(vek::OwnerFirstName.Text(), "");
}

TEST_F(AppWindowCloseTest, TheScreenLockRefusesTheClose) {
  Form1->Hide();
  Form2->Show();
  Form2->Button5->SetEnabled(true);
  Form2->Button5->Click();
  ASSERT_TRUE(Form17->IsShown());
  ASSERT_FALSE(Form2->IsShown());
  Form17->RequestClose();
  EXPECT_TRUE(Form17->IsShown());
  EXPECT_FALSE(Form2->IsShown());
}

// Every window shown as the program shows it, over the main window: a close
// never leaves the screen empty. A window whose border offers no close box,
// and which names no way out of its own for the close, stays as it is.
TEST_F(AppWindowCloseTest, NoCloseLeavesTheProgramWithoutAWindow) {
  vek::ExitRequested = false;
  for (ui::TForm* form : ui::Application->Forms()) {
    // The windows of a run answer the close as the run's controls do; the
    // run itself keeps its window (processing_window tests).
    const std::string name = form->ClassName();
    if (name == "TForm8" || name == "TForm15" || name == "TForm20") continue;
    SCOPED_TRACE(name);
    for (ui::TForm* other : ui::Application->Forms()) other->Hide();
    Form2->Show();
    form->Show();
    form->RequestClose();
    EXPECT_FALSE(ShownCaptions().empty()) << "no window after the close";
    if (!form->HasCloseBox() && !form->OnCloseRequest) {
      EXPECT_TRUE(form->IsShown());
    }
  }
  EXPECT_FALSE(ui::Application->Terminated());
}

// Every window, shown as the program shows it, and what the window
// system's close of it stands for: one of its own buttons, or nothing (the
// close is refused). The close and that button (or doing nothing) are each
// done in a fresh program on the same files, and then time runs on: the
// windows shown, the files on disk (the settings file among them), the
// options and the entry being edited, and what was opened or started
// through the shell come out the same. So a close never confirms, applies,
// deletes, downloads or starts anything its window's own way out would not.
class AppEveryWindowCloseTest : public AppWindowCloseTest {
 protected:
  void SetUp() override {
    AppWindowCloseTest::SetUp();
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
      ::unsetenv(name);
    }
    platform::SetShellHookForTest([this](const std::string& verb, const std::string& target) {
      shellCalls_.push_back(verb + "|" + target);
    });
  }
  void TearDown() override {
    platform::SetShellHookForTest({});
    AppWindowCloseTest::TearDown();
  }

  // The files of the test folder as they were when the test started, and
  // the program started afresh on them.
  void StartAfresh() {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      std::filesystem::remove_all(entry.path());
    }
    RestartProgram();
    shellCalls_.clear();
    platform::RandSeed = 1;
    StartProgram();
    for (ui::TForm* form : ui::Application->Forms()) form->Hide();
  }

  // What a user and the disk can tell after the windows had time to do
  // whatever they started.
  std::string Outcome() {
    ui::clock::Advance(30000);
    std::string text = "shown:";
    for (const std::string& caption : ShownCaptions()) text += " " + caption + ";";
    text += ui::Application->Terminated() ? "\nended" : "\nrunning";
    text += "\nfiles:\n" + vektest::ListFiles(dir.path());
    const vek::TEmbeddedData owner = vek::OptionsOwner();
    text += "options " + std::string(owner.OwnerFirstName.Text()) + "|" +
            std::string(vek::ScreenLockPassword.Text()) + "|" +
            std::to_string(vek::ScreenLockEnabled) + std::to_string(vek::ConfirmDeletes) +
            std::to_string(vek::DeleteMethod) + "|starts " + std::to_string(vek::StartCount);
    text += "\nentry " + std::string(vek::JobList.Owner[1].OwnerFirstName.Text()) + "|jobs " +
            std::to_string(vek::JobList.JobCount);
    for (const std::string& call : shellCalls_) text += "\nshell " + call;
    return text;
  }

  // A file in the test folder, listed in the main window's job list.
  static void ListFile(const std::string& name, const std::string& content) {
    Form2->Show();
    vektest::MakeFile(std::filesystem::current_path() / name, content);
    vek::ReadFileInfo(WinPath(), name);
    Form2->AddCurrentFileToJobList();
  }
  // From the main window to the key window of an encrypt run.
  static void ToTheKeyWindow() {
    Form2->Show();
    Form2->BitBtn1->SetEnabled(true);
    Form2->BitBtn1->Click();
    ASSERT_TRUE(vek::Form7->IsShown());
    vek::Form7->Edit1->TypeText("A key to remember");
  }
  // On from the key window into the run, until `until` holds.
  static void RunUntil(const std::function<bool()>& until) {
    vek::Form7->Button1->Click();
    ASSERT_TRUE(vek::Form8->IsShown());
    ASSERT_TRUE(ui::clock::RunUntil(until, 30000));
  }

  std::unique_ptr<vektest::LoopbackServer> server_;

 private:
  std::vector<std::string> shellCalls_;
};

TEST_F(AppEveryWindowCloseTest, EachCloseIsItsWindowsOwnWayOutOrNothing) {
  using vek::Form14;
  using vek::Form15;
  using vek::Form16;
  using vek::Form18;
  using vek::Form20;
  using vek::Form21;
  using vek::Form6;
  using vek::Form7;
  using vek::Form8;
  using vek::Form9;
  server_ = std::make_unique<vektest::LoopbackServer>(vektest::HttpReply(
      "200 OK", "<LatestVersionString>1.10\r\n<DownloadURL>http://downloads.example/vek.exe\r\n"));
  struct Case {
    const char* Window;
    std::function<void()> Show;  // shows it as the program does, with a change made
    std::function<ui::TForm*()> Form;
    std::function<ui::TButton*()> StandsFor;  // nullptr: the close is refused
    const char* After;                        // a window shown right after the close
  };
  const auto none = []() -> ui::TButton* { return nullptr; };
  const Case cases[] = {
      {"start", [] { Form1->Show(); }, [] { return static_cast<ui::TForm*>(Form1); },
       [] { return Form1->Button2; }, "TForm19"},  // "I &QUIT": through the exit wipe
      {"update check, a version found",
       [this] {
         vek::StartCount = 2;
         vek::UpdateInfoUrl = server_->Url("/LiveData/VEK2003.pui");
         Form22->Show();
         ui::clock::Advance(1500);
         ASSERT_NE(Form22->PendingRequest(), nullptr);
         ASSERT_TRUE(Form22->PendingRequest()->Wait(20000));
         ui::clock::Advance(2000);
         ASSERT_TRUE(Form22->Button1->Visible());
       },
       [] { return static_cast<ui::TForm*>(Form22); }, [] { return Form22->Button2; },
       "TForm2"},  // "&Cancel", never the download
      {"options",
       [] {
         Form2->Show();
         Form2->BitBtn7->Click();
         Form4->TabbedNotebook1->SetPageIndex(0);
         Form4->Edit1->TypeText("Changed");
       },
       [] { return static_cast<ui::TForm*>(Form4); }, [] { return Form4->Button2; }, "TForm2"},
      {"main window",
       [] {
         ListFile("a.txt", "plain text");
         Form2->Show();
       },
       [] { return static_cast<ui::TForm*>(Form2); }, none, "TForm2"},
      {"about",
       [] {
         Form2->Show();
         Form2->BitBtn9->Click();
       },
       [] { return static_cast<ui::TForm*>(Form6); }, [] { return Form6->Button1; }, "TForm2"},
      {"key entry",
       [] {
         ListFile("a.txt", "plain text");
         ToTheKeyWindow();
       },
       [] { return static_cast<ui::TForm*>(Form7); }, [] { return Form7->Button2; }, "TForm2"},
      {"run under way",
       [] {
         ListFile("a.txt", std::string(3 * 8192, 'x'));
         ToTheKeyWindow();
         vek::Form7->Button1->Click();
       },
       [] { return static_cast<ui::TForm*>(Form8); }, none, "TForm8"},
      {"warning",
       [] {
         ListFile("empty.txt", "");
         ListFile("b.txt", "plain text");
         ToTheKeyWindow();
         RunUntil([] { return Form20->IsShown(); });
       },
       [] { return static_cast<ui::TForm*>(Form20); }, [] { return Form20->Button3; },
       "TForm8"},  // "C&ancel"
      {"error report",
       [] {
         ListFile("gone.txt", "plain text");
         ListFile("b.txt", "plain text");
         std::filesystem::remove("gone.txt");
         ToTheKeyWindow();
         RunUntil([] { return Form15->IsShown(); });
       },
       [] { return static_cast<ui::TForm*>(Form15); }, [] { return Form15->Button3; },
       "TForm8"},  // "Stop &all processing"
      {"activity log",
       [] {
         ListFile("a.txt", "plain text");
         ToTheKeyWindow();
         RunUntil([] { return vek::EngineState.Current == vek::EngineIdle; });
         Form8->Button4->Click();
         ASSERT_TRUE(Form21->IsShown());
       },
       [] { return static_cast<ui::TForm*>(Form21); }, [] { return Form21->Button1; }, "TForm2"},
      {"delete confirmation",
       [] {
         vek::ConfirmDeletes = true;
         ListFile("a.txt", "plain text");
         Form2->Show();
         Form2->BitBtn6->SetEnabled(true);
         Form2->BitBtn6->Click();
         ASSERT_TRUE(Form9->IsShown());
       },
       [] { return static_cast<ui::TForm*>(Form9); }, [] { return Form9->Button2; },
       "TForm2"},  // "&No"
      {"drive information",
       [] {
         Form2->Show();
         Form2->Button3->Click();
       },
       [] { return static_cast<ui::TForm*>(Form14); }, [] { return Form14->Button1; }, "TForm2"},
      {"file information",
       [] {
         ListFile("a.txt", "plain text");
         Form2->Show();
         vek::ViewerRecord = vek::CurrentFile;
         Form16->Show();
       },
       [] { return static_cast<ui::TForm*>(Form16); }, [] { return Form16->Button1; }, "TForm2"},
      {"embedded information",
       [] {
         ListFile("a.txt", "plain text");
         Form2->Show();
         vek::EditedEntry = {};
         vek::EditedEntry.Name = vek::JobList.Name[1];
         vek::EditedEntry.Owner = vek::JobList.Owner[1];
         vek::JobList.SelectedRow = 1;
         Form18->Show();
         Form18->Edit1->SetText("");
         Form18->Edit1->TypeText("Changed");
       },
       [] { return static_cast<ui::TForm*>(Form18); }, [] { return Form18->Button7; },
       "TForm2"},  // "&Cancel changes"
      {"screen lock",
       [] {
         Form2->Show();
         Form2->Button5->SetEnabled(true);
         Form2->Button5->Click();
         Form17->Edit1->TypeText("abc");
       },
       [] { return static_cast<ui::TForm*>(Form17); }, none, "TForm17"},
      {"exit wipe",
       [] {
         Form2->Show();
         Form2->BitBtn12->Click();
       },
       [] { return static_cast<ui::TForm*>(Form19); }, none, "TForm19"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Window);
    StartAfresh();
    ASSERT_NO_FATAL_FAILURE(c.Show());
    ASSERT_TRUE(c.Form()->IsShown());
    c.Form()->RequestClose();
    const std::vector<std::string> shown = ShownCaptions();
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const std::string& caption) {
      return caption.rfind(std::string(c.After) + " ", 0) == 0;
    }));
    const std::string closed = Outcome();

    StartAfresh();
    ASSERT_NO_FATAL_FAILURE(c.Show());
    if (ui::TButton* button = c.StandsFor()) button->Click();
    EXPECT_EQ(closed, Outcome());
  }
}

}  // namespace

// The built program itself, on a display server of the test's own: it shows
// its start window and ends through "I &QUIT"; started with a file as its
// argument, it lists that file in its job list. The program runs in real
// time, so every wait here is for something the display reports, bounded
// by a deadline.
//
// The update check on the way to the main window asks the program's own
// update address. The program runs in a network namespace of its own where
// the test may make one, so the request cannot leave the machine; it fails
// at once and the check closes after its animation, well inside the
// deadline.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "core/settings.h"
#include "core/state.h"
#include "core/texts.h"
#include "memory_scan.h"
#include "platform/paths.h"
#include "program_spots.h"
#include "test_support.h"
#include "x_display.h"

namespace vektest {
namespace {

using std::chrono::milliseconds;

// Generous, for the sanitizer build on a busy machine; a passing run takes
// a few seconds.
constexpr milliseconds WindowTimeout{60000};
constexpr milliseconds ExitTimeout{60000};

constexpr std::string_view StartWindowTitle = "VEK 2003";
constexpr std::string_view ExitWipeTitle = "Cleaning memory";

class SystemProgramTest : public TempDirTest {
 protected:
  // Whether the display has a window manager (openbox).
  virtual bool WithWindowManager() const { return false; }

  void SetUp() override {
    display_ = std::make_unique<TXDisplay>(WithWindowManager());
    if (!display_->Started()) GTEST_SKIP() << "no display for the program: " << display_->Problem();
    std::filesystem::create_directory(dir / "runtime");
    std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
  }

  void TearDown() override {
    program_.reset();
    if (!HasFailure()) return;
    const std::vector<uint8_t> output = ReadFileBytes(dir / "program.log");
    std::cerr << "The program's output:\n" << std::string(output.begin(), output.end());
  }

  void StartProgram(const std::vector<std::string>& arguments) {
    TChildOptions options;
    options.Folder = dir.path();
    options.Output = dir / "program.log";
    options.OwnNetwork = true;
    options.Environment = {{"DISPLAY", display_->Name()},
                           {"QT_QPA_PLATFORM", "xcb"},
                           {"XDG_RUNTIME_DIR", (dir / "runtime").string()}};
    program_ = TChildProcess::Start(VEK_PROGRAM, arguments, options);
    ASSERT_NE(program_, nullptr) << "cannot start " << VEK_PROGRAM;
  }

  // The window with this title once it is shown and drawn (so clicks find
  // it where it stays); 0, failing the test, when none comes.
  TWindowId ExpectWindow(std::string_view title) {
    const std::optional<TWindowId> window = display_->WaitForWindow(title, WindowTimeout);
    if (window && display_->WaitForDrawn(*window, WindowTimeout)) return *window;
    std::string shown;
    for (const std::string& other : display_->MappedTitles()) shown += " \"" + other + "\"";
    ADD_FAILURE() << "no window \"" << title << "\" was shown and drawn; shown:" << shown
                  << (program_->HasEnded() ? " (the program has ended)" : "");
    return 0;
  }

  void Screenshot(TWindowId window, const std::string& name) {
    const auto path = OutputDir() / (name + ".png");
    EXPECT_TRUE(display_->SaveScreenshot(window, path, WindowTimeout)) << path;
  }

  void Click(TWindowId window, TSpot spot, int clicks = 1) {
    display_->Click(window, spot.X, spot.Y, clicks);
  }

  // "I &ACCEPT" on the start window, until the window goes: a click that
  // comes while the window manager is still settling the new window can be
  // lost, and the start window stays (a second click is then harmless).
  void Accept(TWindowId start) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      Click(start, AcceptButton);
      if (display_->WaitForWindowHidden(start, std::chrono::seconds(5))) return;
    }
    ADD_FAILURE() << "the start window stayed through three clicks on I ACCEPT";
  }

  // Starts the program and goes through "I &ACCEPT" on its start window;
  // false, failing the test, when the program or that window does not come.
  bool StartAndAccept(const std::vector<std::string>& arguments = {}) {
    StartProgram(arguments);
    if (HasFatalFailure()) return false;
    const TWindowId start = ExpectWindow(StartWindowTitle);
    if (start == 0) return false;
    Accept(start);
    return true;
  }

  // The same on to the main window (a start after an earlier one); 0,
  // failing the test, when a window does not come.
  TWindowId StartToTheMainWindow(const std::vector<std::string>& arguments) {
    return StartAndAccept(arguments) ? ExpectWindow(MainWindowTitle) : 0;
  }

  // Through the exit wipe window to the program's end, with status 0.
  void ExpectOrderlyEnd() {
    EXPECT_TRUE(display_->WaitForWindow(ExitWipeTitle, WindowTimeout)) << "no exit wipe";
    EXPECT_EQ(program_->WaitForExit(ExitTimeout), std::optional<int>(0));
  }

  std::unique_ptr<TXDisplay> display_;
  std::unique_ptr<TChildProcess> program_;
};

TEST_F(SystemProgramTest, ShowsItsStartWindowAndEndsThroughQuit) {
  StartProgram({});
  const TWindowId start = ExpectWindow(StartWindowTitle);
  ASSERT_NE(start, 0u);
  Screenshot(start, "system-start-window");
  // A crash from here on writes no core file: the limit the running program
  // has, as the system shows it to others.
  std::ifstream limits("/proc/" + std::to_string(program_->Pid()) + "/limits");
  std::string line;
  while (std::getline(limits, line) && line.rfind("Max core file size", 0) != 0) {
  }
  std::istringstream fields(line.substr(std::min(line.size(), size_t{18})));
  std::string soft, hard;
  fields >> soft >> hard;
  EXPECT_EQ(soft + " " + hard, "0 0") << line;
  Click(start, QuitButton);
  ExpectOrderlyEnd();
}

// A settings file from an earlier start, so that this start leads on to the
// main window (the first start shows the options first).
void WriteSettingsOfEarlierStart(const std::filesystem::path& folder,
                                 const std::string& screenLockPassword = {}) {
  vek::ProgramFolder = platform::ToWindowsPath(folder.string()).value_or("") + "\\";
  vek::ApplyDefaultSettings();
  vek::StartCount = 1;
  vek::ScreenLockEnabled = !screenLockPassword.empty();
  vek::ScreenLockPassword.Assign(screenLockPassword);
  ASSERT_TRUE(vek::SaveSettings()) << vek::ProgramFolder;
}

TEST_F(SystemProgramTest, ListsTheFileItWasStartedWith) {
  MakePatternFile(dir / "report.txt", 1234);
  WriteSettingsOfEarlierStart(dir.path());
  const TWindowId main = StartToTheMainWindow({(dir / "report.txt").string()});
  ASSERT_NE(main, 0u);
  Screenshot(main, "system-main-window-with-argument");

  // A double click on an entry opens the editor of its embedded data, whose
  // caption names the entry.
  Click(main, JobListRow1, 2);
  const TWindowId editor = ExpectWindow("VEK 2003 - Embedded information for report.txt [" +
                                        vek::SizeToText(1234) + "]");
  ASSERT_NE(editor, 0u);
  Click(editor, CancelEditButton);
  ASSERT_TRUE(display_->WaitForWindowHidden(editor, WindowTimeout));
  Click(main, ExitButton);
  ExpectOrderlyEnd();
}

// On a desktop with a window manager, whose frames give a close button and
// Alt+F4 to every window whatever it asked for: a close sent to each window
// the program shows on its way takes that window's own way out, or is
// refused, and never leaves the program without a window.
class SystemWindowManagerTest : public SystemProgramTest {
 protected:
  bool WithWindowManager() const override { return true; }

  // Whether the window asked the window manager for a close function (the
  // Motif hints; none set allows every function).
  bool AsksForClose(TWindowId window) const {
    constexpr uint32_t FunctionsGiven = 1;
    constexpr uint32_t CloseFunction = 1u << 5;
    const std::vector<uint32_t> hints = display_->Property32(window, "_MOTIF_WM_HINTS");
    return hints.size() < 2 || (hints[0] & FunctionsGiven) == 0 || (hints[1] & CloseFunction) != 0;
  }

  // Starts the program with report.txt (made here, 1234 bytes) listed and
  // goes through "I &ACCEPT" and the main window's Encrypt to the key
  // window, once it has the keys; 0, failing the test, when a window does
  // not come. `main` gets the main window.
  TWindowId OpenTheKeyWindowForReport(TWindowId* main) {
    MakePatternFile(dir / "report.txt", 1234);
    WriteSettingsOfEarlierStart(dir.path());
    *main = StartToTheMainWindow({(dir / "report.txt").string()});
    if (*main == 0) return 0;
    Click(*main, EncryptButton);
    const TWindowId key = ExpectWindow("VEK 2003 - Key entry");
    if (key == 0) return 0;
    EXPECT_TRUE(display_->WaitForActiveWindow(key, milliseconds{15000})) << "the key window";
    return key;
  }

  // Starts the program and goes through "I &ACCEPT" to the update check,
  // which it closes; 0, failing the test, when a window does not come.
  TWindowId StartAndCloseTheUpdateCheck() {
    if (!StartAndAccept()) return 0;
    const TWindowId update = ExpectWindow("VEK 2003 - Checking for software updates");
    if (update == 0) return 0;
    EXPECT_FALSE(AsksForClose(update));
    display_->CloseThroughWindowManager(update);
    return update;
  }

  // Alt and the letter, until the window goes: a key sent before the
  // program has taken in its window's activation still reaches the window
  // active before it (where Alt and this letter do nothing).
  bool AnswerWithAccelerator(TWindowId window, uint32_t letter) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      display_->PressKey(letter, true);
      if (display_->WaitForWindowHidden(window, std::chrono::seconds(5))) return true;
    }
    return false;
  }

  // Both kinds of close; the direct one comes before any input sent later,
  // so what that input finds is the window after its close.
  void CloseBothWays(TWindowId window) {
    display_->CloseThroughWindowManager(window);
    display_->SendCloseMessage(window);
  }
};

TEST_F(SystemWindowManagerTest, ClosingTheStartWindowQuits) {
  StartProgram({});
  const TWindowId start = ExpectWindow(StartWindowTitle);
  ASSERT_NE(start, 0u);
  display_->CloseThroughWindowManager(start);
  ExpectOrderlyEnd();
}

// First start: the update check closes onto the options, the options onto
// the main window, which refuses its close until the exit.
TEST_F(SystemWindowManagerTest, ClosesOnTheWayInLeadOnToTheMainWindow) {
  ASSERT_NE(StartAndCloseTheUpdateCheck(), 0u);

  const TWindowId options = ExpectWindow("VEK 2003 - Options");
  ASSERT_NE(options, 0u);
  EXPECT_FALSE(AsksForClose(options));
  Screenshot(options, "system-options-first-start");
  display_->CloseThroughWindowManager(options);

  const TWindowId main = ExpectWindow(MainWindowTitle);
  ASSERT_NE(main, 0u);
  EXPECT_TRUE(AsksForClose(main));
  CloseBothWays(main);
  // The exit button still answers: the window stayed.
  Click(main, ExitButton);
  ExpectOrderlyEnd();
}

// A window the program shows from a timer, with no input of the user just
// before it (the options, once the update check has closed by itself),
// is the active window: the keyboard reaches it, its accelerator answers,
// and the main window it leads on to has the keys after it.
TEST_F(SystemWindowManagerTest, AWindowShownByATimerHasTheKeys) {
  constexpr milliseconds KeyTimeout{15000};
  ASSERT_TRUE(StartAndAccept());
  const TWindowId options = ExpectWindow("VEK 2003 - Options");
  ASSERT_NE(options, 0u);
  EXPECT_TRUE(display_->WaitForActiveWindow(options, KeyTimeout));
  ASSERT_TRUE(AnswerWithAccelerator(options, 'a')) << "the keys went elsewhere";  // "&Apply"
  const TWindowId main = ExpectWindow(MainWindowTitle);
  ASSERT_NE(main, 0u);
  EXPECT_TRUE(display_->WaitForActiveWindow(main, KeyTimeout));
  Click(main, ExitButton);
  ExpectOrderlyEnd();
}

// A question shown from a tick of a run while the run's window has the
// keys: the warning about an encrypted file already there takes them, and
// its accelerator answers it.
TEST_F(SystemWindowManagerTest, AWarningShownDuringARunHasTheKeys) {
  constexpr milliseconds KeyTimeout{15000};
  MakePatternFile(dir / "report.txt.vek", 10);
  TWindowId main = 0;
  const TWindowId key = OpenTheKeyWindowForReport(&main);
  ASSERT_NE(key, 0u);
  for (const char letter : std::string("keyboard")) display_->PressKey(uint32_t{uint8_t(letter)});
  Click(key, ProceedButton);
  const TWindowId warning = ExpectWindow("VEK 2003 - Warning");
  ASSERT_NE(warning, 0u);
  EXPECT_TRUE(display_->WaitForActiveWindow(warning, KeyTimeout));
  EXPECT_TRUE(AnswerWithAccelerator(warning, 'a')) << "the keys went elsewhere";  // "C&ancel"
}

// The program itself, its key typed on the keyboard: once a run with it
// has finished and its OK is pressed, no writable mapping of the program
// holds a run of the key's characters. (Keys the display's keyboard has
// without Shift: lower-case letters, digits, blanks.)
TEST_F(SystemWindowManagerTest, NoCopyOfATypedKeyIsLeftInTheProgramAfterARun) {
#ifndef VEK_WIPES_FREED_MEMORY
  GTEST_SKIP() << "a sanitizer build: the program frees through the sanitizer's allocator, "
                  "which leaves freed blocks as they are";
#endif
  constexpr char KeyMask = 0x15;
  constexpr auto Masked = [] {
    constexpr std::string_view text = "zq7 kxv3 wop9 jj4 fyx gml0 qrz5 hvb yuc2 pkd tnw8 oe6";
    std::array<char, text.size()> masked{};
    for (size_t i = 0; i < text.size(); ++i) masked[i] = static_cast<char>(text[i] ^ KeyMask);
    return masked;
  }();
  TMemoryScan scan;
  uint8_t* const key = scan.Room(Masked.size());
  for (size_t i = 0; i < Masked.size(); ++i) key[i] = static_cast<uint8_t>(Masked[i] ^ KeyMask);
  uint8_t* const wide = scan.Room(2 * Masked.size());
  for (size_t i = 0; i < Masked.size(); ++i) {
    wide[2 * i] = key[i];
    wide[2 * i + 1] = 0;
  }
  for (size_t i = 0; i + 8 <= Masked.size(); ++i) {
    scan.Add(key + i, 8, "key characters " + std::to_string(i) + "-" + std::to_string(i + 7));
    scan.Add(wide + 2 * i, 16,
             "UTF-16 key characters " + std::to_string(i) + "-" + std::to_string(i + 7));
  }

  TWindowId main = 0;
  const TWindowId keyWindow = OpenTheKeyWindowForReport(&main);
  ASSERT_NE(keyWindow, 0u);
  for (size_t i = 0; i < Masked.size(); ++i) display_->PressKey(key[i]);
  Click(keyWindow, ProceedButton);
  const std::optional<TWindowId> run = display_->WaitForWindow("VEK: Finished", WindowTimeout);
  ASSERT_TRUE(run.has_value()) << "the run did not finish";
  ASSERT_TRUE(display_->WaitForDrawn(*run, WindowTimeout));
  Click(*run, RunOkButton);
  ASSERT_TRUE(display_->WaitForWindowHidden(*run, WindowTimeout)) << "OK did not end the run";
  ASSERT_TRUE(std::filesystem::exists(dir / "report.txt.vek"));

  std::string error;
  const std::vector<TMemoryFinding> found = scan.Scan(program_->Pid(), &error);
  if (!error.empty()) GTEST_SKIP() << "the program's memory cannot be read: " << error;
  EXPECT_TRUE(found.empty()) << "the key is still in the program's memory:\n" << Describe(found);
  Click(main, ExitButton);
  ExpectOrderlyEnd();
}

TEST_F(SystemWindowManagerTest, TheScreenLockStaysThroughAClose) {
  WriteSettingsOfEarlierStart(dir.path(), "secret");
  ASSERT_NE(StartAndCloseTheUpdateCheck(), 0u);
  const TWindowId main = ExpectWindow(MainWindowTitle);
  ASSERT_NE(main, 0u);
  Click(main, ScreenLockButton);
  const TWindowId lock = ExpectWindow("VEK 2003 - Screen lock");
  ASSERT_NE(lock, 0u);
  ASSERT_TRUE(display_->WaitForWindowHidden(main, WindowTimeout));

  const std::vector<uint8_t> before = display_->DrawnPixels(lock, WindowTimeout);
  CloseBothWays(lock);
  // An empty password is a wrong one: the lock answers, so it is still there.
  Click(lock, UnlockButton);
  ASSERT_TRUE(display_->WaitForPictureOtherThan(lock, before, WindowTimeout));
  EXPECT_EQ(display_->WaitForWindow("VEK 2003 - Screen lock", WindowTimeout), lock);
  Screenshot(lock, "system-screen-lock-after-close");
}

}  // namespace
}  // namespace vektest

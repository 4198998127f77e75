// The built installer file, installed into the test's own home, and a .vek
// file opened the way the desktop opens it: the program the installer put
// in place starts in its folder, on a display server of the test's own,
// and lists the file in its job list.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "core/settings.h"
#include "core/state.h"
#include "core/texts.h"
#include "installer/backdrop.h"
#include "installer/finish_page.h"
#include "installer/state.h"
#include "installer_fixture.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/shell_desktop.h"
#include "x_display.h"

namespace vektest {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr milliseconds Timeout{60000};

// Where the test clicks, inside the program's windows (from the form files).
constexpr int AcceptX = 40 + 72, AcceptY = 240 + 113 + 12;     // start window: Button1
constexpr int FirstRowX = 2 + 60, FirstRowY = 312 + 16 + 8;    // main window: job list row 1
constexpr int CancelEditX = 130 + 60, CancelEditY = 388 + 12;  // embedded information: Button7
constexpr int ExitX = 272 + 27, ExitY = 2 + 24;                // main window: BitBtn12

// The value of `key` in a desktop entry, its escapes undone; "" when absent.
std::string EntryValue(const std::string& entry, const std::string& key) {
  const size_t at = entry.find("\n" + key + "=");
  if (at == std::string::npos) return {};
  const size_t start = at + key.size() + 2;
  const std::string raw = entry.substr(start, entry.find('\n', start) - start);
  std::string value;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      const char c = raw[++i];
      value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    } else {
      value += raw[i];
    }
  }
  return value;
}

// An Exec line as a launcher reads it: arguments split at blanks, double
// quotes grouping and their escapes undone, "%f" the opened file and "%%" a
// percent sign.
std::vector<std::string> ExecArguments(const std::string& exec, const std::string& file) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        if (c == '\\' && i + 1 < exec.size()) ++i;
        current += exec[i];
      }
    } else if (c == ' ') {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else if (c == '"') {
      quoted = inArgument = true;
    } else if (c == '%' && i + 1 < exec.size()) {
      const char code = exec[++i];
      current += code == 'f' ? file : code == '%' ? "%" : "";
      inArgument = true;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

class DesktopSystemTest : public InstallerTest {};

TEST_F(DesktopSystemTest, AVekFileOpensInTheInstalledProgram) {
  TXDisplay display;
  if (!display.Started()) GTEST_SKIP() << "no display for the program: " << display.Problem();

  // The installation, with the menu where the desktop reads it.
  platform::SetDriveMap({{'C', dir.path().string()}, {'Z', "/"}});
  vek::installer::SetupFileOverride = platform::ToWindowsPath(VEK_SETUP_FILE);
  vek::installer::PayloadTableOverride.reset();
  vek::installer::Form1->FormCreate();
  ASSERT_TRUE(platform::RegWriteString(platform::RootKey::CurrentUser, kShellFolders, "Start Menu",
                                       *platform::DesktopEntriesFolder()));
  RunInstallation("C:\\VEK 2003");
  ASSERT_TRUE(vek::installer::Form6->IsShown()) << "the installation failed";
  const fs::path installed = dir / "VEK 2003";

  // A settings file of an earlier start in the program's folder leads the
  // start on to the main window.
  vek::ProgramFolder = "C:\\VEK 2003\\";
  vek::ApplyDefaultSettings();
  vek::StartCount = 1;
  ASSERT_TRUE(vek::SaveSettings());

  // The .vek file's type, the entry that opens it, and that entry's command.
  MakePatternFile(dir / "my letter.vek", 1234);
  ASSERT_EQ(RunCommand({"xdg-mime", "query", "filetype", dir / "my letter.vek"}).Output,
            "application/x-vek2003\n");
  ASSERT_EQ(RunCommand({"xdg-mime", "query", "default", "application/x-vek2003"}).Output,
            "vek2003.desktop\n");
  const auto bytes = ReadFileBytes(dir / "data" / "applications" / "vek2003.desktop");
  const std::string entry(bytes.begin(), bytes.end());
  const std::vector<std::string> command =
      ExecArguments(EntryValue(entry, "Exec"), (dir / "my letter.vek").string());
  ASSERT_EQ(command, (std::vector<std::string>{(installed / "VEK 2003.exe").string(),
                                               (dir / "my letter.vek").string()}));
  ASSERT_EQ(EntryValue(entry, "Path"), installed.string());

  fs::create_directory(dir / "runtime");
  fs::permissions(dir / "runtime", fs::perms::owner_all);
  TChildOptions options;
  options.Folder = EntryValue(entry, "Path");
  options.Output = dir / "program.log";
  options.OwnNetwork = true;
  options.Environment = {{"DISPLAY", display.Name()},
                         {"QT_QPA_PLATFORM", "xcb"},
                         {"XDG_RUNTIME_DIR", (dir / "runtime").string()}};
  auto program = TChildProcess::Start(command[0], {command.begin() + 1, command.end()}, options);
  ASSERT_NE(program, nullptr);

  const auto window = [&](const std::string& title) -> TWindowId {
    const auto shown = display.WaitForWindow(title, Timeout);
    if (shown && display.WaitForDrawn(*shown, Timeout)) return *shown;
    const auto log = ReadFileBytes(dir / "program.log");
    ADD_FAILURE() << "no window \"" << title << "\"; the program said:\n"
                  << std::string(log.begin(), log.end());
    return 0;
  };
  const TWindowId start = window("VEK 2003");
  ASSERT_NE(start, 0u);
  display.Click(start, AcceptX, AcceptY);
  const TWindowId main = window("VEK 2003 - 1024 Bit Key Strength File Protection");
  ASSERT_NE(main, 0u);
  display.Click(main, FirstRowX, FirstRowY, 2);
  const TWindowId editor =
      window("VEK 2003 - Embedded information for my letter.vek [" + vek::SizeToText(1234) + "]");
  ASSERT_NE(editor, 0u);
  display.Click(editor, CancelEditX, CancelEditY);
  ASSERT_TRUE(display.WaitForWindowHidden(editor, Timeout));
  display.Click(main, ExitX, ExitY);
  EXPECT_EQ(program->WaitForExit(Timeout), std::optional<int>(0));
}

}  // namespace
}  // namespace vektest

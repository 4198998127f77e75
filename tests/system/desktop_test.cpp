// The built installer file, installed into the test's own home, and a .vek
// file opened the way the desktop opens it: the program the installer put
// in place starts in its folder, on a display server of the test's own,
// and lists the file in its job list.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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
#include "installer/image.h"
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

// The text of a file ("" when it cannot be read).
std::string FileText(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return {};
  const auto bytes = ReadFileBytes(file);
  return std::string(bytes.begin(), bytes.end());
}

// The arguments a running process was started with.
std::vector<std::string> CommandLineOf(pid_t pid) {
  const std::string text = FileText("/proc/" + std::to_string(pid) + "/cmdline");
  std::vector<std::string> arguments;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\0', start);
    arguments.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return arguments;
}

class DesktopSystemTest : public InstallerTest {
 protected:
  // The built installer file installed into `folder`, with the menu where
  // the desktop reads it.
  void Install(std::string_view folder) {
    platform::SetDriveMap({{'C', dir.path().string()}, {'Z', "/"}});
    vek::installer::SetupFileOverride = platform::ToWindowsPath(VEK_SETUP_FILE);
    vek::installer::PayloadTableOverride.reset();
    vek::installer::Form1->FormCreate();
    ASSERT_TRUE(platform::RegWriteString(platform::RootKey::CurrentUser, kShellFolders,
                                         "Start Menu", *platform::DesktopEntriesFolder()));
    vek::installer::Form6->Hide();
    RunInstallation(folder);
    ASSERT_TRUE(vek::installer::Form6->IsShown()) << "the installation failed";
  }

  // The environment of a program shown on `display`, with nothing of it
  // able to leave the machine.
  TChildOptions ProgramOptions(const TXDisplay& display) {
    fs::create_directories(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    TChildOptions options;
    options.Output = dir / "program.log";
    options.OwnNetwork = true;
    options.Environment = {{"DISPLAY", display.Name()},
                           {"QT_QPA_PLATFORM", "xcb"},
                           {"NO_AT_BRIDGE", "1"},
                           {"XDG_RUNTIME_DIR", (dir / "runtime").string()}};
    return options;
  }

  // The process that shows the program's start window, once it is shown;
  // 0, failing the test, when none comes, or when `starter` (the tool that
  // starts it) ends in failure first.
  pid_t StartWindowProcess(TXDisplay& display, TWindowId* window, TChildProcess& starter) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    std::optional<TWindowId> shown;
    while (!shown && std::chrono::steady_clock::now() < deadline) {
      shown = display.WaitForWindow("VEK 2003", milliseconds(250));
      const std::optional<int> status = starter.WaitForExit(milliseconds(0));
      if (!shown && status && *status != 0) break;
    }
    const std::vector<uint32_t> pid =
        shown ? display.Property32(*shown, "_NET_WM_PID") : std::vector<uint32_t>();
    if (pid.size() == 1) {
      *window = *shown;
      return static_cast<pid_t>(pid[0]);
    }
    ADD_FAILURE() << "no start window; it and the program said:\n" << FileText(dir / "program.log");
    return 0;
  }

  // Ends the program that shows `window`, a process that a tool started
  // and left (to this process, or to that tool to collect), and waits for
  // the window to go.
  void EndProgram(TXDisplay& display, pid_t pid, TWindowId window) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);  // when it was left to this process
    EXPECT_TRUE(display.WaitForWindowHidden(window, Timeout));
  }
};

TEST_F(DesktopSystemTest, AVekFileOpensInTheInstalledProgram) {
  TXDisplay display;
  if (!display.Started()) GTEST_SKIP() << "no display for the program: " << display.Problem();
  Install("C:\\VEK 2003");
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
  ASSERT_EQ(command,
            (std::vector<std::string>{(dir / "data" / "vek2003" / "bin" / "vek2003").string(),
                                      (dir / "my letter.vek").string()}));
  ASSERT_EQ(EntryValue(entry, "Path"), installed.string());

  TChildOptions options = ProgramOptions(display);
  options.Folder = EntryValue(entry, "Path");
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

// Every way a desktop opens a .vek file starts the program in its install
// folder with the file: xdg-open on a desktop it does not know (where it
// reads the entry's command itself, cut at blanks) and on GNOME (where it
// hands the file to gio), gio, and gtk-launch, for install folders and
// user data folders with blanks, letters beyond ASCII and "%" in their
// names. The window's class is the one the entry names.
TEST_F(DesktopSystemTest, EveryLauncherStartsTheProgramInItsFolderWithTheFile) {
  TXDisplay display;
  if (!display.Started()) GTEST_SKIP() << "no display for the program: " << display.Problem();
  for (const char* tool : {"gio", "gtk-launch"}) {
    if (RunCommand({"sh", "-c", std::string("command -v ") + tool}).Status != 0) {
      GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
  }
  // Programs that gio and gtk-launch start are left to this process when
  // those tools end, so that it can collect them. No desktop is named
  // unless a case names one.
  struct TLaunchSetting {
    TLaunchSetting() {
      if (const char* desktop = std::getenv("XDG_CURRENT_DESKTOP")) Desktop = desktop;
      ::prctl(PR_SET_CHILD_SUBREAPER, 1);
      ::unsetenv("XDG_CURRENT_DESKTOP");
    }
    ~TLaunchSetting() {
      ::prctl(PR_SET_CHILD_SUBREAPER, 0);
      if (Desktop) ::setenv("XDG_CURRENT_DESKTOP", Desktop->c_str(), 1);
    }
    std::optional<std::string> Desktop;
  } setting;

  const fs::path file = dir / "my letter.vek";
  MakePatternFile(file, 1234);
  struct Launcher {
    const char* Name;
    std::vector<std::string> Command;
  };
  const Launcher launchers[] = {{"xdg-open", {"xdg-open", file}},
                                {"gio", {"gio", "open", file}},
                                {"gtk-launch", {"gtk-launch", "vek2003", file}}};
  struct TPlace {
    std::string Folder;    // the install folder, below C:
    std::string DataHome;  // the user's data folder, below the test's folder
  };
  const TPlace places[] = {{"Programme für alle\\VEK 2003", "data"},
                           {"Werkzeug%20\\VEK%f", "data"},
                           {"VEK 2003", "Meine Daten"},
                           {"VEK 2003", "data%20%f"}};
  for (const TPlace& place : places) {
    const ScopedEnvironment dataHome({{"XDG_DATA_HOME", (dir / place.DataHome).string()}});
    Install("C:\\" + place.Folder);
    std::string hostFolder = place.Folder;
    std::replace(hostFolder.begin(), hostFolder.end(), '\\', '/');
    const fs::path installed = dir / hostFolder;
    const fs::path entryFile = dir / place.DataHome / "applications" / "vek2003.desktop";
    const std::string entry = FileText(entryFile);
    ASSERT_EQ(RunCommand({"desktop-file-validate", entryFile}).Output, "");
    for (const char* desktop : {"", "GNOME"}) {
      for (const Launcher& launcher : launchers) {
        SCOPED_TRACE(place.Folder + ", data in " + place.DataHome + ", " + launcher.Name +
                     ", XDG_CURRENT_DESKTOP=" + desktop);
        TChildOptions options = ProgramOptions(display);
        if (*desktop != '\0') options.Environment.emplace_back("XDG_CURRENT_DESKTOP", desktop);
        auto launch = TChildProcess::Start(
            launcher.Command[0], {launcher.Command.begin() + 1, launcher.Command.end()}, options);
        ASSERT_NE(launch, nullptr);
        TWindowId window = 0;
        const pid_t program = StartWindowProcess(display, &window, *launch);
        if (program == 0) continue;
        std::error_code ec;
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(program) + "/cwd", ec), installed);
        EXPECT_EQ(CommandLineOf(program),
                  (std::vector<std::string>{installed / "VEK 2003.exe", file}));
        const std::string windowClass = display.Property8(window, "WM_CLASS");
        EXPECT_EQ(windowClass.substr(windowClass.find('\0') + 1),
                  EntryValue(entry, "StartupWMClass") + '\0');
        EndProgram(display, program, window);
        EXPECT_TRUE(launch->WaitForExit(Timeout).has_value());
      }
    }
  }
}

// A reinstall that is killed while it copies the program leaves the
// earlier program whole under its name (or the new one, never part of
// either), and the menu entry still starts it.
TEST_F(DesktopSystemTest, AReinstallKilledDuringTheCopyLeavesAWholeProgram) {
  TXDisplay display;
  if (!display.Started()) GTEST_SKIP() << "no display for the installer: " << display.Problem();
  Install("C:\\Program Files\\VEK 2003");
  const fs::path installed = dir / "Program Files" / "VEK 2003" / "VEK 2003.exe";
  // The earlier program: the new one with more behind it, which runs as well.
  const Bytes fresh = ReadFileBytes(installed);
  Bytes earlier = fresh;
  earlier.resize(fresh.size() + 4096, 0x5A);
  fs::remove(installed);
  MakeFile(installed, earlier);
  fs::permissions(installed, fs::perms::owner_all);

  // The installer file as a user starts it, from a folder on drive C:,
  // where its folder page suggests the folder of the earlier install.
  fs::create_directories(dir / "config" / "vek2003");
  MakeFile(dir / "config" / "vek2003" / "drives", "C: " + dir.path().string() + "\nZ: /\n");
  TChildOptions options = ProgramOptions(display);
  options.Environment.emplace_back("HOME", dir.path().string());
  options.Output = dir / "setup.log";
  auto installer = TChildProcess::Start(VEK_SETUP_FILE, {}, options);
  ASSERT_NE(installer, nullptr);
  struct Page {
    int Width, Height, NextX, NextY;  // from the form files: the page's next button
  };
  for (const Page page : {Page{480, 322, 292 + 48, 287 + 12}, Page{460, 324, 110 + 48, 290 + 12},
                          Page{460, 164, 110 + 48, 130 + 12}}) {
    const auto shown =
        display.WaitForWindow("VEK 2003 - Quox Installer Wizard", page.Width, page.Height, Timeout);
    ASSERT_TRUE(shown && display.WaitForDrawn(*shown, Timeout))
        << page.Width << "x" << page.Height << "; the installer said:\n"
        << FileText(dir / "setup.log");
    // A click that comes while a new window settles can be lost.
    bool moved = false;
    for (int attempt = 0; attempt < 3 && !moved; ++attempt) {
      display.Click(*shown, page.NextX, page.NextY);
      moved = display.WaitForWindowHidden(*shown, std::chrono::seconds(5));
    }
    ASSERT_TRUE(moved) << page.Width << "x" << page.Height;
  }

  // Killed once a good part of the program is written, under whatever name.
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, installed.parent_path().c_str(), IN_MODIFY), 0);
  const auto copying = [&] {
    for (const auto& item : fs::directory_iterator(installed.parent_path())) {
      std::error_code ec;
      const auto size = fs::file_size(item.path(), ec);
      if (!ec && size >= 65536 && size < fresh.size()) return true;
    }
    return false;
  };
  const auto deadline = std::chrono::steady_clock::now() + Timeout;
  while (!copying() && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{watch, POLLIN, 0};
    if (::poll(&ready, 1, 1000) > 0) {
      char events[4096];
      [[maybe_unused]] const ssize_t n = ::read(watch, events, sizeof events);
    }
  }
  ::close(watch);
  if (!copying()) {
    std::string shown, files;
    for (const std::string& title : display.MappedTitles()) shown += " \"" + title + "\"";
    for (const auto& item : fs::recursive_directory_iterator(dir.path())) {
      files += " " + item.path().string();
    }
    FAIL() << "the copy did not start; shown:" << shown << "; files:" << files
           << "; the installer said:\n"
           << FileText(dir / "setup.log");
  }
  installer.reset();  // SIGKILL

  const Bytes after = ReadFileBytes(installed);
  EXPECT_TRUE(after == earlier || after == fresh)
      << "the program file has " << after.size() << " bytes";
  const std::string entry = FileText(dir / "data" / "applications" / "vek2003.desktop");
  const std::vector<std::string> command =
      ExecArguments(EntryValue(entry, "Exec"), (dir / "my letter.vek").string());
  ASSERT_FALSE(command.empty());
  MakePatternFile(dir / "my letter.vek", 1234);
  TChildOptions programOptions = ProgramOptions(display);
  programOptions.Folder = EntryValue(entry, "Path");
  auto program =
      TChildProcess::Start(command[0], {command.begin() + 1, command.end()}, programOptions);
  ASSERT_NE(program, nullptr);
  TWindowId window = 0;
  const pid_t pid = StartWindowProcess(display, &window, *program);
  ASSERT_NE(pid, 0);
  std::error_code ec;
  EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec), installed);
  EXPECT_EQ(pid, program->Pid());  // the starter became the program
  program.reset();
  EXPECT_TRUE(display.WaitForWindowHidden(window, Timeout));
}

// The readme's block of removal commands, taken from the readme itself,
// leaves nothing of an install behind, wherever its starter went: no file
// or folder of its name, no file that speaks of it, and no default program
// for the .vek type. The installed readme carries the same block.
TEST_F(DesktopSystemTest, TheReadmesRemovalLeavesNothingOfTheInstall) {
  const std::string readme = FileText(VEK_README);
  const size_t section = readme.find("\n## Removing it\n");
  ASSERT_NE(section, std::string::npos);
  const size_t begin = readme.find("```sh\n", section);
  ASSERT_NE(begin, std::string::npos);
  const size_t end = readme.find("```", begin + 6);
  ASSERT_NE(end, std::string::npos);
  const std::string block = readme.substr(begin + 6, end - begin - 6);
  std::string indented;
  for (size_t at = 0; at < block.size();) {
    const size_t lineEnd = block.find('\n', at);
    const std::string line = block.substr(at, lineEnd - at);
    indented += (line.empty() ? "" : "    ") + line + "\n";
    at = lineEnd + 1;
  }
  EXPECT_NE(FileText(VEK_INSTALLER_README).find(indented), std::string::npos);

  const auto mentions = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.find("vek2003") != std::string::npos || text.find("vek 2003") != std::string::npos;
  };
  // The install writes its registry where it always does, below the home.
  ScopedEnvironment home({{"HOME", dir.path().string()}});
  // A data folder whose path launchers take apart puts the starter below the home.
  for (const char* data : {"data", "my data%20"}) {
    SCOPED_TRACE(data);
    const ScopedEnvironment dataHome({{"XDG_DATA_HOME", (dir / data).string()}});
    platform::SetRegistryFileForTest((dir / data / "vek2003" / "registry").string());
    ASSERT_TRUE(platform::RegWriteString(platform::RootKey::CurrentUser, kShellFolders, "Desktop",
                                         "C:\\Desktop"));
    Install("C:\\VEK 2003");
    ASSERT_EQ(RunCommand({"xdg-mime", "query", "default", "application/x-vek2003"}).Output,
              "vek2003.desktop\n");
    ASSERT_TRUE(fs::exists(dir / data / "vek2003" / "registry"));

    const TCommandResult removal = RunCommand({"sh", "-c", block});
    EXPECT_EQ(removal.Status, 0) << removal.Output;
    for (auto item = fs::recursive_directory_iterator(dir.path());
         item != fs::recursive_directory_iterator(); ++item) {
      if (item->path() == dir / "setup") {  // the tests' own installer file
        item.disable_recursion_pending();
        continue;
      }
      EXPECT_FALSE(mentions(item->path().filename().string())) << item->path();
      EXPECT_FALSE(mentions(FileText(item->path()))) << item->path() << ":\n"
                                                     << FileText(item->path());
    }
    EXPECT_EQ(RunCommand({"xdg-mime", "query", "default", "application/x-vek2003"}).Output, "");
  }
}

}  // namespace
}  // namespace vektest

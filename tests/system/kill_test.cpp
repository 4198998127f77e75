// The built program killed outright (SIGKILL) in the middle of a run,
// driven through its windows on a display of the test's own: what the
// killed run leaves is for its owner alone, the file it worked on is whole,
// and the same job started again completes and leaves nothing of the
// killed run.
//
// Where the run is comes from outside the program: the test follows the
// program from one system call to the next (ptrace) and looks, at each
// stop, at what it has open in the job's folder (which files, for reading
// or writing, how large), until it is inside the phase; there it is killed.
// So a phase as short as the verification is met every time. Every wait is
// for something the display or the system reports, bounded by a deadline.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "core/settings.h"
#include "core/state.h"
#include "platform/paths.h"
#include "program_spots.h"
#include "test_support.h"
#include "x_display.h"

namespace vektest {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using TClock = std::chrono::steady_clock;

constexpr milliseconds WindowTimeout{60000};
constexpr milliseconds RunTimeout{120000};
// A click that comes while the window manager is still settling a new
// window can be lost: the click is given again after this long.
constexpr milliseconds ClickAnswerTimeout{5000};

constexpr std::string_view FinishedTitle = "VEK: Finished";
constexpr std::string_view Key = "keyboard";

// The plaintext: a pattern with this text every 4 KiB, so that a file
// holding any stretch of it is found by the text.
constexpr std::string_view Marker = "plaintext that must not leak 5be2";

std::vector<uint8_t> MarkedPlaintext(size_t size) {
  std::vector<uint8_t> bytes = PatternBytes(size);
  for (size_t at = 0; at + Marker.size() <= size; at += 4096) {
    std::copy(Marker.begin(), Marker.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
  }
  return bytes;
}

bool HoldsMarker(const fs::path& file) {
  const std::vector<uint8_t> bytes = ReadFileBytes(file);
  return std::search(bytes.begin(), bytes.end(), Marker.begin(), Marker.end()) != bytes.end();
}

bool IsTemporaryName(const std::string& name) {
  return name.rfind("tmp", 0) == 0 && fs::path(name).extension() == ".tmp";
}

// The files of a folder by name: which others than the owner may read or
// write, and which hold plaintext.
struct TFolderLook {
  std::set<std::string> Names;
  std::set<std::string> OpenToOthers;
  std::set<std::string> HoldingPlaintext;
  std::set<std::string> Temporary;
};

TFolderLook LookAt(const fs::path& folder) {
  TFolderLook look;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    look.Names.insert(name);
    struct stat st {};
    if (::lstat(entry.path().c_str(), &st) != 0 || (st.st_mode & 077) != 0) {
      look.OpenToOthers.insert(name);
    }
    if (entry.is_regular_file() && HoldsMarker(entry.path())) look.HoldingPlaintext.insert(name);
    if (IsTemporaryName(name)) look.Temporary.insert(name);
  }
  return look;
}

std::string Joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return "{" + text + "}";
}

// A file of a folder that the stopped program has open: its name, for
// writing or not, its size, and where it is read ("/proc/<pid>/fd/<n>",
// the open file itself whatever name it has now).
struct TOpenFile {
  fs::path Path;
  bool Writes = false;
  int64_t Size = 0;
  fs::path Open;
};

std::vector<TOpenFile> OpenFilesOf(pid_t pid, const fs::path& folder) {
  std::vector<TOpenFile> files;
  const fs::path proc = "/proc/" + std::to_string(pid);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(proc / "fd", error)) {
    TOpenFile file;
    file.Path = fs::read_symlink(entry.path(), error);
    if (error || file.Path.parent_path() != folder) continue;
    file.Open = entry.path();
    struct stat st {};
    if (::stat(entry.path().c_str(), &st) == 0) file.Size = st.st_size;
    std::ifstream info(proc / "fdinfo" / entry.path().filename());
    for (std::string field; info >> field;) {
      if (field == "flags:" && info >> field) {
        file.Writes = (std::stoul(field, nullptr, 8) & 03) != 0;  // O_WRONLY or O_RDWR
      }
    }
    files.push_back(file);
  }
  return files;
}

std::optional<uint8_t> ByteAt(const fs::path& file, size_t at) {
  std::ifstream in(file, std::ios::binary);
  char byte = 0;
  if (!in.seekg(static_cast<std::streamoff>(at)) || !in.get(byte)) return std::nullopt;
  return static_cast<uint8_t>(byte);
}

// A settings file from an earlier start, so that a start leads on to the
// main window, with the processing options at their defaults (verify,
// delete the original after encrypt and the encrypted file after decrypt)
// but for six overwrite passes, so that a delete lasts.
void WriteSettingsOfEarlierStart(const fs::path& folder) {
  vek::ProgramFolder = platform::ToWindowsPath(folder.string()).value_or("") + "\\";
  vek::ApplyDefaultSettings();
  vek::StartCount = 1;
  vek::DeleteMethod = vek::DeleteTriplePass;
  ASSERT_TRUE(vek::SaveSettings()) << vek::ProgramFolder;
}

// The umask most systems give their users, for the length of a test.
class UmaskScope {
 public:
  UmaskScope() : old_(::umask(022)) {}
  ~UmaskScope() { ::umask(old_); }
  UmaskScope(const UmaskScope&) = delete;
  UmaskScope& operator=(const UmaskScope&) = delete;

 private:
  mode_t old_;
};

enum class TJob { Encrypt, Decrypt, Delete };

// On a desktop with a window manager, whose activation gives the key
// window the keyboard.
class SystemKillTest : public TempDirTest {
 protected:
  void SetUp() override {
    display_ = std::make_unique<TXDisplay>(true);
    if (!display_->Started()) GTEST_SKIP() << "no display for the program: " << display_->Problem();
    fs::create_directory(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    ASSERT_NO_FATAL_FAILURE(WriteSettingsOfEarlierStart(dir.path()));
  }

  void TearDown() override {
    program_.reset();
    if (!HasFailure() || starts_ == 0) return;
    const std::vector<uint8_t> output = ReadFileBytes(ProgramOutput());
    std::cerr << "The program's output:\n" << std::string(output.begin(), output.end());
  }

  fs::path ProgramOutput() const { return dir / ("program-" + std::to_string(starts_) + ".log"); }

  // The window with this title once it is shown and drawn; 0, failing the
  // test, when none comes.
  TWindowId ExpectWindow(std::string_view title, milliseconds timeout = WindowTimeout) {
    const std::optional<TWindowId> window = display_->WaitForWindow(title, timeout);
    if (window && display_->WaitForDrawn(*window, timeout)) return *window;
    std::string shown;
    for (const std::string& other : display_->MappedTitles()) shown += " \"" + other + "\"";
    ADD_FAILURE() << "no window \"" << title << "\" was shown and drawn; shown:" << shown
                  << (program_->HasEnded() ? " (the program has ended)" : "");
    return 0;
  }

  // Clicks until `answered` (a wait of its own) says the program took the
  // click.
  bool ClickUntil(TWindowId window, TSpot spot, const std::function<bool()>& answered) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      display_->Click(window, spot.X, spot.Y);
      if (answered()) return true;
    }
    return false;
  }
  bool ClickUntilHidden(TWindowId window, TSpot spot) {
    return ClickUntil(window, spot,
                      [&] { return display_->WaitForWindowHidden(window, ClickAnswerTimeout); });
  }
  TWindowId ClickForWindow(TWindowId window, TSpot spot, std::string_view title) {
    std::optional<TWindowId> shown;
    ClickUntil(window, spot, [&] {
      shown = display_->WaitForWindow(title, ClickAnswerTimeout);
      return shown.has_value();
    });
    return shown ? ExpectWindow(title) : ExpectWindow(title, milliseconds(0));
  }

  // Starts the program with `file` in its job list and goes on to its main
  // window (closing the update check on the way); 0, failing the test,
  // when a window does not come.
  TWindowId StartWith(const fs::path& file) {
    ++starts_;
    TChildOptions options;
    options.Folder = dir.path();
    options.Output = ProgramOutput();
    options.OwnNetwork = true;
    options.Environment = {{"DISPLAY", display_->Name()},
                           {"QT_QPA_PLATFORM", "xcb"},
                           {"XDG_RUNTIME_DIR", (dir / "runtime").string()}};
    program_ = TChildProcess::Start(VEK_PROGRAM, {file.string()}, options);
    if (program_ == nullptr) {
      ADD_FAILURE() << "cannot start " << VEK_PROGRAM;
      return 0;
    }
    const TWindowId start = ExpectWindow("VEK 2003");
    if (start == 0) return 0;
    if (!ClickUntilHidden(start, AcceptButton)) {
      ADD_FAILURE() << "the start window stayed through three clicks on I ACCEPT";
      return 0;
    }
    const TWindowId update = ExpectWindow("VEK 2003 - Checking for software updates");
    if (update == 0) return 0;
    display_->CloseThroughWindowManager(update);
    return ExpectWindow(MainWindowTitle);
  }

  // From the main window into the run of the job; false, failing the test,
  // when a window does not come or does not take its answer.
  bool StartJob(TWindowId main, TJob job) {
    if (job == TJob::Delete) {
      const TWindowId confirm = ClickForWindow(main, DeleteButton, "VEK 2003 - File delete");
      return confirm != 0 && ClickUntilHidden(confirm, DeleteYesButton);
    }
    const TWindowId key = ClickForWindow(main, job == TJob::Encrypt ? EncryptButton : DecryptButton,
                                         "VEK 2003 - Key entry");
    if (key == 0) return false;
    EXPECT_TRUE(display_->WaitForActiveWindow(key, WindowTimeout));
    for (const char letter : Key) display_->PressKey(uint32_t{uint8_t(letter)});
    return ClickUntilHidden(key, ProceedButton);
  }

  // Follows the running program from one system call to the next and,
  // after each call that opens, reads or writes a file, looks at what it
  // has open in `folder` until `inside` finds it inside the phase; kills it
  // there. What `inside` said; nothing (failing the test) when the program
  // ends or the deadline passes first.
  std::optional<std::string> KillWhen(
      const fs::path& folder,
      const std::function<std::optional<std::string>(const std::vector<TOpenFile>&)>& inside) {
    const pid_t pid = program_->Pid();
    // Its main thread, where the runs work, is stopped at once and then at
    // the start and the end of each call. A user without the privilege to
    // follow processes may not follow it (the program makes itself
    // undumpable).
    if (::ptrace(PTRACE_SEIZE, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD)) != 0) {
      if (errno == EPERM) {
        [] { GTEST_SKIP() << "this user may not follow the program (ptrace)"; }();
        return std::nullopt;
      }
      ADD_FAILURE() << "cannot follow the program (ptrace): " << std::strerror(errno);
      return std::nullopt;
    }
    ::ptrace(PTRACE_INTERRUPT, pid, nullptr, nullptr);
    const std::set<uint64_t> fileCalls = {SYS_openat,   SYS_openat2, SYS_pread64,
                                          SYS_pwrite64, SYS_pwritev, SYS_pwritev2};
    uint64_t call = SYS_openat;  // the first stop looks as well
    const auto deadline = TClock::now() + RunTimeout;
    while (TClock::now() < deadline && !program_->HasEnded()) {
      siginfo_t stop{};
      if (::waitid(P_PID, static_cast<id_t>(pid), &stop, WSTOPPED | WNOHANG) != 0) break;
      if (stop.si_pid == 0) {
        std::this_thread::yield();
        continue;
      }
      // The stop's signal, with the ptrace event above it; a signal for
      // the program is passed on.
      const int signal = stop.si_status & 0xFF;
      const bool passOn = signal != (SIGTRAP | 0x80) && (stop.si_status >> 8) == 0;
      __ptrace_syscall_info info{};
      if (signal == (SIGTRAP | 0x80)) {
        ::ptrace(PTRACE_GET_SYSCALL_INFO, pid, reinterpret_cast<void*>(sizeof info), &info);
      }
      if (info.op == PTRACE_SYSCALL_INFO_ENTRY) {
        call = info.entry.nr;
      } else if (!passOn && fileCalls.count(call) != 0) {
        if (std::optional<std::string> seen = inside(OpenFilesOf(pid, folder))) {
          ::kill(pid, SIGKILL);
          EXPECT_EQ(program_->WaitForExit(WindowTimeout), std::optional<int>(128 + SIGKILL));
          return seen;
        }
      }
      ::ptrace(PTRACE_SYSCALL, pid, nullptr,
               reinterpret_cast<void*>(intptr_t{passOn ? signal : 0}));
    }
    std::string shown;
    for (const std::string& other : display_->MappedTitles()) shown += " \"" + other + "\"";
    ADD_FAILURE() << "the program was never seen inside the phase; shown:" << shown
                  << (program_->HasEnded() ? " (the program has ended)" : "");
    return std::nullopt;
  }

  // Waits for the run's end, answering the warning about an encrypted file
  // already there with Continue when `replace` (and failing the test when
  // it comes otherwise), and saves the activity log through its window:
  // the saved log's text.
  std::string FinishAndSaveLog(bool replace) {
    if (replace) {
      const TWindowId warning = ExpectWindow("VEK 2003 - Warning");
      if (warning == 0 || !ClickUntilHidden(warning, ContinueButton)) return {};
    }
    const TWindowId run = ExpectWindow(FinishedTitle, RunTimeout);
    if (run == 0) return {};
    const TWindowId log = ClickForWindow(run, ViewLogButton, "VEK 2003 - Processing activity log");
    if (log == 0) return {};
    const fs::path home = std::getenv("HOME");
    std::optional<fs::path> saved;
    ClickUntil(log, SaveLogButton, [&] {
      const auto deadline = TClock::now() + ClickAnswerTimeout;
      while (!saved && TClock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(home)) {
          const std::string name = entry.path().filename().string();
          if (name.rfind("VEK2003 ", 0) == 0 && entry.path().extension() == ".log") {
            saved = entry.path();
          }
        }
        if (!saved) std::this_thread::sleep_for(milliseconds(20));
      }
      return saved.has_value();
    });
    if (!saved) {
      ADD_FAILURE() << "the activity log was not saved in " << home;
      return {};
    }
    const std::vector<uint8_t> bytes = ReadFileBytes(*saved);
    fs::remove(*saved);
    return std::string(bytes.begin(), bytes.end());
  }

  std::unique_ptr<TXDisplay> display_;
  std::unique_ptr<TChildProcess> program_;
  int starts_ = 0;
};

// What shows the program inside a phase: a file of the job's folder that
// it has open, looked at while it is stopped; a description of what was
// seen, or nothing.
using TInside = std::function<std::optional<std::string>(const TOpenFile& file,
                                                         const std::vector<uint8_t>& plaintext)>;

// The temporary file open for writing, grown past a third of the data.
std::optional<std::string> WritingTheTemporaryFile(const TOpenFile& file,
                                                   const std::vector<uint8_t>& plaintext) {
  const std::string name = file.Path.filename().string();
  if (!IsTemporaryName(name) || !file.Writes || file.Size * 3 < std::ssize(plaintext)) return {};
  return name + " written to " + std::to_string(file.Size) + " bytes";
}

// The encrypted file open for reading, as only the verification reads it.
std::optional<std::string> ReadingTheEncryptedFile(const TOpenFile& file,
                                                   const std::vector<uint8_t>&) {
  if (file.Path.filename() != "k.bin.vek" || file.Writes) return {};
  return "k.bin.vek open for reading";
}

// The file open for writing in the middle of an overwrite pass: its data
// replaced at a third of its length, the pass not yet at its end (each
// pass writes one byte value throughout).
std::optional<std::string> OverwritingTheFile(const TOpenFile& file,
                                              const std::vector<uint8_t>& plaintext) {
  if (file.Path.filename() != "k.bin" || !file.Writes || file.Size != std::ssize(plaintext)) {
    return {};
  }
  const size_t third = plaintext.size() / 3;
  const std::optional<uint8_t> atThird = ByteAt(file.Open, third);
  if (!atThird || *atThird == plaintext[third] ||
      atThird == ByteAt(file.Open, plaintext.size() - 1)) {
    return {};
  }
  const std::vector<uint8_t> bytes = ReadFileBytes(file.Open);
  const auto done =
      std::find_if(bytes.begin(), bytes.end(), [&](uint8_t b) { return b != bytes.front(); }) -
      bytes.begin();
  return "k.bin overwritten with " + std::to_string(bytes.front()) + " up to byte " +
         std::to_string(done) + " of " + std::to_string(bytes.size());
}

// Each phase in a folder of its own, on a private file of the user's: the
// program is killed while it writes the encrypted file, verifies it,
// writes the decrypted file, or overwrites a file it deletes.
TEST_F(SystemKillTest, AKilledRunLeavesNoPlaintextAndTheNextRunCleansUp) {
  const UmaskScope umask;
  constexpr size_t KiB = 1024;
  const struct {
    const char* What;
    TJob Job;
    size_t Size;
    TInside Inside;
    // What the killed run leaves besides the file it worked on: its
    // unfinished temporary file, or the verified encrypted file.
    const char* Left;
  } phases[] = {
      {"encrypt", TJob::Encrypt, 256 * KiB, WritingTheTemporaryFile, "tmp.tmp"},
      {"verify", TJob::Encrypt, 256 * KiB, ReadingTheEncryptedFile, "k.bin.vek"},
      {"decrypt", TJob::Decrypt, 256 * KiB, WritingTheTemporaryFile, "tmp.tmp"},
      {"overwrite", TJob::Delete, 8192 * KiB, OverwritingTheFile, nullptr},
  };
  for (const auto& phase : phases) {
    SCOPED_TRACE(phase.What);
    const fs::path folder = dir / phase.What;
    fs::create_directory(folder);
    const std::vector<uint8_t> plaintext = MarkedPlaintext(phase.Size);
    MakeFile(folder / "k.bin", plaintext);
    fs::permissions(folder / "k.bin", fs::perms::owner_read | fs::perms::owner_write);
    const bool decrypt = phase.Job == TJob::Decrypt;
    if (decrypt) {
      // The encrypted file this phase starts from, made by a whole run.
      const TWindowId main = StartWith(folder / "k.bin");
      ASSERT_NE(main, 0u);
      ASSERT_TRUE(StartJob(main, TJob::Encrypt));
      ASSERT_NE(ExpectWindow(FinishedTitle, RunTimeout), 0u);
      ASSERT_EQ(LookAt(folder).Names, std::set<std::string>{"k.bin.vek"});
    }
    const std::string listedName = decrypt ? "k.bin.vek" : "k.bin";
    const fs::path listed = folder / listedName;
    const std::vector<uint8_t> original = ReadFileBytes(listed);

    TWindowId main = StartWith(listed);
    ASSERT_NE(main, 0u);
    ASSERT_TRUE(StartJob(main, phase.Job));
    const std::optional<std::string> seen =
        KillWhen(folder, [&](const std::vector<TOpenFile>& files) {
          for (const TOpenFile& file : files) {
            if (std::optional<std::string> inside = phase.Inside(file, plaintext)) return inside;
          }
          return std::optional<std::string>();
        });
    if (IsSkipped()) return;
    ASSERT_TRUE(seen);
    const TFolderLook killed = LookAt(folder);
    RecordProperty(phase.What, "killed with " + *seen + "; left " + Joined(killed.Names));
    std::set<std::string> expectedLeft = {listedName};
    if (phase.Left != nullptr) expectedLeft.insert(phase.Left);
    EXPECT_EQ(killed.Names, expectedLeft) << *seen;
    EXPECT_EQ(killed.OpenToOthers, std::set<std::string>{}) << *seen;
    // Plaintext stays in the file it came from; only a decrypt's own
    // private temporary file holds some of it too.
    for (const std::string& name : killed.HoldingPlaintext) {
      EXPECT_TRUE(name == "k.bin" || (decrypt && IsTemporaryName(name)))
          << name << " holds plaintext; " << *seen;
    }
    if (phase.Job == TJob::Delete) {
      EXPECT_NE(ReadFileBytes(listed), original) << "not overwritten; " << *seen;
    } else {
      EXPECT_EQ(ReadFileBytes(listed), original) << *seen;
    }

    // The same job again, in the same folder: an encrypted file the killed
    // run verified is replaced, as the user answers.
    main = StartWith(listed);
    ASSERT_NE(main, 0u);
    ASSERT_TRUE(StartJob(main, phase.Job));
    const std::string log = FinishAndSaveLog(killed.Names.count("k.bin.vek") != 0 && !decrypt);
    ASSERT_FALSE(log.empty());
    std::string removals;
    for (const std::string& name : killed.Temporary) {
      removals += "Removed the temporary file an earlier run left: " +
                  platform::ToWindowsPath((folder / name).string()).value_or("?") + "\r\n";
    }
    std::string logged;
    for (size_t at = 0; (at = log.find("Removed the temporary file", at)) != std::string::npos;) {
      const size_t end = log.find('\n', at) + 1;
      logged += log.substr(at, end - at);
      at = end;
    }
    EXPECT_EQ(logged, removals) << log;
    EXPECT_EQ(log.find("processing error"), std::string::npos) << log;
    const TFolderLook after = LookAt(folder);
    const std::set<std::string> done = phase.Job == TJob::Delete
                                           ? std::set<std::string>{}
                                           : std::set<std::string>{decrypt ? "k.bin" : "k.bin.vek"};
    EXPECT_EQ(after.Names, done) << log;
    EXPECT_EQ(after.OpenToOthers, std::set<std::string>{});
    if (decrypt) {
      EXPECT_EQ(ReadFileBytes(folder / "k.bin"), plaintext);
    } else {
      EXPECT_EQ(after.HoldingPlaintext, std::set<std::string>{});
    }
    program_.reset();
  }
}

}  // namespace
}  // namespace vektest

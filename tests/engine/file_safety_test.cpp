// What a run makes and touches stays the user's: its files are private
// whatever the umask, temporary files are never reused for another's data
// and what an interrupted run left is reclaimed, each step acts only on the
// file that was listed (never through a link swapped in), a file with other
// names is not overwritten unasked, names cannot forge log lines, and the
// original goes only once the new file's name is on the device.

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/state.h"
#include "engine/delete_confirmation.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "platform/files.h"

namespace vektest {
namespace {

namespace fs = std::filesystem;
using platform::faults::Op;
using vek::Form2;
using vek::Form20;
using vek::Form8;
using vek::Form9;

constexpr std::string_view NotListedMessage =
    "File changed since it was listed (replaced or moved?), it is left as it is.";

// The umask most systems give their users, for the length of a test.
class UmaskScope {
 public:
  UmaskScope() : old_(::umask(022)) {}
  ~UmaskScope() { ::umask(old_); }

 private:
  mode_t old_;
};

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

class EngineFileSafetyTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Form2->Show();
  }
  // Names in C: that are not `keep` and that others than the owner may read.
  std::vector<std::string> ReadableByOthers() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(HostPath())) {
      if (entry.is_regular_file() && (ModeOf(entry.path()) & 0044) != 0) {
        found.push_back(entry.path().filename().string());
      }
    }
    return found;
  }
  std::vector<std::string> TemporaryFiles() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(HostPath())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("tmp", 0) == 0 && entry.path().extension() == ".tmp") found.push_back(name);
    }
    return found;
  }
  void StartListDelete(uint8_t method) {
    vek::DeleteMethod = method;
    Form9->StartDeleteRun();
    ASSERT_TRUE(Form8->IsShown());
  }
  // In a child process of its own: `start` starts a run, which goes on
  // until it has reached `state` `passes` + 1 times, a step past it each
  // time; there the child is killed outright (SIGKILL). Fails the test
  // unless it ended that way.
  void KillARunAt(const std::function<void()>& start, uint16_t state, int passes) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      start();
      for (int i = 0; i <= passes; ++i) {
        if (!RunUntilState(state)) _exit(1);
        RunSteps(1);
      }
      ::kill(::getpid(), SIGKILL);
      _exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  }
};

// A private file stays private on its way through encrypt and decrypt: the
// encrypted file, the temporary file while it holds plaintext, and the
// restored file are for the owner alone, although the umask allows more.
TEST_F(EngineFileSafetyTest, FilesOfARunAreForTheOwnerAlone) {
  const UmaskScope umask;
  const auto content = PatternBytes(20000);
  MakeFile(HostPath("secret.txt"), content);
  fs::permissions(HostPath("secret.txt"), fs::perms::owner_read | fs::perms::owner_write);
  ListFile("secret.txt");
  vek::DeletePlaintextAfterEncrypt = true;
  EncryptAll();
  ASSERT_EQ(Form8->Label1->Caption(), "Completed.");
  Form8->Button1->Click();
  EXPECT_EQ(ModeOf(HostPath("secret.txt.vek")), 0600u);

  vek::JobList.JobCount = 0;
  ListFile("secret.txt.vek");
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDecryptCloseTemp));
  EXPECT_EQ(ModeOf(HostPath("tmp.tmp")), 0600u);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(ReadHost("secret.txt"), content);
  EXPECT_EQ(ModeOf(HostPath("secret.txt")), 0600u);
}

// The restored file is open to no one the encrypted file was closed to:
// its mode is the owner-only one a run gives, less what the ".vek" lacks.
TEST_F(EngineFileSafetyTest, TheRestoredFileIsNoWiderThanItsEncryptedFile) {
  const UmaskScope umask;
  const struct {
    mode_t Vek;
    mode_t Restored;
  } cases[] = {{0600, 0600}, {0400, 0400}, {0640, 0600}};
  vek::DeleteEncryptedAfterDecrypt = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Vek);
    vek::JobList.JobCount = 0;
    fs::remove(HostPath("v.bin"));
    AddVekJob("v.bin.vek", PatternBytes(100));
    fs::permissions(HostPath("v.bin.vek"), static_cast<fs::perms>(c.Vek));
    StartRun(vek::RunDecrypt);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_EQ(Form8->Label1->Caption(), "Completed.");
    Form8->Button1->Click();
    EXPECT_EQ(ReadHost("v.bin"), PatternBytes(100));
    EXPECT_EQ(ModeOf(HostPath("v.bin")), c.Restored);
    fs::permissions(HostPath("v.bin"), fs::perms::owner_all);
    fs::permissions(HostPath("v.bin.vek"), fs::perms::owner_all);
    fs::remove(HostPath("v.bin.vek"));
  }
}

// A "tmp.tmp" in the folder is what an interrupted run left: the next run
// takes the name back (and says so) instead of leaving it for good.
TEST_F(EngineFileSafetyTest, ATemporaryFileLeftBehindIsReclaimed) {
  const auto content = PatternBytes(3000);
  for (const bool decrypt : {false, true}) {
    vek::JobList.JobCount = 0;
    MakeFile(HostPath("tmp.tmp"), std::string_view("plaintext of an earlier run"));
    if (decrypt) {
      AddVekJob("d.bin.vek", content);
      DecryptAll();
    } else {
      AddPlainJob("e.bin", content);
      EncryptAll();
    }
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.") << decrypt;
    EXPECT_TRUE(TemporaryFiles().empty()) << decrypt;
    EXPECT_TRUE(LogHas("Removed the temporary file an earlier run left: " + WinPath("tmp.tmp")));
    Form8->Button1->Click();
  }
  EXPECT_EQ(ReadHost("d.bin"), content);
}

// A file that took the listed name since it was listed is not the file the
// user chose: it is reported and left as it is, whatever the run.
TEST_F(EngineFileSafetyTest, AFileSwappedInSinceTheListingIsLeftAlone) {
  enum class TRun { Encrypt, Decrypt, Overwrite };
  for (const TRun run : {TRun::Encrypt, TRun::Decrypt, TRun::Overwrite}) {
    vek::JobList.JobCount = 0;
    const std::string name = run == TRun::Decrypt ? "s.bin.vek" : "s.bin";
    if (run == TRun::Decrypt) {
      AddVekJob(name, PatternBytes(100));
    } else {
      MakeFile(HostPath(name), PatternBytes(100));
      ListFile(name);
    }
    // The listed file lives on under another name, so its inode is not reused.
    fs::rename(HostPath(name), HostPath("listed.keep"));
    fs::copy_file(HostPath("listed.keep"), HostPath(name));
    const auto swapped = ReadHost(name);
    if (run == TRun::Overwrite) {
      StartListDelete(vek::DeleteSinglePass);
    } else {
      vek::DeletePlaintextAfterEncrypt = true;
      vek::DeleteEncryptedAfterDecrypt = true;
      StartRun(run == TRun::Encrypt ? vek::RunEncrypt : vek::RunDecrypt);
    }
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form20->IsShown()) << static_cast<int>(run);
    EXPECT_EQ(Form20->Label2->Caption(), name);
    EXPECT_EQ(Form20->Label3->Caption(), NotListedMessage);
    Form20->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadHost(name), swapped) << static_cast<int>(run);
    EXPECT_FALSE(HostExists("s.bin.vek") && run == TRun::Encrypt);
    EXPECT_FALSE(HostExists("s.bin") && run == TRun::Decrypt);
    Form8->Button1->Click();
    fs::remove(HostPath("listed.keep"));
    fs::remove(HostPath(name));
  }
}

// A folder of the path swapped for a link to another folder leads nowhere:
// the other folder's file of the same name is neither overwritten nor
// deleted. Nor is a file swapped in between two overwrite passes.
TEST_F(EngineFileSafetyTest, OverwritesNeverReachAnotherFolderOrASwappedFile) {
  const auto theirs = PatternBytes(5000, 7);
  fs::create_directory(HostPath("mine"));
  fs::create_directory(HostPath("theirs"));
  MakeFile(HostPath("mine/f.bin"), PatternBytes(5000));
  MakeFile(HostPath("theirs/f.bin"), theirs);
  ListFile("mine\\f.bin");
  fs::rename(HostPath("mine"), HostPath("mine.moved"));
  fs::create_directory_symlink(HostPath("theirs"), HostPath("mine"));
  StartListDelete(vek::DeleteTriplePass);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadHost("theirs/f.bin"), theirs);
  Form8->Button1->Click();

  vek::JobList.JobCount = 0;
  MakeFile(HostPath("p.bin"), PatternBytes(5000));
  ListFile("p.bin");
  StartListDelete(vek::DeleteTriplePass);
  ASSERT_TRUE(RunUntilState(vek::StateWipeEndPass));
  RunSteps(1);
  fs::rename(HostPath("p.bin"), HostPath("p.keep"));
  MakeFile(HostPath("p.bin"), theirs);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label3->Caption(), NotListedMessage);
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadHost("p.bin"), theirs);
}

// A folder on the way to a listed file that is a symbolic link is never
// walked through (it could have been swapped for one since the listing):
// the entry is reported, saying why, and nothing is changed.
TEST_F(EngineFileSafetyTest, AFileBehindALinkedFolderIsReportedWithTheReason) {
  enum class TRun { Encrypt, Decrypt, Overwrite };
  const std::string message =
      "A folder on the way to this file is a symbolic link: it is left as it is (list the file "
      "from the folder the link points to).";
  fs::create_directory(HostPath("real"));
  fs::create_directory_symlink(HostPath("real"), HostPath("linked"));
  for (const TRun run : {TRun::Encrypt, TRun::Decrypt, TRun::Overwrite}) {
    SCOPED_TRACE(static_cast<int>(run));
    vek::JobList.JobCount = 0;
    const std::string name = run == TRun::Decrypt ? "f.bin.vek" : "f.bin";
    if (run == TRun::Decrypt) {
      MakeFile(HostPath("real/" + name),
               ExpectedVekFile(PlainFields(100), PatternBytes(100), TestKey));
    } else {
      MakeFile(HostPath("real/" + name), PatternBytes(100));
    }
    const auto before = ReadHost("real/" + name);
    ListFile("linked\\" + name);
    vek::DeletePlaintextAfterEncrypt = true;
    vek::DeleteEncryptedAfterDecrypt = true;
    if (run == TRun::Overwrite) {
      StartListDelete(vek::DeleteSinglePass);
    } else {
      StartRun(run == TRun::Encrypt ? vek::RunEncrypt : vek::RunDecrypt);
    }
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form20->IsShown());
    EXPECT_EQ(Form20->Label2->Caption(), name);
    EXPECT_EQ(Form20->Label3->Caption(), message);
    EXPECT_TRUE(LogHas("WARNING: " + message));
    Form20->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadHost("real/" + name), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(HostPath("real")), fs::directory_iterator()), 1);
    Form8->Button1->Click();
    fs::remove(HostPath("real/" + name));
  }
}

// What a run removes when it stops is only the temporary file it made: not
// a file that took that name meanwhile, nor one in another folder that a
// folder of the path was swapped for.
TEST_F(EngineFileSafetyTest, AStoppedRunRemovesOnlyItsOwnTemporaryFile) {
  const auto theirs = PatternBytes(50, 9);
  for (const bool folderSwap : {false, true}) {
    SCOPED_TRACE(folderSwap);
    vek::JobList.JobCount = 0;
    fs::create_directory(HostPath("mine"));
    fs::create_directory(HostPath("theirs"));
    MakeFile(HostPath("mine/c.bin"), PatternBytes(40000));
    MakeFile(HostPath("theirs/tmp.tmp"), theirs);
    ListFile("mine\\c.bin");
    StartRun(vek::RunEncrypt);
    ASSERT_TRUE(RunUntilState(vek::StateEncryptWriteBlock));
    if (folderSwap) {
      fs::rename(HostPath("mine"), HostPath("mine.moved"));
      fs::create_directory_symlink(HostPath("theirs"), HostPath("mine"));
    } else {
      fs::rename(HostPath("mine/tmp.tmp"), HostPath("ours.keep"));
      MakeFile(HostPath("mine/tmp.tmp"), theirs);
    }
    Form8->Button1->Click();  // Cancel
    RunUntilIdle();
    EXPECT_EQ(ReadHost("theirs/tmp.tmp"), theirs);
    if (!folderSwap) {
      EXPECT_EQ(ReadHost("mine/tmp.tmp"), theirs);
    }
    Form8->Button1->Click();
    for (const char* left : {"mine", "mine.moved", "theirs", "ours.keep"}) {
      fs::remove_all(HostPath(left));
    }
  }
}

// A FIFO or a socket in the job list is no file: no run waits on it, none
// passes over it as done, and it stays as it is.
TEST_F(EngineFileSafetyTest, AFifoOrSocketListedAsAFileIsReportedAndLeftAlone) {
  enum class TRun { Encrypt, Decrypt, Delete, Overwrite };
  for (const bool socket : {false, true}) {
    for (const TRun run : {TRun::Encrypt, TRun::Decrypt, TRun::Delete, TRun::Overwrite}) {
      SCOPED_TRACE(std::to_string(socket) + " " + std::to_string(static_cast<int>(run)));
      vek::JobList.JobCount = 0;
      const std::string name = run == TRun::Decrypt ? "n.vek" : "n.bin";
      const fs::path host = HostPath(name);
      int bound = -1;
      if (socket) {
        bound = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(host.string().size(), sizeof address.sun_path);
        std::strcpy(address.sun_path, host.c_str());
        ASSERT_EQ(::bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
      } else {
        ASSERT_EQ(::mkfifo(host.c_str(), 0600), 0);
      }
      ListFile(name);
      vek::JobList.Name[1] = name;  // listed, whatever the examination made of it
      vek::JobList.Folder[1] = WinPath("");
      vek::JobList.JobCount = 1;
      vek::DeletePlaintextAfterEncrypt = true;
      if (run == TRun::Delete || run == TRun::Overwrite) {
        StartListDelete(run == TRun::Delete ? vek::DeleteNormal : vek::DeleteSinglePass);
      } else {
        StartRun(run == TRun::Encrypt ? vek::RunEncrypt : vek::RunDecrypt);
      }
      ASSERT_TRUE(RunUntilIdle());
      ASSERT_TRUE(Form20->IsShown());
      EXPECT_EQ(Form20->Label2->Caption(), name);
      if (run == TRun::Delete || run == TRun::Overwrite) {  // the others say it is empty
        EXPECT_EQ(Form20->Label3->Caption(),
                  "This is not a file (a pipe, socket or device): it is left as it is.");
      }
      EXPECT_TRUE(fs::exists(fs::symlink_status(host)));
      EXPECT_FALSE(HostExists(name + ".vek"));
      if (bound >= 0) ::close(bound);
      fs::remove(host);
      Form20->Button3->Click();
      ASSERT_TRUE(RunUntilIdle());
      Form8->Button1->Click();
    }
  }
}

// The decrypted file takes its name only when it is the file this run
// wrote: a file swapped in under the temporary name does not become it,
// and the encrypted file stays.
TEST_F(EngineFileSafetyTest, ASwappedTemporaryFileNeverBecomesTheDecryptedFile) {
  AddVekJob("v.bin.vek", PatternBytes(100));
  const auto encrypted = ReadHost("v.bin.vek");
  vek::DeleteEncryptedAfterDecrypt = true;
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StatePlaceDecryptedFile));
  fs::rename(HostPath("tmp.tmp"), HostPath("ours.keep"));
  MakeFile(HostPath("tmp.tmp"), std::string_view("planted"));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(vek::Form15->IsShown());  // the place fails: a write fault
  EXPECT_FALSE(HostExists("v.bin"));
  EXPECT_EQ(ReadHost("v.bin.vek"), encrypted);
}

// Overwriting a file with other names would overwrite their data too: the
// user is asked (and Cancel keeps it), and with warnings off it is passed
// over with a warning in the log. Its data stays either way.
TEST_F(EngineFileSafetyTest, AFileWithOtherNamesIsNotOverwrittenUnasked) {
  const auto content = PatternBytes(3000);
  const std::string message =
      "This file has 2 other names (hard links) sharing its data, overwrite it under all of them?";
  for (const bool warningsOn : {true, false}) {
    vek::JobList.JobCount = 0;
    MakeFile(HostPath("h.bin"), content);
    fs::create_hard_link(HostPath("h.bin"), HostPath("h.backup1"));
    fs::create_hard_link(HostPath("h.bin"), HostPath("h.backup2"));
    fs::permissions(HostPath("h.bin"), fs::perms::owner_read);  // and read-only
    ListFile("h.bin");
    StartListDelete(vek::DeleteSinglePass);
    ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
    vek::WarningsOn = warningsOn;
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(LogHas("WARNING: " + message));
    if (warningsOn) {
      ASSERT_TRUE(Form20->IsShown());
      EXPECT_EQ(Form20->Label2->Caption(), "h.bin");
      EXPECT_EQ(Form20->Label3->Caption(), message);
      EXPECT_TRUE(Form20->Button1->Enabled());
      Form20->Button3->Click();
      ASSERT_TRUE(RunUntilIdle());
    }
    EXPECT_EQ(ReadHost("h.bin"), content) << warningsOn;
    EXPECT_EQ(ReadHost("h.backup1"), content) << warningsOn;
    EXPECT_EQ(ModeOf(HostPath("h.bin")), 0400u) << warningsOn;
    Form8->Button1->Click();
    fs::permissions(HostPath("h.bin"), fs::perms::owner_all);
    for (const char* name : {"h.bin", "h.backup1", "h.backup2"}) fs::remove(HostPath(name));
  }
  // Continue overwrites, as the user agreed.
  MakeFile(HostPath("h.bin"), content);
  fs::create_hard_link(HostPath("h.bin"), HostPath("h.backup1"));
  ListFile("h.bin");
  StartListDelete(vek::DeleteSinglePass);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label3->Caption(),
            "This file has 1 other name (hard links) sharing its data, overwrite it under all of "
            "them?");
  Form20->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("h.bin"));
  EXPECT_EQ(ReadHost("h.backup1"), std::vector<uint8_t>(content.size(), 0x55));
}

// A link in the job list is not taken for the file it points to: with the
// original to be deleted, encrypting it would delete the link and leave the
// plaintext. The entry is reported and nothing changes.
TEST_F(EngineFileSafetyTest, ALinkInTheJobListIsReportedAndLeftAsItIs) {
  const auto content = PatternBytes(500);
  MakeFile(HostPath("target.txt"), content);
  fs::create_symlink(HostPath("target.txt"), HostPath("link.txt"));
  ListFile("link.txt");
  vek::DeletePlaintextAfterEncrypt = true;
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "link.txt");
  EXPECT_EQ(Form20->Label3->Caption(),
            "This is a symbolic link, not a file: it is left as it is (list the file it points "
            "to).");
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(fs::is_symlink(HostPath("link.txt")));
  EXPECT_EQ(ReadHost("target.txt"), content);
  EXPECT_FALSE(HostExists("link.txt.vek"));
}

// A name with control characters, or with a mark that turns the direction
// of what follows, shows them escaped wherever it is shown: it cannot write
// a line of its own into the log or a window, nor show itself reversed.
TEST_F(EngineFileSafetyTest, ControlCharactersOfNamesAreEscapedWhereverTheyAreShown) {
  const std::string name =
      "a\n15:07:05 Key to decrypt file was authenticated as valid.\t\x01\u202Egpj.exe";
  const std::string shown =
      "a\\n15:07:05 Key to decrypt file was authenticated as valid.\\t\\x01\\u202Egpj.exe";
  MakeFile(HostPath(name), PatternBytes(10));
  ListFile(name);
  MakeFile(HostPath(name + ".vek"), std::string_view("there"));
  EXPECT_EQ(Form2->StringGrid1->Cell(0, 1), shown);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());  // the encrypted file exists
  EXPECT_EQ(Form20->Label2->Caption(), shown + ".vek");
  EXPECT_EQ(Form8->Label12->Caption(), shown + " -> " + shown + ".vek");
  Form20->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(LogCount("Key to decrypt file was authenticated as valid."), 0);
  EXPECT_TRUE(LogHas("Now processing: " + shown + " -> " + shown + ".vek 10 Bytes"));
  for (const std::string& line : LogLines()) {
    EXPECT_EQ(line.find_first_of("\r\n\t\x01"), std::string::npos) << line;
    EXPECT_EQ(line.find("\u202E"), std::string::npos) << line;
  }
  Form8->Button1->Click();

  vek::JobList.JobCount = 0;  // the error report names it the same way
  fs::remove(HostPath(name));
  AddJobEntry(name, 10);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(vek::Form15->IsShown());
  EXPECT_EQ(vek::Form15->Label12->Caption(), shown);
}

// The original goes only after the encrypted (decrypted) file's name is on
// the device: a folder sync that fails is a write fault, and the original
// stays.
TEST_F(EngineFileSafetyTest, TheOriginalStaysUntilTheNewNameIsOnTheDevice) {
  for (const bool decrypt : {false, true}) {
    vek::JobList.JobCount = 0;
    const std::string name = decrypt ? "y.bin.vek" : "y.bin";
    if (decrypt) {
      AddVekJob(name, PatternBytes(100));
    } else {
      AddPlainJob(name, PatternBytes(100));
    }
    const auto original = ReadHost(name);
    vek::DeletePlaintextAfterEncrypt = true;
    vek::DeleteEncryptedAfterDecrypt = true;
    vek::VerifyAfterEncrypt = false;
    StartRun(decrypt ? vek::RunDecrypt : vek::RunEncrypt);
    platform::faults::Reset();
    platform::faults::Fail(Op::Flush, 2, platform::err::WriteFault);  // after the file's own
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(vek::Form15->IsShown()) << decrypt;
    EXPECT_EQ(vek::ErrorCode, platform::err::WriteFault);
    EXPECT_EQ(ReadHost(name), original);
    vek::Form15->Button3->Click();  // Stop all processing
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_FALSE(Form8->RunActive());
    EXPECT_EQ(ReadHost(name), original);
    Form8->Button1->Click();
    for (const char* left : {"y.bin", "y.bin.vek"}) fs::remove(HostPath(left));
  }
}

// A run killed outright (SIGKILL, in a child process of its own, at a
// block of the data) leaves nothing readable by others and the original
// whole; the next run in the folder completes and leaves nothing of it.
// An overwrite killed half-way is completed by the next delete run.
TEST_F(EngineFileSafetyTest, AKilledRunLeavesNoPlaintextAndTheNextRunCleansUp) {
  const UmaskScope umask;
  struct TKill {
    const char* What;
    uint8_t RunMode;
    uint16_t KillState;
    int Skip;  // passes of the state before the kill
  };
  const TKill kills[] = {
      {"encrypt", vek::RunEncrypt, vek::StateEncryptWriteBlock, 2},
      {"verify", vek::RunEncrypt, vek::StateVerifyCompare, 1},
      {"decrypt", vek::RunDecrypt, vek::StateDecryptWriteBlock, 2},
  };
  const auto content = PatternBytes(40000);
  for (const TKill& k : kills) {
    vek::JobList.JobCount = 0;
    const bool decrypt = k.RunMode == vek::RunDecrypt;
    const std::string name = decrypt ? "k.bin.vek" : "k.bin";
    if (decrypt) {
      AddVekJob(name, content);
    } else {
      AddPlainJob(name, content);
    }
    fs::permissions(HostPath(name), fs::perms::owner_read | fs::perms::owner_write);
    const auto original = ReadHost(name);
    vek::DeletePlaintextAfterEncrypt = true;
    vek::DeleteEncryptedAfterDecrypt = true;
    vek::VerifyAfterEncrypt = true;
    vek::DeleteMethod = vek::DeleteSinglePass;
    {
      SCOPED_TRACE(k.What);
      ASSERT_NO_FATAL_FAILURE(KillARunAt([&] { StartRun(k.RunMode); }, k.KillState, k.Skip));
    }
    EXPECT_TRUE(ReadableByOthers().empty()) << k.What;
    EXPECT_EQ(ReadHost(name), original) << k.What;
    // What the kill left: the unfinished file, or the verified one.
    EXPECT_EQ(TemporaryFiles().empty(), k.KillState == vek::StateVerifyCompare) << k.What;

    StartRun(k.RunMode);
    ASSERT_TRUE(RunUntilIdle());
    if (Form20->IsShown()) Form20->Button1->Click();  // replace the verified file
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.") << k.What;
    EXPECT_TRUE(TemporaryFiles().empty()) << k.What;
    EXPECT_FALSE(HostExists(name)) << k.What;
    if (decrypt) {
      EXPECT_EQ(ReadHost("k.bin"), content);
    } else {
      EXPECT_TRUE(HostExists("k.bin.vek"));
    }
    EXPECT_TRUE(ReadableByOthers().empty()) << k.What;
    Form8->Button1->Click();
    for (const char* left : {"k.bin", "k.bin.vek"}) fs::remove(HostPath(left));
  }

  // Killed during an overwrite pass: the next delete run overwrites and
  // removes the file, and nothing is left.
  vek::JobList.JobCount = 0;
  AddPlainJob("w.bin", content);
  vek::DeleteMethod = vek::DeleteTriplePass;
  ASSERT_NO_FATAL_FAILURE(KillARunAt([] { Form9->StartDeleteRun(); }, vek::StateWipeWriteBlock, 2));
  EXPECT_NE(ReadHost("w.bin"), content);  // partly overwritten
  StartListDelete(vek::DeleteTriplePass);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("w.bin"));
  EXPECT_TRUE(TemporaryFiles().empty());
}

}  // namespace
}  // namespace vektest

// The installation step machine on the virtual clock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <utility>

#include "installer/backdrop.h"
#include "installer/error_page.h"
#include "installer/finish_page.h"
#include "installer/install_errors.h"
#include "installer/progress_page.h"
#include "installer/shortcuts_page.h"
#include "installer/state.h"
#include "installer_fixture.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "ui/clock.h"
#include "ui/text_fit.h"

using namespace vek::installer;
namespace fs = std::filesystem;
using platform::RootKey;
using vektest::Bytes;

namespace {

// Steps of a run with how many ticks each ran in a row.
using Runs = std::vector<std::pair<uint16_t, size_t>>;

Runs RunLengths(const std::vector<uint16_t>& steps) {
  Runs runs;
  for (uint16_t s : steps) {
    if (!runs.empty() && runs.back().first == s) {
      ++runs.back().second;
    } else {
      runs.push_back({s, 1});
    }
  }
  return runs;
}

size_t Chunks(size_t bytes) {
  return (bytes + ChunkSize - 1) / ChunkSize;
}

std::string Text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::optional<std::string> Default(std::string_view key) {
  return platform::RegReadString(RootKey::ClassesRoot, key, "");
}

}  // namespace

class InstallerStepTest : public vektest::InstallerTest {
 protected:
  // The error page shows this install error, and the machine has stopped.
  void ExpectInstallError(int code) {
    EXPECT_TRUE(Form7->IsShown());
    EXPECT_FALSE(Form5->IsShown());
    EXPECT_FALSE(Form5->Timer1->Enabled());
    EXPECT_EQ(Form7->Label4->Caption(), InstallError(code).Description);
    EXPECT_EQ(Form7->Label5->Caption(), InstallError(code).Help);
  }
};

TEST_F(InstallerStepTest, ACorrectInstallerGoesThroughEveryStepAndInstallsItsFiles) {
  const int beeps = platform::BeepCount();
  const auto steps = RunInstallation("C:\\Program Files\\VEK 2003");

  Runs expected = {{0x1000, 1},  {0x2000, 1},  {0x2100, Chunks(setup.File().size())},
                   {0x2200, 1},  {0x2300, 24}, {0x2400, 1},
                   {0x2500, 24}, {0x2600, 1}};
  for (const Bytes& file : setup.Files) {
    expected.push_back({0x2610, 1});
    expected.push_back({0x2620, Chunks(file.size())});
  }
  const Runs tail = {{0x2610, 1},  {0x2700, 24}, {0x2800, 1},
                     {0x2900, 24}, {0x2A00, 1},  {0x2B00, 1}};
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(RunLengths(steps), expected);

  EXPECT_TRUE(Form6->IsShown());
  EXPECT_FALSE(Form7->IsShown());
  EXPECT_FALSE(Form5->Timer1->Enabled());
  EXPECT_EQ(platform::BeepCount(), beeps);
  EXPECT_EQ(InstallDir, "C:\\Program Files\\VEK 2003\\");  // the backslash came before any file
  for (size_t i = 0; i < setup.Files.size(); ++i) {
    const std::string name(setup.Table()[i].Name);
    EXPECT_EQ(vektest::ReadFileBytes(HostPath("Program Files\\VEK 2003\\" + name)), setup.Files[i])
        << name;
  }
  EXPECT_EQ(Form5->ProgressBar1->Position(), 100);
  EXPECT_EQ(Form5->Label3->Caption(), "100%");
  EXPECT_EQ(Form5->Label9->Caption(), "VEK 2003.ico");
  // Four moves of the arrow, one label each; the last task is bold.
  EXPECT_EQ(Form5->Image1->Top(), 25 + 4 * 24);
  EXPECT_FALSE(Form5->Label4->FontBold());
  EXPECT_FALSE(Form5->Label7->FontBold());
  EXPECT_TRUE(Form5->Label8->FontBold());

  EXPECT_EQ(Default(".vek"), "VEK2003.File");
  EXPECT_EQ(Default("VEK2003.File"), "VEK 2003 encrypted file");
  EXPECT_EQ(Default("VEK2003.File\\DefaultIcon"), "\"C:\\Program Files\\VEK 2003\\VEK 2003.ico\"");
  EXPECT_TRUE(platform::RegKeyExists(RootKey::ClassesRoot, "VEK2003.File\\shell"));
  EXPECT_EQ(Default("VEK2003.File\\shell\\open"), "Decrypt this file now using VEK 2003");
  EXPECT_EQ(Default("VEK2003.File\\shell\\open\\command"),
            "C:\\Program Files\\VEK 2003\\VEK 2003.exe \"%1\"");

  // The same entry on the desktop and in the menu, and hidden for the file
  // type alone; the desktop's tools find all of it valid. It starts the
  // program through the starter, whose path has no space in it.
  const std::string shortcut =
      "[Desktop Entry]\nType=Application\nName=VEK 2003\nGenericName=File Encryption\n"
      "Comment=Encrypt, verify, decrypt and securely delete your files\n"
      "Exec=" +
      (dir / "data" / "vek2003" / "bin" / "vek2003").string() +
      " %f\n"
      "Path=" +
      HostPath("Program Files/VEK 2003").string() +
      "\n"
      "Icon=vek2003\nTerminal=false\nMimeType=application/x-vek2003;\nCategories=Utility;\n"
      "StartupWMClass=VEK 2003\n";
  const fs::path hidden = dir / "data" / "applications" / "vek2003.desktop";
  EXPECT_EQ(Text(vektest::ReadFileBytes(hidden)), shortcut + "NoDisplay=true\n# Hotkey=Ctrl+F12\n");
  for (const fs::path& entry :
       {HostPath("Desktop\\vek2003.desktop"), HostPath("Start Menu\\vek2003.desktop"), hidden}) {
    if (entry != hidden) {
      EXPECT_EQ(Text(vektest::ReadFileBytes(entry)), shortcut + "# Hotkey=Ctrl+F12\n") << entry;
    }
    // Runnable, as far as the umask lets a new file be.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(entry).permissions(), static_cast<fs::perms>(0777 & ~mask)) << entry;
    const auto validation = vektest::RunCommand({"desktop-file-validate", entry});
    EXPECT_EQ(validation.Status, 0) << entry << validation.Output;
  }
  // The test's icon file holds no picture: the install log says so, and the
  // installation goes on without icons.
  EXPECT_EQ(
      Text(vektest::ReadFileBytes(HostPath("Program Files\\VEK 2003\\install.log"))),
      "icons: no picture in " + HostPath("Program Files/VEK 2003/VEK 2003.ico").string() + "\n");
  EXPECT_FALSE(fs::exists(dir / "data" / "icons"));
}

TEST_F(InstallerStepTest, ExistingFileTypeKeysAreReplacedWithAllTheirVerbs) {
  for (const char* key : {".vek\\OpenWithList", "VEK2003.File\\shell\\print\\command",
                          "VEK2003.File\\shell\\open\\command"}) {
    ASSERT_TRUE(platform::RegCreateKey(RootKey::ClassesRoot, key));
  }
  platform::RegWriteString(RootKey::ClassesRoot, ".vek", "", "Other.File");
  platform::RegWriteString(RootKey::ClassesRoot, ".vek", "Content Type", "x/y");
  platform::RegWriteString(RootKey::ClassesRoot, "VEK2003.File\\shell\\open\\command", "",
                           "old.exe %1");
  InstallDir = "D:\\Tools\\";
  Form5->StepAssociate();

  EXPECT_EQ(NextStep, 0x2900);
  EXPECT_EQ(Default(".vek"), "VEK2003.File");
  EXPECT_FALSE(platform::RegReadString(RootKey::ClassesRoot, ".vek", "Content Type"));
  EXPECT_TRUE(platform::RegSubKeys(RootKey::ClassesRoot, ".vek").empty());
  EXPECT_EQ(platform::RegSubKeys(RootKey::ClassesRoot, "VEK2003.File\\shell"),
            std::vector<std::string>{"open"});
  EXPECT_EQ(Default("VEK2003.File\\shell\\open\\command"), "D:\\Tools\\VEK 2003.exe \"%1\"");
}

TEST_F(InstallerStepTest, AnEarlierInstallIsReplacedWhole) {
  // Longer files of an earlier install leave nothing of themselves behind.
  fs::create_directories(HostPath("VEK 2003"));
  for (const TPayloadEntry& entry : setup.Table()) {
    vektest::MakePatternFile(HostPath("VEK 2003\\" + std::string(entry.Name)),
                             static_cast<size_t>(entry.Size) + 5000);
  }
  RunInstallation("C:\\VEK 2003\\");
  ASSERT_TRUE(Form6->IsShown());
  EXPECT_EQ(InstallDir, "C:\\VEK 2003\\");
  for (size_t i = 0; i < setup.Files.size(); ++i) {
    const std::string name(setup.Table()[i].Name);
    EXPECT_EQ(vektest::ReadFileBytes(HostPath("VEK 2003\\" + name)), setup.Files[i]) << name;
  }
}

TEST_F(InstallerStepTest, RegistryValuesByKind) {
  struct Case {
    int Kind;
    bool Raises, Written;
  };
  const Case cases[] = {
      {value_kind::QueryOnly, false, false},
      {value_kind::String, false, true},
      {value_kind::ExpandString, false, true},
      {value_kind::Integer, false, true},
      {value_kind::Binary, false, true},
      {5, true, false},
      {-1, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Kind);
    const std::string key = "Kinds\\Kind" + std::to_string(c.Kind);
    if (c.Raises) {
      try {
        Form5->WriteRegistryValue(RootKey::ClassesRoot, key, "Value", c.Kind, "42");
        ADD_FAILURE() << "no failure raised";
      } catch (const TStepFailure& failure) {
        EXPECT_EQ(std::string(failure.what()), SystemErrorMessage(InvalidValueKindError));
      }
    } else {
      Form5->WriteRegistryValue(RootKey::ClassesRoot, key, "Value", c.Kind, "42");
    }
    // The key is there whatever the kind; the value only for a kind that writes.
    EXPECT_TRUE(platform::RegKeyExists(RootKey::ClassesRoot, key));
    EXPECT_EQ(platform::RegReadString(RootKey::ClassesRoot, key, "Value"),
              c.Written ? std::optional<std::string>("42") : std::nullopt);
  }
}

TEST_F(InstallerStepTest, AShellFolderThatIsNotRecordedEndsOnTheErrorPage) {
  // Without a "Desktop" entry the shortcut has no folder to go to: the step
  // is refused until the installer gives up and says which shortcut failed.
  ASSERT_TRUE(platform::RegDeleteKey(RootKey::CurrentUser, vektest::kShellFolders));
  ASSERT_TRUE(platform::RegCreateKey(RootKey::CurrentUser, vektest::kShellFolders));
  const auto steps = RunInstallation("C:\\VEK 2003");
  EXPECT_EQ(RunLengths(steps).back(), std::make_pair(uint16_t{0x2A00}, size_t{StepRetryLimit}));
  EXPECT_TRUE(Form7->IsShown());
  EXPECT_EQ(Form7->Label4->Caption(), "No Desktop folder is recorded for the shortcut.");
  EXPECT_EQ(Form7->Label6->Caption(), "[STEP=0x2A00]");
  // What was done before stays done.
  EXPECT_EQ(vektest::ReadFileBytes(HostPath("VEK 2003\\VEK 2003.exe")), setup.Files[0]);
  EXPECT_EQ(Default(".vek"), "VEK2003.File");
}

TEST_F(InstallerStepTest, ShortcutsFollowTheBoxesAndADriveRootStaysWhole) {
  // A stand-in gio, ahead of the real one, notes the launchers marked trusted.
  const fs::path bin = dir / "bin";
  fs::create_directories(bin);
  vektest::MakeFile(bin / "gio", "#!/bin/sh\nprintf '%s ' \"$@\" >> \"$0.args\"\n");
  fs::permissions(bin / "gio", fs::perms::owner_all);
  const char* const hostPath = std::getenv("PATH");
  vektest::ScopedEnvironment path(
      {{"PATH", bin.string() + ":" + (hostPath != nullptr ? hostPath : "/usr/bin:/bin")}});
  struct Case {
    bool Desktop, StartMenu;
  };
  for (const Case c :
       {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
    vektest::MakeFile(bin / "gio.args", "");
    fs::remove_all(HostPath("Desktop\\vek2003.desktop"));
    fs::remove_all(HostPath("Start Menu\\vek2003.desktop"));
    Form4->CheckBox1->SetChecked(c.Desktop);
    Form4->CheckBox2->SetChecked(c.StartMenu);
    InstallDir = "C:\\";
    Form5->StepCreateFolder();
    EXPECT_EQ(InstallDir, "C:\\");
    Form5->StepShortcuts();
    EXPECT_EQ(NextStep, 0x2B00);  // passes on with or without shortcuts
    EXPECT_EQ(fs::exists(HostPath("Desktop\\vek2003.desktop")), c.Desktop);
    const auto menu = HostPath("Start Menu\\vek2003.desktop");
    EXPECT_EQ(fs::exists(menu), c.StartMenu);
    // Only the desktop's launcher is marked trusted.
    EXPECT_EQ(Text(vektest::ReadFileBytes(bin / "gio.args")),
              c.Desktop ? "set " + HostPath("Desktop\\vek2003.desktop").string() +
                              " metadata::trusted true "
                        : "");
    if (c.StartMenu) {
      // The root is the working folder as it is.
      EXPECT_NE(Text(vektest::ReadFileBytes(menu)).find("Path=" + dir.path().string() + "\n"),
                std::string::npos);
    }
  }
}

TEST_F(InstallerStepTest, OneChangedByteIsCaughtByTheSum) {
  const int beeps = platform::BeepCount();
  Bytes file = setup.File();
  file[setup.Image.size() + 100] = static_cast<uint8_t>(file[setup.Image.size() + 100] - 5);
  WriteSetupFile(file);
  RunInstallation("C:\\Program Files\\VEK 2003");

  ExpectInstallError(install_error::Checksum);
  const int32_t sum = setup.Sum();
  EXPECT_EQ(Form7->Label6->Caption(),
            "[VCS=" + std::to_string(sum) + " FCS=" + std::to_string(sum - 5) + " DCS=5]");
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(CurrentStep, 0x2200);  // left where it stopped
  EXPECT_FALSE(fs::exists(HostPath("Program Files")));
  EXPECT_FALSE(SourceStream);
}

TEST_F(InstallerStepTest, ANegativeTrailerIsComparedAsSigned) {
  // A real file's sum is never negative: with such a trailer the sum step
  // reports the signed figures, and the difference does not overflow.
  Bytes file = setup.Body();
  const TTrailer trailer = {0x00, 0x00, 0x00, 0x80};
  file.insert(file.end(), trailer.begin(), trailer.end());
  WriteSetupFile(file);
  EXPECT_EQ(ExpectedSum, std::numeric_limits<int32_t>::min());
  RunInstallation("C:\\VEK 2003");
  ExpectInstallError(install_error::Checksum);
  const int64_t sum = setup.Sum();
  EXPECT_EQ(Form7->Label6->Caption(), "[VCS=-2147483648 FCS=" + std::to_string(sum) +
                                          " DCS=" + std::to_string(-2147483648LL - sum) + "]");

  // Sums compare as signed values: equal negative ones pass.
  Form7->Hide();
  ComputedSum = ExpectedSum = TrailerValue({0x01, 0x02, 0x03, 0x84});
  Form5->StepCompareChecksum();
  EXPECT_EQ(NextStep, 0x2300);
}

TEST_F(InstallerStepTest, AFileThatCannotBeSizedEndsInError8AfterReadingItAll) {
  MakeSetupFileUnsizable();
  ASSERT_EQ(SetupSize, -1);
  RunInstallation("C:\\VEK 2003");
  ExpectInstallError(install_error::ReadFailed);
  EXPECT_EQ(SumCount, static_cast<int32_t>(setup.File().size()));
  EXPECT_EQ(Form7->Label6->Caption(), "");
  EXPECT_FALSE(SourceStream);
}

TEST_F(InstallerStepTest, SizesThatDoNotFitTheTableStopBeforeTheSum) {
  const Bytes good = setup.File();
  struct Case {
    const char* What;
    Bytes File;
    int Code;
  };
  Bytes signed_ = good;
  signed_.insert(signed_.end(), {'S', 'I', 'G', '!'});
  const Case cases[] = {
      {"cut inside the image", Bytes(good.begin(), good.begin() + 4000),
       install_error::ProgramTooSmall},
      {"no program image", vektest::PatternBytes(good.size(), 3), install_error::ProgramTooSmall},
      {"cut inside the data", Bytes(good.begin(), good.end() - 100), install_error::DataTooSmall},
      {"a signature appended", signed_, install_error::DataTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Form7->Hide();
    WriteSetupFile(c.File);
    InstallDir = "C:\\VEK 2003";
    Form5->Show();
    ui::clock::Advance(10);
    ExpectInstallError(c.Code);
    EXPECT_EQ(CurrentStep, 0x1000);
  }

  // A program part that leaves no 32-bit position for its data.
  Form7->Hide();
  WriteSetupFile(good);
  PayloadOffset = 0x7FFFFFFF;
  SetupSize = PayloadOffset + PayloadTotal + 4;
  PayloadSize = SetupSize - PayloadOffset;
  Form5->StepPrecheck();
  ExpectInstallError(install_error::ProgramTooLarge);
}

TEST_F(InstallerStepTest, DataThatEndsEarlyStopsTheCopyWithoutAHalfFile) {
  InstallDir = "C:\\VEK 2003";
  Form5->Show();
  ASSERT_TRUE(ui::clock::RunUntil([] { return CurrentStep == 0x2620; }, 100000));
  ui::clock::Advance(20);  // two chunks of the program are written
  // The medium goes away under the copy: the rest of the data is gone.
  fs::resize_file(dir / "setup" / "vek2003-setup", setup.Image.size() + 3000);
  ui::clock::Advance(30);
  ExpectInstallError(install_error::ReadFailed);
  EXPECT_FALSE(fs::exists(HostPath("VEK 2003\\VEK 2003.exe")));
  EXPECT_FALSE(TargetStream);
  EXPECT_FALSE(SourceStream);
}

// The payload files are written beside the files of their names and take
// those names only when whole: a copy that stops midway leaves an earlier
// install as it was, and nothing of the new one.
TEST_F(InstallerStepTest, AFullDiskShowsTheSpaceErrorWithoutAHalfFile) {
  const auto contents = [](const fs::path& file) {
    return fs::exists(file) ? vektest::ReadFileBytes(file) : Bytes();
  };
  for (const bool overAnEarlierInstall : {false, true}) {
    SCOPED_TRACE(overAnEarlierInstall ? "over an earlier install" : "a first install");
    fs::remove_all(HostPath("VEK 2003"));
    fs::create_directories(HostPath("VEK 2003"));
    std::vector<Bytes> earlier;
    for (const TPayloadEntry& entry : setup.Table()) {
      const fs::path file = HostPath("VEK 2003\\" + std::string(entry.Name));
      if (overAnEarlierInstall)
        vektest::MakePatternFile(file, static_cast<size_t>(entry.Size) + 77, 5);
      earlier.push_back(contents(file));
    }
    Form7->Hide();
    InstallDir = "C:\\VEK 2003";
    Form5->Show();
    ASSERT_TRUE(ui::clock::RunUntil([] { return CurrentStep == 0x2620; }, 100000));
    platform::faults::DiskFull(2);
    ui::clock::Advance(20);
    ExpectInstallError(install_error::DiskSpace);
    std::vector<Bytes> after;
    for (const TPayloadEntry& entry : setup.Table()) {
      after.push_back(contents(HostPath("VEK 2003\\" + std::string(entry.Name))));
    }
    EXPECT_EQ(after, earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(HostPath("VEK 2003")), fs::directory_iterator()),
              overAnEarlierInstall ? 3 : 0);
  }
}

TEST_F(InstallerStepTest, ARefusedStepRunsAgainThenGivesUpWithTheReason) {
  // Once refused, the open succeeds on the next tick and the install completes.
  InstallDir = "C:\\VEK 2003";
  Form5->Show();
  ASSERT_TRUE(ui::clock::RunUntil([] { return CurrentStep == 0x2610; }, 100000));
  platform::faults::Fail(platform::faults::Op::Open, 1, platform::err::SharingViolation);
  ui::clock::Advance(10);
  EXPECT_EQ(CurrentStep, 0x2610);
  EXPECT_EQ(FileIndex, 0);  // nothing moved on
  ASSERT_TRUE(ui::clock::RunUntil([] { return !Form5->IsShown(); }, 100000));
  EXPECT_TRUE(Form6->IsShown());
  EXPECT_EQ(vektest::ReadFileBytes(HostPath("VEK 2003\\VEK 2003.exe")), setup.Files[0]);

  // A folder on a drive that is not there never works.
  Form6->Hide();
  const auto steps = RunInstallation("Q:\\VEK 2003");
  EXPECT_EQ(RunLengths(steps).back(), std::make_pair(uint16_t{0x2610}, size_t{StepRetryLimit}));
  EXPECT_TRUE(Form7->IsShown());
  EXPECT_EQ(Form7->Label4->Caption(), "The folder could not be found.");
  EXPECT_EQ(Form7->Label6->Caption(), "[STEP=0x2610] Q:\\VEK 2003");
}

// A registry key that the store refuses to keep names the store's file,
// and the help sends the user there, not to the install folder.
TEST_F(InstallerStepTest, ARefusedRegistryKeyNamesTheStoreFile) {
  InstallDir = "C:\\VEK 2003";
  Form5->Show();
  ASSERT_TRUE(ui::clock::RunUntil([] { return CurrentStep == step::Associate; }, 100000));
  // From here on the store's folder is a file: nothing can be written there.
  vektest::MakeFile(dir / "blocked", "");
  platform::SetRegistryFileForTest((dir / "blocked" / "registry").string());
  ASSERT_TRUE(ui::clock::RunUntil([] { return !Form5->IsShown(); }, 100000));
  ASSERT_TRUE(Form7->IsShown());
  EXPECT_EQ(Form7->Label4->Caption(), "Could not create the registry key HKEY_CLASSES_ROOT\\.vek");
  EXPECT_EQ(Form7->Label5->Caption(),
            "Make the file named below writable, then run the installer again");
  EXPECT_EQ(Form7->Label6->Caption(), "[STEP=0x2800] " + (dir / "blocked" / "registry").string());
  EXPECT_EQ(ui::UnfitTexts(*Form7), std::vector<std::string>());
}

// A folder that the system refuses to make is named, as this machine
// knows it, with the system's reason; only the install folder's own steps
// send the user to the install folder.
TEST_F(InstallerStepTest, ARefusedFolderIsNamedWithTheRealCause) {
  struct Case {
    const char* What;
    uint16_t RefusedFrom;  // the step from which making folders is refused
    std::string StartMenu;
    std::string Folder;  // the folder named, below the test's folder
    std::string_view Help;
  };
  const Case cases[] = {
      {"install folder", 0x1000, "C:\\Start Menu", "Locked/VEK 2003",
       "Check the install folder and its drive, then run the installer again"},
      {"menu folder", 0x2A00, "C:\\Menu\\applications", "Menu/applications",
       "Check the folder named below, then run the installer again"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Form7->Hide();
    Form4->CheckBox1->SetChecked(false);  // the menu shortcut alone
    platform::faults::Reset();
    platform::RegWriteString(RootKey::CurrentUser, vektest::kShellFolders, "Start Menu",
                             c.StartMenu);
    InstallDir = "C:\\Locked\\VEK 2003";
    Form5->Show();
    ASSERT_TRUE(ui::clock::RunUntil([&] { return CurrentStep == c.RefusedFrom; }, 100000));
    platform::faults::FailFrom(platform::faults::Op::CreateDirectory, 1,
                               platform::err::AccessDenied);
    ASSERT_TRUE(ui::clock::RunUntil([] { return !Form5->IsShown(); }, 100000));
    ASSERT_TRUE(Form7->IsShown());
    EXPECT_EQ(Form7->Label4->Caption(), "Access to the file or folder was refused.");
    EXPECT_EQ(Form7->Label5->Caption(), c.Help);
    EXPECT_EQ(Form7->Label6->Caption(), "[STEP=0x" +
                                            std::string(c.RefusedFrom == 0x1000 ? "2610" : "2A00") +
                                            "] " + (dir / c.Folder).string());
  }
}

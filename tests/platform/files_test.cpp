#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>

#include "platform/files.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::filesystem::path& path) {
  const auto bytes = vektest::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::unique_ptr<FileStream> OpenOrDie(const std::string& path, FileMode mode,
                                      ShareMode share = ShareMode::DenyNone) {
  int error = 0;
  auto stream = FileStream::Open(path, mode, share, &error);
  EXPECT_TRUE(stream) << path << " error " << error;
  return stream;
}

int OpenError(const std::string& path, FileMode mode, ShareMode share = ShareMode::DenyNone) {
  int error = -1;
  auto stream = FileStream::Open(path, mode, share, &error);
  return stream ? 0 : error;
}

}  // namespace

using FileStreamTest = PlatformTest;

TEST_F(FileStreamTest, WritesReadsAndReportsShortCounts) {
  auto out = OpenOrDie(Win("a.bin"), FileMode::Create, ShareMode::Exclusive);
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Write("hello world", 11), 11);
  EXPECT_EQ(out->Position(), 11);
  EXPECT_EQ(out->Size(), 11);
  EXPECT_EQ(out->Path(), Win("a.bin"));
  EXPECT_TRUE(out->Flush());
  EXPECT_TRUE(out->Close());
  EXPECT_FALSE(out->IsOpen());

  auto in = OpenOrDie(Win("a.bin"), FileMode::OpenRead);
  char buffer[32] = {};
  ASSERT_TRUE(in->Seek(6));
  EXPECT_EQ(in->Read(buffer, 32), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(in->Read(buffer, 32), 0);
  EXPECT_EQ(in->Write("x", 1), -1);
  EXPECT_EQ(in->LastError(), err::AccessDenied);
}

struct TRepeatCase {
  int64_t BlockLength;
  int64_t Count;
};

// The block over and over from the stream's position, the last copy cut
// short; more copies than one call of the kernel takes go on in the next.
TEST_F(FileStreamTest, WriteRepeatedRepeatsTheBlockFromThePosition) {
  const std::string block = "0123456789abcdefX";
  const TRepeatCase cases[] = {
      {17, 0},
      {17, 5},
      {17, 17},
      {17, 40},
      {3, 3 * 1024},      // as many copies as one call takes
      {3, 3 * 1024 + 2},  // and two bytes more in a second
      {17, 17 * 2500 + 9},
  };
  for (const TRepeatCase& c : cases) {
    auto out = OpenOrDie(Win("r.bin"), FileMode::Create, ShareMode::Exclusive);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->Write("head", 4), 4);
    EXPECT_EQ(out->WriteRepeated(block.data(), c.BlockLength, c.Count), c.Count)
        << c.BlockLength << " x " << c.Count;
    EXPECT_EQ(out->Position(), 4 + c.Count);
    ASSERT_TRUE(out->Close());
    std::string expected = "head";
    for (int64_t i = 0; i < c.Count; ++i) {
      expected += block[static_cast<size_t>(i % c.BlockLength)];
    }
    EXPECT_EQ(ReadText(dir / "r.bin"), expected) << c.BlockLength << " x " << c.Count;
  }
  auto out = OpenOrDie(Win("r.bin"), FileMode::Create, ShareMode::Exclusive);
  EXPECT_EQ(out->WriteRepeated(block.data(), 0, 5), -1);
  EXPECT_EQ(out->LastError(), err::InvalidParameter);
  EXPECT_EQ(out->WriteRepeated(nullptr, 3, 5), -1);
  EXPECT_EQ(out->LastError(), err::InvalidParameter);
  EXPECT_EQ(out->Size(), 0);
}

TEST_F(FileStreamTest, ClosedStreamFailsWithInvalidHandle) {
  auto s = OpenOrDie(Win("a.bin"), FileMode::Create);
  ASSERT_TRUE(s->Close());
  char b = 0;
  EXPECT_EQ(s->Read(&b, 1), -1);
  EXPECT_EQ(s->LastError(), err::InvalidHandle);
  EXPECT_EQ(s->Write(&b, 1), -1);
  EXPECT_FALSE(s->Seek(0));
  EXPECT_EQ(s->Size(), -1);
  EXPECT_FALSE(s->Close());
  EXPECT_EQ(LastError(), err::InvalidHandle);
}

TEST_F(FileStreamTest, CreateTruncatesAndOpenWriteKeepsContent) {
  vektest::MakeFile(dir / "f.txt", "0123456789");
  {
    auto s = OpenOrDie(Win("f.txt"), FileMode::OpenWrite);
    EXPECT_EQ(s->Position(), 0);
    EXPECT_EQ(s->Write("ab", 2), 2);
  }
  EXPECT_EQ(ReadText(dir / "f.txt"), "ab23456789");
  { auto s = OpenOrDie(Win("f.txt"), FileMode::Create); }
  EXPECT_EQ(fs::file_size(dir / "f.txt"), 0u);
}

TEST_F(FileStreamTest, PositionsBeyondFourGigabytes) {
  constexpr int64_t kFar = (int64_t{5} << 30) + 3;
  auto s = OpenOrDie(Win("sparse.bin"), FileMode::Create);
  ASSERT_TRUE(s->Seek(kFar));
  ASSERT_EQ(s->Write("z", 1), 1);
  EXPECT_EQ(s->Size(), kFar + 1);
  ASSERT_TRUE(s->Seek(kFar));
  char c = 0;
  EXPECT_EQ(s->Read(&c, 1), 1);
  EXPECT_EQ(c, 'z');
}

TEST_F(FileStreamTest, OpenFailuresCarryWindowsErrors) {
  fs::create_directory(dir / "folder");
  EXPECT_EQ(OpenError(Win("missing.txt"), FileMode::OpenRead), err::FileNotFound);
  EXPECT_EQ(OpenError(Win("missing.txt"), FileMode::OpenWrite), err::FileNotFound);
  EXPECT_EQ(OpenError(Win("nofolder\\x.txt"), FileMode::Create), err::PathNotFound);
  EXPECT_EQ(OpenError("Q:\\x.txt", FileMode::OpenRead), err::PathNotFound);
  EXPECT_EQ(OpenError(Win("folder"), FileMode::OpenRead), err::AccessDenied);
  EXPECT_EQ(OpenError(Win("folder"), FileMode::Create), err::AccessDenied);
  EXPECT_EQ(LastError(), err::AccessDenied);
}

struct ShareCase {
  FileMode FirstMode;
  ShareMode FirstShare;
  FileMode SecondMode;
  ShareMode SecondShare;
  int Expected;
};

TEST_F(FileStreamTest, SharingRulesWithinTheProcess) {
  using FM = FileMode;
  using SM = ShareMode;
  const ShareCase cases[] = {
      {FM::OpenRead, SM::Exclusive, FM::OpenRead, SM::DenyNone, err::SharingViolation},
      {FM::OpenRead, SM::DenyNone, FM::OpenRead, SM::Exclusive, err::SharingViolation},
      {FM::OpenRead, SM::DenyWrite, FM::OpenRead, SM::DenyWrite, 0},
      {FM::OpenRead, SM::DenyWrite, FM::OpenWrite, SM::DenyNone, err::SharingViolation},
      {FM::OpenWrite, SM::DenyNone, FM::OpenRead, SM::DenyWrite, err::SharingViolation},
      {FM::OpenRead, SM::DenyNone, FM::OpenWrite, SM::DenyNone, 0},
      {FM::OpenWrite, SM::DenyWrite, FM::OpenRead, SM::DenyNone, 0},
      {FM::OpenWrite, SM::DenyWrite, FM::OpenRead, SM::DenyWrite, err::SharingViolation},
      {FM::OpenWrite, SM::Exclusive, FM::Create, SM::DenyNone, err::SharingViolation},
      {FM::OpenRead, SM::DenyNone, FM::Create, SM::DenyNone, err::SharingViolation},
  };
  vektest::MakeFile(dir / "f.txt", "content");
  // A second name for the same file must not get around the rules.
  fs::create_hard_link(dir / "f.txt", dir / "alias.txt");
  for (const auto& c : cases) {
    auto first = OpenOrDie(Win("f.txt"), c.FirstMode, c.FirstShare);
    EXPECT_EQ(OpenError(Win("alias.txt"), c.SecondMode, c.SecondShare), c.Expected)
        << static_cast<int>(c.FirstMode) << "/" << static_cast<int>(c.FirstShare) << " then "
        << static_cast<int>(c.SecondMode) << "/" << static_cast<int>(c.SecondShare);
  }
  // The refused Create above destroyed nothing, and closing frees the file.
  EXPECT_EQ(ReadText(dir / "f.txt"), "content");
  { auto first = OpenOrDie(Win("f.txt"), FileMode::OpenRead, ShareMode::Exclusive); }
  EXPECT_EQ(OpenError(Win("f.txt"), FileMode::OpenRead, ShareMode::Exclusive), 0);
}

TEST_F(FileStreamTest, ATruncatingOpenIsExclusiveWhateverItAsks) {
  auto created = OpenOrDie(Win("new.txt"), FileMode::Create, ShareMode::DenyNone);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->Write("abc", 3), 3);
  EXPECT_EQ(OpenError(Win("new.txt"), FileMode::OpenRead, ShareMode::DenyNone),
            err::SharingViolation);
  EXPECT_EQ(OpenError(Win("new.txt"), FileMode::Create, ShareMode::DenyNone),
            err::SharingViolation);
  EXPECT_TRUE(created->Close());
  EXPECT_EQ(ReadText(dir / "new.txt"), "abc");
  // Across processes it holds the exclusive lock.
  auto again = OpenOrDie(Win("new.txt"), FileMode::Create, ShareMode::DenyNone);
  const int other = ::open(Host("new.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  EXPECT_NE(::flock(other, LOCK_SH | LOCK_NB), 0);
  ::close(other);
}

TEST_F(FileStreamTest, LocksOfOtherOpenersAreRespected) {
  vektest::MakeFile(dir / "f.txt", "x");
  // A lock on another open file description stands for another process.
  const int other = ::open(Host("f.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_SH), 0);
  EXPECT_EQ(OpenError(Win("f.txt"), FileMode::OpenRead, ShareMode::Exclusive),
            err::SharingViolation);
  EXPECT_EQ(OpenError(Win("f.txt"), FileMode::OpenRead, ShareMode::DenyNone), 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  EXPECT_EQ(OpenError(Win("f.txt"), FileMode::OpenRead, ShareMode::DenyNone),
            err::SharingViolation);
  ::close(other);
  EXPECT_EQ(OpenError(Win("f.txt"), FileMode::OpenRead, ShareMode::Exclusive), 0);
}

TEST_F(FileStreamTest, ReadOnlyFilesRefuseWritingAndDeletingWhateverThePrivileges) {
  vektest::MakeFile(dir / "ro.txt", "keep");
  fs::permissions(dir / "ro.txt", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(OpenError(Win("ro.txt"), FileMode::OpenWrite), err::AccessDenied);
  EXPECT_EQ(OpenError(Win("ro.txt"), FileMode::Create), err::AccessDenied);
  EXPECT_EQ(OpenError(Win("ro.txt"), FileMode::OpenRead), 0);
  EXPECT_FALSE(DeleteFile(Win("ro.txt")));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_EQ(ReadText(dir / "ro.txt"), "keep");
  ASSERT_TRUE(SetAttributes(Win("ro.txt"), 0));
  EXPECT_TRUE(DeleteFile(Win("ro.txt")));
  EXPECT_FALSE(fs::exists(dir / "ro.txt"));
}

TEST_F(FileStreamTest, SymbolicLinksAreNeverWrittenThrough) {
  vektest::MakeFile(dir / "target.txt", "original");
  fs::create_symlink(dir / "target.txt", dir / "link.txt");
  fs::create_symlink(dir / "nowhere.txt", dir / "dangling.txt");
  const auto modeBefore = fs::status(dir / "target.txt").permissions();

  EXPECT_EQ(OpenError(Win("link.txt"), FileMode::OpenWrite), err::AccessDenied);
  EXPECT_EQ(OpenError(Win("link.txt"), FileMode::Create), err::AccessDenied);
  EXPECT_EQ(OpenError(Win("dangling.txt"), FileMode::Create), err::AccessDenied);
  EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
  EXPECT_FALSE(SetAttributes(Win("link.txt"), attr::ReadOnly));
  EXPECT_EQ(fs::status(dir / "target.txt").permissions(), modeBefore);

  // Reading follows the link; deleting removes the link only.
  EXPECT_TRUE(FileExists(Win("link.txt")));
  EXPECT_EQ(OpenError(Win("link.txt"), FileMode::OpenRead), 0);
  EXPECT_TRUE(DeleteFile(Win("link.txt")));
  EXPECT_TRUE(DeleteFile(Win("dangling.txt")));
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(dir / "link.txt")));
  EXPECT_EQ(ReadText(dir / "target.txt"), "original");
}

TEST_F(FileStreamTest, CreateNewNeverTouchesAnExistingName) {
  vektest::MakeFile(dir / "taken.txt", "keep");
  vektest::MakeFile(dir / "target.txt", "original");
  fs::create_symlink(dir / "target.txt", dir / "link.txt");
  fs::create_symlink(dir / "nowhere.txt", dir / "dangling.txt");
  fs::create_directory(dir / "folder");
  for (const char* name : {"taken.txt", "link.txt", "dangling.txt", "folder"}) {
    EXPECT_EQ(OpenError(Win(name), FileMode::CreateNew), err::FileExists) << name;
  }
  EXPECT_EQ(ReadText(dir / "taken.txt"), "keep");
  EXPECT_EQ(ReadText(dir / "target.txt"), "original");
  EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));

  auto s = OpenOrDie(Win("new.txt"), FileMode::CreateNew, ShareMode::Exclusive);
  EXPECT_EQ(s->Write("abc", 3), 3);
  ASSERT_TRUE(s->Seek(0));
  char buffer[3] = {};
  EXPECT_EQ(s->Read(buffer, 3), 3);
  EXPECT_EQ(OpenError(Win("new.txt"), FileMode::CreateNew), err::FileExists);
  EXPECT_TRUE(s->Close());
  EXPECT_EQ(ReadText(dir / "new.txt"), "abc");
}

TEST_F(FileStreamTest, NewProgramFilesAreCreatedRunnable) {
  struct Case {
    const char* Name;
    bool Runnable;
  };
  const Case cases[] = {
      {"a.exe", true}, {"B.EXE", true},      {"c.ExE", true}, {".exe", true},
      {"exe", false},  {"d.exe.txt", false}, {"e.ex", false}, {"fexe", false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(OpenOrDie(Win(c.Name), FileMode::Create)) << c.Name;
    struct stat st {};
    ASSERT_EQ(::stat(Host(c.Name).c_str(), &st), 0) << c.Name;
    EXPECT_EQ((st.st_mode & S_IXUSR) != 0, c.Runnable) << c.Name;
  }
}

// Whatever the umask lets others have, a new file is its owner's alone.
TEST_F(FileStreamTest, NewFilesAreForTheirOwnerAloneWhateverTheUmask) {
  const mode_t old = ::umask(022);
  const std::pair<const char*, FileMode> cases[] = {
      {"c.txt", FileMode::Create}, {"n.txt", FileMode::CreateNew}, {"p.exe", FileMode::Create}};
  for (const auto& [name, mode] : cases) {
    EXPECT_TRUE(OpenOrDie(Win(name), mode)) << name;
  }
  ::umask(old);
  EXPECT_EQ(fs::status(dir / "c.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(dir / "n.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(dir / "p.exe").permissions(), fs::perms::owner_all);
}

// OpenNoLinks takes no link on the way, a folder's or the file's own; the
// plain open still goes through a folder link.
TEST_F(FileStreamTest, OpenNoLinksRefusesALinkAnywhereOnThePath) {
  fs::create_directories(dir / "real" / "sub");
  vektest::MakeFile(dir / "real" / "sub" / "f.txt", "data");
  fs::create_directory_symlink(dir / "real", dir / "via");
  fs::create_symlink(dir / "real" / "sub" / "f.txt", dir / "real" / "sub" / "l.txt");
  for (const char* path : {"via\\sub\\f.txt", "real\\sub\\l.txt"}) {
    int error = 0;
    EXPECT_FALSE(
        FileStream::OpenNoLinks(Win(path), FileMode::OpenRead, ShareMode::DenyNone, &error))
        << path;
    EXPECT_EQ(error, err::AccessDenied) << path;
  }
  EXPECT_FALSE(FileStream::OpenNoLinks(Win("via\\sub\\f.txt.new"), FileMode::CreateNew,
                                       ShareMode::DenyNone));
  EXPECT_FALSE(IdentityOfNoLinks(Win("via\\sub\\f.txt")));
  EXPECT_FALSE(fs::exists(dir / "real" / "sub" / "f.txt.new"));
  EXPECT_EQ(OpenError(Win("via\\sub\\f.txt"), FileMode::OpenRead), 0);
  auto direct =
      FileStream::OpenNoLinks(Win("real\\sub\\f.txt"), FileMode::OpenRead, ShareMode::DenyNone);
  ASSERT_TRUE(direct);
  EXPECT_TRUE(direct->Identity().SameFile(*IdentityOf(Win("real\\sub\\f.txt"))));
  int error = 0;
  EXPECT_FALSE(FileStream::OpenNoLinks(Win("real\\none\\f.txt"), FileMode::OpenRead,
                                       ShareMode::DenyNone, &error));
  EXPECT_EQ(error, err::PathNotFound);
  EXPECT_FALSE(FileStream::OpenNoLinks(Win("real\\sub\\none.txt"), FileMode::OpenRead,
                                       ShareMode::DenyNone, &error));
  EXPECT_EQ(error, err::FileNotFound);
}

using FileOpsTest = PlatformTest;

// The listed-file operations act only on the file they are given: another
// file under the name (or reached through a folder link) is left alone.
TEST_F(FileOpsTest, ListedFileOperationsActOnlyOnThatFile) {
  vektest::MakeFile(dir / "a.txt", "listed");
  const auto listed = IdentityOf(Win("a.txt"));
  ASSERT_TRUE(listed);
  fs::rename(dir / "a.txt", dir / "kept.txt");  // alive, so its inode is not reused
  vektest::MakeFile(dir / "a.txt", "other");
  EXPECT_FALSE(DeleteListedFile(Win("a.txt"), *listed));
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_FALSE(RenameListedFile(Win("a.txt"), Win("b.txt"), *listed, false));
  EXPECT_EQ(ReadText(dir / "a.txt"), "other");
  EXPECT_FALSE(fs::exists(dir / "b.txt"));

  fs::create_directory(dir / "sub");
  fs::rename(dir / "kept.txt", dir / "sub" / "kept.txt");
  fs::create_directory_symlink(dir / "sub", dir / "via");
  EXPECT_FALSE(DeleteListedFile(Win("via\\kept.txt"), *listed));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_TRUE(RenameListedFile(Win("sub\\kept.txt"), Win("sub\\a.txt"), *listed, false));
  EXPECT_FALSE(RenameListedFile(Win("sub\\a.txt"), Win("a.txt"), *listed, true));  // other folder
  EXPECT_TRUE(RenameListedFile(Win("sub\\a.txt"), Win("sub\\a.txt.2"), *listed, true));
  EXPECT_TRUE(SyncFolder(Win("sub")));
  EXPECT_TRUE(DeleteListedFile(Win("sub\\a.txt.2"), *listed));
  EXPECT_FALSE(fs::exists(dir / "sub" / "a.txt.2"));
  EXPECT_EQ(ReadText(dir / "a.txt"), "other");
}

// Limiting permissions only ever takes bits away, and never reaches a file
// through a link.
TEST_F(FileOpsTest, LimitingPermissionsTakesAwayAndNeverAdds) {
  const struct {
    fs::perms Before;
    uint32_t Allowed;
    fs::perms After;
  } cases[] = {
      {fs::perms::owner_read | fs::perms::owner_write, 0400, fs::perms::owner_read},
      {fs::perms::owner_read, 0666, fs::perms::owner_read},
      {fs::perms::owner_all | fs::perms::group_read, 0640,
       fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read},
  };
  for (const auto& c : cases) {
    vektest::MakeFile(dir / "f.txt", "");
    fs::permissions(dir / "f.txt", c.Before);
    EXPECT_TRUE(LimitPermissions(Win("f.txt"), c.Allowed)) << c.Allowed;
    EXPECT_EQ(fs::status(dir / "f.txt").permissions(), c.After) << c.Allowed;
    auto stream = FileStream::Open(Win("f.txt"), FileMode::OpenRead, ShareMode::DenyNone);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Permissions(), static_cast<uint32_t>(c.After));
    stream.reset();
    fs::permissions(dir / "f.txt", fs::perms::owner_all);
    fs::remove(dir / "f.txt");
  }
  vektest::MakeFile(dir / "t.txt", "");
  fs::permissions(dir / "t.txt", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(dir / "t.txt", dir / "link.txt");
  EXPECT_FALSE(LimitPermissions(Win("link.txt"), 0));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_EQ(fs::status(dir / "t.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileOpsTest, ExistenceTellsFilesFromFolders) {
  vektest::MakeFile(dir / "f.txt", "");
  fs::create_directory(dir / "d");
  EXPECT_TRUE(FileExists(Win("f.txt")));
  EXPECT_FALSE(FileExists(Win("d")));
  EXPECT_TRUE(DirectoryExists(Win("d")));
  EXPECT_TRUE(DirectoryExists("C:\\"));
  EXPECT_FALSE(DirectoryExists(Win("f.txt")));
  EXPECT_FALSE(FileExists(Win("none")));
  EXPECT_FALSE(FileExists("Q:\\f.txt"));
}

TEST_F(FileOpsTest, SymbolicLinksAreToldFromWhatTheyPointTo) {
  vektest::MakeFile(dir / "f.txt", "");
  fs::create_directory(dir / "d");
  fs::create_symlink(dir / "f.txt", dir / "file_link");
  fs::create_symlink(dir / "d", dir / "folder_link");
  fs::create_symlink(dir / "none", dir / "dangling");
  for (const char* link : {"file_link", "folder_link", "dangling"}) {
    EXPECT_TRUE(IsSymbolicLink(Win(link))) << link;
  }
  for (const char* plain : {"f.txt", "d", "none"})
    EXPECT_FALSE(IsSymbolicLink(Win(plain))) << plain;
  EXPECT_FALSE(IsSymbolicLink("Q:\\file_link"));
}

TEST_F(FileOpsTest, DeleteRefusesFoldersMissingAndOpenFiles) {
  fs::create_directory(dir / "d");
  vektest::MakeFile(dir / "open.txt", "x");
  EXPECT_FALSE(DeleteFile(Win("d")));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_FALSE(DeleteFile(Win("none.txt")));
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_FALSE(DeleteFile(Win("nodir\\none.txt")));
  EXPECT_EQ(LastError(), err::PathNotFound);
  {
    auto s = OpenOrDie(Win("open.txt"), FileMode::OpenRead);
    EXPECT_FALSE(DeleteFile(Win("open.txt")));
    EXPECT_EQ(LastError(), err::SharingViolation);
  }
  EXPECT_TRUE(DeleteFile(Win("open.txt")));
}

TEST_F(FileOpsTest, RenameNeverReplacesButReplaceFileDoes) {
  vektest::MakeFile(dir / "a.txt", "A");
  vektest::MakeFile(dir / "b.txt", "B");
  EXPECT_FALSE(RenameFile(Win("a.txt"), Win("b.txt")));
  EXPECT_EQ(LastError(), err::AlreadyExists);
  EXPECT_EQ(ReadText(dir / "b.txt"), "B");
  EXPECT_TRUE(RenameFile(Win("a.txt"), Win("c.txt")));
  EXPECT_EQ(ReadText(dir / "c.txt"), "A");
  EXPECT_FALSE(RenameFile(Win("a.txt"), Win("d.txt")));
  EXPECT_EQ(LastError(), err::FileNotFound);

  EXPECT_TRUE(ReplaceFile(Win("c.txt"), Win("b.txt")));
  EXPECT_EQ(ReadText(dir / "b.txt"), "A");
  EXPECT_FALSE(fs::exists(dir / "c.txt"));
  vektest::MakeFile(dir / "new.txt", "N");
  fs::permissions(dir / "b.txt", fs::perms::owner_read);
  EXPECT_FALSE(ReplaceFile(Win("new.txt"), Win("b.txt")));
  EXPECT_EQ(LastError(), err::AccessDenied);
  EXPECT_EQ(ReadText(dir / "b.txt"), "A");
}

TEST_F(FileOpsTest, FoldersAreCreatedOneOrAllAtOnce) {
  EXPECT_TRUE(CreateDirectory(Win("one")));
  EXPECT_FALSE(CreateDirectory(Win("one")));
  EXPECT_EQ(LastError(), err::AlreadyExists);
  EXPECT_FALSE(CreateDirectory(Win("x\\y")));
  EXPECT_EQ(LastError(), err::PathNotFound);
  EXPECT_TRUE(ForceDirectories(Win("deep\\er\\est\\")));
  EXPECT_TRUE(fs::is_directory(dir / "deep" / "er" / "est"));
  EXPECT_TRUE(ForceDirectories(Win("deep\\er")));
  EXPECT_TRUE(ForceDirectories("C:\\"));
  EXPECT_FALSE(ForceDirectories("Q:\\x"));
  vektest::MakeFile(dir / "file", "");
  EXPECT_FALSE(ForceDirectories(Win("file\\sub")));
}

// --- Fault injection ----------------------------------------------------------

struct FaultCase {
  faults::Op Op;
  const char* Name;
  // Performs the operation once: 0 on success, else the error it reported.
  std::function<int()> Call;
};

class FaultTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    vektest::MakeFile(dir / "f.bin", "0123456789");
    vektest::MakeFile(dir / "r.bin", "renamed back and forth");
    stream = FileStream::Open(Win("f.bin"), FileMode::OpenWrite, ShareMode::DenyNone);
    ASSERT_TRUE(stream);
    faults::Reset();
  }
  std::unique_ptr<FileStream> stream;
  int serial = 0;
};

int Result(bool ok) {
  return ok ? 0 : LastError();
}

TEST_F(FaultTest, EveryKindFailsExactlyAtTheChosenCallOrFromItOn) {
  const FaultCase cases[] = {
      {faults::Op::Open, "Open",
       [] {
         int error = 0;
         return FileStream::Open(Win("f.bin"), FileMode::OpenRead, ShareMode::DenyNone, &error)
                    ? 0
                    : error;
       }},
      {faults::Op::Read, "Read",
       [this] {
         char b[2];
         return stream->Read(b, 2) >= 0 ? 0 : stream->LastError();
       }},
      {faults::Op::Write, "Write",
       [this] { return stream->Write("ab", 2) == 2 ? 0 : stream->LastError(); }},
      {faults::Op::Flush, "Flush", [this] { return stream->Flush() ? 0 : stream->LastError(); }},
      {faults::Op::Close, "Close",
       [] {
         auto s = FileStream::Open(Win("f.bin"), FileMode::OpenRead, ShareMode::DenyNone);
         return s->Close() ? 0 : s->LastError();
       }},
      {faults::Op::Rename, "Rename",
       [] {
         const bool atR = FileExists(Win("r.bin"));
         return Result(RenameFile(Win(atR ? "r.bin" : "s.bin"), Win(atR ? "s.bin" : "r.bin")));
       }},
      {faults::Op::Delete, "Delete",
       [this] {
         vektest::MakeFile(Host("d.bin"), "d");
         return Result(DeleteFile(Win("d.bin")));
       }},
      {faults::Op::SetAttributes, "SetAttributes",
       [] { return Result(SetAttributes(Win("f.bin"), attr::Archive)); }},
      {faults::Op::CreateDirectory, "CreateDirectory",
       [this] { return Result(CreateDirectory(Win("dir" + std::to_string(serial++)))); }},
  };
  for (const auto& c : cases) {
    faults::Reset();
    faults::Fail(c.Op, 2, err::WriteProtect);
    EXPECT_EQ(c.Call(), 0) << c.Name;
    EXPECT_EQ(c.Call(), err::WriteProtect) << c.Name;
    EXPECT_EQ(LastError(), err::WriteProtect) << c.Name;
    EXPECT_EQ(c.Call(), 0) << c.Name;
    EXPECT_EQ(faults::Count(c.Op), 3) << c.Name;

    // A lasting fault: every call from the chosen one on, until the reset.
    faults::Reset();
    faults::FailFrom(c.Op, 2, err::WriteProtect);
    EXPECT_EQ(c.Call(), 0) << c.Name;
    EXPECT_EQ(c.Call(), err::WriteProtect) << c.Name;
    EXPECT_EQ(c.Call(), err::WriteProtect) << c.Name;
    faults::Reset();
    EXPECT_EQ(c.Call(), 0) << c.Name;
  }
}

TEST_F(FaultTest, DiskFullWritesHalfAndSaysSo) {
  faults::DiskFull(2);
  EXPECT_EQ(stream->Write("0123456789", 10), 10);
  EXPECT_EQ(stream->Write("abcdefghij", 10), 5);
  EXPECT_EQ(stream->LastError(), err::DiskFull);
  EXPECT_EQ(stream->Position(), 15);
  EXPECT_EQ(stream->Size(), 15);
  EXPECT_EQ(stream->Write("KLM", 3), 3);
  EXPECT_EQ(ReadText(dir / "f.bin"), "0123456789abcdeKLM");

  faults::DiskFull(1);
  EXPECT_EQ(stream->WriteRepeated("xy", 2, 9), 4);
  EXPECT_EQ(stream->LastError(), err::DiskFull);
  EXPECT_EQ(ReadText(dir / "f.bin"), "0123456789abcdeKLMxyxy");
}

TEST_F(FaultTest, ResetForgetsPlansAndCounts) {
  faults::Fail(faults::Op::Delete, 1, err::AccessDenied);
  faults::Fail(faults::Op::Read, 1, err::ReadFault);
  char b = 0;
  EXPECT_EQ(stream->Read(&b, 1), -1);
  EXPECT_EQ(stream->LastError(), err::ReadFault);
  faults::Reset();
  EXPECT_EQ(faults::Count(faults::Op::Read), 0);
  vektest::MakeFile(dir / "d.bin", "");
  EXPECT_TRUE(DeleteFile(Win("d.bin")));
}

// A planned action runs once, at its call and before it: what it changes
// is what that call finds.
TEST_F(FaultTest, AnActionRunsRightBeforeTheChosenCall) {
  vektest::MakeFile(dir / "a.txt", "a");
  int runs = 0;
  faults::Before(faults::Op::Delete, 2, [&] {
    ++runs;
    fs::remove(dir / "b.txt");
  });
  vektest::MakeFile(dir / "b.txt", "b");
  EXPECT_TRUE(DeleteFile(Win("a.txt")));
  EXPECT_EQ(runs, 0);
  EXPECT_FALSE(DeleteFile(Win("b.txt")));  // gone just before
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_EQ(runs, 1);
  vektest::MakeFile(dir / "b.txt", "b");
  EXPECT_TRUE(DeleteFile(Win("b.txt")));
  EXPECT_EQ(runs, 1);
}

TEST_F(FaultTest, AFailedCloseStillClosesTheFile) {
  faults::Fail(faults::Op::Close, 1, err::WriteFault);
  EXPECT_FALSE(stream->Close());
  EXPECT_EQ(stream->LastError(), err::WriteFault);
  EXPECT_FALSE(stream->IsOpen());
  EXPECT_TRUE(DeleteFile(Win("f.bin")));
}

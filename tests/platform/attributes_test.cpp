#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <ctime>
#include <filesystem>

#include "platform/files.h"
#include "platform/internal.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

bool HasUserXattrs(const fs::path& file) {
  if (::setxattr(file.c_str(), "user.vektest", "1", 1, 0) == 0) {
    ::removexattr(file.c_str(), "user.vektest");
    return true;
  }
  return errno != ENOTSUP;
}

timespec LocalMoment(int year, int month, int day, int hour, int minute, int second, long ms) {
  tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return {std::mktime(&t), ms * 1000000};
}

}  // namespace

class AttributesTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    vektest::MakeFile(dir / "f.txt", "x");
    if (!HasUserXattrs(dir / "f.txt")) GTEST_SKIP() << "no user extended attributes here";
  }
};

TEST_F(AttributesTest, RoundTripThroughModeAndExtendedAttribute) {
  struct Case {
    uint32_t Set;
    uint32_t Read;
  };
  const Case cases[] = {
      {0, attr::Normal},
      {attr::Normal, attr::Normal},
      {attr::ReadOnly, attr::ReadOnly},
      {attr::ReadOnly | attr::Hidden | attr::System, attr::ReadOnly | attr::Hidden | attr::System},
      {attr::Archive, attr::Archive},
      {attr::Hidden | attr::Archive, attr::Hidden | attr::Archive},
      {attr::Temporary | attr::Compressed, attr::Temporary | attr::Compressed},
      {attr::Directory | attr::VolumeId | attr::Archive, attr::Archive},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetAttributes(Win("f.txt"), c.Set)) << c.Set;
    EXPECT_EQ(GetAttributes(Win("f.txt")), c.Read) << c.Set;
  }
}

TEST_F(AttributesTest, DefaultsWithoutStoredBits) {
  fs::create_directory(dir / "d");
  vektest::MakeFile(dir / ".dot", "");
  EXPECT_EQ(GetAttributes(Win("f.txt")), attr::Archive);
  EXPECT_EQ(GetAttributes(Win("d")), attr::Directory);
  EXPECT_EQ(GetAttributes(Win("d\\")), attr::Directory);
  EXPECT_EQ(GetAttributes(Win(".dot")), attr::Hidden | attr::Archive);
  EXPECT_EQ(GetAttributes(Win("none")), std::nullopt);
  EXPECT_EQ(LastError(), err::FileNotFound);
  ASSERT_TRUE(SetAttributes(Win("d"), attr::Hidden));
  EXPECT_EQ(GetAttributes(Win("d")), attr::Directory | attr::Hidden);
}

TEST_F(AttributesTest, ReadOnlyIsTheOwnerWriteBitOnly) {
  fs::permissions(dir / "f.txt", fs::perms::owner_read | fs::perms::owner_write |
                                     fs::perms::group_read | fs::perms::group_write);
  ASSERT_TRUE(SetAttributes(Win("f.txt"), attr::ReadOnly | attr::Hidden | attr::System));
  EXPECT_EQ(fs::status(dir / "f.txt").permissions(),
            fs::perms::owner_read | fs::perms::group_read | fs::perms::group_write);
  // The settings writer's order: clear everything on a read-only file, then delete it.
  ASSERT_TRUE(SetAttributes(Win("f.txt"), 0));
  EXPECT_EQ(GetAttributes(Win("f.txt")), attr::Normal);
  EXPECT_TRUE(DeleteFile(Win("f.txt")));
}

TEST_F(AttributesTest, StoredTextIsReadAsOthersWriteIt) {
  ASSERT_TRUE(SetAttributes(Win("f.txt"), attr::Hidden | attr::Archive));
  char text[16] = {};
  const ssize_t n = ::getxattr(Host("f.txt").c_str(), "user.DOSATTRIB", text, sizeof text);
  EXPECT_EQ(std::string(text, static_cast<size_t>(std::max<ssize_t>(n, 0))), "0x22");
  // A NUL and binary data after the text, as some file servers store it.
  const char foreign[] = "0x6\0\x01\x02";
  ASSERT_EQ(::setxattr(Host("f.txt").c_str(), "user.DOSATTRIB", foreign, sizeof foreign, 0), 0);
  EXPECT_EQ(GetAttributes(Win("f.txt")), attr::Hidden | attr::System);
  ASSERT_EQ(::setxattr(Host("f.txt").c_str(), "user.DOSATTRIB", "junk", 4, 0), 0);
  EXPECT_EQ(GetAttributes(Win("f.txt")), attr::Archive);
}

using FileTimesTest = PlatformTest;

TEST_F(FileTimesTest, LocalCalendarFieldsOfEachTime) {
  vektest::MakeFile(dir / "t.txt", "x");
  const timespec times[2] = {LocalMoment(2003, 4, 5, 6, 7, 8, 250),        // access
                             LocalMoment(2002, 12, 31, 23, 59, 58, 999)};  // modification
  ASSERT_EQ(::utimensat(AT_FDCWD, Host("t.txt").c_str(), times, 0), 0);
  const auto got = GetFileTimes(Win("t.txt"));
  ASSERT_TRUE(got);
  EXPECT_EQ(got->Accessed, (CalendarTime{2003, 4, 5, 6, 6, 7, 8, 250}));       // a Saturday
  EXPECT_EQ(got->Modified, (CalendarTime{2002, 12, 31, 2, 23, 59, 58, 999}));  // a Tuesday
  EXPECT_TRUE(got->AccessedSet);

  struct statx stx {};
  ASSERT_EQ(::statx(AT_FDCWD, Host("t.txt").c_str(), 0, STATX_BTIME, &stx), 0);
  if (stx.stx_mask & STATX_BTIME) {
    const timespec born{static_cast<time_t>(stx.stx_btime.tv_sec), stx.stx_btime.tv_nsec};
    EXPECT_EQ(got->Created, detail::ToCalendar(born));
  } else {
    EXPECT_EQ(got->Created, got->Modified);
  }
}

TEST_F(FileTimesTest, ZeroAccessTimeIsReportedAsUnset) {
  vektest::MakeFile(dir / "t.txt", "x");
  const timespec times[2] = {{0, 0}, {0, UTIME_OMIT}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Host("t.txt").c_str(), times, 0), 0);
  const auto got = GetFileTimes(Win("t.txt"));
  ASSERT_TRUE(got);
  EXPECT_FALSE(got->AccessedSet);
  EXPECT_EQ(GetFileTimes(Win("none")), std::nullopt);
}

// --- Directory search ---------------------------------------------------------

class SearchTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    for (const char* name :
         {"a.c", "b.c", "ab.txt", "abc.txt", "noext", ".hidden.c", "sys.c", "back\\slash.c"}) {
      vektest::MakeFile(dir / name, "12345");
    }
    fs::create_directory(dir / "sub");
    if (!HasUserXattrs(dir / "sys.c")) GTEST_SKIP() << "no user extended attributes here";
    ASSERT_TRUE(SetAttributes(Win("sys.c"), attr::System | attr::Archive));
  }
  std::vector<std::string> Names(std::string_view mask, uint32_t filter) {
    std::vector<std::string> names;
    for (const auto& rec : FindFiles(Win(mask), filter)) names.push_back(rec.Name);
    return names;
  }
};

TEST_F(SearchTest, MasksAndAttributeFilter) {
  using V = std::vector<std::string>;
  struct Case {
    std::string_view Mask;
    uint32_t Filter;
    V Expected;
  };
  const Case cases[] = {
      {"*.*", 0, V{"a.c", "ab.txt", "abc.txt", "b.c", "noext"}},
      {"*.c", 0, V{"a.c", "b.c"}},
      {"a?.txt", 0, V{"ab.txt"}},
      {"a*", 0, V{"a.c", "ab.txt", "abc.txt"}},
      {"*.c", attr::Hidden, V{".hidden.c", "a.c", "b.c"}},
      {"*.c", attr::System, V{"a.c", "b.c", "sys.c"}},
      {"*", attr::Directory, V{"a.c", "ab.txt", "abc.txt", "b.c", "noext", "sub"}},
      {"*.*", attr::AnyFile,
       V{".hidden.c", "a.c", "ab.txt", "abc.txt", "b.c", "noext", "sub", "sys.c"}},
      {"ab.txt", 0, V{"ab.txt"}},
      {"AB.TXT", attr::AnyFile, V{}},
      // An exact name is looked up directly, under the same filter.
      {".hidden.c", 0, V{}},
      {".hidden.c", attr::Hidden, V{".hidden.c"}},
      {"sys.c", 0, V{}},
      {"sys.c", attr::System, V{"sys.c"}},
      {"sub", 0, V{}},
      {"sub", attr::Directory, V{"sub"}},
      {"none.c", attr::AnyFile, V{}},
      {"..", attr::AnyFile, V{}},
  };
  for (const auto& c : cases) EXPECT_EQ(Names(c.Mask, c.Filter), c.Expected) << c.Mask;
}

TEST_F(SearchTest, RecordsCarrySizeAttributesAndTimes) {
  const auto found = FindFiles(Win("*.*"), attr::AnyFile);
  ASSERT_EQ(found.size(), 8u);
  const SearchRec& file = found[1];
  EXPECT_EQ(file.Name, "a.c");
  EXPECT_EQ(file.Size, 5);
  EXPECT_EQ(file.Attr, attr::Archive);
  EXPECT_EQ(file.Times.Modified, GetFileTimes(Win("a.c"))->Modified);
  const SearchRec& folder = found[6];
  EXPECT_EQ(folder.Name, "sub");
  EXPECT_EQ(folder.Size, 0);
  EXPECT_EQ(folder.Attr, attr::Directory);
}

TEST_F(SearchTest, FailuresLeaveTheReason) {
  EXPECT_TRUE(FindFiles(Win("*.xyz"), attr::AnyFile).empty());
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_TRUE(FindFiles(Win("nofolder\\*.*"), attr::AnyFile).empty());
  EXPECT_EQ(LastError(), err::PathNotFound);
  EXPECT_TRUE(FindFiles("Q:\\*.*", attr::AnyFile).empty());
  EXPECT_EQ(LastError(), err::PathNotFound);
  // The same for an exact name.
  EXPECT_TRUE(FindFiles(Win("none.c"), attr::AnyFile).empty());
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_TRUE(FindFiles(Win(".hidden.c"), 0).empty());
  EXPECT_EQ(LastError(), err::FileNotFound);
  EXPECT_TRUE(FindFiles(Win("nofolder\\a.c"), attr::AnyFile).empty());
  EXPECT_EQ(LastError(), err::PathNotFound);
}

TEST(MaskTest, Wildcards) {
  struct Case {
    std::string_view Name, Mask;
    bool Matches;
  };
  const Case cases[] = {
      {"abc", "a*c", true},    {"abc", "a?c", true},     {"ac", "a?c", false},
      {"abc", "*", true},      {"", "*", true},          {"a.b.c", "*.c", true},
      {"abc", "*.*", true},    {"aXbXc", "a*b*c", true}, {"abcd", "a*c", false},
      {"ABC", "abc", false},   {"abc", "abc", true},     {"abc", "", false},
      {"a.cpp", "*.c", false}, {"aaa", "*a*a", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " ~ " << c.Mask;
  }
}

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/system.h"
#include "test_support.h"

using namespace platform;
namespace fs = std::filesystem;

TEST(RandomTest, FollowsTheSeedFormulaWorkedByHand) {
  // seed' = seed * 0x08088405 + 1 (mod 2^32); value = (seed' * range) >> 32.
  RandSeed = 0;
  EXPECT_EQ(Random(256), 0u);  // seed 1: 256 >> 32 = 0
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(Random(256), 8u);  // seed 0x08088406: top byte 0x08
  EXPECT_EQ(RandSeed, 0x08088406u);
  EXPECT_EQ(Random(256), 220u);  // seed 0xDC6DAC1F: top byte 0xDC
  EXPECT_EQ(RandSeed, 0xDC6DAC1Fu);
  EXPECT_EQ(Random(0), 0u);  // the seed still moves on, to 0x33DC589C
  EXPECT_EQ(RandSeed, 0x33DC589Cu);
  EXPECT_EQ(Random(1000), 272u);  // 0x45DE2B0D / 2^32 = 0.2729...
  RandSeed = 0xFFFFFFFFu;
  EXPECT_EQ(Random(10), 9u);  // seed 1 - 0x08088405 = 0xF7F77BFC: 0.968... * 10
  EXPECT_EQ(RandSeed, 0xF7F77BFCu);
}

TEST(VersionTest, NtRecordFromTheKernelRelease) {
  OsVersionInfo info;
  info.OSVersionInfoSize = 100;
  info.MajorVersion = 77;
  EXPECT_FALSE(GetVersionEx(&info));
  EXPECT_EQ(info.MajorVersion, 77u);
  EXPECT_FALSE(GetVersionEx(nullptr));

  info.OSVersionInfoSize = 148;
  ASSERT_TRUE(GetVersionEx(&info));
  utsname host{};
  ASSERT_EQ(::uname(&host), 0);
  unsigned major = 0, minor = 0, patch = 0;
  std::sscanf(host.release, "%u.%u.%u", &major, &minor, &patch);
  EXPECT_EQ(info.PlatformId, PlatformWin32NT);
  EXPECT_EQ(info.MajorVersion, major);
  EXPECT_EQ(info.MinorVersion, minor);
  EXPECT_EQ(info.BuildNumber, patch);
  EXPECT_STREQ(info.CSDVersion, "");

  OsVersionInfo fake;
  fake.OSVersionInfoSize = 0;
  fake.MajorVersion = 4;
  fake.MinorVersion = 10;
  fake.PlatformId = PlatformWin32Windows;
  std::strcpy(fake.CSDVersion, " A ");
  SetVersionForTest(fake);
  OsVersionInfo got;
  got.OSVersionInfoSize = 148;
  ASSERT_TRUE(GetVersionEx(&got));
  EXPECT_EQ(got.OSVersionInfoSize, 148u);
  EXPECT_EQ(got.MinorVersion, 10u);
  EXPECT_STREQ(got.CSDVersion, " A ");
  SetVersionForTest(std::nullopt);
}

TEST(ProcessTest, PriorityRequestsAreRecorded) {
  ClearPriorityRequests();
  EXPECT_EQ(PriorityClass(), NormalPriorityClass);
  SetPriorityClass(RealtimePriorityClass);
  SetPriorityClass(HighPriorityClass);
  EXPECT_EQ(PriorityClass(), HighPriorityClass);
  SetPriorityClass(NormalPriorityClass);
  EXPECT_EQ(PriorityRequests(),
            (std::vector<uint32_t>{RealtimePriorityClass, HighPriorityClass, NormalPriorityClass}));
  ClearPriorityRequests();
  EXPECT_TRUE(PriorityRequests().empty());
}

TEST(ProcessTest, PriorityIsANiceValueAndNeverARealTimeScheduler) {
  struct Case {
    uint32_t Class;
    int Nice;
  };
  for (const Case c : {Case{RealtimePriorityClass, -10}, Case{HighPriorityClass, -5},
                       Case{NormalPriorityClass, 0}}) {
    SetPriorityClass(c.Class);
    EXPECT_EQ(::sched_getscheduler(0), SCHED_OTHER) << c.Class;
    // Raising needs privileges; what the host refused is recorded, not reported.
    EXPECT_EQ(PriorityRefused(), ::getpriority(PRIO_PROCESS, 0) != c.Nice) << c.Class;
  }
  SetPriorityClass(0x12345);
  EXPECT_TRUE(PriorityRefused());
  EXPECT_EQ(PriorityClass(), 0x12345u);
  SetPriorityClass(NormalPriorityClass);
}

TEST(ProcessTest, ErrorModeAndBeeps) {
  EXPECT_EQ(SetErrorMode(SemFailCriticalErrors), 0u);
  EXPECT_EQ(SetErrorMode(0), SemFailCriticalErrors);
  const int before = BeepCount();
  int sounded = 0;
  SetBeepHandler([&sounded] { ++sounded; });
  MessageBeep();
  MessageBeep();
  SetBeepHandler(nullptr);
  MessageBeep();
  EXPECT_EQ(BeepCount(), before + 3);
  EXPECT_EQ(sounded, 2);
}

// In a child process, so that this test process stays as it was: the
// child reports its own core limit and dump flag after the call.
TEST(ProcessTest, MemoryIsKeptOutOfCoreFiles) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Start from limits that would write a core file.
    rlimit core{};
    ::getrlimit(RLIMIT_CORE, &core);
    core.rlim_cur = core.rlim_max;
    ::setrlimit(RLIMIT_CORE, &core);
    ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    const bool done = KeepMemoryOutOfDumps();
    ::getrlimit(RLIMIT_CORE, &core);
    const int dumpable = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
    ::_exit((done ? 0 : 1) | (core.rlim_cur == 0 && core.rlim_max == 0 ? 0 : 2) |
            (dumpable == 0 ? 0 : 4));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: refused, 2: core limit not 0, 4: still dumpable";
}

TEST(ClockTest, LocalNowAndItsOverride) {
  const time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  const CalendarTime t = LocalNow();
  EXPECT_GE(t.Year, local.tm_year + 1900);
  EXPECT_LE(t.Year, local.tm_year + 1901);
  EXPECT_TRUE(t.Month >= 1 && t.Month <= 12);
  EXPECT_LT(t.DayOfWeek, 7);
  EXPECT_LT(t.Millisecond, 1000);

  const CalendarTime fixed{2003, 1, 2, 4, 3, 4, 5, 6};
  SetLocalNowForTest(fixed);
  EXPECT_EQ(LocalNow(), fixed);
  SetLocalNowForTest(std::nullopt);
  EXPECT_NE(LocalNow(), fixed);
}

TEST(CommandLineTest, ArgumentsAsGiven) {
  const char* argv[] = {"prog", "C:\\a b.vek", "second"};
  SetCommandLine(3, argv);
  EXPECT_EQ(ParamCount(), 2);
  EXPECT_EQ(ParamStr(0), "prog");
  EXPECT_EQ(ParamStr(1), "C:\\a b.vek");
  EXPECT_EQ(ParamStr(3), "");
  EXPECT_EQ(ParamStr(-1), "");
  SetCommandLine(1, argv);
  EXPECT_EQ(ParamCount(), 0);
  EXPECT_EQ(ParamStr(1), "");
}

// --- ELF image end ------------------------------------------------------------

namespace {

struct Piece {
  uint32_t Type;
  uint64_t Offset, Size;
};

// A little ELF file: header, program headers after it, sections described
// by `sections`, their header table at `tableOffset`, padded to `length`.
std::vector<uint8_t> MakeElf(bool is64, const std::vector<Piece>& segments,
                             const std::vector<Piece>& sections, uint64_t tableOffset,
                             uint64_t length) {
  std::vector<uint8_t> image(length, 0);
  // Fields that fall beyond `length` are left out: the file is cut short there.
  const auto put = [&image](uint64_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes && at + static_cast<uint64_t>(i) < image.size(); ++i) {
      image[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
  };
  const int word = is64 ? 8 : 4;
  const uint64_t headerSize = is64 ? 64 : 52, phEntry = is64 ? 56 : 32, shEntry = is64 ? 64 : 40;
  std::memcpy(image.data(),
              "\x7f"
              "ELF",
              4);
  image[4] = is64 ? 2 : 1;
  image[5] = 1;  // little-endian
  image[6] = 1;
  put(is64 ? 32 : 28, headerSize, word);   // e_phoff
  put(is64 ? 40 : 32, tableOffset, word);  // e_shoff
  put(is64 ? 54 : 42, phEntry, 2);
  put(is64 ? 56 : 44, segments.size(), 2);
  put(is64 ? 58 : 46, shEntry, 2);
  put(is64 ? 60 : 48, sections.size(), 2);
  for (size_t i = 0; i < segments.size(); ++i) {
    const uint64_t at = headerSize + i * phEntry;
    put(at, segments[i].Type, 4);
    put(at + (is64 ? 8 : 4), segments[i].Offset, word);
    put(at + (is64 ? 32 : 16), segments[i].Size, word);
  }
  for (size_t i = 0; i < sections.size(); ++i) {
    const uint64_t at = tableOffset + i * shEntry;
    put(at + 4, sections[i].Type, 4);
    put(at + (is64 ? 24 : 16), sections[i].Offset, word);
    put(at + (is64 ? 32 : 20), sections[i].Size, word);
  }
  return image;
}

constexpr uint32_t kLoad = 1, kNote = 4, kNull = 0, kProgBits = 1, kNoBits = 8;

}  // namespace

class ElfTest : public vektest::TempDirTest {
 protected:
  std::optional<uint64_t> EndOf(const std::vector<uint8_t>& bytes) {
    const auto path = vektest::MakeFile(dir / "image", bytes);
    return ElfImageEnd(path.string());
  }
};

TEST_F(ElfTest, LargestEndOfSectionsTableAndLoadedSegments) {
  struct Case {
    const char* Name;
    std::vector<Piece> Segments, Sections;
    uint64_t TableOffset, Length, Expected;
  };
  const std::vector<Piece> sections{{kNull, 0, 0},
                                    {kProgBits, 0x200, 0x100},
                                    {kNoBits, 0x300, 0x100000},
                                    {kProgBits, 0x180, 0x10}};
  const Case cases[] = {
      // The section table ends last; the big NOBITS section takes no file space.
      {"table last", {{kLoad, 0, 0x200}}, sections, 0x300, 0x600, 0x300 + 4 * 64},
      // A loadable segment reaching further than any section.
      {"segment last", {{kLoad, 0, 0x580}, {kNote, 0, 0x5F0}}, sections, 0x300, 0x600, 0x580},
      // The last section in the table is not the one that ends last.
      {"max not last",
       {},
       {{kNull, 0, 0}, {kProgBits, 0x500, 0x80}, {kProgBits, 0x100, 0x10}},
       0x200,
       0x600,
       0x580},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EndOf(MakeElf(true, c.Segments, c.Sections, c.TableOffset, c.Length)), c.Expected)
        << c.Name;
    const uint64_t expected32 =
        std::string_view(c.Name) == "table last" ? 0x300 + 4 * 40 : c.Expected;
    EXPECT_EQ(EndOf(MakeElf(false, c.Segments, c.Sections, c.TableOffset, c.Length)), expected32)
        << c.Name << " (32-bit)";
  }
}

TEST_F(ElfTest, NothingForFilesThatAreNotReadableLittleEndianElf) {
  auto bigEndian = MakeElf(true, {}, {{kNull, 0, 0}}, 0x100, 0x200);
  bigEndian[5] = 2;
  EXPECT_EQ(EndOf(bigEndian), std::nullopt);
  EXPECT_EQ(EndOf({'M', 'Z', 0x90, 0, 3, 0, 0, 0}), std::nullopt);
  EXPECT_EQ(EndOf({}), std::nullopt);
  // The section table points past the end of the file.
  EXPECT_EQ(EndOf(MakeElf(true, {}, {{kNull, 0, 0}, {kProgBits, 0x80, 0x10}}, 0x100, 0x200)),
            0x100u + 2 * 64);
  EXPECT_EQ(EndOf(MakeElf(true, {}, {{kNull, 0, 0}, {kProgBits, 0x80, 0x10}}, 0x100, 0x150)),
            std::nullopt);
  EXPECT_EQ(ElfImageEnd((dir / "missing").string()), std::nullopt);
}

// Counts and entry sizes that no real table has end the reading at once:
// entries of 0 bytes with the extended count of 2^40 sections (held in the
// first section's size), or a program header table of 65535 entries past
// the end of the file.
TEST_F(ElfTest, NothingForTablesThatCannotBeThere) {
  auto extended = MakeElf(true, {}, {{kNull, 0, 0}}, 0x100, 0x200);
  extended[60] = extended[61] = 0;  // e_shnum 0: the count is in section 0
  extended[58] = extended[59] = 0;  // e_shentsize 0
  extended[0x100 + 32 + 5] = 1;     // section 0's size: 2^40
  auto manySegments = MakeElf(true, {}, {{kNull, 0, 0}}, 0x100, 0x200);
  manySegments[56] = manySegments[57] = 0xFF;
  auto tinySegments = MakeElf(true, {{kLoad, 0, 0x10}}, {{kNull, 0, 0}}, 0x100, 0x200);
  tinySegments[54] = 1;  // e_phentsize 1
  tinySegments[55] = 0;
  for (const auto* image : {&extended, &manySegments, &tinySegments}) {
    EXPECT_EQ(EndOf(*image), std::nullopt);
  }
}

TEST_F(ElfTest, TheRunningProgramEndsWhereItsFileEndsUntilSomethingIsAppended) {
  const std::string self = ExecutableHostPath();
  ASSERT_TRUE(fs::exists(self));
  EXPECT_EQ(fs::path(self).filename(), "platform_tests");
  const auto end = ElfImageEnd(self);
  ASSERT_TRUE(end);
  EXPECT_EQ(*end, fs::file_size(self));
  auto bytes = vektest::ReadFileBytes(self);
  bytes.insert(bytes.end(), 4096, 0xAB);
  EXPECT_EQ(EndOf(bytes), end);
}

// The text routines and the file-type table.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <string>

#include "core/state.h"
#include "core/texts.h"
#include "platform/system.h"
#include "platform_doubles.h"

namespace vek {
namespace {

TEST(SizeToTextTest, Thresholds) {
  constexpr int64_t TB = int64_t{1} << 40;
  const std::pair<int64_t, const char*> cases[] = {
      {-1, "Unknown"},
      {0, "0 Bytes"},
      {1000, "1000 Bytes"},
      {1001, "1 KB"},  // no decimals below 1024
      {1023, "1 KB"},
      {1024, "1.00 KB"},
      {12800, "12.5 KB"},
      {1024000, "1000 KB"},
      {1024001, "0.98 MB"},
      {1048576, "1.00 MB"},
      {1000 * TB, "1000 TB"},
      {1000 * TB + 1, "0.98"},  // beyond terabytes: no unit word
      {INT64_MAX, "8.00"},
      // A half rounds up, never to the even digit.
      {2176, "2.13 KB"},
      {1152, "1.13 KB"},
      {10496, "10.3 KB"},
      {102912, "101 KB"},
      {2432, "2.38 KB"},
      // Two decimals up to 9.99, one up to 99.9.
      {10188, "9.95 KB"},
      {10239, "10.00 KB"},
      {101888, "99.5 KB"},
      {102348, "99.9 KB"},
      {102349, "100.0 KB"},
  };
  for (const auto& [count, text] : cases) EXPECT_EQ(SizeToText(count), text) << count;
}

// The whole percent of the progress and drive figures: rounded down, never
// below 0 or above 100, whatever the figures.
TEST(WholePercentTest, StaysWithinItsRange) {
  struct Case {
    int64_t Part, Whole, Percent;
  };
  const Case cases[] = {
      {0, 0, 0},
      {5, 0, 0},
      {5, -1, 0},
      {-1, 10, 0},
      {INT64_MIN, 10, 0},
      {0, 10, 0},
      {1, 3, 33},
      {2, 3, 66},
      {999, 1000, 99},
      {10, 10, 100},
      {11, 10, 100},
      {INT64_MAX, 10, 100},
      {INT64_MAX - 1, INT64_MAX, 99},
      {INT64_MAX, INT64_MAX, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WholePercent(c.Part, c.Whole), c.Percent) << c.Part << " of " << c.Whole;
  }
}

TEST(FormatDateTextTest, OrdinalSuffixes) {
  const std::map<uint16_t, std::string> suffixes = {{1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},
                                                    {11, "th"}, {12, "th"}, {13, "th"}, {21, "st"},
                                                    {22, "nd"}, {23, "rd"}, {30, "th"}, {31, "st"}};
  for (const auto& [day, suffix] : suffixes) {
    EXPECT_EQ(FormatDateText(3, day, true, 2003, 12),
              "Tuesday " + std::to_string(day) + suffix + " of December 2003");
  }
}

TEST(FormatDateTextTest, Forms) {
  EXPECT_EQ(FormatDateText(3, 9, false, 2003, 12), "Tue 09Dec2003");
  EXPECT_EQ(FormatDateText(1, 28, true, 2004, 3), "Sunday 28th of March 2004");
  EXPECT_EQ(FormatDateText(7, 1, false, 2004, 5), "Sat 01May2004");
  // Day of week 0: three blanks in place of the name, in both forms.
  EXPECT_EQ(FormatDateText(0, 9, true, 2003, 12), "    9th of December 2003");
  EXPECT_EQ(FormatDateText(0, 9, false, 2003, 12), "    09Dec2003");
  // The longest real date is exactly 32 characters; anything longer is cut.
  EXPECT_EQ(FormatDateText(4, 30, true, 2003, 9), "Wednesday 30th of September 2003");
  EXPECT_EQ(FormatDateText(4, 30, true, 20003, 9), "Wednesday 30th of September 2000");
}

TEST(FormatTimeTextTest, TwelveHourClock) {
  EXPECT_EQ(FormatTimeText(0, 5, false, 0), "12:05am");
  EXPECT_EQ(FormatTimeText(11, 59, true, 9), "11:59:09am");
  EXPECT_EQ(FormatTimeText(12, 0, false, 0), "12:00pm");
  EXPECT_EQ(FormatTimeText(13, 7, true, 5), "1:07:05pm");
  EXPECT_EQ(FormatTimeText(15, 7, false, 5), "3:07pm");
  EXPECT_EQ(FormatTimeForFileName(15, 7, 5), "3-07-05pm");
  EXPECT_EQ(FormatTimeForFileName(0, 0, 0), "12-00-00am");
}

class ClockTest : public ::testing::Test {
 protected:
  ~ClockTest() override { platform::SetLocalNowForTest(std::nullopt); }
  static void SetClock(uint16_t dayOfWeek, uint16_t hour) {
    platform::CalendarTime moment;
    moment.Year = 2003;
    moment.Month = 12;
    moment.Day = 9;
    moment.DayOfWeek = dayOfWeek;
    moment.Hour = hour;
    moment.Minute = 7;
    moment.Second = 5;
    moment.Millisecond = 321;
    platform::SetLocalNowForTest(moment);
  }
};

TEST_F(ClockTest, CaptureNowCountsSundayAsOne) {
  SetClock(0, 15);
  CaptureNow();
  EXPECT_EQ(NowYear, 2003);
  EXPECT_EQ(NowMonth, 12);
  EXPECT_EQ(NowDay, 9);
  EXPECT_EQ(NowDayOfWeek, 1);
  EXPECT_EQ(NowHour, 15);
  EXPECT_EQ(NowMin, 7);
  EXPECT_EQ(NowSec, 5);
  EXPECT_EQ(NowMSec, 321);
  SetClock(6, 15);
  CaptureNow();
  EXPECT_EQ(NowDayOfWeek, 7);
}

TEST_F(ClockTest, NowTextCapturesFirst) {
  SetClock(2, 15);
  EXPECT_EQ(NowText(), "3:07:05pm, Tuesday 9th of December 2003");
  EXPECT_EQ(NowDayOfWeek, 3);
  SetClock(2, 0);
  EXPECT_EQ(NowText(), "12:07:05am, Tuesday 9th of December 2003");
}

// Only what could forge a line or turn the text around is escaped; other
// bytes, broken UTF-8 included, stay as they are, and a sequence cut off
// at the end is never read past.
TEST(EscapedTextTest, HiddenCharactersOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain name.txt", "plain name.txt"},
      {"a\r\nb\tc\x7F\x1B", "a\\r\\nb\\tc\\x7F\\x1B"},
      {"\xC2\x85next \xC2\xA0", "\\u0085next \xC2\xA0"},  // C1 escaped, no-break space kept
      {"x\u202Etxt.exe \u2066\u2069 \u200F \u061C",
       "x\\u202Etxt.exe \\u2066\\u2069 \\u200F \\u061C"},
      {"\u2028\u2029 \u20AC \u00E9", "\\u2028\\u2029 \u20AC \u00E9"},
      {"bad \xFF\xC2 end\xE2\x80", "bad \xFF\xC2 end\xE2\x80"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(EscapedText(text), shown) << text;
}

TEST(FileTypeDescriptionTest, Lookup) {
  const std::pair<const char*, const char*> cases[] = {
      {"report.txt", "Text Document"},
      {"REPORT.TXT", "Text Document"},  // extension case does not matter
      {"Report.Txt", "Text Document"},
      {"backup.tar.gz", "GNU Zip Archive"},  // the text after the last dot
      {".txt", "Text Document"},             // the only dot is the first character
      {"photo.jpg", "JPEG Picture"},         // the earlier of the two "jpg" rows
      {"main.c~", "Unknown"},
      {"main.~c", "C Source Backup"},
      {"name.", "Unknown"},   // ends in a dot: no extension
      {"README", "Unknown"},  // no dot at all
      {"txt", "Unknown"},
      {"", "Unknown"},
      {"file.notatype", "Unknown"},
  };
  for (const auto& [name, description] : cases) {
    EXPECT_EQ(FileTypeDescription(name), description) << name;
  }
}

TEST(FileTypeTableTest, RowsFollowTheRules) {
  std::map<std::string, int> firstRow;
  int repeats = 0;
  for (int row = 1; row <= FileTypeRowCount; ++row) {
    const TFileTypeRow& entry = FileTypeRow(row);
    SCOPED_TRACE(row);
    EXPECT_GE(entry.Extension.size(), 1u);
    EXPECT_LE(entry.Extension.size(), 6u);
    for (char c : entry.Extension) {
      EXPECT_EQ(c, std::tolower(static_cast<unsigned char>(c)));
      EXPECT_NE(c, '.');
    }
    EXPECT_GE(entry.Description.size(), 1u);
    EXPECT_LE(entry.Description.size(), 28u);
    const auto [it, inserted] = firstRow.emplace(entry.Extension, row);
    if (!inserted) {
      ++repeats;
      // The earlier row is the one a lookup finds.
      EXPECT_EQ(FileTypeDescription("x." + std::string(entry.Extension)),
                FileTypeRow(it->second).Description);
      EXPECT_NE(entry.Description, FileTypeRow(it->second).Description);
    }
  }
  EXPECT_EQ(FileTypeRowCount, 421);
  EXPECT_EQ(repeats, 1);
  EXPECT_TRUE(FileTypeRow(0).Extension.empty());
  EXPECT_TRUE(FileTypeRow(422).Extension.empty());
}

TEST(FileTypeTableTest, KeepsItsRows) {
  // The settings key is taken from rows 1 to 256 by number: they must not move.
  EXPECT_EQ(FileTypeRow(1).Extension, "txt");
  EXPECT_EQ(FileTypeRow(100).Extension, "jpeg");
  EXPECT_EQ(FileTypeRow(256).Extension, "sql");
  EXPECT_EQ(FileTypeRow(421).Extension, "~ini");
  // Every row's extension, in row order, pinned by a hash: rows 1..256 name
  // the settings keys, the rest must not move either.
  const auto extensionsHash = [](int first, int last) {
    uint64_t hash = 0xCBF29CE484222325;  // FNV-1a
    for (int row = first; row <= last; ++row) {
      for (char c : std::string(FileTypeRow(row).Extension) + "\n") {
        hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001B3;
      }
    }
    return hash;
  };
  EXPECT_EQ(extensionsHash(1, 256), 0x7253D6A1BA73CB7Au);
  EXPECT_EQ(extensionsHash(257, 421), 0x64D211E46F07F699u);
}

TEST(YesNoTextTest, OnlyOneIsYes) {
  EXPECT_EQ(YesNoText(1), "Yes");
  EXPECT_EQ(YesNoText(0), "No");
  EXPECT_EQ(YesNoText(2), "No");
  EXPECT_EQ(YesNoText(255), "No");
}

TEST(AttributesToTextTest, BothForms) {
  struct Case {
    uint16_t Bits;
    const char* Short;
    const char* Long;
  };
  const Case cases[] = {
      {0, "--------", " "},
      {0x21, "-R----A-", " Read-only Archive "},
      {0x80, "N-------", " Normal "},
      {0x10, "-----D--", " Directory "},
      {0x9B7, "NRHSCDAT",
       " Normal Read-only Hidden System Compressed Directory Archive Temporary "},
      {0x4008, "--------", " "},  // bits without a word
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AttributesToText(c.Bits, false), c.Short) << c.Bits;
    EXPECT_EQ(AttributesToText(c.Bits, true), c.Long) << c.Bits;
  }
}

}  // namespace
}  // namespace vek

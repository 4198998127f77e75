#pragma once
// The texts that every window shows and the activity log writes: the
// current moment, dates, 12-hour times, byte counts, attributes, file-type
// descriptions and yes/no. All results are 8-bit texts. The windows' own
// members of the same names call these.

#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

// Fills the Now... fields (core/state.h) from the local clock.
// NowDayOfWeek counts 1 = Sunday .. 7 = Saturday.
void CaptureNow();

// Day of week 1..7 (1 = Sunday) names the day; 0 gives three blanks.
// Long form "Tuesday 9th of December 2003", short form "Tue 09Dec2003";
// never longer than 32 characters.
std::string FormatDateText(uint16_t dayOfWeek, uint16_t day, bool longForm, uint16_t year,
                           uint16_t month);
// 12-hour clock: "3:07pm", with seconds "3:07:05pm"; hour 0 shows as 12am.
std::string FormatTimeText(uint16_t hour, uint16_t minute, bool withSeconds, uint16_t second);
// "3-07-05pm", for file names.
std::string FormatTimeForFileName(uint16_t hour, uint16_t minute, uint16_t second);
// Captures the moment, then "3:07:05pm, Tuesday 9th of December 2003".
std::string NowText();

// At least two digits, with a leading zero below 10: "07".
std::string TwoDigits(unsigned value);

// `text` without the blanks and control characters (bytes up to 0x20) at
// either end.
std::string_view TrimBlanks(std::string_view text);

// A file name (or any outside text) as a window or the log shows it: line
// breaks, tabs and other control characters escaped ("\n", "\r", "\t",
// "\x01"), and so are the C1 controls, the line and paragraph separators
// and the marks that turn the direction of what follows ("\u202E"), so that no name can make a line
// of its own or show itself reversed. Other bytes stay as they are.
std::string EscapedText(std::string_view text);

// Description of a file's type from its extension (the text after the last
// "."), looked up case-blind in the file-type table; "Unknown" when no row
// matches or the name has no "." at all.
std::string FileTypeDescription(std::string_view name);
// "Yes" for 1, "No" for anything else.
std::string YesNoText(uint8_t value);
// "1000 Bytes", "1 KB", "1.00 KB", "12.5 MB", "Unknown" for a negative count.
// Exact: a half rounds up (2176 bytes read "2.13 KB").
std::string SizeToText(int64_t count);
// part x 100 div whole, worked in integers so that no figure comes out one
// too low, kept within 0..100; 0 when whole is 0 or less.
int64_t WholePercent(int64_t part, int64_t whole);
// Long form: " " and one word with a trailing blank per set bit
// (" Read-only Archive "); short form: 8 letters or "-" ("-R----A-").
std::string AttributesToText(uint16_t attributes, bool longForm);

// --- File-type table ----------------------------------------------------------
// Rows 1..421 of lower-case extensions (1 to 6 characters, without the dot)
// and descriptions (at most 28 characters). The rows are constants of the
// program and keep their numbers: the settings file takes its key from row
// N + 1. One extension occurs twice; the earlier row is the one found.
struct TFileTypeRow {
  std::string_view Extension;
  std::string_view Description;
};
inline constexpr int FileTypeRowCount = 421;
// Row 1..FileTypeRowCount; any other number gives an empty row.
const TFileTypeRow& FileTypeRow(int row);

}  // namespace vek

#include "core/texts.h"

#include <cstdio>
#include <initializer_list>
#include <iterator>

#include "core/state.h"
#include "platform/system.h"

namespace vek {

namespace {

// Indexed by month 1..12.
constexpr std::string_view MonthNames[13] = {
    "",     "January", "February",  "March",   "April",    "May",     "June",
    "July", "August",  "September", "October", "November", "December"};
// Indexed by day of week 1..7 (1 = Sunday); 0 stands for "no day" and gives
// three blanks.
constexpr std::string_view WeekdayNames[8] = {"   ",       "Sunday",   "Monday", "Tuesday",
                                              "Wednesday", "Thursday", "Friday", "Saturday"};

constexpr size_t DateTextMaxLength = 32;

std::string_view WeekdayPart(uint16_t dayOfWeek) {
  return dayOfWeek <= 7 ? WeekdayNames[dayOfWeek] : WeekdayNames[0];
}

std::string_view MonthName(uint16_t month) {
  return month >= 1 && month <= 12 ? MonthNames[month] : MonthNames[0];
}

std::string_view OrdinalSuffix(uint16_t day) {
  switch (day) {
    case 1:
    case 21:
    case 31:
      return "st";
    case 2:
    case 22:
      return "nd";
    case 3:
    case 23:
      return "rd";
    default:
      return "th";
  }
}

// The 12-hour clock's hour (0 shows as 12) and its suffix.
std::string Hour12(uint16_t hour) {
  const unsigned shown = hour % 12u;
  return std::to_string(shown == 0 ? 12 : shown);
}
std::string_view AmPm(uint16_t hour) {
  return hour < 12 ? "am" : "pm";
}

std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string TwoDigits(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02u", value);
  return text;
}

namespace {
// The code point of the UTF-8 sequence of two or three bytes at `at` when it
// is a C1 control, a line or paragraph separator or a direction mark,
// else 0; `length` its bytes.
uint32_t HiddenCodePoint(std::string_view text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
  };
  if (byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) {
    length = 2;
    return byte(1);  // U+0080..U+009F
  }
  if (byte(0) == 0xD8 && byte(1) == 0x9C) {
    length = 2;
    return 0x061C;  // Arabic letter mark
  }
  if (byte(0) != 0xE2 || (byte(1) != 0x80 && byte(1) != 0x81) || (byte(2) & 0xC0) != 0x80) {
    return 0;
  }
  const uint32_t point = 0x2000 | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
  const bool hidden = point == 0x200E || point == 0x200F || (point >= 0x2028 && point <= 0x202E) ||
                      (point >= 0x2066 && point <= 0x2069);
  length = 3;
  return hidden ? point : 0;
}
}  // namespace

std::string EscapedText(std::string_view text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    size_t length = 0;
    if (const uint32_t point = HiddenCodePoint(text, i, length)) {
      shown += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) shown += Hex[(point >> shift) & 0xF];
      i += length - 1;
    } else if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      shown += "\\x";
      shown += Hex[byte >> 4];
      shown += Hex[byte & 0xF];
    }
  }
  return shown;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

void CaptureNow() {
  const platform::CalendarTime now = platform::LocalNow();
  NowYear = now.Year;
  NowMonth = now.Month;
  NowDay = now.Day;
  NowDayOfWeek = static_cast<uint16_t>(now.DayOfWeek + 1);  // the clock counts Sunday as 0
  NowHour = now.Hour;
  NowMin = now.Minute;
  NowSec = now.Second;
  NowMSec = now.Millisecond;
}

std::string FormatDateText(uint16_t dayOfWeek, uint16_t day, bool longForm, uint16_t year,
                           uint16_t month) {
  const std::string_view weekday = WeekdayPart(dayOfWeek);
  const std::string_view monthName = MonthName(month);
  std::string text = longForm ? Concat({weekday, " ", std::to_string(day), OrdinalSuffix(day),
                                        " of ", monthName, " ", std::to_string(year)})
                              : Concat({weekday.substr(0, 3), " ", TwoDigits(day),
                                        monthName.substr(0, 3), std::to_string(year)});
  if (text.size() > DateTextMaxLength) text.resize(DateTextMaxLength);
  return text;
}

std::string FormatTimeText(uint16_t hour, uint16_t minute, bool withSeconds, uint16_t second) {
  return Concat({Hour12(hour), ":", TwoDigits(minute), withSeconds ? ":" : "",
                 withSeconds ? TwoDigits(second) : "", AmPm(hour)});
}

std::string FormatTimeForFileName(uint16_t hour, uint16_t minute, uint16_t second) {
  return Concat({Hour12(hour), "-", TwoDigits(minute), "-", TwoDigits(second), AmPm(hour)});
}

std::string NowText() {
  CaptureNow();
  return FormatTimeText(NowHour, NowMin, true, NowSec) + ", " +
         FormatDateText(NowDayOfWeek, NowDay, true, NowYear, NowMonth);
}

std::string FileTypeDescription(std::string_view name) {
  // A name without any "." has no extension (rather than matching the text
  // after its first character by chance).
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return "Unknown";
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) c = AsciiLower(c);
  for (int row = 1; row <= FileTypeRowCount; ++row) {
    if (FileTypeRow(row).Extension == extension) return std::string(FileTypeRow(row).Description);
  }
  return "Unknown";  // also a name ending in "." (no extension is empty)
}

std::string YesNoText(uint8_t value) {
  return value == 1 ? "Yes" : "No";
}

namespace {

// The products below need more than 64 bits (a count near 2^63 times 200).
__extension__ typedef unsigned __int128 TWide;

}  // namespace

std::string SizeToText(int64_t count) {
  if (count < 0) return "Unknown";
  constexpr std::string_view UnitWords[] = {" Bytes", " KB", " MB", " GB", " TB"};
  const auto bytes = static_cast<uint64_t>(count);
  // The size in units is bytes / divisor; it steps up while above 1000, the
  // divisor being 1024 per unit.
  uint64_t divisor = 1;
  size_t unit = 0;
  while (bytes / divisor > 1000 || (bytes / divisor == 1000 && bytes % divisor != 0)) {
    divisor *= 1024;
    ++unit;
  }
  const uint64_t whole = bytes / divisor;
  const int decimals = count < 1024 ? 0 : whole < 10 ? 2 : whole < 100 ? 1 : 0;
  const uint64_t scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
  // bytes x scale / divisor, a half rounded up.
  const auto scaled =
      static_cast<uint64_t>((TWide{bytes} * scale * 2 + divisor) / (TWide{divisor} * 2));
  std::string number = std::to_string(scaled / scale);
  if (decimals > 0) {
    const std::string fraction = std::to_string(scaled % scale + scale);  // leading zeros kept
    number += "." + fraction.substr(1);
  }
  // Beyond terabytes there is no unit word.
  return unit < std::size(UnitWords) ? Concat({number, UnitWords[unit]}) : number;
}

int64_t WholePercent(int64_t part, int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  if (part >= whole) return 100;
  return static_cast<int64_t>(TWide{static_cast<uint64_t>(part)} * 100 /
                              static_cast<uint64_t>(whole));
}

std::string AttributesToText(uint16_t attributes, bool longForm) {
  struct TAttributeName {
    uint16_t Bit;
    std::string_view Word;
    char Letter;
  };
  static constexpr TAttributeName Names[] = {
      {0x80, "Normal ", 'N'},  {0x01, "Read-only ", 'R'},   {0x02, "Hidden ", 'H'},
      {0x04, "System ", 'S'},  {0x800, "Compressed ", 'C'}, {0x10, "Directory ", 'D'},
      {0x20, "Archive ", 'A'}, {0x100, "Temporary ", 'T'}};
  std::string text = longForm ? " " : "";
  for (const TAttributeName& name : Names) {
    const bool set = (attributes & name.Bit) != 0;
    if (longForm) {
      if (set) text += name.Word;
    } else {
      text += set ? name.Letter : '-';
    }
  }
  return text;
}

}  // namespace vek

// The activity log: time-stamped lines in the log window's list, and the
// head that opens the log of a run.

#include <algorithm>
#include <limits>
#include <string>

#include "core/texts.h"
#include "engine/activity_log_window.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"
#include "platform/files.h"

namespace vek {

// No name can make a line of its own: what is logged is shown escaped.
void TForm8::LogLine(const std::string& text) {
  CaptureNow();
  Form21->ListBox1->AddItem(TwoDigits(NowHour) + ":" + TwoDigits(NowMin) + ":" + TwoDigits(NowSec) +
                            " " + EscapedText(text));
}

void TForm8::LogAction(const std::string& text) {
  LogLine(text);
  if (ActionCount < std::numeric_limits<uint16_t>::max()) ++ActionCount;
}

void TForm8::StartActivityLog(uint8_t kind) {
  LogAction("VEK 2003 ACTIVITY LOG:");
  switch (kind) {
    case LogHeadEncrypt:
      LogAction("Started encryption processing at " + NowText());
      break;
    case LogHeadDecrypt:
      LogAction("Started decryption processing at " + NowText());
      break;
    case LogHeadMultiDelete:
      LogAction("Started multi-delete processing at " + NowText());
      break;
    default:
      break;
  }
  LogAction("Delete mode: " + std::string(DeleteMethodName(DeleteMethod)));
}

// Every run saves under a name of its own: the moment is captured first,
// and a name already given this session or present on the drive gets a
// number.
void TForm8::AssignLogFileName() {
  CaptureNow();
  const std::string base = "C:\\VEK2003 " +
                           FormatDateText(NowDayOfWeek, NowDay, true, NowYear, NowMonth) + " at " +
                           FormatTimeForFileName(NowHour, NowMin, NowSec);
  std::string name = base + ".log";
  for (int n = 2;
       platform::FileExists(name) || std::find(logFileNamesGiven_.begin(), logFileNamesGiven_.end(),
                                               name) != logFileNamesGiven_.end();
       ++n) {
    name = base + " (" + std::to_string(n) + ").log";
  }
  logFileNamesGiven_.push_back(name);
  LogFileName = name;
}

}  // namespace vek

// Warnings and error reports: how a step puts a question to the user, and
// the answer state that acts on an error report's answer.

#include <string>

#include "app/main_window.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/system.h"

namespace vek {

namespace {

// Advice for a missing file (code 2) or a drive that is not ready (21), and
// whether Retry may help, by drive kind 0..7.
struct TDriveAdvice {
  std::string_view FileMissing;
  std::string_view NotReady;  // empty: the same as FileMissing
  bool Retry;
  bool NamesDrive;  // the advice ends in the drive letter and ":"
};
constexpr TDriveAdvice DriveAdvice[] = {
    {"Drive may have become unavailable", "", false, false},
    {"Drive does not exist at this time", "", false, false},
    {"Please re-connect the removable media", "", true, false},
    {"User or application may have deleted this file", "Hard drive could have a hardware failure",
     false, false},
    {"User or application may have deleted this file on the remote computer",
     "This network drive may not be available at this current time", false, false},
    {"Please re-insert the CD/DVD-ROM into drive ", "", true, true},
    {"The RAM disk may have become uninstalled", "", false, false},
    {"Please re-insert the diskette into drive ", "", true, true},
};

// The letter of the drive an error concerns: the current job's folder, or
// for a one-file delete (no job folder) the main window's drive.
char ErrorDriveLetter() {
  if (!JobFolder.empty()) return JobFolder[0];
  return Form2->DriveComboBox1->Drive();
}

}  // namespace

void TForm8::RaiseWarning(bool allowContinue, const std::string& subject, uint16_t continuation,
                          const std::string& message) {
  SetAnimation(AnimationWarning);
  Button1->SetEnabled(!WarningsOn);
  LogAction("WARNING: " + subject);
  LogAction("WARNING: " + message);
  if (!WarningsOn) {
    LogAction("Warnings are OFF (Auto Continue)");
    WarningAnswer = WarningAnswerContinue;
    SetNextState(continuation);
    return;
  }
  platform::SetPriorityClass(platform::NormalPriorityClass);
  LogAction("Warnings are ON");
  SetNextState(EngineIdle);
  Form20->Label2->SetCaption(EscapedText(subject));
  Form20->Label3->SetCaption(message);
  Form20->Button1->SetEnabled(allowContinue);
  Form20->Button2->SetEnabled(allowContinue);
  WarningContinuation = continuation;
  SendSysCommand(ui::SC_RESTORE);
  Form20->Show();
}

void TForm8::RaiseError(uint16_t code, uint16_t retryState) {
  SetAnimation(AnimationWarning);
  Button1->SetEnabled(!ErrorReportsOn);
  ErrorCode = code;
  ++ErrorCount;
  DescribeError();
  LogLine("");
  LogLine("--- A processing error has occured ---");
  LogLine("Basic error " + std::to_string(code) + " occurred");
  LogLine("Basic error type: " + ErrorType);
  LogLine("VEK activity: " + Label1->Caption());
  LogLine("Advanced detail: " + ErrorDetail);
  LogLine("Advanced advice: " + ErrorAdvice);
  RetryState = retryState;
  if (!ErrorReportsOn) {
    LogLine("- Error report skipped (Errors: OFF) -");
    ErrorAnswer = ErrorAnswerSkipFile;
    SetNextState(StateErrorAnswer);
    return;
  }
  platform::SetPriorityClass(platform::NormalPriorityClass);
  LogLine("----- Error report to user given -----");
  SetNextState(EngineIdle);
  SendSysCommand(ui::SC_RESTORE);
  Form15->Show();
}

void TForm8::DescribeError() {
  // Run-time I/O error numbers 150..199 stand for the system's 19..68.
  if (ErrorCode > 149 && ErrorCode < 200) ErrorCode = static_cast<uint16_t>(ErrorCode - 131);
  const char letter = ErrorDriveLetter();
  const uint8_t kind = DriveKindOf(letter);
  RetryPossible = false;
  switch (ErrorCode) {
    case platform::err::FileNotFound:
    case platform::err::NotReady: {
      const TDriveAdvice& advice =
          kind < std::size(DriveAdvice) ? DriveAdvice[kind] : DriveAdvice[0];
      const bool notReady = ErrorCode == platform::err::NotReady;
      ErrorType = notReady ? "Drive not ready" : "Expected file was not found";
      ErrorDetail =
          notReady ? "None" : "A file in the job list was no longer avaliable on the drive";
      ErrorAdvice =
          std::string(notReady && !advice.NotReady.empty() ? advice.NotReady : advice.FileMissing);
      if (advice.NamesDrive) ErrorAdvice += std::string(1, letter) + ":";
      RetryPossible = advice.Retry;
      break;
    }
    case platform::err::WriteFault:
      ErrorType = "Write fault";
      ErrorDetail = "There was a write fault when trying to copy data to the device";
      ErrorAdvice =
          "The device being used maybe unreliable or becoming unreliable to write data to";
      break;
    case platform::err::ReadFault:
      ErrorType = "Read fault";
      ErrorDetail = "There was a read fault when trying to copy data from the device";
      ErrorAdvice =
          "The device being used maybe unreliable or becoming unreliable to read data from";
      break;
    default:
      ErrorType = "Unknown";
      ErrorDetail = "Unknown";
      ErrorAdvice = "Unknown";
      break;
  }
}

void TForm8::StepErrorAnswer() {
  Button1->SetEnabled(true);
  switch (ErrorAnswer) {
    case ErrorAnswerRetry:
      LogAction("User response: Retry");
      SetNextState(RetryState);
      break;
    case ErrorAnswerSkipFile:
      LogAction("User response: Skip file");
      SetNextState(SkipState);
      break;
    case ErrorAnswerSkipAllErrors:
      LogAction("User response: Skip all errors");
      SetNextState(SkipState);
      ErrorReportsOn = false;
      break;
    default:  // Stop all processing, and any answer that is none of the four
      LogAction("User response: Stop all processing");
      SetNextState(StateFinish);
      StopRequested = true;
      break;
  }
  LogLine("");
  RestoreBoost();
}

}  // namespace vek

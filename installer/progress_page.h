#pragma once
// Progress page ("One moment please"): the installation as a state machine
// on a 10 ms timer. Each tick runs the one step that CurrentStep names; the
// step names the next one in NextStep. Check the installer file's byte sum,
// create the folder, copy the three payload files, register the .vek file
// type, write the shortcuts, then the finish page. Errors go to the error
// page, and nothing resumes the machine after one.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "ui/form.h"

namespace vek::installer {

namespace step {
inline constexpr uint16_t Precheck = 0x1000;
inline constexpr uint16_t OpenForChecksum = 0x2000;
inline constexpr uint16_t SumChunk = 0x2100;
inline constexpr uint16_t CompareChecksum = 0x2200;
inline constexpr uint16_t ToFolderTask = 0x2300;
inline constexpr uint16_t CreateFolder = 0x2400;
inline constexpr uint16_t ToCopyTask = 0x2500;
inline constexpr uint16_t OpenPayload = 0x2600;
inline constexpr uint16_t NextFile = 0x2610;
inline constexpr uint16_t CopyChunk = 0x2620;
inline constexpr uint16_t ToAssociateTask = 0x2700;
inline constexpr uint16_t Associate = 0x2800;
inline constexpr uint16_t ToShortcutsTask = 0x2900;
inline constexpr uint16_t Shortcuts = 0x2A00;
inline constexpr uint16_t Finish = 0x2B00;
}  // namespace step

// Ticks of an arrow move from one task label to the next (one pixel each).
inline constexpr uint8_t TaskMoveTicks = 24;
// A step that the system refuses this many times in a row ends the
// installation on the error page with the system's message.
inline constexpr uint16_t StepRetryLimit = 50;

// Kinds of registry value for WriteRegistryValue.
namespace value_kind {
inline constexpr int QueryOnly = 0;
inline constexpr int String = 1;
inline constexpr int ExpandString = 2;
inline constexpr int Integer = 3;
inline constexpr int Binary = 4;
}  // namespace value_kind

// Shortcut kinds for CreateShortcut.
inline constexpr int DesktopShortcut = 0;
inline constexpr int StartMenuShortcut = 1;

class TForm5 : public ui::TForm {
 public:
  ui::TLabel* Label1 = nullptr;  // status text
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TLabel* Label4 = nullptr;  // the five task labels
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;
  ui::TLabel* Label7 = nullptr;
  ui::TLabel* Label8 = nullptr;
  ui::TImage* Image1 = nullptr;  // the arrow at the current task
  ui::TLabel* Label9 = nullptr;  // the payload file being copied
  ui::TLabel* Label2 = nullptr;
  ui::TProgressBar* ProgressBar1 = nullptr;
  ui::TLabel* Label3 = nullptr;  // percent
  ui::TTimer* Timer1 = nullptr;

  void FormShow();
  void Timer1Timer();

  void ShowProgress(int64_t done, int64_t total);
  void ShowInstallError(int code);
  // Writes a value of `kind` into the key, which is created when missing.
  // Raises TStepFailure when the key cannot be had or the kind is unknown.
  void WriteRegistryValue(platform::RootKey root, std::string_view key, std::string_view valueName,
                          int kind, std::string_view value);

  void StepPrecheck();
  void StepOpenForChecksum();
  void StepSumChunk();
  void StepCompareChecksum();
  void StepAdvanceTask();
  void StepCreateFolder();
  void StepOpenPayload();
  void StepNextFile();
  void StepCopyChunk();
  void StepAssociate();
  void StepShortcuts();

  void RegisterExtension();
  void RegisterFileType();
  // Tells the desktop of the program and of its file type: icons, the
  // file type's description, the entry that opens such files. What cannot
  // be done goes into the install log; the installation goes on.
  void RegisterWithDesktop();
  void CreateShortcut(int kind);

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  // Runs the handler of `code`; a code without one does nothing.
  void RunStep(uint16_t code);
  // The error page with a failure that is no numbered install error, and
  // the file or folder it concerns (a Windows path; empty: none).
  void ShowStepFailure(const std::string& message, const std::string& path);
  // Stops the machine and shows the error page (its texts set already).
  void StopOnErrorPage();
  ui::TLabel* TaskLabel(uint8_t index) const;
  // Closes the payload file being written and removes it, so no half file
  // stays; the file of that name from an earlier install stays as it was.
  void DiscardTarget();
  // A payload file that could not be written: removed, and the error page.
  void FailTargetWrite();
  std::string targetPath_;  // where the payload file is written until it is whole
};

}  // namespace vek::installer

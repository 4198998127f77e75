// The installation's last tasks: the .vek file type and the shortcuts.
#include <string>

#include "installer/image.h"
#include "installer/install_errors.h"
#include "installer/progress_page.h"
#include "installer/shortcuts_page.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_link.h"

namespace vek::installer {
namespace {

using platform::RootKey;

constexpr std::string_view kExtension = ".vek";
constexpr std::string_view kFileType = "VEK2003.File";
constexpr std::string_view kShellFolders =
    "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr uint16_t kShortcutHotkey = 0x027B;  // Ctrl+F12
constexpr std::string_view kShortcutName = "VEK 2003.lnk";

std::string KeyName(RootKey root, std::string_view key) {
  return std::string(platform::RootKeyName(root)) + "\\" + std::string(key);
}

void CreateKeyOrRaise(RootKey root, std::string_view key) {
  if (!platform::RegCreateKey(root, key)) {
    throw TStepFailure("Could not create the registry key " + KeyName(root, key));
  }
}

// The key itself, with all below it, when it is there.
void RemoveKey(RootKey root, std::string_view key) {
  if (platform::RegKeyExists(root, key)) platform::RegDeleteKey(root, key);
}

}  // namespace

void TForm5::WriteRegistryValue(RootKey root, std::string_view key, std::string_view valueName,
                                int kind, std::string_view value) {
  CreateKeyOrRaise(root, key);
  if (kind < value_kind::QueryOnly || kind > value_kind::Binary) {
    RaiseSystemError(InvalidValueKindError);
  }
  // The registry keeps every value as its text, so there is no type to ask
  // for and each kind is written as the text of its value.
  if (kind == value_kind::QueryOnly) return;
  if (!platform::RegWriteString(root, key, valueName, value)) {
    throw TStepFailure("Could not write the registry key " + KeyName(root, key));
  }
}

void TForm5::StepAssociate() {
  RegisterExtension();
  RegisterFileType();
  NextStep = step::ToShortcutsTask;
}

void TForm5::RegisterExtension() {
  RemoveKey(RootKey::ClassesRoot, kExtension);
  WriteRegistryValue(RootKey::ClassesRoot, kExtension, "", value_kind::String, kFileType);
}

void TForm5::RegisterFileType() {
  const std::string type(kFileType);
  RemoveKey(RootKey::ClassesRoot, type);
  WriteRegistryValue(RootKey::ClassesRoot, type, "", value_kind::String, "VEK 2003 encrypted file");
  WriteRegistryValue(RootKey::ClassesRoot, type + "\\DefaultIcon", "", value_kind::String,
                     "\"" + InstallDir + std::string(IconFileName) + "\"");
  CreateKeyOrRaise(RootKey::ClassesRoot, type + "\\shell");
  WriteRegistryValue(RootKey::ClassesRoot, type + "\\shell\\open", "", value_kind::String,
                     "Decrypt this file now using VEK 2003");
  // The program unquoted, the file it is given quoted.
  WriteRegistryValue(RootKey::ClassesRoot, type + "\\shell\\open\\command", "", value_kind::String,
                     InstallDir + std::string(ProgramFileName) + " \"%1\"");
}

void TForm5::StepShortcuts() {
  if (Form4->CheckBox1->Checked()) CreateShortcut(DesktopShortcut);
  if (Form4->CheckBox2->Checked()) CreateShortcut(StartMenuShortcut);
  NextStep = step::Finish;
}

void TForm5::CreateShortcut(int kind) {
  // A drive root keeps its backslash; other folders lose it.
  const std::string workingDirectory =
      InstallDir.size() <= 3 ? InstallDir : InstallDir.substr(0, InstallDir.size() - 1);
  const std::string program = InstallDir + std::string(ProgramFileName);
  platform::ShellLink link;
  link.SetPath(program);
  link.SetHotkey(kShortcutHotkey);
  link.SetWorkingDirectory(workingDirectory);
  link.SetDescription("Shortcut to the VEK 2003 application");
  link.SetIconLocation(program, 0);

  std::string folder = platform::RegReadString(RootKey::CurrentUser, kShellFolders,
                                               kind == StartMenuShortcut ? "Start Menu" : "Desktop")
                           .value_or(std::string());
  if (kind == StartMenuShortcut) folder += "\\Programs\\VEK 2003";
  // With every missing parent: a fresh menu folder has no "Programs" yet.
  platform::ForceDirectories(folder);
  const std::string path = folder + "\\" + std::string(kShortcutName);
  if (!link.Save(path)) throw TStepFailure("Could not write the shortcut " + path);
}

}  // namespace vek::installer

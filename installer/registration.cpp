// The installation's last tasks: the .vek file type and the shortcuts.
#include <string>
#include <vector>

#include "installer/image.h"
#include "installer/install_errors.h"
#include "installer/progress_page.h"
#include "installer/shortcuts_page.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/shell_desktop.h"
#include "platform/shell_link.h"
#include "platform/whole_file.h"
#include "ui/picture.h"

namespace vek::installer {
namespace {

using platform::RootKey;

constexpr std::string_view kExtension = ".vek";
constexpr std::string_view kFileType = "VEK2003.File";
constexpr std::string_view kShellFolders =
    "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr uint16_t kShortcutHotkey = 0x027B;  // Ctrl+F12
constexpr std::string_view kShortcutName = "VEK 2003";
// What menus show beside the name, and what the entry's tooltip says.
constexpr std::string_view kShortcutKind = "File Encryption";
constexpr std::string_view kShortcutDescription =
    "Encrypt, verify, decrypt and securely delete your files";
// The class of the program's windows: the program's title, which it takes
// as its application name.
constexpr std::string_view kProgramWindowClass = "VEK 2003";

// The desktop's names for the program and its file type: the entry file
// (in the menu folder and on the desktop alike), the icons, the type.
constexpr std::string_view kDesktopId = "vek2003";
constexpr std::string_view kEntryFile = "vek2003.desktop";
constexpr std::string_view kMimeType = "application/x-vek2003";
constexpr std::string_view kFileTypeIcon = "application-x-vek2003";
constexpr std::string_view kMenuCategories = "Utility;";
// The line every encrypted file starts with, which tells the desktop such a
// file by its content whatever its name.
constexpr std::string_view kFileBanner = "VEK 1024 Bit Encrypted File (c)2003 Quarne T. Velso\r\n";
constexpr std::string_view kInstallLogName = "install.log";

std::string KeyName(RootKey root, std::string_view key) {
  return std::string(platform::RootKeyName(root)) + "\\" + std::string(key);
}

void CreateKeyOrRaise(RootKey root, std::string_view key) {
  if (!platform::RegCreateKey(root, key)) {
    throw TStepFailure("Could not create the registry key " + KeyName(root, key),
                       RegistryStorePath());
  }
}

// The key itself, with all below it, when it is there.
void RemoveKey(RootKey root, std::string_view key) {
  if (platform::RegKeyExists(root, key)) platform::RegDeleteKey(root, key);
}

// Writes the small starter that runs the installed program in its folder,
// whose path every launcher takes as it is, for the entries to start; where
// it cannot be written they start the program itself, and a note says why.
void WriteStarter(std::vector<std::string>& notes) {
  const std::string program = InstallDir + std::string(ProgramFileName);
  const auto starter = platform::InstallProgramStarter(kDesktopId, program, InstallWorkingFolder());
  if (!starter) {
    notes.push_back("starter: could not be written (" + SystemErrorMessage(platform::LastError()) +
                    ")");
  }
  EntryCommand = starter.value_or(program);
}

// The entry that starts the installed program in its folder, with the
// .vek files it opens; a shortcut of either kind, or the hidden entry
// that only opens files.
platform::ShellLink ProgramEntry() {
  const std::string program = InstallDir + std::string(ProgramFileName);
  platform::ShellLink link;
  link.SetPath(EntryCommand.empty() ? program : EntryCommand);
  link.SetHotkey(kShortcutHotkey);
  link.SetWorkingDirectory(InstallWorkingFolder());
  link.SetGenericName(kShortcutKind);
  link.SetDescription(kShortcutDescription);
  link.SetIconLocation(program, 0);
  link.SetName(kShortcutName);
  link.SetIconName(kDesktopId);
  link.SetFileType(kMimeType);
  link.SetCategories(kMenuCategories);
  link.SetWindowClass(kProgramWindowClass);
  return link;
}

// Adds lines to the install log in the install folder, which is written
// anew with all of them. An install with nothing to note leaves no log,
// and none of an earlier install that had something to say.
void NoteInInstallLog(const std::vector<std::string>& lines) {
  InstallNotes.insert(InstallNotes.end(), lines.begin(), lines.end());
  const std::string log = InstallDir + std::string(kInstallLogName);
  if (InstallNotes.empty()) {
    platform::DeleteFile(log);
    return;
  }
  std::string text;
  for (const std::string& line : InstallNotes) text += line + "\n";
  platform::WriteWholeFile(log, text);  // when it fails, the notes stay for the next try
}

// A small file's bytes; nothing when it cannot be read whole.
std::optional<std::vector<uint8_t>> ReadSmallFile(const std::string& path) {
  constexpr int64_t kLargest = 1 << 20;
  auto file =
      platform::FileStream::Open(path, platform::FileMode::OpenRead, platform::ShareMode::DenyNone);
  const int64_t size = file ? file->Size() : -1;
  if (size < 0 || size > kLargest) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (file->Read(bytes.data(), size) != size) return std::nullopt;
  return bytes;
}

// The program's icon, made from the installed icon file, at every size the
// desktop asks for, for the program and for its file type.
std::vector<std::string> InstallIcons() {
  const std::string iconFile = InstallDir + std::string(IconFileName);
  const auto bytes = ReadSmallFile(iconFile);
  for (const int size : platform::ThemeIconSizes) {
    const auto png = bytes ? ui::ScaledPng(*bytes, size) : std::nullopt;
    if (!png) return {"icons: no picture in " + platform::ToHostPath(iconFile).value_or(iconFile)};
    if (!platform::InstallThemeIcon(platform::ThemeIconKind::Application, kDesktopId, size, *png) ||
        !platform::InstallThemeIcon(platform::ThemeIconKind::FileType, kFileTypeIcon, size, *png)) {
      return {"icons: could not be written (" + SystemErrorMessage(platform::LastError()) + ")"};
    }
  }
  return {};
}

}  // namespace

void TForm5::RegisterWithDesktop() {
  std::vector<std::string> notes = InstallIcons();
  const platform::TFileTypeDefinition type{std::string(kMimeType), "VEK 2003 encrypted file",
                                           "*" + std::string(kExtension), std::string(kFileBanner),
                                           std::string(kFileTypeIcon)};
  if (!platform::InstallFileType(kDesktopId, type)) {
    notes.push_back("file type: could not be written (" +
                    SystemErrorMessage(platform::LastError()) + ")");
  }
  WriteStarter(notes);
  // The entry that opens the files stays out of the menus until a Start
  // menu shortcut (the same entry, shown) is asked for.
  platform::ShellLink handler = ProgramEntry();
  handler.SetHidden(true);
  const std::string folder = platform::DesktopEntriesFolder().value_or(std::string());
  const std::string entry = folder + "\\" + std::string(kEntryFile);
  if (!platform::ForceDirectories(folder) || !handler.Save(entry)) {
    notes.push_back("entry " + platform::ToHostPath(entry).value_or(entry) +
                    ": could not be written (" + SystemErrorMessage(platform::LastError()) + ")");
  }
  const auto toolNotes = platform::UpdateDesktopDatabases(kEntryFile, kMimeType);
  notes.insert(notes.end(), toolNotes.begin(), toolNotes.end());
  NoteInInstallLog(notes);
}

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
    throw TStepFailure("Could not write the registry key " + KeyName(root, key),
                       RegistryStorePath());
  }
}

void TForm5::StepAssociate() {
  RegisterExtension();
  RegisterFileType();
  RegisterWithDesktop();
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
  const platform::ShellLink link = ProgramEntry();
  const std::string_view folderName = kind == StartMenuShortcut ? "Start Menu" : "Desktop";
  const std::string folder =
      platform::RegReadString(RootKey::CurrentUser, kShellFolders, folderName)
          .value_or(std::string());
  if (folder.empty()) {
    throw TStepFailure("No " + std::string(folderName) + " folder is recorded for the shortcut.");
  }
  // A folder that cannot be made is the cause, not the shortcut in it.
  if (!platform::ForceDirectories(folder)) RaiseSystemError(platform::LastError(), folder);
  const std::string path = folder + "\\" + std::string(kEntryFile);
  if (!link.Save(path)) RaiseSystemError(platform::LastError(), folder);
  if (kind == DesktopShortcut) platform::TrustLauncher(path);
}

}  // namespace vek::installer

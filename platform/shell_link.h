#pragma once
// Shortcuts. A shortcut is stored as a desktop-entry text file at the path
// the caller gives (its name is the caller's choice), holding what the
// setters say: the program to start (Exec), its working folder (Path), a
// description (Comment) and the icon (Icon), paths as host paths. The hotkey
// has no place in a desktop entry and is kept as a comment line. A saved
// entry is executable, as desktops want of a launcher (as far as the umask
// lets files be).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Hotkey bits: the low byte is the virtual key code, the high byte these modifiers.
namespace hotkey {
inline constexpr uint16_t Shift = 0x0100;
inline constexpr uint16_t Control = 0x0200;
inline constexpr uint16_t Alt = 0x0400;
}  // namespace hotkey

class ShellLink {
 public:
  // Windows paths throughout; they become host paths when the shortcut is saved.
  void SetPath(std::string_view program);
  void SetWorkingDirectory(std::string_view folder);
  void SetDescription(std::string_view text);
  void SetIconLocation(std::string_view iconFile, int index);
  void SetHotkey(uint16_t keys);
  // The name menus show; empty (the default): the shortcut file's name.
  void SetName(std::string_view name);
  // An icon of the desktop's icon theme, by its name, in place of an icon file.
  void SetIconName(std::string_view themeName);
  // The file type (a MIME type) the program opens: the entry then lists it
  // and hands the program the opened file as its one argument.
  void SetFileType(std::string_view mimeType);
  // Menu categories, each followed by ";" ("Utility;Security;").
  void SetCategories(std::string_view categories);
  // An entry that opens files but is not listed in menus.
  void SetHidden(bool hidden);
  // The kind of program, which menus show beside its name ("Text Editor").
  void SetGenericName(std::string_view kind);
  // The class of the program's windows, by which the desktop tells them
  // as this entry's.
  void SetWindowClass(std::string_view windowClass);

  // The desktop entry for a shortcut named `name` (SetName's name when one
  // was set); nothing (LastError 3) when the program, folder or icon path
  // maps to no drive.
  std::optional<std::string> DesktopEntry(std::string_view name) const;
  // Writes the shortcut file at `windowsPath` (replacing one that is there),
  // named by SetName or else after its file name without the extension. False (LastError set)
  // when a path maps to no drive or the file cannot be written; an existing
  // file stays as it was then.
  bool Save(std::string_view windowsPath) const;

 private:
  std::string program_, folder_, description_, icon_;
  std::string name_, iconName_, fileType_, categories_, genericName_, windowClass_;
  bool hidden_ = false;
  int iconIndex_ = 0;
  uint16_t hotkey_ = 0;
};

// "Ctrl+F12" for 0x027B; keys without a name show as "0x7B".
std::string HotkeyText(uint16_t keys);

}  // namespace platform

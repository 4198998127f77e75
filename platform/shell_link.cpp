// Shortcuts as desktop-entry files.
#include "platform/shell_link.h"

#include <cerrno>
#include <cstdio>

#include "platform/files.h"
#include "platform/internal.h"
#include "platform/paths.h"
#include "platform/whole_file.h"

namespace platform {
namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// One Exec argument: quoted when it holds a reserved character, with the
// characters that stay special inside quotes escaped, and "%" doubled
// (a lone "%" would introduce a field code).
std::string ExecArgument(std::string_view argument) {
  std::string quoted;
  const bool needsQuotes = argument.find_first_of(kReserved) != std::string_view::npos;
  for (char c : argument) {
    if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  return needsQuotes ? "\"" + quoted + "\"" : quoted;
}

// A value as a desktop entry stores it: backslashes and line breaks escaped.
std::string EntryValue(std::string_view value) {
  std::string escaped;
  for (char c : value) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\t':
        escaped += "\\t";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string KeyName(uint8_t key) {
  if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::string(1, static_cast<char>(key));
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", key);
  return hex;
}

// The shortcut's name: its file name without the extension.
std::string ShortcutName(std::string_view windowsPath) {
  std::string name = ExtractFileName(windowsPath);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

bool detail::PlainExecWord(std::string_view word) {
  return word.find_first_of(kReserved) == std::string_view::npos &&
         word.find('%') == std::string_view::npos;
}

void ShellLink::SetPath(std::string_view program) {
  program_ = std::string(program);
}
void ShellLink::SetWorkingDirectory(std::string_view folder) {
  folder_ = std::string(folder);
}
void ShellLink::SetDescription(std::string_view text) {
  description_ = std::string(text);
}
void ShellLink::SetIconLocation(std::string_view iconFile, int index) {
  icon_ = std::string(iconFile);
  iconIndex_ = index;
}
void ShellLink::SetHotkey(uint16_t keys) {
  hotkey_ = keys;
}
void ShellLink::SetName(std::string_view name) {
  name_ = std::string(name);
}
void ShellLink::SetIconName(std::string_view themeName) {
  iconName_ = std::string(themeName);
}
void ShellLink::SetFileType(std::string_view mimeType) {
  fileType_ = std::string(mimeType);
}
void ShellLink::SetCategories(std::string_view categories) {
  categories_ = std::string(categories);
}
void ShellLink::SetHidden(bool hidden) {
  hidden_ = hidden;
}
void ShellLink::SetGenericName(std::string_view kind) {
  genericName_ = std::string(kind);
}
void ShellLink::SetWindowClass(std::string_view windowClass) {
  windowClass_ = std::string(windowClass);
}

std::optional<std::string> ShellLink::DesktopEntry(std::string_view name) const {
  if (program_.empty()) {
    detail::SetLastError(err::InvalidParameter);
    return std::nullopt;
  }
  std::string text = "[Desktop Entry]\nType=Application\nName=" +
                     EntryValue(name_.empty() ? name : std::string_view(name_)) + "\n";
  if (!genericName_.empty()) text += "GenericName=" + EntryValue(genericName_) + "\n";
  if (!description_.empty()) text += "Comment=" + EntryValue(description_) + "\n";
  const auto program = detail::HostPathOrFail(program_);
  if (!program) return std::nullopt;
  // "%f": the one file opened, as a local path.
  text += "Exec=" + EntryValue(ExecArgument(*program) + (fileType_.empty() ? "" : " %f")) + "\n";
  if (!folder_.empty()) {
    const auto folder = detail::HostPathOrFail(folder_);
    if (!folder) return std::nullopt;
    text += "Path=" + EntryValue(*folder) + "\n";
  }
  if (!iconName_.empty()) {
    text += "Icon=" + EntryValue(iconName_) + "\n";
  } else if (!icon_.empty()) {
    const auto icon = detail::HostPathOrFail(icon_);
    if (!icon) return std::nullopt;
    text += "Icon=" + EntryValue(*icon) + "\n";
    if (iconIndex_ != 0) text += "# IconIndex=" + std::to_string(iconIndex_) + "\n";
  }
  text += "Terminal=false\n";
  if (!fileType_.empty()) text += "MimeType=" + EntryValue(fileType_) + ";\n";
  if (!categories_.empty()) text += "Categories=" + EntryValue(categories_) + "\n";
  if (!windowClass_.empty()) text += "StartupWMClass=" + EntryValue(windowClass_) + "\n";
  if (hidden_) text += "NoDisplay=true\n";
  if (hotkey_ != 0) text += "# Hotkey=" + HotkeyText(hotkey_) + "\n";
  return text;
}

bool ShellLink::Save(std::string_view windowsPath) const {
  if (!detail::HostPathOrFail(windowsPath)) return false;
  const auto text = DesktopEntry(ShortcutName(windowsPath));
  if (!text) return false;
  // Replaced whole, so a failed write leaves the old shortcut (or none)
  // behind, never half a file. Desktops start an entry on the desktop only
  // when it is executable.
  return WriteWholeFile(windowsPath, *text, WholeFileKind::Runnable);
}

std::string HotkeyText(uint16_t keys) {
  std::string text;
  if ((keys & hotkey::Control) != 0) text += "Ctrl+";
  if ((keys & hotkey::Alt) != 0) text += "Alt+";
  if ((keys & hotkey::Shift) != 0) text += "Shift+";
  return text + KeyName(static_cast<uint8_t>(keys & 0xFF));
}

}  // namespace platform

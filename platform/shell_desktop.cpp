// Icons, file types and the desktop's caches of them, below the user's data folder.
#include "platform/shell_desktop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/internal.h"
#include "platform/paths.h"
#include "platform/whole_file.h"

namespace platform {
namespace {

// Text as XML character data or an attribute value.
std::string XmlText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// Bytes as the value of a string match: backslashes and what is not
// printable ASCII written as escapes.
std::string MagicValue(std::string_view bytes) {
  std::string value;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      value += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      value += escape;
    } else {
      value += c;
    }
  }
  return XmlText(value);
}

// Runs a tool with nothing for input and nowhere for output, and waits for
// its end. Nothing when it is not installed; else a line for the install
// log when it failed, or "" when it ran well.
std::optional<std::string> RunTool(const std::vector<std::string>& args) {
  const std::string program = detail::FindProgram(args.front());
  if (program.empty()) return std::nullopt;
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    // Only calls that are safe after fork() in a threaded process.
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, STDIN_FILENO);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  if (child < 0) return args.front() + ": could not be started";
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return args.front() + ": could not be waited for";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::string();
  return args.front() + ": ended with status " +
         std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

// Runs the tool and adds what went wrong to `notes`.
void RunToolNoting(const std::vector<std::string>& args, std::vector<std::string>& notes) {
  const auto outcome = RunTool(args);
  if (!outcome) {
    notes.push_back(args.front() + ": not installed");
  } else if (!outcome->empty()) {
    notes.push_back(*outcome);
  }
}

// A host file replaced whole, in folders made on the way. False (LastError
// set) when it cannot be.
bool WriteHostFile(const std::string& path, std::string_view bytes, WholeFileKind kind) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec) return detail::Fail(detail::WinError(ec.value()));
  return detail::WriteWholeHostFile(path, bytes, kind);
}

// A text as one word of a shell command: in single quotes, each of its own
// single quotes closed, escaped and opened again.
std::string ShellWord(std::string_view text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// Tells the desktop that the user's icon theme has changed. A theme's
// icon cache counts only while it is newer than the theme's folder: the
// folder's time moves on, so a cache made before the icons is no longer
// believed, and a cache that is there is made again with them in it. A
// theme without a cache gets none: a cache that other programs do not keep
// up to date would hide their icons later.
void RefreshIconTheme(const std::string& theme, std::vector<std::string>& notes) {
  if (::utimensat(AT_FDCWD, theme.c_str(), nullptr, 0) != 0) return;  // no icons there
  struct stat cache {};
  if (::stat((theme + "/icon-theme.cache").c_str(), &cache) != 0) return;
  const auto outcome =
      RunTool({"gtk-update-icon-cache", "--force", "--ignore-theme-index", "--quiet", theme});
  if (outcome && !outcome->empty()) notes.push_back(*outcome);
}

}  // namespace

std::string DesktopDataFolder() {
  return detail::XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::optional<std::string> DesktopEntriesFolder() {
  return ToWindowsPath(DesktopDataFolder() + "/applications");
}

bool InstallThemeIcon(ThemeIconKind kind, std::string_view name, int size,
                      const std::vector<uint8_t>& png) {
  const std::string side = std::to_string(size);
  const std::string path = DesktopDataFolder() + "/icons/hicolor/" + side + "x" + side +
                           (kind == ThemeIconKind::Application ? "/apps/" : "/mimetypes/") +
                           std::string(name) + ".png";
  return WriteHostFile(path,
                       std::string_view(reinterpret_cast<const char*>(png.data()), png.size()),
                       WholeFileKind::Plain);
}

bool InstallFileType(std::string_view package, const TFileTypeDefinition& type) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" +
      XmlText(type.MimeType) + "\">\n    <comment>" + XmlText(type.Comment) +
      "</comment>\n    <icon name=\"" + XmlText(type.IconName) + "\"/>\n    <glob pattern=\"" +
      XmlText(type.Glob) +
      "\"/>\n    <magic priority=\"80\">\n      <match type=\"string\" offset=\"0\" value=\"" +
      MagicValue(type.Magic) + "\"/>\n    </magic>\n  </mime-type>\n</mime-info>\n";
  return WriteHostFile(DesktopDataFolder() + "/mime/packages/" + std::string(package) + ".xml", xml,
                       WholeFileKind::Plain);
}

std::vector<std::string> UpdateDesktopDatabases(std::string_view entryFile,
                                                std::string_view mimeType) {
  std::vector<std::string> notes;
  const std::string data = DesktopDataFolder();
  std::error_code ec;
  // Each tool wants its folder to be there, even with nothing in it.
  std::filesystem::create_directories(data + "/mime/packages", ec);
  std::filesystem::create_directories(data + "/applications", ec);
  RunToolNoting({"update-mime-database", data + "/mime"}, notes);
  RunToolNoting({"update-desktop-database", data + "/applications"}, notes);
  RefreshIconTheme(data + "/icons/hicolor", notes);
  RunToolNoting({"xdg-mime", "default", std::string(entryFile), std::string(mimeType)}, notes);
  return notes;
}

std::optional<std::string> InstallProgramStarter(std::string_view name, std::string_view program,
                                                 std::string_view folder) {
  const auto hostProgram = detail::HostPathOrFail(program);
  const auto hostFolder = detail::HostPathOrFail(folder);
  if (!hostProgram || !hostFolder) return std::nullopt;
  // Some launchers cut the command at blanks and look for its program under
  // the name as written, quotes and "%%" included: they find the starter
  // only at a path that needs neither. Where the data folder's path does
  // not give one, the user's own folder of programs may.
  std::string starter = DesktopDataFolder() + "/" + std::string(name) + "/bin/" + std::string(name);
  if (!detail::PlainExecWord(starter)) {
    std::string home = detail::HomeFolder();
    if (home.back() != '/') home += '/';
    const std::string own = home + ".local/bin/" + std::string(name);
    if (detail::PlainExecWord(own)) starter = own;
  }
  const auto windowsStarter = ToWindowsPath(starter);
  if (!windowsStarter) {
    detail::SetLastError(err::PathNotFound);
    return std::nullopt;
  }
  // The folder stands on a line of its own, as a shell word, for whoever
  // needs to know where the program is (the removal in the readme).
  const std::string script =
      "#!/bin/sh\n# Starts the program in its own folder with what it is given.\nfolder=" +
      ShellWord(*hostFolder) + "\ncd -- \"$folder\" || exit 127\nexec " + ShellWord(*hostProgram) +
      " \"$@\"\n";
  if (!WriteHostFile(starter, script, WholeFileKind::Runnable)) return std::nullopt;
  return windowsStarter;
}

void TrustLauncher(std::string_view windowsPath) {
  const auto host = ToHostPath(windowsPath);
  if (host) RunTool({"gio", "set", *host, "metadata::trusted", "true"});
}

}  // namespace platform

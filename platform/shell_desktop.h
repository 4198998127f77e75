#pragma once
// What a desktop needs to know of an installed program beyond its entries
// (shell_link.h): its icons in the user's icon theme, the file type it
// opens, and the desktop's own caches of both, which its tools rebuild.
// Everything goes below $XDG_DATA_HOME (else ~/.local/share).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Sizes, in pixels a side, that an installed icon comes in.
inline constexpr std::array<int, 5> ThemeIconSizes = {16, 32, 48, 128, 256};

// A program's own icon, or the icon of a file type it opens.
enum class ThemeIconKind { Application, FileType };

// Writes `png`, a picture of size x size pixels, as the theme icon `name`:
// icons/hicolor/<size>x<size>/apps/<name>.png (mimetypes/ for a file type),
// making the folders on the way. False (LastError set) when it cannot.
bool InstallThemeIcon(ThemeIconKind kind, std::string_view name, int size,
                      const std::vector<uint8_t>& png);

struct TFileTypeDefinition {
  std::string MimeType;  // "application/x-..."
  std::string Comment;   // what the desktop calls such a file
  std::string Glob;      // "*.ext"
  std::string Magic;     // the bytes every such file starts with
  std::string IconName;  // its theme icon
};

// Writes the file type's description as mime/packages/<package>.xml,
// replacing one that is there. False (LastError set) when it cannot.
bool InstallFileType(std::string_view package, const TFileTypeDefinition& type);

// The desktop's tools, each run (and waited for) only where it is
// installed: update-mime-database and update-desktop-database rebuild the
// caches of file types and entries, the icon theme is marked as changed
// (and its icon cache, where it has one, made again by
// gtk-update-icon-cache), then `xdg-mime default` makes the entry
// file `entryFile` ("name.desktop") the one that opens `mimeType`. The
// answer is a line for every tool that is missing or failed; none of that
// keeps the program from working, only the desktop from knowing of it.
std::vector<std::string> UpdateDesktopDatabases(std::string_view entryFile,
                                                std::string_view mimeType);

// Writes the small program that a program's entries start in its place:
// it changes to `folder` and runs `program` there with the arguments it is
// given. It goes to <data folder>/<name>/bin/<name>, a path that the
// launchers of every desktop take as it is, whatever spaces, "%" or other
// characters the program's own path holds; where that path itself holds
// such characters, to ~/.local/bin/<name> when that one holds none. Its
// line "folder=" names the folder as a shell word. Its Windows path, or nothing
// (LastError set) when a path maps to no drive or it cannot be written.
std::optional<std::string> InstallProgramStarter(std::string_view name, std::string_view program,
                                                 std::string_view folder);

// Marks a launcher on the desktop as one the user trusts, where the
// desktop keeps such a mark (through gio); where it does not, nothing
// happens and nothing is said.
void TrustLauncher(std::string_view windowsPath);

// The host folder all of the above goes below: $XDG_DATA_HOME, else ~/.local/share.
std::string DesktopDataFolder();
// Its "applications" folder, where the desktop finds the entries of
// programs and the file types they open, as a Windows path; nothing when it
// maps to no drive.
std::optional<std::string> DesktopEntriesFolder();

}  // namespace platform

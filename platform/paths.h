#pragma once
// Windows-style paths ("C:\folder\file", folders with a trailing "\") are the
// program's own currency. This header is the only place where they meet host
// paths: a drive map assigns each letter a host folder.
//
// Default map: C: is the user's home folder, Z: is "/", and mounted removable,
// optical, network and RAM volumes (mount table entries under /media,
// /run/media and /mnt) take the free letters from D: on. A: and B: are floppy
// letters with nothing behind them. $XDG_CONFIG_HOME/vek2003/drives, when it
// exists, replaces the default map: one "X: /host/path" a line, "#" comments.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DriveMapping {
  char Letter = 0;       // 'A'..'Z', upper case
  std::string HostRoot;  // absolute host folder, without a trailing "/" (except "/")
};

// The map in force. Built on first use from the configuration file, or the
// default rules, unless a test set one.
const std::vector<DriveMapping>& DriveMap();
// Replaces the map (tests, and callers that know better).
void SetDriveMap(std::vector<DriveMapping> map);
// Forgets any map set, so the next use builds the default again.
void ResetDriveMap();
// Parses the text of a drives file ("X: /path" lines). Bad lines are skipped.
std::vector<DriveMapping> ParseDriveMapFile(std::string_view text);
// The default rules over a mount table given as /proc/self/mounts text.
std::vector<DriveMapping> DefaultDriveMap(std::string_view mountsText, const std::string& home);

// Host root of a letter (either case), or nothing when the letter is unmapped.
std::optional<std::string> DriveRoot(char letter);

// "C:\a\b.txt" -> "/home/u/a/b.txt". Accepts either case of the letter and
// "/" as well as "\" as separator. Nothing for an unmapped letter or a path
// that is not absolute ("x.txt", "\a", "C:a").
std::optional<std::string> ToHostPath(std::string_view windowsPath);
// "/home/u/a/b.txt" -> "C:\a\b.txt", through the mapping with the longest
// root that contains the path. Nothing when no mapping contains it or a name
// on the way holds a "\" (which a Windows path cannot carry).
std::optional<std::string> ToWindowsPath(std::string_view hostPath);

// Splits "C:\a\b.txt" into "C:\a\" and "b.txt".
std::string ExtractFilePath(std::string_view windowsPath);
std::string ExtractFileName(std::string_view windowsPath);
// Appends "\" unless the text already ends in one.
std::string IncludeTrailingBackslash(std::string_view folder);

// The process's current folder as a Windows path, without a trailing "\"
// unless it is a drive root ("C:\"). Empty when it maps to no letter.
std::string CurrentDirectory();

}  // namespace platform

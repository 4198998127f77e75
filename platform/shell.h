#pragma once
// The desktop shell: opening files, folders, web and mail addresses, and
// turning a command-line path into a full Windows path.

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Opens `target` with the desktop's handler: a Windows path (file or folder)
// is turned into its host path, an address ("http://...", "mailto:...") is
// passed on as it is. verb "open" or "" (the default verb). Spawns xdg-open
// (xdg-email for "mailto:") detached, with an argument vector, never a shell
// string; a program file of this host (an ELF file) is started itself that
// way, without arguments, in `folder` (a Windows path; empty: this
// process's current folder). True when the helper or program could be started.
bool ShellExecute(std::string_view verb, std::string_view target, std::string_view folder = {});

// A path from the command line (a host path, or a Windows path; relative to
// the current folder when not absolute) as a full Windows path of an
// existing file or folder, links resolved; "" when it does not exist or maps
// to no drive.
std::string ResolveCommandLinePath(std::string_view argument);

}  // namespace platform

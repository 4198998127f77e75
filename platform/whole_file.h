#pragma once
// Files that are replaced whole or not at all. The new bytes go to a file
// beside the old one, "<name>.new", created afresh (an existing name there,
// a link included, is removed first and never followed), are pushed to the
// device, and that file is renamed over the name. A reader, or a crash at
// any moment, meets the old file or the new one, never part of either.

#include <string>
#include <string_view>

namespace platform {

enum class WholeFileKind {
  Plain,     // read and write bits as the umask allows
  Runnable,  // with execute bits too, as the umask allows
};

// Replaces the file at `windowsPath` with `bytes`. False (LastError set)
// when it cannot; the old file, or none, stays then.
bool WriteWholeFile(std::string_view windowsPath, std::string_view bytes,
                    WholeFileKind kind = WholeFileKind::Plain);

namespace detail {
// The same for a host path (PathNotFound, 3, when its folder is missing).
bool WriteWholeHostFile(const std::string& hostPath, std::string_view bytes, WholeFileKind kind);
}  // namespace detail

}  // namespace platform

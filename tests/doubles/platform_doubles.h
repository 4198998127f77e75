#pragma once
// Stand-ins for the host that tests put in the platform layer's place,
// through its seams (platform/seams.h). The programs carry none of this.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/system.h"

namespace platform {

// GetVersionEx answers this record (its size field is ignored); nothing: the host's.
void SetVersionForTest(std::optional<OsVersionInfo> info);
// LocalNow answers this moment until it is cleared.
void SetLocalNowForTest(std::optional<CalendarTime> moment);

// Every priority class asked for since ClearPriorityRequests (recorded from
// the start of the process in every executable that links this).
std::vector<uint32_t> PriorityRequests();
void ClearPriorityRequests();

// ShellExecute records its calls here instead of spawning anything (an
// empty function restores spawning).
using ShellHook = std::function<void(const std::string& verb, const std::string& target)>;
void SetShellHookForTest(ShellHook hook);
// The same, told also the folder asked for ("" when none was).
using ShellFolderHook = std::function<void(const std::string& verb, const std::string& target,
                                           const std::string& folder)>;
void SetShellFolderHookForTest(ShellFolderHook hook);

// The registry uses this store file instead (empty: the default), dropping what was loaded.
void SetRegistryFileForTest(std::optional<std::string> hostPath);

// A letter with a fake drive answers every drive query from it.
void SetFakeDrive(char letter, FakeDrive drive);
void ClearFakeDrives();
// Replaces the mount table (text in /proc/self/mounts form) that kinds,
// volumes and the default drive map are read from; nothing restores the real one.
void SetMountTableForTest(std::optional<std::string> mountsText);

namespace detail {
// Block devices are looked for below this folder instead of /sys/class/block.
void SetSysBlockRootForTest(std::optional<std::string> root);
}  // namespace detail

}  // namespace platform

#pragma once
// Seams: the few places where code outside the program may stand in for the
// host (the test support does; the program itself never sets one). Each is
// empty by default, and then the host answers as usual.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/drives.h"
#include "platform/system.h"

namespace platform::seam {

// GetVersionEx answers this record (keeping the caller's size field).
inline const OsVersionInfo* Version = nullptr;
// LocalNow answers this moment.
inline const CalendarTime* LocalNow = nullptr;
// Told of every priority class asked for, before the host is asked.
inline void (*PriorityRequested)(uint32_t priorityClass) = nullptr;

// The mount table (text in /proc/self/mounts form) in place of the host's.
inline const std::string* MountTable = nullptr;
// Where block devices are looked up in place of /sys/class/block.
inline const std::string* SysBlockRoot = nullptr;
// Drives answered from these figures instead of the volume behind the letter
// (upper-case letters).
inline const std::map<char, FakeDrive>* Drives = nullptr;

// ShellExecute hands a valid call here instead of starting anything.
inline void (*ShellExecute)(const std::string& verb, const std::string& target,
                            const std::string& folder) = nullptr;

// The registry keeps its keys in this store file (nothing: the default one),
// dropping what it had loaded from another.
void UseRegistryFile(std::optional<std::string> hostPath);

}  // namespace platform::seam

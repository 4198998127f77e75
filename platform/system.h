#pragma once
// Process and system calls, the runtime's random generator, the clock and
// the running program's own file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace platform {

// --- Version record ---------------------------------------------------------
inline constexpr uint32_t PlatformWin32Windows = 1;
inline constexpr uint32_t PlatformWin32NT = 2;

struct OsVersionInfo {
  uint32_t OSVersionInfoSize = 0;  // the caller sets 148
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  uint32_t BuildNumber = 0;
  uint32_t PlatformId = 0;
  char CSDVersion[128] = {};  // service-pack text, NUL-terminated
};
// Filled from the host kernel: NT family, major and minor from its release
// ("6.1.12" -> 6, 1), build from its patch number (12), empty service-pack
// text. False (record untouched) when the size field is not 148.
bool GetVersionEx(OsVersionInfo* info);

// --- Process priority and error mode ----------------------------------------
inline constexpr uint32_t NormalPriorityClass = 0x20;
inline constexpr uint32_t HighPriorityClass = 0x80;
inline constexpr uint32_t RealtimePriorityClass = 0x100;
// Best effort through nice values (0, -5, -10); never a real-time
// scheduler. A refusal by the host is silent.
void SetPriorityClass(uint32_t priorityClass);
uint32_t PriorityClass();  // last class requested (normal at start)
bool PriorityRefused();    // the host did not apply the last request

inline constexpr uint32_t SemFailCriticalErrors = 1;
// Keeps the mode and returns the one before.
uint32_t SetErrorMode(uint32_t mode);

// --- Memory for secrets -------------------------------------------------------
// Keeps the process's memory out of core files and away from other
// processes of the same user (no dump, no debugger attach, no /proc/<pid>/mem):
// the core size limit becomes 0 and the process undumpable. False when the
// host refused either.
bool KeepMemoryOutOfDumps();
// Reserves `size` bytes of zeroed memory, kept out of core dumps; the host
// backs a page only when it is first touched. Null when it refuses.
void* VirtualAlloc(size_t size);
// Keeps the pages of [at, at + size) in memory (never swapped out). False
// when the host does not allow it (for example a limit on locked memory).
bool VirtualLock(void* at, size_t size);
// Releases what VirtualAlloc reserved (its locks with it), or whole pages
// at its end. The caller overwrites what they held first.
void VirtualFree(void* at, size_t size);
// Overwrites up to 256 KiB of this thread's stack below the caller's frame
// (never past the stack's own mapping): what calls that ran deeper before
// left there, such as a cipher's working tables or the short strings that
// held pieces of a key.
void WipeStackBelow();

// --- Beep --------------------------------------------------------------------
void MessageBeep();
int BeepCount();  // beeps since start (tests)
// What sounds the beep (the window layer installs one); without it a beep is only counted.
void SetBeepHandler(std::function<void()> handler);

// --- Runtime random generator -------------------------------------------------
// seed := seed * 0x08088405 + 1 (mod 2^32); Random(r) is then the high 32
// bits of seed * r, so 0 <= Random(r) < r (0 when r is 0).
extern uint32_t RandSeed;
uint32_t Random(uint32_t range);

// --- Clock -------------------------------------------------------------------
// Local date and time now (DayOfWeek 0 = Sunday).
CalendarTime LocalNow();

// --- Command line ----------------------------------------------------------------
void SetCommandLine(int argc, const char* const* argv);
// Argument i as given (0 is the program); empty beyond the last.
std::string ParamStr(int index);
int ParamCount();

// --- The running program's own file ------------------------------------------------
// Host path of the running executable (/proc/self/exe).
std::string ExecutableHostPath();
// Where the ELF image in the file ends: the largest end of any section with
// file contents, of the section header table and of any loadable segment.
// Nothing when the file cannot be read or is no ELF file.
std::optional<uint64_t> ElfImageEnd(std::string_view hostPath);

}  // namespace platform

// Version record, priority, error mode, memory for secrets, beep, random generator, clock and
// command line.
#include "platform/system.h"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/internal.h"
#include "platform/seams.h"

namespace platform {
namespace {

constexpr uint32_t kVersionRecordSize = 148;

struct SystemState {
  uint32_t Priority = NormalPriorityClass;
  bool PriorityRefused = false;
  std::atomic<uint32_t> ErrorMode{0};
  std::atomic<int> Beeps{0};
  std::function<void()> BeepHandler;
  std::vector<std::string> CommandLine;
  bool CommandLineSet = false;
};

SystemState& State() {
  static SystemState state;
  return state;
}

// The leading number of `text`, and the text after it and one following dot.
uint32_t TakeNumber(std::string_view& text) {
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc()) return 0;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  if (!text.empty() && text[0] == '.') text.remove_prefix(1);
  return value;
}

// Nice values for the classes; the host may refuse the raised ones.
std::optional<int> NiceValueOf(uint32_t priorityClass) {
  switch (priorityClass) {
    case NormalPriorityClass:
      return 0;
    case HighPriorityClass:
      return -5;
    case RealtimePriorityClass:
      return -10;
    default:
      return std::nullopt;
  }
}

}  // namespace

bool GetVersionEx(OsVersionInfo* info) {
  if (!info || info->OSVersionInfoSize != kVersionRecordSize) return false;
  if (seam::Version != nullptr) {
    const uint32_t size = info->OSVersionInfoSize;
    *info = *seam::Version;
    info->OSVersionInfoSize = size;
    return true;
  }
  utsname host{};
  if (::uname(&host) != 0) return false;
  std::string_view release = host.release;
  info->MajorVersion = TakeNumber(release);
  info->MinorVersion = TakeNumber(release);
  info->BuildNumber = TakeNumber(release);
  info->PlatformId = PlatformWin32NT;
  std::memset(info->CSDVersion, 0, sizeof info->CSDVersion);
  return true;
}

void SetPriorityClass(uint32_t priorityClass) {
  SystemState& state = State();
  state.Priority = priorityClass;
  if (seam::PriorityRequested != nullptr) seam::PriorityRequested(priorityClass);
  const auto nice = NiceValueOf(priorityClass);
  state.PriorityRefused = !nice || ::setpriority(PRIO_PROCESS, 0, *nice) != 0;
}

uint32_t PriorityClass() {
  return State().Priority;
}

bool PriorityRefused() {
  return State().PriorityRefused;
}

uint32_t SetErrorMode(uint32_t mode) {
  return State().ErrorMode.exchange(mode);
}

void MessageBeep() {
  ++State().Beeps;
  if (State().BeepHandler) State().BeepHandler();
}

int BeepCount() {
  return State().Beeps;
}

void SetBeepHandler(std::function<void()> handler) {
  State().BeepHandler = std::move(handler);
}

uint32_t RandSeed = 0;

uint32_t Random(uint32_t range) {
  RandSeed = RandSeed * 0x08088405u + 1u;
  return static_cast<uint32_t>((uint64_t{RandSeed} * range) >> 32);
}

bool KeepMemoryOutOfDumps() {
  const rlimit none{0, 0};
  const bool noCore = ::setrlimit(RLIMIT_CORE, &none) == 0;
  const bool undumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
  return noCore && undumpable;
}

void* VirtualAlloc(size_t size) {
  void* at = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (at == MAP_FAILED) return nullptr;
  ::madvise(at, size, MADV_DONTDUMP);
  return at;
}

bool VirtualLock(void* at, size_t size) {
  return ::mlock(at, size) == 0;
}

namespace detail {

CalendarTime ToCalendar(const timespec& moment) {
  tm local{};
  const time_t seconds = moment.tv_sec;
  if (!::localtime_r(&seconds, &local)) return {};
  CalendarTime t;
  t.Year = static_cast<uint16_t>(local.tm_year + 1900);
  t.Month = static_cast<uint16_t>(local.tm_mon + 1);
  t.Day = static_cast<uint16_t>(local.tm_mday);
  t.DayOfWeek = static_cast<uint16_t>(local.tm_wday);
  t.Hour = static_cast<uint16_t>(local.tm_hour);
  t.Minute = static_cast<uint16_t>(local.tm_min);
  t.Second = static_cast<uint16_t>(local.tm_sec);
  t.Millisecond = static_cast<uint16_t>(moment.tv_nsec / 1000000);
  return t;
}

}  // namespace detail

CalendarTime LocalNow() {
  if (seam::LocalNow != nullptr) return *seam::LocalNow;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return detail::ToCalendar(now);
}

void SetCommandLine(int argc, const char* const* argv) {
  SystemState& state = State();
  state.CommandLine.assign(argv, argv + (argc > 0 ? argc : 0));
  state.CommandLineSet = true;
}

std::string ParamStr(int index) {
  const auto& args = State().CommandLine;
  if (index == 0 && !State().CommandLineSet) return ExecutableHostPath();
  if (index < 0 || static_cast<size_t>(index) >= args.size()) return {};
  return args[static_cast<size_t>(index)];
}

int ParamCount() {
  const auto& args = State().CommandLine;
  return args.empty() ? 0 : static_cast<int>(args.size()) - 1;
}

std::string ExecutableHostPath() {
  std::error_code ec;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

}  // namespace platform

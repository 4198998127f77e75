// The host's stand-ins of platform_doubles.h, each kept here and handed to
// the platform layer through its seam.
#include "platform_doubles.h"

#include <cctype>
#include <map>
#include <mutex>
#include <utility>

#include "platform/seams.h"

namespace platform {
namespace {

template <class T>
void Point(const T*& seam, std::optional<T>& storage, std::optional<T> value) {
  storage = std::move(value);
  seam = storage ? &*storage : nullptr;
}

std::optional<OsVersionInfo>& Version() {
  static std::optional<OsVersionInfo> version;
  return version;
}

std::optional<CalendarTime>& Now() {
  static std::optional<CalendarTime> now;
  return now;
}

std::optional<std::string>& Mounts() {
  static std::optional<std::string> mounts;
  return mounts;
}

std::optional<std::string>& BlockRoot() {
  static std::optional<std::string> root;
  return root;
}

std::map<char, FakeDrive>& FakeDrives() {
  static std::map<char, FakeDrive> drives;
  return drives;
}

struct PriorityLog {
  std::mutex Mutex;
  std::vector<uint32_t> Requests;
};

PriorityLog& Priorities() {
  static PriorityLog log;
  return log;
}

void RecordPriority(uint32_t priorityClass) {
  PriorityLog& log = Priorities();
  std::lock_guard lock(log.Mutex);
  log.Requests.push_back(priorityClass);
}

// Priority requests are recorded from the start, as they were when the
// recorder lived in the platform layer.
const bool priorityRecorderInstalled = [] {
  seam::PriorityRequested = &RecordPriority;
  return true;
}();

ShellFolderHook& ShellRecorder() {
  static ShellFolderHook hook;
  return hook;
}

void CallShellRecorder(const std::string& verb, const std::string& target,
                       const std::string& folder) {
  ShellRecorder()(verb, target, folder);
}

}  // namespace

void SetVersionForTest(std::optional<OsVersionInfo> info) {
  Point(seam::Version, Version(), std::move(info));
}

void SetLocalNowForTest(std::optional<CalendarTime> moment) {
  Point(seam::LocalNow, Now(), std::move(moment));
}

std::vector<uint32_t> PriorityRequests() {
  PriorityLog& log = Priorities();
  std::lock_guard lock(log.Mutex);
  return log.Requests;
}

void ClearPriorityRequests() {
  PriorityLog& log = Priorities();
  std::lock_guard lock(log.Mutex);
  log.Requests.clear();
}

void SetShellHookForTest(ShellHook hook) {
  if (!hook) return SetShellFolderHookForTest(nullptr);
  SetShellFolderHookForTest([hook = std::move(hook)](const std::string& verb,
                                                     const std::string& target,
                                                     const std::string&) { hook(verb, target); });
}

void SetShellFolderHookForTest(ShellFolderHook hook) {
  ShellRecorder() = std::move(hook);
  seam::ShellExecute = ShellRecorder() ? &CallShellRecorder : nullptr;
}

void SetRegistryFileForTest(std::optional<std::string> hostPath) {
  seam::UseRegistryFile(std::move(hostPath));
}

void SetFakeDrive(char letter, FakeDrive drive) {
  FakeDrives()[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] =
      std::move(drive);
  seam::Drives = &FakeDrives();
}

void ClearFakeDrives() {
  FakeDrives().clear();
  seam::Drives = nullptr;
}

void SetMountTableForTest(std::optional<std::string> mountsText) {
  Point(seam::MountTable, Mounts(), std::move(mountsText));
}

namespace detail {

void SetSysBlockRootForTest(std::optional<std::string> root) {
  Point(seam::SysBlockRoot, BlockRoot(), std::move(root));
}

}  // namespace detail
}  // namespace platform

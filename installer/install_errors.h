#pragma once
// The installation's errors: the numbered install errors that the error
// page explains, and the failure a step raises when the system refuses it.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace vek::installer {

inline constexpr size_t ErrorDescriptionCapacity = 80;

struct TInstallError {
  std::string_view Description;
  std::string_view Help;
};

namespace install_error {
inline constexpr int SetupSize = 1;
inline constexpr int DiskSpace = 2;
inline constexpr int ProgramTooSmall = 3;
inline constexpr int DataTooSmall = 4;
inline constexpr int ProgramTooLarge = 5;
inline constexpr int DataTooLarge = 6;
inline constexpr int Checksum = 7;
inline constexpr int ReadFailed = 8;
}  // namespace install_error

// Install error `code` (1..8).
const TInstallError& InstallError(int code);

// A step that the system refused: the step runs again on the next tick, up
// to a limit (progress_page.h). It may name the file or folder it was
// refused (a Windows path), which the error page then shows.
class TStepFailure : public std::runtime_error {
 public:
  explicit TStepFailure(const std::string& message, std::string path = {})
      : std::runtime_error(message), path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The Windows error for a registry value of a kind it does not know.
inline constexpr int InvalidValueKindError = 1013;

// The registry's store file, as a step that it refused names it: a Windows
// path where one reaches it, else the host path.
std::string RegistryStorePath();

// The system's message for a Windows error number.
std::string SystemErrorMessage(int error);

// Raises TStepFailure with the system's message for `error`, about `path`
// when one is given.
[[noreturn]] void RaiseSystemError(int error, std::string path = {});

}  // namespace vek::installer

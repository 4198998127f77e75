#include "installer/install_errors.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace vek::installer {
namespace {

constexpr std::string_view kDownloadHelp =
    "You have not completed downloading the VEK 2003 installer";
constexpr std::string_view kVirusHelp =
    "Possibly infected with a virus, run a virus checker immediately!";

constexpr std::array<TInstallError, 8> kErrors = {{
    {"Size of the installer software is incorrect",
     "Software may not have been fully downloaded or content was corrupted"},
    {"Not enough space on drive to perform installation",
     "Delete unused files on this drive or select another"},
    {"Application program size too small", kDownloadHelp},
    {"Application installation data too small", kDownloadHelp},
    {"Application program size too large", kVirusHelp},
    {"Application installation data too large", kVirusHelp},
    {"Application content checksum was incorrect", kVirusHelp},
    {"Could not read information data from file",
     "You may have ejected a CDROM or other media by mistake"},
}};

static_assert(std::ranges::all_of(kErrors, [](const TInstallError& e) {
  return e.Description.size() <= ErrorDescriptionCapacity;
}));

struct TSystemMessage {
  int Error;
  std::string_view Text;
};

constexpr TSystemMessage kSystemMessages[] = {
    {platform::err::FileNotFound, "The file could not be found."},
    {platform::err::PathNotFound, "The folder could not be found."},
    {platform::err::AccessDenied, "Access to the file or folder was refused."},
    {platform::err::InvalidHandle, "The file is not open."},
    {platform::err::WriteProtect, "The drive is write-protected."},
    {platform::err::NotReady, "The drive is not ready."},
    {platform::err::WriteFault, "The drive could not be written to."},
    {platform::err::ReadFault, "The drive could not be read from."},
    {platform::err::SharingViolation, "The file is in use by another program."},
    {platform::err::FileExists, "The file exists already."},
    {platform::err::InvalidParameter, "A name or value was not accepted."},
    {platform::err::DiskFull, "There is not enough space on the drive."},
    {platform::err::AlreadyExists, "The file exists already."},
    {InvalidValueKindError, "The registry does not accept this kind of value."},
};

}  // namespace

const TInstallError& InstallError(int code) {
  return kErrors.at(static_cast<size_t>(code - 1));
}

std::string SystemErrorMessage(int error) {
  for (const TSystemMessage& message : kSystemMessages) {
    if (message.Error == error) return std::string(message.Text);
  }
  return "The system reported error " + std::to_string(error) + ".";
}

std::string RegistryStorePath() {
  const std::string file = platform::RegistryFile();
  return platform::ToWindowsPath(file).value_or(file);
}

void RaiseSystemError(int error, std::string path) {
  throw TStepFailure(SystemErrorMessage(error), std::move(path));
}

}  // namespace vek::installer

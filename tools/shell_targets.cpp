#include "tools/shell_targets.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"

namespace vek {
namespace {

bool IsBlankOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

bool IsWebAddress(std::string_view text, bool allowFtp) {
  if (std::any_of(text.begin(), text.end(), IsBlankOrControl)) return false;
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://") ||
         (allowFtp && StartsWithNoCase(text, "ftp://"));
}

bool IsExistingFolder(std::string_view text) {
  const bool driveRooted = text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) &&
                           text[1] == ':' && text[2] == '\\';
  return driveRooted && platform::DirectoryExists(text);
}

bool IsPlainEmailAddress(std::string_view text) {
  return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
    return IsBlankOrControl(c) || c == '?' || c == '&';
  });
}

}  // namespace vek

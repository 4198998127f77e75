// The update reply's tag reader and the address check the update window
// applies to what it reads. For each tag the window asks for, the reader
// finds nothing exactly when the reply lacks the tag, and otherwise gives
// the text after the tag's first appearance, without "<" and line breaks,
// never longer than what follows the tag. An address that passes the check
// has the web scheme and no blank or control character.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/state.h"
#include "fuzz_support.h"
#include "tools/shell_targets.h"
#include "tools/update_window.h"

namespace {

using vekfuzz::Check;

constexpr std::string_view Tags[] = {"<LatestVersionString>", "<DownloadURL>", "<UpdateMessage>"};

void CheckTagValue(std::string_view tag) {
  const std::string& reply = vek::UpdateReply;
  const std::optional<std::string> value = vek::TForm22::GetTagValue(tag);
  const size_t at = reply.find(tag);
  Check(value.has_value() == (at != std::string::npos), "a value exactly when the tag is there");
  if (!value) return;
  Check(value->size() <= reply.size() - at - tag.size(), "the value comes from after the tag");
  Check(value->find_first_of("<\r\n") == std::string::npos,
        "the value holds no \"<\" and no line break");
}

bool StartsWithWebScheme(std::string_view address) {
  std::string scheme(address.substr(0, address.find(':')));
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return (scheme == "http" || scheme == "https") && address.substr(scheme.size(), 3) == "://";
}

void CheckDownloadAddress() {
  const std::optional<std::string> address = vek::TForm22::GetTagValue("<DownloadURL>");
  if (!address || !vek::IsWebAddress(*address, false)) return;
  Check(StartsWithWebScheme(*address), "an accepted address is a web address");
  Check(std::none_of(address->begin(), address->end(),
                     [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }),
        "an accepted address has no blank or control character");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vek::UpdateReply.assign(reinterpret_cast<const char*>(data), size);
  for (std::string_view tag : Tags) CheckTagValue(tag);
  CheckDownloadAddress();
  return 0;
}

// The update reply's tag reader. It lives apart from the rest of the update
// window because it needs nothing of the window: it can be built and driven
// on its own, without the window library.

#include "tools/update_window.h"

namespace vek {

std::optional<std::string> TForm22::GetTagValue(std::string_view tag) {
  const size_t at = UpdateReply.find(tag);
  if (at == std::string::npos) return std::nullopt;
  std::string value;
  for (size_t i = at + tag.size(); i < UpdateReply.size() && UpdateReply[i] != '<'; ++i) {
    if (UpdateReply[i] != '\r' && UpdateReply[i] != '\n') value += UpdateReply[i];
  }
  return value;
}

}  // namespace vek

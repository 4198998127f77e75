#pragma once
// Strings that hold a key text, overwritten before their memory goes.

#include <string.h>  // explicit_bzero

#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Overwrites every byte the string owns (its short-string room too) and
// empties it.
inline void WipeString(std::string& text) {
  explicit_bzero(text.data(), text.capacity());
  text.clear();
}

// Takes over a string's memory and wipes it when it goes. Not copied:
// every copy would be one more to wipe.
class SecretString {
 public:
  explicit SecretString(std::string&& text) : text_(std::move(text)) { WipeString(text); }
  ~SecretString() { WipeString(text_); }
  SecretString(const SecretString&) = delete;
  SecretString& operator=(const SecretString&) = delete;

  const std::string& Text() const { return text_; }
  bool empty() const { return text_.empty(); }
  size_t size() const { return text_.size(); }
  operator std::string_view() const { return text_; }

 private:
  std::string text_;
};

}  // namespace platform

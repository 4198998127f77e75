#pragma once
// The properties a form description may set, class by class.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/controls.h"
#include "ui/detail/form_parser.h"

namespace ui::detail {

// One property line with typed access to its value; every accessor fails
// with a FormError naming the file, line, control and property.
class PropValue {
 public:
  PropValue(const FormProperty& property, std::string_view source, std::string owner)
      : property_(property), source_(source), owner_(std::move(owner)) {}

  const std::string& Name() const { return property_.name; }
  int Line() const { return property_.line; }
  const std::vector<FormValue>& Values() const { return property_.values; }

  int Int(size_t index = 0, size_t count = 1) const;  // value `index` of exactly `count` numbers
  bool Bool() const;
  std::string String() const;
  std::string Word() const;
  std::vector<std::string> Strings() const;
  std::vector<int> Ints() const;
  TColor Color() const;
  char Char() const;

  template <class E>
  E Enum(std::initializer_list<std::pair<const char*, E>> names) const {
    const std::string word = Word();
    for (const auto& [name, value] : names) {
      if (word == name) return value;
    }
    Fail("\"" + word + "\" is not one of " + Choices(names));
  }

  // Words (or numbers) that stand for bits, or-ed together; [] is none.
  uint32_t Flags(std::initializer_list<std::pair<const char*, uint32_t>> names) const;

  [[noreturn]] void Fail(const std::string& message) const;

 private:
  template <class E>
  static std::string Choices(std::initializer_list<std::pair<const char*, E>> names) {
    std::string list;
    for (const auto& entry : names) list += (list.empty() ? "" : ", ") + std::string(entry.first);
    return list;
  }
  const FormValue& Single(FormValue::Kind kind, const char* what) const;

  const FormProperty& property_;
  std::string_view source_;
  std::string owner_;  // "Button1 (TButton)"
};

// Sets a property that acts on the component alone; false when its class
// has no property of that name.
bool SetProperty(TComponent& component, const PropValue& value);

}  // namespace ui::detail

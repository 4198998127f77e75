#pragma once
// Reads the text of a form description (format in ui/form.h and
// docs/forms.md) into a tree. It knows the syntax only; which classes and
// properties exist is the loader's business.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui::detail {

struct FormValue {
  enum class Kind { String, Number, Bool, Word };
  Kind kind = Kind::Word;
  std::string text;  // the string or the word
  int64_t number = 0;
  bool flag = false;
};

struct FormProperty {
  std::string name;
  std::vector<FormValue> values;  // a list's items or the blank-separated values
  int line = 0;
  size_t childrenBefore = 0;  // controls and pages of the owner written above it
};

struct FormNode {
  enum class Kind { Form, Control, Page };
  Kind kind = Kind::Control;
  std::string name;       // form and control
  std::string className;  // form and control
  std::string caption;    // page
  int line = 0;
  std::vector<FormProperty> properties;
  std::vector<FormNode> children;
};

// The form node; FormError ("source:line: what") on a syntax error.
FormNode ParseFormDescription(std::string_view text, std::string_view sourceName);

}  // namespace ui::detail

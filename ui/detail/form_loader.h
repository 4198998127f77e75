#pragma once
// Builds a form from its description: creates the controls, sets their
// properties, links the browser controls, fills the form class's control
// slots and binds the events to its handlers.

#include <string_view>

#include "ui/form.h"

namespace ui {

class TFormLoader {
 public:
  // FormError when the description does not parse or does not match the class.
  static void Load(TForm& form, std::string_view text, std::string_view sourceName);

 private:
  class Build;  // one loading, with what it has to finish at the end
};

}  // namespace ui

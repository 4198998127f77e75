#include "installer/pages.h"

#include "ui/application.h"

namespace vek::installer {

void CenterOnScreen(ui::TForm& form) {
  form.SetLeft((ui::Screen->Width() - form.Width()) / 2);
  form.SetTop((ui::Screen->Height() - form.Height()) / 2);
}

}  // namespace vek::installer

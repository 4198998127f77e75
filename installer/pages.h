#pragma once
// What the installer's windows share.

namespace ui {
class TForm;
}

namespace vek::installer {

// Places the form in the middle of the screen (halves rounded toward zero).
void CenterOnScreen(ui::TForm& form);

}  // namespace vek::installer

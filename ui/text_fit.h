#pragma once
// Whether the texts of a form fit their controls in the face in use.

#include <string>
#include <vector>

namespace ui {

class TForm;

// The texts of the form's controls that need more room than their control
// gives them: captions of labels (also where a label runs past its parent's
// edge, or its wrapped lines past its height), buttons, check boxes, radio
// buttons and group boxes, a notebook's tabs in one row, and a grid's column
// titles and shown cells as its view draws them. One line for each, naming
// the control; none when all fit.
std::vector<std::string> UnfitTexts(const TForm& form);

// The controls of the form drawn in another face or size than the one the
// windows were laid out for (a bold or italic face of it counts as it).
std::vector<std::string> ControlsInAnotherFace(const TForm& form);

// The family of the face the windows use.
std::string FaceInUse();

}  // namespace ui

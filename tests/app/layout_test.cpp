#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/program.h"
#include "app_fixture.h"
#include "ui/application.h"
#include "ui/text_fit.h"

namespace {

using vek::Form1;
using vek::ProgramWindow;

class AppLayoutTest : public apptest::AppTest {};

TEST_F(AppLayoutTest, CenterAllWindowsCentresEveryWindowOnTheScreen) {
  for (int n = 1; n <= 22; ++n) {
    if (ProgramWindow(n) != nullptr)
      ProgramWindow(n)->SetBounds(3, 4, ProgramWindow(n)->Width(), ProgramWindow(n)->Height());
  }
  Form1->CenterAllWindows();
  int windows = 0;
  for (int n = 1; n <= 22; ++n) {
    const ui::TForm* form = ProgramWindow(n);
    if (form == nullptr) continue;
    ++windows;
    EXPECT_EQ(form->Left(), (ui::Screen->Width() - form->Width()) / 2) << n;
    EXPECT_EQ(form->Top(), (ui::Screen->Height() - form->Height()) / 2) << n;
  }
  EXPECT_EQ(windows, 16);
}

// Slot i belongs to window i + 1; numbers without a window keep their slot
// and the update window has none.
TEST_F(AppLayoutTest, PositionsGoIntoTheSlotOfTheirWindowNumberAndBack) {
  vek::WindowLeft[2] = 777;  // no TForm3
  for (int n = 1; n <= 22; ++n) {
    if (ui::TForm* form = ProgramWindow(n)) {
      form->SetLeft(10 * n);
      form->SetTop(-5 * n);
    }
  }
  Form1->SaveWindowPositions();
  EXPECT_EQ(vek::WindowLeft[0], 10);
  EXPECT_EQ(vek::WindowTop[1], -10);
  EXPECT_EQ(vek::WindowLeft[20], 210);
  EXPECT_EQ(vek::WindowTop[20], -105);
  EXPECT_EQ(vek::WindowLeft[2], 777);

  Form1->CenterAllWindows();
  Form1->RestoreWindowPositions();
  for (int n = 1; n <= 21; ++n) {
    if (const ui::TForm* form = ProgramWindow(n)) {
      EXPECT_EQ(form->Left(), 10 * n) << n;
      EXPECT_EQ(form->Top(), -5 * n) << n;
    }
  }
  const ui::TForm* update = ProgramWindow(22);
  EXPECT_EQ(update->Left(), (ui::Screen->Width() - update->Width()) / 2);
}

// Every control of every window is in the face and size the windows were
// laid out for, and every caption, tab, column title and job-list cell fits
// its control in it, once the start-up and the main window have put in the
// texts they set.
TEST_F(AppLayoutTest, EveryTextFitsItsControl) {
  EXPECT_EQ(ui::FaceInUse(), "Liberation Sans");
  StartProgram();
  Form1->Hide();
  vek::Form2->Show();
  // The widest texts the job list's columns show: the size text of 1000
  // bytes, and every attribute letter a file can carry at once.
  vek::CurrentFile = {};
  vek::CurrentFile.Name = "widest.txt";
  vek::CurrentFile.Folder = "C:\\";
  vek::CurrentFile.Size = 1000;
  vek::CurrentFile.Attributes = 0x01 | 0x02 | 0x04 | 0x800 | 0x20 | 0x100;
  vek::Form2->AddCurrentFileToJobList();
  for (const ui::TForm* form : ui::Application->Forms()) {
    for (const std::string& unfit : ui::UnfitTexts(*form)) {
      ADD_FAILURE() << form->ClassName() << " (" << form->Caption() << "): " << unfit;
    }
    for (const std::string& other : ui::ControlsInAnotherFace(*form)) {
      ADD_FAILURE() << form->ClassName() << " (" << form->Caption() << ") not in the face of the "
                    << "windows: " << other;
    }
  }
}

}  // namespace

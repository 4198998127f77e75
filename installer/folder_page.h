#pragma once
// Folder page: the drive and folder to install into, and whether the drive
// has room for the payload.

#include <cstdint>

#include "ui/form.h"

namespace vek::installer {

class TForm3 : public ui::TForm {
 public:
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TEdit* Edit1 = nullptr;  // the install folder
  ui::TDriveComboBox* DriveComboBox1 = nullptr;
  ui::TDirectoryListBox* DirectoryListBox1 = nullptr;
  ui::TLabel* Label2 = nullptr;
  ui::TLabel* Label3 = nullptr;  // space required
  ui::TLabel* Label4 = nullptr;
  ui::TLabel* Label5 = nullptr;    // space on the drive
  ui::TButton* Button1 = nullptr;  // "< &Previous "
  ui::TButton* Button2 = nullptr;  // "&Next >"
  ui::TButton* Button3 = nullptr;  // "&Exit installation"

  void FormShow();
  void DriveComboBox1Change();
  void DirectoryListBox1Click();
  void DirectoryListBox1DblClick();
  void Edit1KeyUp(uint16_t& key);
  void Button1Click();
  void Button2Click();
  void Button3Click();

  void ShowDriveSpace();
  void SuggestFolderFromList();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  // Next only when the drive has more room than the payload needs; the
  // directory list's hint says so otherwise.
  void ApplySpaceGate();
};

}  // namespace vek::installer

#pragma once
// The main window: the drive, folder and file browser, the current-file
// panel, the job list and its grid, the run buttons and the toolbar.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// The support pages that the toolbar's web button opens.
inline constexpr std::string_view SupportWebAddress = "http://www.vek2003.example/support/";
// The product line that encryption writes into the header of a new file.
inline constexpr std::string_view VekProductLine =
    "VEK 2003 for Microsoft Windows 95/98/ME/NT/2000/XP (c)2003 Quarne T. Velso";

class TForm2 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;
  // Toolbar.
  ui::TBitBtn* BitBtn1 = nullptr;   // encrypt
  ui::TBitBtn* BitBtn2 = nullptr;   // decrypt
  ui::TBitBtn* BitBtn7 = nullptr;   // options
  ui::TBitBtn* BitBtn8 = nullptr;   // web support
  ui::TBitBtn* BitBtn9 = nullptr;   // about
  ui::TBitBtn* BitBtn12 = nullptr;  // exit
  // Browser.
  ui::TDriveComboBox* DriveComboBox1 = nullptr;
  ui::TButton* Button3 = nullptr;  // drive "&Info"
  ui::TDirectoryListBox* DirectoryListBox1 = nullptr;
  ui::TFileListBox* FileListBox1 = nullptr;
  // Current-file panel: name labels and value labels.
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TGroupBox* GroupBox2 = nullptr;
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;  // size
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label4 = nullptr;  // created
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;  // attributes
  ui::TLabel* Label7 = nullptr;
  ui::TLabel* Label8 = nullptr;  // encrypted file yes/no
  ui::TLabel* Label9 = nullptr;
  ui::TLabel* Label10 = nullptr;  // modified
  ui::TLabel* Label11 = nullptr;
  ui::TLabel* Label12 = nullptr;  // accessed
  ui::TLabel* Label14 = nullptr;
  ui::TLabel* Label15 = nullptr;   // type
  ui::TButton* Button4 = nullptr;  // "&More information.."
  // Job list.
  ui::TButton* Button1 = nullptr;      // "Add &all files in folder"
  ui::TButton* Button2 = nullptr;      // "Add all files of &type.."
  ui::TButton* Button5 = nullptr;      // "Screen &lock"
  ui::TBitBtn* BitBtn3 = nullptr;      // "&Add file"
  ui::TBitBtn* BitBtn4 = nullptr;      // "&Remove file"
  ui::TBitBtn* BitBtn5 = nullptr;      // "&Clear list"
  ui::TBitBtn* BitBtn6 = nullptr;      // "&Delete file" / "&Delete job list files"
  ui::TComboBox* ComboBox1 = nullptr;  // file types
  ui::TLabel* Label13 = nullptr;       // job list caption
  ui::TStringGrid* StringGrid1 = nullptr;

  void FormShow();
  void FormClose(ui::TCloseAction& action);

  // Job list.
  bool IsInJobList(std::string_view name, std::string_view folder) const;
  void AddCurrentFileToJobList();
  void AddFolderFiles(std::string_view mask);
  void ClearJobList();
  void UpdateJobListCaption();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void Button1Click();
  void Button2Click();

  // Browser and current-file panel.
  std::string ResolveShellPath(std::string_view path) const;
  // The file list's folder, ending in "\" (a drive root already does).
  std::string BrowserFolder() const;
  // The file chosen in the file list becomes the current file; false when
  // nothing was examined (no file chosen, or the settings file).
  bool SelectBrowserFile();
  void ClearFileInfo();
  void ShowFileInfo();
  void FileListBox1Click();
  void FileListBox1DblClick();
  void DirectoryListBox1Click();
  void DriveComboBox1Click();
  void DriveComboBox1Change();
  void ComboBox1Change();

  // Grid.
  void StringGrid1MouseUp(ui::TMouseButton button, int x, int y);
  void StringGrid1DblClick();
  void StringGrid1SelectCell();
  // The grid row chosen: the entry the buttons and the double click act on.
  void ChooseGridRow(int row);

  // Runs, toolbar and panel buttons.
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn6Click();
  void BitBtn7Click();
  void BitBtn8Click();
  void BitBtn9Click();
  void BitBtn12Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void AddCommandLineFile();
  void StartRun(ui::TBitBtn* button, uint8_t mode);
};

}  // namespace vek

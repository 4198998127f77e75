#pragma once
// The delete confirmation: asks before a delete run (one file or the whole
// job list) and starts it.

#include <cstdint>
#include <string>
#include <vector>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// What a delete run is to delete: one file, or the job list as it stands.
struct TDeleteChoice {
  bool JobList = false;
  std::string Folder;  // one file
  std::string Name;
  int64_t Size = 0;
  std::vector<std::string> Entries;  // the job list: folder and name of each entry
  int64_t TotalSize = 0;
  friend bool operator==(const TDeleteChoice&, const TDeleteChoice&) = default;
};

class TForm9 : public ui::TForm {
 public:
  ui::TGroupBox* GroupBox1 = nullptr;  // " Confirmation : "
  ui::TLabel* Label1 = nullptr;        // delete method name
  ui::TLabel* Label2 = nullptr;        // the file, or the number of job-list files
  ui::TLabel* Label3 = nullptr;        // the size
  ui::TLabel* Label4 = nullptr;        // delete method description
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;
  ui::TCheckBox* CheckBox1 = nullptr;  // "Prompt for this assurance before deleting any file."
  ui::TButton* Button1 = nullptr;      // "&Yes"
  ui::TButton* Button2 = nullptr;      // "&No"
  ui::TButton* Button3 = nullptr;      // "&Change delete method"

  void FormShow();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void CheckBox1Click();
  // Shows (or raises) the question about what the main window has just
  // named in Label2 and Label3; "&Yes" deletes exactly that, whatever the
  // browser shows by then.
  void ShowConfirmation();
  // Prepares and starts a delete run of the current file or of the job list.
  void StartDeleteRun();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  // The file or job list that the main window's delete button means now.
  static TDeleteChoice CurrentChoice();
  void StartDeleteRunOf(const TDeleteChoice& choice);

  TDeleteChoice asked_;  // what the question on screen names
};

}  // namespace vek

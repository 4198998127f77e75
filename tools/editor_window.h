#pragma once
// The embedded-data editor: the owner data and the three embedding flags
// that encryption will write into one plain job entry's header, edited from
// EditedEntry and applied to that entry or to every entry of the job list.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm18 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;  // background
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TPanel* Panel1 = nullptr;
  ui::TEdit* Edit1 = nullptr;          // first name (16)
  ui::TEdit* Edit2 = nullptr;          // last name (16)
  ui::TEdit* Edit3 = nullptr;          // company (32)
  ui::TComboBox* ComboBox1 = nullptr;  // download location (64)
  ui::TEdit* Edit4 = nullptr;          // e-mail (64)
  ui::TEdit* Edit5 = nullptr;          // information lines 1..3 (64 each)
  ui::TEdit* Edit6 = nullptr;
  ui::TEdit* Edit7 = nullptr;
  ui::TCheckBox* CheckBox1 = nullptr;  // timestamp
  ui::TCheckBox* CheckBox2 = nullptr;  // preserve attributes
  ui::TCheckBox* CheckBox3 = nullptr;  // Windows information
  ui::TButton* Button1 = nullptr;      // "&Clear all fields"
  ui::TButton* Button2 = nullptr;      // "Use &default information"
  ui::TButton* Button3 = nullptr;      // "Use in &all joblist file(s)"
  ui::TButton* Button4 = nullptr;      // "&Edit default information"
  ui::TButton* Button5 = nullptr;      // "&Review"
  ui::TButton* Button6 = nullptr;      // "&Apply changes"
  ui::TButton* Button7 = nullptr;      // "&Cancel changes"

  void FormShow();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();

  // The exit wipe: overwrites the remembered name and folder of the entry.
  void WipeEditedEntryPlace();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  // The entry being edited in the job list now; 0 when it is gone.
  uint16_t FindEditedEntry() const;
  // The eight texts and the three boxes, as given.
  void ShowInControls(const TEmbeddedData& owner, bool hasTimestamp, bool preserveAttributes,
                      bool hasWindowsInfo);
  TEmbeddedData OwnerFromControls(bool trimInfoLines) const;
  // The eight texts, trimmed and cut to their widths, and the three boxes.
  void WriteControlsInto(size_t entry) const;

  // Name and folder of the entry being edited, taken when the editor shows:
  // the job list may change while it is open, so Apply and Review look the
  // entry up again instead of trusting SelectedRow.
  std::string entryName_;
  std::string entryFolder_;
};

}  // namespace vek

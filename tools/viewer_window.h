#pragma once
// The embedded-data viewer: everything an encrypted file's plain header
// carries, from ViewerRecord, which its callers fill before they show it.
// The download location and the e-mail address can be clicked to open them
// when they are safe to hand to the desktop.

#include <string>
#include <string_view>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm16 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;        // background
  ui::TGroupBox* GroupBox1 = nullptr;  // basic file information
  ui::TLabel* Label17 = nullptr;       // encryption time and date
  ui::TLabel* Label18 = nullptr;       // size before encryption
  ui::TLabel* Label19 = nullptr;       // preserves attributes
  ui::TLabel* Label20 = nullptr;       // attributes
  ui::TGroupBox* GroupBox2 = nullptr;  // owner
  ui::TLabel* Label21 = nullptr;       // owner name
  ui::TLabel* Label22 = nullptr;       // company
  ui::TLabel* Label23 = nullptr;       // download location (clickable)
  ui::TLabel* Label24 = nullptr;       // e-mail address (clickable)
  ui::TLabel* Label25 = nullptr;       // information lines 1..3
  ui::TLabel* Label26 = nullptr;
  ui::TLabel* Label27 = nullptr;
  ui::TGroupBox* GroupBox3 = nullptr;  // product and Windows
  ui::TLabel* Label28 = nullptr;       // product line
  ui::TLabel* Label29 = nullptr;       // software version
  ui::TLabel* Label30 = nullptr;       // file format version
  ui::TLabel* Label31 = nullptr;       // Windows version [product id]
  ui::TLabel* Label32 = nullptr;       // registered owner
  ui::TLabel* Label33 = nullptr;       // registered organization
  ui::TLabel* Label34 = nullptr;       // computer name
  ui::TButton* Button1 = nullptr;      // "&Close"

  // The text itself, or "N/A" when it is empty.
  static std::string ValueOrNA(std::string_view text);

  void FormShow();
  void Label23Click();
  void Label24Click();
  void Button1Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek

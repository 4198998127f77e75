#include "sample_form.h"

#include <algorithm>

namespace vektest {

int TSampleForm::Count(const std::string& handler) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), handler));
}

void TSampleForm::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Edit1", Edit1);
  binder.Control("Button1", Button1);
  binder.Control("BitBtn1", BitBtn1);
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("RadioButton1", RadioButton1);
  binder.Control("RadioButton2", RadioButton2);
  binder.Control("RadioButton3", RadioButton3);
  binder.Control("ComboBox1", ComboBox1);
  binder.Control("StringGrid1", StringGrid1);
  binder.Control("TrackBar1", TrackBar1);
  binder.Control("ProgressBar1", ProgressBar1);
  binder.Control("TabbedNotebook1", TabbedNotebook1);
  binder.Control("Memo1", Memo1);
  binder.Control("Edit2", Edit2);
  binder.Control("Timer1", Timer1);
  binder.Control("Timer2", Timer2);
  binder.Handler("FormCreate", this, &TSampleForm::FormCreate);
  binder.Handler("FormShow", this, &TSampleForm::FormShow);
  binder.Handler("FormHide", this, &TSampleForm::FormHide);
  binder.Handler("FormClose", this, &TSampleForm::FormClose);
  binder.Handler("Label2Click", this, &TSampleForm::Label2Click);
  binder.Handler("Edit1Change", this, &TSampleForm::Edit1Change);
  binder.Handler("Edit1KeyUp", this, &TSampleForm::Edit1KeyUp);
  binder.Handler("Button1Click", this, &TSampleForm::Button1Click);
  binder.Handler("CheckBox1Click", this, &TSampleForm::CheckBox1Click);
  binder.Handler("RadioClick", this, &TSampleForm::RadioClick);
  binder.Handler("ComboBox1Change", this, &TSampleForm::ComboBox1Change);
  binder.Handler("StringGrid1MouseUp", this, &TSampleForm::StringGrid1MouseUp);
  binder.Handler("StringGrid1DblClick", this, &TSampleForm::StringGrid1DblClick);
  binder.Handler("Timer1Timer", this, &TSampleForm::Timer1Timer);
  binder.Handler("Timer2Timer", this, &TSampleForm::Timer2Timer);
}

}  // namespace vektest

#include "engine/delete_confirmation.h"

#include <string>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/settings.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"

namespace vek {

namespace {

// The main window's delete button reads so once files are in the job list.
constexpr std::string_view JobListDeleteCaption = "&Delete job list files";
constexpr int FileDeleteOptionsPage = 3;

}  // namespace

void TForm9::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Handler("FormShow", this, &TForm9::FormShow);
  binder.Handler("Button1Click", this, &TForm9::Button1Click);
  binder.Handler("Button2Click", this, &TForm9::Button2Click);
  binder.Handler("Button3Click", this, &TForm9::Button3Click);
  binder.Handler("CheckBox1Click", this, &TForm9::CheckBox1Click);
}

// The main window has set Label2 and Label3 (what is to be deleted).
void TForm9::FormShow() {
  CheckBox1->SetChecked(ConfirmDeletes);
  Label1->SetCaption(DeleteMethodName(DeleteMethod));
  Label4->SetCaption(DeleteMethodDescription(DeleteMethod));
}

void TForm9::Button1Click() {
  Hide();
  StartDeleteRun();
}

void TForm9::Button2Click() {
  Hide();
}

// The options open on their file delete page; the question stays open.
void TForm9::Button3Click() {
  Form4->TabbedNotebook1->SetPageIndex(FileDeleteOptionsPage);
  Form4->Show();
  Form4->BringToFront();
}

void TForm9::CheckBox1Click() {
  ConfirmDeletes = CheckBox1->Checked();
}

// A run in progress owns the job list and the engine: no second one starts.
void TForm9::StartDeleteRun() {
  if (Form8->RunActive()) return;
  if (Form2->BitBtn6->Caption() == JobListDeleteCaption) {
    RunMode = RunDeleteJobList;  // the totals come with the run
  } else {
    // The selection may have changed while the question waited; the
    // settings file is never deleted from the browser.
    if (CurrentFile.Name == SettingsFileName) return;
    FileDone = 0;
    FileTotal = 0;
    FileStep = 0;
    OverallDone = 0;
    OverallTotal = CurrentFile.Size * OverwritePasses(DeleteMethod);
    OverallStep = OverallTotal / ProgressSteps;
    DeleteFolder = CurrentFile.Folder;
    DeleteName = CurrentFile.Name;
    DeleteSize = CurrentFile.Size;
    DeleteReturnState = StateFinish;
    DeleteShowProgress = true;
    RunMode = RunDeleteFile;
  }
  Form8->Show();
  Form8->BringToFront();
}

}  // namespace vek

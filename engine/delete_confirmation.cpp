#include "engine/delete_confirmation.h"

#include <string>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/settings.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"
#include "ui/dialogs.h"

namespace vek {

namespace {

// The main window's delete button reads so once files are in the job list.
constexpr std::string_view JobListDeleteCaption = "&Delete job list files";
constexpr int FileDeleteOptionsPage = 3;
constexpr std::string_view ListChangedMessage =
    "The job list has changed since the delete was confirmed, so nothing was deleted. "
    "Please check the job list and delete again.";

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
  asked_ = CurrentChoice();
  CheckBox1->SetChecked(ConfirmDeletes);
  Label1->SetCaption(DeleteMethodName(DeleteMethod));
  Label4->SetCaption(DeleteMethodDescription(DeleteMethod));
}

// The question is modeless: the browser and the job list may have changed
// while it waited. One file is deleted as named; a job list that is no
// longer the one named is not deleted at all.
void TForm9::Button1Click() {
  Hide();
  if (asked_.JobList && CurrentChoice() != asked_) {
    ui::MessageDlg(ListChangedMessage, ui::TMsgDlgType::Warning, ui::mbOK);
    return;
  }
  StartDeleteRunOf(asked_);
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

void TForm9::ShowConfirmation() {
  asked_ = CurrentChoice();  // also when the question is on screen already
  Show();
  BringToFront();
}

void TForm9::StartDeleteRun() {
  StartDeleteRunOf(CurrentChoice());
}

TDeleteChoice TForm9::CurrentChoice() {
  TDeleteChoice choice;
  choice.JobList = Form2->BitBtn6->Caption() == JobListDeleteCaption;
  if (choice.JobList) {
    for (uint16_t i = 1; i <= TForm8::JobEntryCount(); ++i) {
      choice.Entries.push_back(JobList.Folder[i] + JobList.Name[i]);
    }
    choice.TotalSize = JobList.JobTotalSize;
  } else {
    choice.Folder = CurrentFile.Folder;
    choice.Name = CurrentFile.Name;
    choice.Size = CurrentFile.Size;
  }
  return choice;
}

// A run in progress owns the job list and the engine: no second one starts.
void TForm9::StartDeleteRunOf(const TDeleteChoice& choice) {
  if (Form8->RunActive()) return;
  if (choice.JobList) {
    RunMode = RunDeleteJobList;  // the totals come with the run
  } else {
    // The settings file is never deleted from the browser.
    if (choice.Name == SettingsFileName) return;
    FileDone = 0;
    FileTotal = 0;
    FileStep = 0;
    OverallDone = 0;
    OverallTotal = choice.Size * OverwritePasses(DeleteMethod);
    OverallStep = OverallTotal / ProgressSteps;
    DeleteFolder = choice.Folder;
    DeleteName = choice.Name;
    DeleteSize = choice.Size;
    DeleteReturnState = StateFinish;
    DeleteShowProgress = true;
    RunMode = RunDeleteFile;
  }
  Form8->Show();
  Form8->BringToFront();
}

}  // namespace vek

#include "engine/activity_log_window.h"

#include <string>

#include "app/main_window.h"
#include "app/start_window.h"
#include "engine/processing_window.h"
#include "platform/files.h"
#include "ui/dialogs.h"

namespace vek {

namespace {
// The start window's product heading that opens a saved log.
constexpr int LogHeadLines = 9;
}  // namespace

void TForm21::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Label1", Label1);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("ListBox1", ListBox1);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Handler("FormShow", this, &TForm21::FormShow);
  binder.Handler("Button1Click", this, &TForm21::Button1Click);
  binder.Handler("Button2Click", this, &TForm21::Button2Click);
}

void TForm21::FormShow() {
  Button2->SetHint("Save activity log as \"" + LogFileName + "\"");
  Button2->SetEnabled(!LogFileName.empty());
}

void TForm21::Button1Click() {
  Hide();
  Form8->Hide();
  Form2->Show();
  Form2->BringToFront();
}

// One save per showing of the window.
void TForm21::Button2Click() {
  const int error = SaveLog();
  if (error == platform::err::Success) {
    Button2->SetEnabled(false);
    return;
  }
  ui::MessageDlg("The activity log could not be saved as \"" + LogFileName + "\" (Windows error " +
                     std::to_string(error) + ").",
                 ui::TMsgDlgType::Error, ui::mbOK);
}

// Written under a temporary name first, so that a failed save never leaves
// half a log under the log's name. The Windows error of a failure, else 0.
int TForm21::SaveLog() const {
  std::string text;
  for (int i = 0; i < LogHeadLines; ++i) text += Form1->Memo1->Line(i) + "\r\n";
  text += "\r\n";
  for (const std::string& line : ListBox1->Items()) text += line + "\r\n";

  const std::string partial = LogFileName + ".tmp";
  int error = platform::err::Success;
  // Made anew for the user alone: a file that holds the name already (left
  // by a failed save, or put there by someone else) is removed, never reused.
  auto file = platform::FileStream::Open(partial, platform::FileMode::CreateNew,
                                         platform::ShareMode::Exclusive, &error);
  if (!file && error == platform::err::FileExists && platform::DeleteFile(partial)) {
    file = platform::FileStream::Open(partial, platform::FileMode::CreateNew,
                                      platform::ShareMode::Exclusive, &error);
  }
  if (!file) return error;
  // Only this file takes the log's name, or is removed: not one swapped in.
  const platform::FileIdentity made = file->Identity();
  const auto length = static_cast<int64_t>(text.size());
  const bool written = file->Write(text.data(), length) == length && file->Close();
  if (!written) error = file->LastError();
  file.reset();
  if (written && platform::RenameListedFile(partial, LogFileName, made, true)) {
    return platform::err::Success;
  }
  if (written) error = platform::LastError();
  platform::DeleteListedFile(partial, made);
  return error;
}

}  // namespace vek

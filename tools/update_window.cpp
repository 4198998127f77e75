#include "tools/update_window.h"

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "platform/http.h"
#include "platform/shell.h"
#include "tools/exit_wipe_window.h"
#include "tools/shell_targets.h"

namespace vek {

void TForm22::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Image2", Image2);
  binder.Control("Image3", Image3);
  binder.Control("Image4", Image4);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("Label7", Label7);
  binder.Control("Label8", Label8);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Timer1", Timer1);
  binder.Control("Timer2", Timer2);
  binder.Handler("FormShow", this, &TForm22::FormShow);
  binder.Handler("Timer1Timer", this, &TForm22::Timer1Timer);
  binder.Handler("Timer2Timer", this, &TForm22::Timer2Timer);
  binder.Handler("Button1Click", this, &TForm22::Button1Click);
  binder.Handler("Button2Click", this, &TForm22::Button2Click);
  binder.Handler("CloseUpdateWindow", this, &TForm22::CloseUpdateWindow);
}

void TForm22::FormShow() {
  StopRequest();
  SetCaption("VEK 2003 - Checking for software updates");
  for (ui::TControl* c : {Label1, Label2, Label3, Label4, Label5, Label6}) c->SetVisible(false);
  Button1->SetVisible(false);
  Button2->SetVisible(false);
  Label7->SetVisible(true);
  Label8->SetVisible(true);
  requested_ = false;
  UpdatePhase = 1;
  UpdateFrame = 1;
  ShowAnimationFrame();
  Timer1->SetEnabled(true);
  Timer2->SetEnabled(true);
}

// Every 500 ms: the next animation frame, and every third tick the phase's
// work. The request runs in the background; the tick that finds it done
// takes its reply and starts the count of three ticks to the evaluation.
void TForm22::Timer1Timer() {
  ShowAnimationFrame();
  if (UpdatePhase == 1 && request_ != nullptr && request_->Done()) {
    TakeReply();
    UpdatePhase = 2;
    UpdateFrame = 1;
    return;
  }
  const bool cycleEnds = UpdateFrame >= 3;
  UpdateFrame = cycleEnds ? 1 : static_cast<uint8_t>(UpdateFrame + 1);
  if (!cycleEnds) return;
  if (UpdatePhase == 1) {
    if (!requested_) RequestUpdateInfo();
  } else if (UpdatePhase == 2) {
    UpdatePhase = 3;
    ShowUpdateResult();
  }
}

// The three pictures lie at one spot; the frame's own is the one shown.
void TForm22::ShowAnimationFrame() {
  Image2->SetVisible(UpdateFrame == 1);
  Image3->SetVisible(UpdateFrame == 2);
  Image4->SetVisible(UpdateFrame == 3);
}

void TForm22::Timer2Timer() {
  CloseUpdateWindow();
}

void TForm22::RequestUpdateInfo() {
  requested_ = true;
  UpdateFetched = 0;
  request_ = platform::HttpGet(UpdateInfoUrl);
}

void TForm22::TakeReply() {
  UpdateFetched = request_->Succeeded() ? 1 : 0;
  UpdateReply = UpdateFetched == 1 ? request_->Body() : std::string();
  request_.reset();
}

void TForm22::StopRequest() {
  if (request_ != nullptr) request_->Abandon();
  request_.reset();
}

void TForm22::ShowUpdateResult() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  if (UpdateFetched != 1) {
    CloseUpdateWindow();
    return;
  }
  // A reply without a version or without a web address to download from is
  // no answer at all.
  const std::optional<std::string> latest = GetTagValue("<LatestVersionString>");
  const std::optional<std::string> address = GetTagValue("<DownloadURL>");
  LatestVersion = latest.value_or("");
  if (!latest || !address || !IsWebAddress(*address, false) || *latest == RunningVersion) {
    CloseUpdateWindow();
    return;
  }
  DownloadAddress = *address;
  Label7->SetVisible(false);
  Label8->SetVisible(false);
  SetCaption("VEK 2003 - Version update found.");
  for (ui::TControl* c : {Label1, Label2, Label3, Label4, Label5, Label6}) c->SetVisible(true);
  Button1->SetVisible(true);
  Button2->SetVisible(true);
  Label3->SetCaption(RunningVersion);
  Label5->SetCaption(LatestVersion);
  Label6->SetCaption(GetTagValue("<UpdateMessage>").value_or("Error: <UpdateMessage> not found!"));
}

// Also the answer to a close from the window system, which may come at any
// moment of the check: the timers stop with the window.
void TForm22::CloseUpdateWindow() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  StopRequest();
  Hide();
  if (StartCount == 1) {
    Form4->Show();
  } else {
    Form2->Show();
  }
}

void TForm22::Button1Click() {
  if (IsWebAddress(DownloadAddress, false)) platform::ShellExecute("open", DownloadAddress);
  ExitRequested = true;
  Hide();
  Form19->Show();
}

void TForm22::Button2Click() {
  CloseUpdateWindow();
}

}  // namespace vek

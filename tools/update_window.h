#pragma once
// The update check between the start window and the rest of the program:
// fetches the update information file, and either closes at once (no newer
// version, no usable answer, time-out) or offers the download of a newer
// version. Closing leads on to the options dialog on the first start and to
// the main window otherwise.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/state.h"
#include "ui/form.h"

namespace platform {
class HttpRequest;
}

namespace vek {

// Where the update information file is served.
inline constexpr std::string_view UpdateInfoAddress =
    "http://www.vek2003.example/LiveData/VEK2003.pui";
// The address the update check asks; tests point it at a server of their own.
inline std::string UpdateInfoUrl{UpdateInfoAddress};
// The version of this program, compared as text with the latest version.
inline constexpr std::string_view RunningVersion = "1.00";

class TForm22 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;  // background
  ui::TImage* Image2 = nullptr;  // animation frames 1..3
  ui::TImage* Image3 = nullptr;
  ui::TImage* Image4 = nullptr;
  ui::TLabel* Label7 = nullptr;  // "One moment please..."
  ui::TLabel* Label8 = nullptr;  // "Connecting to updates server"
  // The update panel.
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;
  ui::TLabel* Label3 = nullptr;  // running version
  ui::TLabel* Label4 = nullptr;
  ui::TLabel* Label5 = nullptr;    // latest version
  ui::TLabel* Label6 = nullptr;    // update message
  ui::TButton* Button1 = nullptr;  // download
  ui::TButton* Button2 = nullptr;  // "&Cancel"
  ui::TTimer* Timer1 = nullptr;    // 500 ms animation and phase
  ui::TTimer* Timer2 = nullptr;    // 10 s time-out

  void FormShow();
  void Timer1Timer();
  void Timer2Timer();
  void Button1Click();
  void Button2Click();

  void RequestUpdateInfo();
  void ShowUpdateResult();
  void CloseUpdateWindow();
  // The value written after `tag` in UpdateReply, up to the next "<" or the
  // end of the reply, without line breaks; nothing when the tag is missing.
  static std::optional<std::string> GetTagValue(std::string_view tag);

  // The request of this showing while it is outstanding (tests wait on it).
  platform::HttpRequest* PendingRequest() const { return request_.get(); }

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void ShowAnimationFrame();
  // The request has returned: UpdateFetched and UpdateReply from it.
  void TakeReply();
  // Drops the request of this showing, if one is outstanding.
  void StopRequest();

  std::shared_ptr<platform::HttpRequest> request_;
  bool requested_ = false;  // this showing has made its one request
};

}  // namespace vek

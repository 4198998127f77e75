#pragma once
// The application object, the screen and the message loop.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/clock.h"
#include "ui/form.h"

namespace ui {

class TApplication {
 public:
  // Creates the one application (Qt included). When QT_QPA_PLATFORM is not
  // set and a display offers X11, the X11 platform is preferred (the windows
  // place themselves). Virtual clock mode is for tests.
  static TApplication* Initialize(int& argc, char** argv, ClockMode mode = ClockMode::Real);
  // Ends the application object (tests, and the end of the program).
  static void Shutdown();

  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view title);
  // The name of the program's desktop entry without ".desktop", by which
  // the desktop matches the program's windows to its entry.
  std::string DesktopFileName() const;
  void SetDesktopFileName(std::string_view name);

  // Creates a form from its stored description. The first form created is
  // the main form.
  template <class F>
  void CreateForm(F*& variable, std::string_view resourceName) {
    auto form = std::make_unique<F>();
    F* raw = form.get();
    variable = raw;
    Adopt(std::move(form), resourceName);
  }
  TForm* MainForm() const { return mainForm_; }
  const std::vector<TForm*>& Forms() const { return formOrder_; }
  // Ends every form, the newest first. The application is then as before
  // its first CreateForm: no main form, not terminated.
  void DestroyForms();

  // Shows the main form and runs the message loop until it is closed. In
  // virtual clock mode the loop advances the clock 1 ms at a time instead
  // (at most `virtualLimitMs`, after which it returns false).
  bool Run(int64_t virtualLimitMs = 3600 * 1000);
  void ProcessMessages();
  // Waits until an event arrives (a timer of the real clock included), then
  // processes what has arrived: one turn of the message loop.
  void WaitMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Application-wide hint timing (milliseconds), applied to every tooltip.
  int HintPause() const { return hintPause_; }
  void SetHintPause(int ms);
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int ms);

  ~TApplication();

 private:
  TApplication() = default;
  void Adopt(std::unique_ptr<TForm> form, std::string_view resourceName);

  std::string title_;
  TForm* mainForm_ = nullptr;
  std::vector<std::unique_ptr<TForm>> forms_;
  std::vector<TForm*> formOrder_;
  bool terminated_ = false;
  int hintPause_ = 500;
  int hintHidePause_ = 2500;
};

extern TApplication* Application;

// The primary screen.
class TScreen {
 public:
  int Width() const;
  int Height() const;
  int ColorDepth() const;
};
extern TScreen* Screen;

void MessageBeep();

}  // namespace ui

#pragma once
// The error report: what failed, where and why, with the answers Retry,
// Skip file, Stop all processing and Skip all errors. Modeless; the engine
// waits without a handler until an answer writes its state.

#include <cstdint>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// The answers, as ErrorAnswer holds them.
inline constexpr uint8_t ErrorAnswerRetry = 1;
inline constexpr uint8_t ErrorAnswerSkipFile = 2;
inline constexpr uint8_t ErrorAnswerStopAll = 3;
inline constexpr uint8_t ErrorAnswerSkipAllErrors = 4;

class TForm15 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;  // error code
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label4 = nullptr;  // error type
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;
  ui::TLabel* Label7 = nullptr;  // detail
  ui::TLabel* Label8 = nullptr;  // advice
  ui::TLabel* Label9 = nullptr;
  ui::TLabel* Label10 = nullptr;  // the engine's task at the time
  ui::TLabel* Label11 = nullptr;
  ui::TLabel* Label12 = nullptr;   // the file
  ui::TButton* Button1 = nullptr;  // "&Retry.."
  ui::TButton* Button2 = nullptr;  // "&Skip file.."
  ui::TButton* Button3 = nullptr;  // "Stop &all processing"
  ui::TButton* Button4 = nullptr;  // "Skip all &errors"

  void FormShow();
  void FormClose(ui::TCloseAction& action);
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void CloseErrorReport();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void Answer(uint8_t answer);
};

}  // namespace vek

#include "ui/dialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

#include "ui/application.h"
#include "ui/detail/qt_convert.h"

namespace ui {
namespace {

struct DialogButton {
  TMsgDlgButtons flag;
  int result;
  const char* caption;
  QMessageBox::ButtonRole role;
};

constexpr DialogButton kButtons[] = {
    {mbYes, mrYes, "&Yes", QMessageBox::YesRole},
    {mbNo, mrNo, "&No", QMessageBox::NoRole},
    {mbOK, mrOk, "OK", QMessageBox::AcceptRole},
    {mbCancel, mrCancel, "Cancel", QMessageBox::RejectRole},
    {mbAbort, mrAbort, "&Abort", QMessageBox::RejectRole},
    {mbRetry, mrRetry, "&Retry", QMessageBox::AcceptRole},
    {mbIgnore, mrIgnore, "&Ignore", QMessageBox::AcceptRole},
};

QMessageBox::Icon IconFor(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::Warning:
      return QMessageBox::Warning;
    case TMsgDlgType::Error:
      return QMessageBox::Critical;
    case TMsgDlgType::Information:
      return QMessageBox::Information;
    case TMsgDlgType::Confirmation:
      return QMessageBox::Question;
    case TMsgDlgType::Custom:
      break;
  }
  return QMessageBox::NoIcon;
}

std::string TitleFor(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::Warning:
      return "Warning";
    case TMsgDlgType::Error:
      return "Error";
    case TMsgDlgType::Information:
      return "Information";
    case TMsgDlgType::Confirmation:
      return "Confirm";
    case TMsgDlgType::Custom:
      break;
  }
  return Application != nullptr ? Application->Title() : std::string();
}

int ShowMessageBox(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons) {
  QMessageBox box(IconFor(type), detail::ToQString(TitleFor(type)), detail::ToQString(text));
  std::vector<std::pair<QAbstractButton*, int>> results;
  for (const DialogButton& button : kButtons) {
    if ((buttons & button.flag) == 0) continue;
    results.emplace_back(box.addButton(QString::fromLatin1(button.caption), button.role),
                         button.result);
  }
  if (results.empty()) results.emplace_back(box.addButton(QMessageBox::Ok), mrOk);
  box.exec();
  for (const auto& [button, result] : results) {
    if (box.clickedButton() == button) return result;
  }
  return mrCancel;  // closed with Escape or the close box
}

}  // namespace

int MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons) {
  if (seam::MessageDlgAnswer != nullptr) {
    if (const std::optional<int> answer = seam::MessageDlgAnswer(std::string(text))) return *answer;
  }
  return ShowMessageBox(text, type, buttons);
}

}  // namespace ui

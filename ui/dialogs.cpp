#include "ui/dialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include <deque>
#include <utility>

#include "ui/application.h"
#include "ui/detail/qt_convert.h"

namespace ui {
namespace {

struct Expectation {
  int answer;
  std::string textContains;
};

struct DialogScript {
  bool scripted = false;
  std::deque<Expectation> expected;
  std::function<int(const std::string&)> unexpected;
  std::vector<std::string> shown;
};

DialogScript& Script() {
  static DialogScript script;
  return script;
}

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
    results.emplace_back(box.addButton(QString::fromLatin1(button.caption), button.role), button.result);
  }
  if (results.empty()) results.emplace_back(box.addButton(QMessageBox::Ok), mrOk);
  box.exec();
  for (const auto& [button, result] : results) {
    if (box.clickedButton() == button) return result;
  }
  return mrCancel;  // closed with Escape or the close box
}

int ScriptedAnswer(const std::string& text) {
  DialogScript& script = Script();
  if (!script.expected.empty()) {
    const Expectation& next = script.expected.front();
    if (next.textContains.empty() || text.find(next.textContains) != std::string::npos) {
      const int answer = next.answer;
      script.expected.pop_front();
      return answer;
    }
  }
  return script.unexpected ? script.unexpected(text) : mrCancel;
}

}  // namespace

int MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons) {
  DialogScript& script = Script();
  std::string shownText(text);
  script.shown.push_back(shownText);
  if (script.scripted || !script.expected.empty()) return ScriptedAnswer(shownText);
  return ShowMessageBox(text, type, buttons);
}

namespace dialogs_for_test {

void Expect(int answer, std::string textContains) {
  Script().expected.push_back({answer, std::move(textContains)});
}

void SetUnexpectedHandler(std::function<int(const std::string& text)> handler) {
  Script().unexpected = std::move(handler);
}

int Pending() {
  return static_cast<int>(Script().expected.size());
}

const std::vector<std::string>& Shown() {
  return Script().shown;
}

void Reset() {
  Script().expected.clear();
  Script().shown.clear();
}

void SetScripted(bool on) {
  Script().scripted = on;
}

}  // namespace dialogs_for_test
}  // namespace ui

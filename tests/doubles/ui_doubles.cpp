// The message box script and the picture switch of ui_doubles.h.
#include "ui_doubles.h"

#include <deque>
#include <optional>
#include <utility>

#include "ui/picture.h"

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

// Every message box is recorded; the script answers it when script mode is
// on or an answer is waiting, else the box is shown.
std::optional<int> AnswerFromScript(const std::string& text) {
  DialogScript& script = Script();
  script.shown.push_back(text);
  if (script.scripted || !script.expected.empty()) return ScriptedAnswer(text);
  return std::nullopt;
}

DialogScript& InstalledScript() {
  seam::MessageDlgAnswer = &AnswerFromScript;
  return Script();
}

}  // namespace

namespace dialogs_for_test {

void Expect(int answer, std::string textContains) {
  InstalledScript().expected.push_back({answer, std::move(textContains)});
}

void SetUnexpectedHandler(std::function<int(const std::string& text)> handler) {
  InstalledScript().unexpected = std::move(handler);
}

int Pending() {
  return static_cast<int>(InstalledScript().expected.size());
}

const std::vector<std::string>& Shown() {
  return InstalledScript().shown;
}

void Reset() {
  InstalledScript().expected.clear();
  Script().shown.clear();
}

void SetScripted(bool on) {
  InstalledScript().scripted = on;
}

}  // namespace dialogs_for_test

void ForceQuantizeForTest(bool on) {
  seam::QuantizeAlways = on;
}

}  // namespace ui

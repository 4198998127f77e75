#pragma once
// The texts a window shows its user: each control's caption and hint, the
// items of its lists and the captions of its pages.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui_test_support.h"

namespace vektest {

// Every text of the form: its caption, each control's caption, hint (and
// each line of a hint of several lines), list items and page captions.
inline std::set<std::string> TextsOf(const ui::TForm* form) {
  std::set<std::string> texts = {form->Caption()};
  for (const ui::TControl* c : form->AllControls()) {
    texts.insert(CaptionOf(c).value_or(""));
    const std::string& hint = c->Hint();
    texts.insert(hint);
    size_t start = 0;
    while (start <= hint.size()) {
      const size_t end = hint.find('\r', start);
      texts.insert(hint.substr(start, end == std::string::npos ? std::string::npos : end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (const auto* combo = dynamic_cast<const ui::TComboBox*>(c)) {
      for (int i = 0; i < combo->ItemCount(); ++i) texts.insert(combo->Item(i));
    }
    if (const auto* pages = dynamic_cast<const ui::TTabbedNotebook*>(c)) {
      for (int i = 0; i < pages->PageCount(); ++i) texts.insert(pages->PageCaption(i));
    }
  }
  return texts;
}

// Each text is one the form shows, exactly.
inline void ExpectFormShows(const ui::TForm* form, const std::vector<std::string_view>& texts) {
  const std::set<std::string> shown = TextsOf(form);
  for (std::string_view text : texts) {
    EXPECT_TRUE(shown.count(std::string(text)) == 1) << form->ClassName() << ": \"" << text << "\"";
  }
}

// A control's caption and hint (nullptr: not looked at).
struct ControlText {
  const char* Name;
  const char* Caption;
  const char* Hint;
};

inline void ExpectControlTexts(const ui::TForm* form, const std::vector<ControlText>& table) {
  for (const ControlText& t : table) {
    const ui::TControl* c = form->FindControl(t.Name);
    ASSERT_NE(c, nullptr) << t.Name;
    if (t.Caption != nullptr) {
      EXPECT_EQ(CaptionOf(c).value_or(""), t.Caption) << t.Name;
    }
    if (t.Hint != nullptr) {
      EXPECT_EQ(c->Hint(), t.Hint) << t.Name;
    }
  }
}

}  // namespace vektest

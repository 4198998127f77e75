#pragma once
// The key window open for an encrypt run over the whole program, with its
// on-screen keys reached by number.

#include <string>

#include "core/state.h"
#include "engine/key_entry_window.h"
#include "engine_fixture.h"

namespace vektest {

class KeyWindowTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    vek::RunMode = vek::RunEncrypt;
    vek::Form7->Show();
  }
  static ui::TButton* Key(int number) {
    return vek::Form7->Find<ui::TButton>("Button" + std::to_string(number));
  }
};

}  // namespace vektest

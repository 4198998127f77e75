#pragma once
// The key entry window: the key text, an on-screen keyboard of 69 keys with
// its caps state, and the key generator. The key text lives only in Edit1;
// the processing window reads it from there each time it sets the key.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// Key lengths offered by the generator, by ComboBox1 index (other indices: 8).
inline constexpr std::array<uint8_t, 11> KeyLengthChoices = {8,  10, 16, 20,  32, 40,
                                                             50, 64, 80, 100, 128};
uint8_t KeyLengthChoice(int index);

// The key text as the cipher gets it: blanks and control characters cut
// from both ends.
std::string TrimKeyText(std::string_view text);
// Characters of a key text (UTF-8 sequences count once).
size_t KeyTextLength(std::string_view text);

// One key of the on-screen keyboard: its button number and the character
// it types (letters in upper case; the caps state picks the case).
struct TKeyButton {
  uint8_t Number;
  char Character;
};
inline constexpr size_t KeyButtonCount = 69;
extern const std::array<TKeyButton, KeyButtonCount> KeyButtons;

class TForm7 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;
  ui::TLabel* Label1 = nullptr;  // the prompt: encrypt or decrypt
  ui::TLabel* Label2 = nullptr;
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label5 = nullptr;  // "Chars:" counter
  ui::TEdit* Edit1 = nullptr;    // the key text
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TGroupBox* GroupBox2 = nullptr;
  ui::TComboBox* ComboBox1 = nullptr;  // generator key length
  ui::TButton* Button1 = nullptr;      // "Proceed with this KEY >>"
  ui::TButton* Button2 = nullptr;      // "Cancel"
  ui::TButton* Button3 = nullptr;      // "Start generator" / "Stop generator"
  ui::TButton* Button4 = nullptr;      // "Ready !"
  ui::TButton* Button18 = nullptr;     // "Clear all"
  ui::TButton* Button32 = nullptr;     // Backspace
  ui::TButton* Button49 = nullptr;     // "CAPS LOCK"
  // The keys of KeyButtons, in the same order (Button63 is the space bar).
  std::array<ui::TButton*, KeyButtonCount> Keys{};
  ui::TTimer* Timer1 = nullptr;  // key generator, 1 ms

  void FormShow();
  void Edit1KeyUp(uint16_t& key);
  void Edit1Change();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button18Click();
  void Button32Click();
  void Button49Click();
  // The handler of each key button: ButtonNClick for KeyButtons[Index].
  template <size_t Index>
  void KeyButtonClick() {
    AddKeyChar(KeyButtons[Index].Character);
  }
  void Timer1Timer();

  void RefreshKeyState();
  void AddKeyChar(char c);
  void KeepKeysInKeyBox();
  char ApplyCapsState(char c) const;

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void CaptionLetterKeys();
  void StopGenerator();
};

}  // namespace vek

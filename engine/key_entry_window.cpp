#include "engine/key_entry_window.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>
#include <utility>

#include "app/main_window.h"
#include "core/texts.h"
#include "engine/processing_window.h"
#include "platform/secret_string.h"
#include "platform/system.h"
#include "ui/text.h"

namespace vek {

namespace {

constexpr std::string_view CapsOnCaption = "CAPS LOCK";
constexpr std::string_view CapsOffCaption = "caps lock";
constexpr std::string_view GeneratorStartCaption = "Start generator";
constexpr std::string_view GeneratorStopCaption = "Stop generator";
constexpr std::string_view ReadyCaption = "Ready !";
constexpr std::string_view WaitCaption = "Wait then click";

// Generator states: warming up, counting to ready, then the two phases of
// the flashing "Ready !" button.
constexpr uint8_t GenStarted = 1;
constexpr uint8_t GenCounting = 2;
constexpr uint8_t GenShowReady = 3;
constexpr uint8_t GenShowWait = 4;
constexpr uint16_t GenReadyTicks = 100;
constexpr uint16_t GenFlashTicks = 50;

constexpr uint8_t PrintableFirst = 33;   // "!"
constexpr uint32_t PrintableCount = 94;  // "!" .. "~"

bool IsLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The text without its last character (a whole UTF-8 sequence when the
// text is UTF-8).
std::string WithoutLastCharacter(std::string text) {
  if (text.empty()) return text;
  const bool utf8 = ui::IsValidUtf8(text);
  text.pop_back();
  while (utf8 && !text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
    text.pop_back();
  }
  if (utf8 && !text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
  return text;
}

template <size_t... I>
void BindKeyButtons(TForm7* form, ui::TFormBinder& binder, std::index_sequence<I...>) {
  (binder.Control("Button" + std::to_string(KeyButtons[I].Number), form->Keys[I]), ...);
  (binder.Handler("Button" + std::to_string(KeyButtons[I].Number) + "Click", form,
                  &TForm7::KeyButtonClick<I>),
   ...);
}

}  // namespace

const std::array<TKeyButton, KeyButtonCount> KeyButtons = {{
    {5, '~'},  {6, '!'},   {7, '@'},  {8, '#'},  {9, '$'},  {10, '%'}, {11, '^'},  {12, '&'},
    {13, '*'}, {14, '('},  {15, ')'}, {16, '_'}, {17, '+'}, {19, '`'}, {20, '1'},  {21, '2'},
    {22, '3'}, {23, '4'},  {24, '5'}, {25, '6'}, {26, '7'}, {27, '8'}, {28, '9'},  {29, '0'},
    {30, '-'}, {31, '='},  {33, 'Q'}, {34, 'W'}, {35, 'E'}, {36, 'R'}, {37, 'T'},  {38, 'Y'},
    {39, 'U'}, {40, 'I'},  {41, 'O'}, {42, 'P'}, {43, '{'}, {44, '}'}, {45, '['},  {46, ']'},
    {47, '|'}, {48, '\\'}, {50, 'A'}, {51, 'S'}, {52, 'D'}, {53, 'F'}, {54, 'G'},  {55, 'H'},
    {56, 'J'}, {57, 'K'},  {58, 'L'}, {59, ':'}, {60, ';'}, {61, '"'}, {62, '\''}, {63, ' '},
    {64, 'Z'}, {65, 'X'},  {66, 'C'}, {67, 'V'}, {68, 'B'}, {69, 'N'}, {70, 'M'},  {71, '<'},
    {72, ','}, {73, '>'},  {74, '.'}, {75, '?'}, {76, '/'},
}};

uint8_t KeyLengthChoice(int index) {
  if (index < 0 || static_cast<size_t>(index) >= KeyLengthChoices.size())
    return KeyLengthChoices[0];
  return KeyLengthChoices[static_cast<size_t>(index)];
}

std::string TrimKeyText(std::string_view text) {
  return std::string(TrimBlanks(text));
}

size_t KeyTextLength(std::string_view text) {
  if (!ui::IsValidUtf8(text)) return text.size();
  size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

void TForm7::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label5", Label5);
  binder.Control("Edit1", Edit1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("GroupBox2", GroupBox2);
  binder.Control("ComboBox1", ComboBox1);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Control("Button4", Button4);
  binder.Control("Button18", Button18);
  binder.Control("Button32", Button32);
  binder.Control("Button49", Button49);
  binder.Control("Timer1", Timer1);
  BindKeyButtons(this, binder, std::make_index_sequence<KeyButtonCount>{});
  binder.Handler("FormShow", this, &TForm7::FormShow);
  binder.Handler("Edit1KeyUp", this, &TForm7::Edit1KeyUp);
  binder.Handler("Edit1Change", this, &TForm7::Edit1Change);
  binder.Handler("Button1Click", this, &TForm7::Button1Click);
  binder.Handler("Button2Click", this, &TForm7::Button2Click);
  binder.Handler("Button3Click", this, &TForm7::Button3Click);
  binder.Handler("Button4Click", this, &TForm7::Button4Click);
  binder.Handler("Button18Click", this, &TForm7::Button18Click);
  binder.Handler("Button32Click", this, &TForm7::Button32Click);
  binder.Handler("Button49Click", this, &TForm7::Button49Click);
  binder.Handler("Timer1Timer", this, &TForm7::Timer1Timer);
}

void TForm7::FormShow() {
  Edit1->SetText("");
  RefreshKeyState();
  Label5->SetCaption("Chars: 0");  // the design text, until the first key
  CapsOn = Button49->Caption() == CapsOnCaption;
  CaptionLetterKeys();
  Label1->SetCaption(RunMode == RunDecrypt
                         ? "Enter the KEY to decrypt the files in the job list :"
                         : "Enter the KEY to encrypt the files in the job list :");
  ComboBox1->SetItemIndex(0);
}

void TForm7::RefreshKeyState() {
  const platform::SecretString text(Edit1->Text());
  const size_t length = KeyTextLength(text);
  KeyLength = static_cast<uint8_t>(std::min(length, KeyTextMaxLength));
  Label5->SetCaption("Chars:" + std::to_string(length));
  Button32->SetEnabled(length > 0);
  Button18->SetEnabled(length > 0);
  // A key that trims to nothing would give the cipher no key at all.
  Button1->SetEnabled(length >= KeyTextMinLength && !TrimBlanks(text).empty());
}

char TForm7::ApplyCapsState(char c) const {
  if (!IsLetter(c)) return c;
  const auto u = static_cast<unsigned char>(c);
  return static_cast<char>(CapsOn ? std::toupper(u) : std::tolower(u));
}

void TForm7::AddKeyChar(char c) {
  const platform::SecretString text(Edit1->Text());
  // The key box holds 128 bytes, all of which the cipher uses; typed
  // characters outside ASCII take more than one.
  if (text.size() >= KeyTextMaxLength) return;
  const platform::SecretString longer(text.Text() + ApplyCapsState(c));
  Edit1->SetText(longer);
  RefreshKeyState();
  KeepKeysInKeyBox();
}

// A click on an on-screen key leaves the keyboard's keys with the key box.
void TForm7::KeepKeysInKeyBox() {
  Edit1->SetFocus();
}

void TForm7::Edit1KeyUp(uint16_t&) {
  RefreshKeyState();
}
void TForm7::Edit1Change() {
  RefreshKeyState();
}

void TForm7::Button18Click() {
  Edit1->SetText("");
  RefreshKeyState();
  KeepKeysInKeyBox();
}

void TForm7::Button32Click() {
  const platform::SecretString shorter(WithoutLastCharacter(Edit1->Text()));
  Edit1->SetText(shorter);
  RefreshKeyState();
  KeepKeysInKeyBox();
}

void TForm7::Button49Click() {
  CapsOn = !CapsOn;
  Button49->SetCaption(CapsOn ? CapsOnCaption : CapsOffCaption);
  CaptionLetterKeys();
  KeepKeysInKeyBox();
}

void TForm7::CaptionLetterKeys() {
  for (size_t i = 0; i < KeyButtonCount; ++i) {
    const char c = KeyButtons[i].Character;
    if (IsLetter(c)) Keys[i]->SetCaption(std::string(1, ApplyCapsState(c)));
  }
}

// The key entry's own calls (its text's copies and checks) leave pieces of
// the key on the stack: both ways out overwrite what lies below.
void TForm7::Button1Click() {
  StopGenerator();
  Hide();
  platform::WipeStackBelow();
  Form8->Show();
  Form8->BringToFront();
}

void TForm7::Button2Click() {
  StopGenerator();
  Hide();
  platform::WipeStackBelow();
  Form2->Show();
}

void TForm7::Button3Click() {
  if (Timer1->Enabled()) {
    StopGenerator();
    return;
  }
  CaptureNow();
  const int64_t days = (int64_t{NowYear} - 2002) * 372 + NowMonth * 31 + NowDay;
  platform::RandSeed = static_cast<uint32_t>((days * 86400 * 1000 + NowMSec) & 0xFFFFFFFF);
  KeyGenState = GenStarted;
  KeyGenTicks = 0;
  KeyGenBlink = false;
  Button3->SetCaption(GeneratorStopCaption);
  Timer1->SetEnabled(true);
}

void TForm7::Timer1Timer() {
  platform::RandSeed = platform::Random(0x7FFFFFFF);
  switch (KeyGenState) {
    case GenStarted:
      KeyGenState = GenCounting;
      break;
    case GenCounting:
      if (++KeyGenTicks >= GenReadyTicks) {
        Button4->SetEnabled(true);
        KeyGenTicks = 0;
        KeyGenState = GenShowReady;
      }
      break;
    case GenShowReady:
    case GenShowWait:
      if (++KeyGenTicks >= GenFlashTicks) {
        KeyGenTicks = 0;
        KeyGenBlink = !KeyGenBlink;
        KeyGenState = KeyGenBlink ? GenShowWait : GenShowReady;
        Button4->SetCaption(KeyGenBlink ? WaitCaption : ReadyCaption);
      }
      break;
    default:
      break;
  }
}

void TForm7::Button4Click() {
  StopGenerator();
  const uint8_t length = KeyLengthChoice(ComboBox1->ItemIndex());
  // Built in place: the key is held nowhere but here and in Edit1.
  for (uint8_t i = 0; i < length; ++i) {
    KeyGenBuffer.Chars[i] = static_cast<char>(PrintableFirst + platform::Random(PrintableCount));
  }
  KeyGenBuffer.Length = length;
  Edit1->SetText(KeyGenBuffer.Text());
  RefreshKeyState();
  std::fill(std::begin(KeyGenBuffer.Chars), std::end(KeyGenBuffer.Chars), 'X');
  KeyGenBuffer.Length = static_cast<uint8_t>(KeyTextMaxLength);
}

void TForm7::StopGenerator() {
  Timer1->SetEnabled(false);
  Button3->SetCaption(GeneratorStartCaption);
  Button4->SetEnabled(false);
  Button4->SetCaption(ReadyCaption);
}

}  // namespace vek

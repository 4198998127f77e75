#include "ui/detail/form_properties.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string_view>

#include "platform/files.h"
#include "ui/detail/control_extras.h"
#include "ui/form.h"

namespace ui::detail {

// --- PropValue -----------------------------------------------------------------------

void PropValue::Fail(const std::string& message) const {
  throw FormError(std::string(source_) + ":" + std::to_string(property_.line) + ": " + owner_ +
                  ": " + property_.name + ": " + message);
}

const FormValue& PropValue::Single(FormValue::Kind kind, const char* what) const {
  if (property_.values.size() != 1 || property_.values[0].kind != kind) {
    Fail(std::string("expects ") + what);
  }
  return property_.values[0];
}

int PropValue::Int(size_t index, size_t count) const {
  const auto& values = property_.values;
  bool numbers = values.size() == count;
  for (const FormValue& value : values) numbers = numbers && value.kind == FormValue::Kind::Number;
  if (!numbers)
    Fail(count == 1 ? "expects a whole number"
                    : "expects " + std::to_string(count) + " whole numbers");
  const int64_t number = values[index].number;
  if (number < INT_MIN || number > INT_MAX) Fail("number out of range");
  return static_cast<int>(number);
}

bool PropValue::Bool() const {
  return Single(FormValue::Kind::Bool, "true or false").flag;
}
std::string PropValue::String() const {
  return Single(FormValue::Kind::String, "a string").text;
}
std::string PropValue::Word() const {
  return Single(FormValue::Kind::Word, "a word").text;
}

std::vector<std::string> PropValue::Strings() const {
  std::vector<std::string> strings;
  for (const FormValue& value : property_.values) {
    if (value.kind != FormValue::Kind::String) Fail("expects strings");
    strings.push_back(value.text);
  }
  return strings;
}

std::vector<int> PropValue::Ints() const {
  std::vector<int> numbers;
  for (size_t i = 0; i < property_.values.size(); ++i) {
    numbers.push_back(Int(i, property_.values.size()));
  }
  return numbers;
}

TColor PropValue::Color() const {
  static const std::map<std::string_view, TColor> kNames = {
      {"clBlack", clBlack},     {"clWhite", clWhite},     {"clNavy", clNavy},
      {"clBlue", clBlue},       {"clRed", clRed},         {"clMaroon", clMaroon},
      {"clGreen", clGreen},     {"clYellow", clYellow},   {"clSilver", clSilver},
      {"clGray", clGray},       {"clBtnFace", clBtnFace}, {"clWindowText", clWindowText},
      {"clDefault", clDefault}, {"clWindow", 0xFFFFFF},   {"clAqua", 0x00FFFF},
      {"clLime", 0x00FF00},     {"clFuchsia", 0xFF00FF},  {"clPurple", 0x800080},
      {"clTeal", 0x008080},     {"clOlive", 0x808000},    {"clDkGray", 0x808080},
      {"clLtGray", 0xC0C0C0},
  };
  if (property_.values.size() == 1 && property_.values[0].kind == FormValue::Kind::Number) {
    const int64_t number = property_.values[0].number;
    if (number < 0 || number > 0xFFFFFF) Fail("a colour is 0xRRGGBB");
    return static_cast<TColor>(number);
  }
  const std::string name = Word();
  const auto it = kNames.find(name);
  if (it == kNames.end()) Fail("unknown colour \"" + name + "\"");
  return it->second;
}

char PropValue::Char() const {
  if (property_.values.size() == 1 && property_.values[0].kind == FormValue::Kind::Number) {
    const int code = Int();
    if (code < 0 || code > 255) Fail("a character code is 0 to 255");
    return static_cast<char>(code);
  }
  const std::string text = String();
  if (text.size() > 1) Fail("expects one character");
  return text.empty() ? '\0' : text[0];
}

uint32_t PropValue::Flags(std::initializer_list<std::pair<const char*, uint32_t>> names) const {
  uint32_t flags = 0;
  for (const FormValue& value : property_.values) {
    if (value.kind == FormValue::Kind::Number && value.number >= 0 && value.number <= UINT32_MAX) {
      flags |= static_cast<uint32_t>(value.number);
      continue;
    }
    bool known = false;
    for (const auto& [name, bit] : names) {
      if (value.kind == FormValue::Kind::Word && value.text == name) {
        flags |= bit;
        known = true;
      }
    }
    if (!known) Fail("\"" + value.text + "\" is not one of " + Choices(names));
  }
  return flags;
}

// --- property tables -----------------------------------------------------------------

namespace {

template <class C>
using Setters = std::map<std::string_view, void (*)(C&, const PropValue&)>;

template <class C>
bool TrySet(const Setters<C>& setters, TComponent& component, const PropValue& value) {
  auto* typed = dynamic_cast<C*>(&component);
  if (typed == nullptr) return false;
  const auto it = setters.find(value.Name());
  if (it == setters.end()) return false;
  it->second(*typed, value);
  return true;
}

ScrollBars ScrollBarsOf(const PropValue& v) {
  return v.Enum<ScrollBars>({{"None", ScrollBars::None},
                             {"Horizontal", ScrollBars::Horizontal},
                             {"Vertical", ScrollBars::Vertical},
                             {"Both", ScrollBars::Both}});
}

const Setters<TControl>& ControlSetters() {
  static const Setters<TControl> setters = {
      {"Left", [](TControl& c, const PropValue& v) { c.SetLeft(v.Int()); }},
      {"Top", [](TControl& c, const PropValue& v) { c.SetTop(v.Int()); }},
      {"Width", [](TControl& c, const PropValue& v) { c.SetWidth(v.Int()); }},
      {"Height", [](TControl& c, const PropValue& v) { c.SetHeight(v.Int()); }},
      {"Bounds",
       [](TControl& c, const PropValue& v) {
         c.SetBounds(v.Int(0, 4), v.Int(1, 4), v.Int(2, 4), v.Int(3, 4));
       }},
      {"Visible", [](TControl& c, const PropValue& v) { c.SetVisible(v.Bool()); }},
      {"Enabled", [](TControl& c, const PropValue& v) { c.SetEnabled(v.Bool()); }},
      {"Hint", [](TControl& c, const PropValue& v) { c.SetHint(v.String()); }},
      {"ShowHint", [](TControl& c, const PropValue& v) { c.SetShowHint(v.Bool()); }},
      {"Color", [](TControl& c, const PropValue& v) { c.SetColor(v.Color()); }},
      {"FontColor", [](TControl& c, const PropValue& v) { c.SetFontColor(v.Color()); }},
      {"FontBold", [](TControl& c, const PropValue& v) { c.SetFontBold(v.Bool()); }},
      {"FontItalic", [](TControl& c, const PropValue& v) { SetFontItalic(c, v.Bool()); }},
      {"FontUnderline", [](TControl& c, const PropValue& v) { SetFontUnderline(c, v.Bool()); }},
      {"FontSize", [](TControl& c, const PropValue& v) { SetFontSize(c, v.Int()); }},
      {"FontName", [](TControl& c, const PropValue& v) { SetFontName(c, v.String()); }},
  };
  return setters;
}

const Setters<TForm>& FormSetters() {
  static const Setters<TForm> setters = {
      {"Caption", [](TForm& f, const PropValue& v) { f.SetCaption(v.String()); }},
      {"ClientSize",
       [](TForm& f, const PropValue& v) { f.SetClientSize(v.Int(0, 2), v.Int(1, 2)); }},
      {"ClientWidth",
       [](TForm& f, const PropValue& v) { f.SetClientSize(v.Int(), f.ClientHeight()); }},
      {"ClientHeight",
       [](TForm& f, const PropValue& v) { f.SetClientSize(f.ClientWidth(), v.Int()); }},
      {"BorderStyle",
       [](TForm& f, const PropValue& v) {
         f.SetBorderStyle(v.Enum<TBorderStyle>({{"None", TBorderStyle::None},
                                                {"Single", TBorderStyle::Single},
                                                {"Dialog", TBorderStyle::Dialog},
                                                {"Sizeable", TBorderStyle::Sizeable}}));
       }},
      {"BorderIcons",
       [](TForm& f, const PropValue& v) {
         f.SetBorderIcons(v.Flags(
             {{"SystemMenu", biSystemMenu}, {"Minimize", biMinimize}, {"Maximize", biMaximize}}));
       }},
      {"FormStyle",
       [](TForm& f, const PropValue& v) {
         f.SetFormStyle(v.Enum<TFormStyle>(
             {{"Normal", TFormStyle::Normal}, {"StayOnTop", TFormStyle::StayOnTop}}));
       }},
  };
  return setters;
}

template <class C>
void SetCaptionOf(C& control, const PropValue& v) {
  control.SetCaption(v.String());
}

const Setters<TLabel>& LabelSetters() {
  static const Setters<TLabel> setters = {
      {"Caption", SetCaptionOf<TLabel>},
      {"Transparent", [](TLabel& c, const PropValue& v) { c.SetTransparent(v.Bool()); }},
      {"AutoSize", [](TLabel& c, const PropValue& v) { c.SetAutoSize(v.Bool()); }},
      {"WordWrap", [](TLabel& c, const PropValue& v) { SetLabelWordWrap(c, v.Bool()); }},
      {"Alignment",
       [](TLabel& c, const PropValue& v) {
         SetLabelAlignment(c, v.Enum<TextAlignment>({{"Left", TextAlignment::Left},
                                                     {"Right", TextAlignment::Right},
                                                     {"Center", TextAlignment::Center}}));
       }},
  };
  return setters;
}

const Setters<TButton>& ButtonSetters() {
  static const Setters<TButton> setters = {{"Caption", SetCaptionOf<TButton>}};
  return setters;
}

const Setters<TBitBtn>& BitBtnSetters() {
  static const Setters<TBitBtn> setters = {
      {"Glyph",
       [](TBitBtn& c, const PropValue& v) {
         if (!c.SetGlyph(v.String())) v.Fail("no picture \"" + v.String() + "\" in the program");
       }},
  };
  return setters;
}

const Setters<TEdit>& EditSetters() {
  static const Setters<TEdit> setters = {
      {"Text", [](TEdit& c, const PropValue& v) { c.SetText(v.String()); }},
      {"MaxLength", [](TEdit& c, const PropValue& v) { c.SetMaxLength(v.Int()); }},
      {"PasswordChar", [](TEdit& c, const PropValue& v) { c.SetPasswordChar(v.Char()); }},
      {"ReadOnly", [](TEdit& c, const PropValue& v) { c.SetReadOnly(v.Bool()); }},
      {"FixedPitch", [](TEdit& c, const PropValue& v) { c.SetFixedPitch(v.Bool()); }},
  };
  return setters;
}

const Setters<TMemo>& MemoSetters() {
  static const Setters<TMemo> setters = {
      {"Lines", [](TMemo& c, const PropValue& v) { c.SetLines(v.Strings()); }},
      {"ReadOnly", [](TMemo& c, const PropValue& v) { c.SetReadOnly(v.Bool()); }},
      {"ScrollBars", [](TMemo& c, const PropValue& v) { SetMemoScrollBars(c, ScrollBarsOf(v)); }},
      {"WordWrap", [](TMemo& c, const PropValue& v) { SetMemoWordWrap(c, v.Bool()); }},
      {"FixedPitch", [](TMemo& c, const PropValue& v) { SetFixedPitch(c, v.Bool()); }},
  };
  return setters;
}

const Setters<TListBox>& ListBoxSetters() {
  static const Setters<TListBox> setters = {
      {"Items",
       [](TListBox& c, const PropValue& v) {
         c.Clear();
         for (const std::string& item : v.Strings()) c.AddItem(item);
       }},
      {"ItemIndex", [](TListBox& c, const PropValue& v) { c.SetItemIndex(v.Int()); }},
      {"FixedPitch", [](TListBox& c, const PropValue& v) { SetFixedPitch(c, v.Bool()); }},
  };
  return setters;
}

const Setters<TCheckBox>& CheckBoxSetters() {
  static const Setters<TCheckBox> setters = {
      {"Caption", SetCaptionOf<TCheckBox>},
      {"Checked", [](TCheckBox& c, const PropValue& v) { c.SetChecked(v.Bool()); }},
  };
  return setters;
}

const Setters<TRadioButton>& RadioButtonSetters() {
  static const Setters<TRadioButton> setters = {
      {"Caption", SetCaptionOf<TRadioButton>},
      {"Checked", [](TRadioButton& c, const PropValue& v) { c.SetChecked(v.Bool()); }},
  };
  return setters;
}

const Setters<TGroupBox>& GroupBoxSetters() {
  static const Setters<TGroupBox> setters = {{"Caption", SetCaptionOf<TGroupBox>}};
  return setters;
}

const Setters<TPanel>& PanelSetters() {
  static const Setters<TPanel> setters = {
      {"BevelOuter",
       [](TPanel& c, const PropValue& v) {
         SetPanelBevel(c, v.Enum<Bevel>({{"None", Bevel::None},
                                         {"Raised", Bevel::Raised},
                                         {"Lowered", Bevel::Lowered}}));
       }},
  };
  return setters;
}

const Setters<TComboBox>& ComboBoxSetters() {
  static const Setters<TComboBox> setters = {
      {"Style",
       [](TComboBox& c, const PropValue& v) {
         c.SetStyle(v.Enum<TComboStyle>(
             {{"DropDown", TComboStyle::DropDown}, {"DropDownList", TComboStyle::DropDownList}}));
       }},
      {"Items", [](TComboBox& c, const PropValue& v) { c.SetItems(v.Strings()); }},
      {"ItemIndex", [](TComboBox& c, const PropValue& v) { c.SetItemIndex(v.Int()); }},
      {"Text", [](TComboBox& c, const PropValue& v) { c.SetText(v.String()); }},
      {"MaxLength", [](TComboBox& c, const PropValue& v) { c.SetMaxLength(v.Int()); }},
      {"DropDownCount", [](TComboBox& c, const PropValue& v) { c.SetDropDownCount(v.Int()); }},
  };
  return setters;
}

const Setters<TStringGrid>& StringGridSetters() {
  static const Setters<TStringGrid> setters = {
      {"ColCount", [](TStringGrid& c, const PropValue& v) { c.SetColCount(v.Int()); }},
      {"RowCount", [](TStringGrid& c, const PropValue& v) { c.SetRowCount(v.Int()); }},
      {"FixedRows",
       [](TStringGrid& c, const PropValue& v) {
         if (v.Int() < 0 || v.Int() > 1) v.Fail("a grid has 0 or 1 fixed rows");
         c.SetFixedRows(v.Int());
       }},
      {"FixedCols",
       [](TStringGrid& c, const PropValue& v) {
         if (v.Int() < 0 || v.Int() > 1) v.Fail("a grid has 0 or 1 fixed columns");
         c.SetFixedCols(v.Int());
       }},
      {"DefaultRowHeight",
       [](TStringGrid& c, const PropValue& v) { c.SetDefaultRowHeight(v.Int()); }},
      {"DefaultColWidth",
       [](TStringGrid& c, const PropValue& v) {
         for (int col = 0; col < c.ColCount(); ++col) c.SetColWidth(col, v.Int());
       }},
      {"ColWidths",
       [](TStringGrid& c, const PropValue& v) {
         const std::vector<int> widths = v.Ints();
         if (static_cast<int>(widths.size()) > c.ColCount()) v.Fail("more widths than columns");
         for (size_t col = 0; col < widths.size(); ++col)
           c.SetColWidth(static_cast<int>(col), widths[col]);
       }},
      {"ScrollBars",
       [](TStringGrid& c, const PropValue& v) { SetGridScrollBars(c, ScrollBarsOf(v)); }},
  };
  return setters;
}

const Setters<TTabbedNotebook>& NotebookSetters() {
  static const Setters<TTabbedNotebook> setters = {
      {"PageIndex",
       [](TTabbedNotebook& c, const PropValue& v) {
         if (v.Int() < 0 || v.Int() >= c.PageCount())
           v.Fail("no page of that index above this line");
         c.SetPageIndex(v.Int());
       }},
  };
  return setters;
}

// Min and Max widen the range as needed, so either may come first.
template <class Bar>
const Setters<Bar>& RangeSetters() {
  static const Setters<Bar> setters = {
      {"Min", [](Bar& c, const PropValue& v) { c.SetRange(v.Int(), std::max(v.Int(), c.Max())); }},
      {"Max", [](Bar& c, const PropValue& v) { c.SetRange(std::min(v.Int(), c.Min()), v.Int()); }},
      {"Position", [](Bar& c, const PropValue& v) { c.SetPosition(v.Int()); }},
  };
  return setters;
}

const Setters<TTrackBar>& TrackBarSetters() {
  static const Setters<TTrackBar> setters = {
      {"Frequency", [](TTrackBar& c, const PropValue& v) { SetTrackBarFrequency(c, v.Int()); }},
  };
  return setters;
}

const Setters<TProgressBar>& ProgressBarSetters() {
  // The style draws one kind of bar; the setting is taken and has no effect.
  static const Setters<TProgressBar> setters = {
      {"Smooth", [](TProgressBar&, const PropValue& v) { v.Bool(); }},
  };
  return setters;
}

const Setters<TDriveComboBox>& DriveComboSetters() {
  static const Setters<TDriveComboBox> setters = {
      {"TextCase",
       [](TDriveComboBox& c, const PropValue& v) {
         SetDriveTextUpperCase(c, v.Enum<bool>({{"Upper", true}, {"Lower", false}}));
       }},
  };
  return setters;
}

const Setters<TFileListBox>& FileListSetters() {
  static const Setters<TFileListBox> setters = {
      {"Mask", [](TFileListBox& c, const PropValue& v) { c.SetMask(v.String()); }},
      {"FileType",
       [](TFileListBox& c, const PropValue& v) {
         namespace attr = platform::attr;
         c.SetFileType(v.Flags({{"ReadOnly", attr::ReadOnly},
                                {"Hidden", attr::Hidden},
                                {"System", attr::System},
                                {"VolumeId", attr::VolumeId},
                                {"Directory", attr::Directory},
                                {"Archive", attr::Archive},
                                {"Normal", attr::Normal}}));
       }},
  };
  return setters;
}

const Setters<TImage>& ImageSetters() {
  static const Setters<TImage> setters = {
      {"Picture",
       [](TImage& c, const PropValue& v) {
         if (!c.LoadPicture(v.String())) v.Fail("no picture \"" + v.String() + "\" in the program");
       }},
      {"Stretch", [](TImage& c, const PropValue& v) { c.SetStretch(v.Bool()); }},
      {"Proportional", [](TImage& c, const PropValue& v) { c.SetProportional(v.Bool()); }},
      {"Center", [](TImage& c, const PropValue& v) { SetImageCenter(c, v.Bool()); }},
      {"Transparent", [](TImage& c, const PropValue& v) { c.SetTransparent(v.Bool()); }},
      {"AutoSize", [](TImage& c, const PropValue& v) { SetImageAutoSize(c, v.Bool()); }},
  };
  return setters;
}

const Setters<TTimer>& TimerSetters() {
  static const Setters<TTimer> setters = {
      {"Interval", [](TTimer& c, const PropValue& v) { c.SetInterval(v.Int()); }},
      {"Enabled", [](TTimer& c, const PropValue& v) { c.SetEnabled(v.Bool()); }},
  };
  return setters;
}

}  // namespace

bool SetProperty(TComponent& component, const PropValue& value) {
  return TrySet(TimerSetters(), component, value) || TrySet(FormSetters(), component, value) ||
         TrySet(LabelSetters(), component, value) || TrySet(BitBtnSetters(), component, value) ||
         TrySet(ButtonSetters(), component, value) || TrySet(EditSetters(), component, value) ||
         TrySet(MemoSetters(), component, value) || TrySet(ListBoxSetters(), component, value) ||
         TrySet(CheckBoxSetters(), component, value) ||
         TrySet(RadioButtonSetters(), component, value) ||
         TrySet(GroupBoxSetters(), component, value) || TrySet(PanelSetters(), component, value) ||
         TrySet(ComboBoxSetters(), component, value) ||
         TrySet(StringGridSetters(), component, value) ||
         TrySet(NotebookSetters(), component, value) ||
         TrySet(RangeSetters<TTrackBar>(), component, value) ||
         TrySet(TrackBarSetters(), component, value) ||
         TrySet(RangeSetters<TProgressBar>(), component, value) ||
         TrySet(ProgressBarSetters(), component, value) ||
         TrySet(DriveComboSetters(), component, value) ||
         TrySet(FileListSetters(), component, value) || TrySet(ImageSetters(), component, value) ||
         TrySet(ControlSetters(), component, value);
}

}  // namespace ui::detail

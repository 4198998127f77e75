// Loading and binding form descriptions, and how forms show, hide and close.
#include <gtest/gtest.h>

#include <QWidget>

#include <cctype>
#include <memory>
#include <string>

#include "sample_form.h"
#include "ui/application.h"
#include "ui/detail/form_parser.h"
#include "ui/text_fit.h"
#include "ui_test_support.h"

namespace {

using vektest::TSampleForm;

std::unique_ptr<TSampleForm> LoadSample() {
  auto form = std::make_unique<TSampleForm>();
  form->Load("sample");
  return form;
}

TEST(UiFormLoad, CreatesTheControlsFillsTheSlotsAndRunsCreate) {
  auto form = LoadSample();
  EXPECT_EQ(form->Name(), "SampleForm");
  EXPECT_EQ(form->ClassName(), "TSampleForm");
  EXPECT_EQ(form->Caption(), "Sample window");
  EXPECT_EQ(form->ClientWidth(), 400);
  EXPECT_EQ(form->ClientHeight(), 300);
  EXPECT_EQ(form->BorderStyle(), ui::TBorderStyle::Single);
  EXPECT_EQ(form->BorderIcons(), ui::biSystemMenu | ui::biMinimize);
  EXPECT_EQ(form->calls, std::vector<std::string>{"FormCreate"});
  EXPECT_FALSE(form->IsShown());

  ASSERT_NE(form->Edit1, nullptr);
  EXPECT_EQ(form->Find<ui::TEdit>("Edit1"), form->Edit1);
  EXPECT_EQ(form->FindTimer("Timer2"), form->Timer2);
  EXPECT_EQ(form->Edit1->Left(), 80);
  EXPECT_EQ(form->Edit1->Width(), 120);
  EXPECT_EQ(form->Edit1->MaxLength(), 5);
  EXPECT_EQ(form->RadioButton1->Parent(), form->GroupBox1);
  EXPECT_EQ(form->Memo1->Parent(), form->TabbedNotebook1->Page(0));
  EXPECT_EQ(form->Label1->Hint(), "First line\rsecond line");
  EXPECT_EQ(form->ComboBox1->ItemCount(), 3);
  EXPECT_EQ(form->ComboBox1->Item(1), "*.c   - C Source");
  EXPECT_EQ(form->ComboBox1->DropDownCount(), 9);
  EXPECT_EQ(form->StringGrid1->ColWidth(1), 120);
  EXPECT_EQ(form->Timer2->Interval(), 100);
  EXPECT_FALSE(form->Timer2->Enabled());
  EXPECT_TRUE(form->Image1->HasPicture());
  EXPECT_EQ(form->BitBtn1->Glyph(), "sample.jpg");
  EXPECT_EQ(form->Memo1->Lines(),
            (std::vector<std::string>{"line \"one\"", "tab\there", "caf\xE9"}));
  EXPECT_EQ(form->TabbedNotebook1->PageCount(), 2);
  EXPECT_EQ(form->TabbedNotebook1->PageCaption(0), "&First");
  EXPECT_EQ(form->AllControls().size(), 18u);
}

TEST(UiFormLoad, AFormLoadsOnlyOnce) {
  auto form = LoadSample();
  EXPECT_THROW(form->Load("sample"), ui::FormError);
}

TEST(UiFormLoad, AMissingResourceFails) {
  TSampleForm form;
  EXPECT_THROW(form.Load("no-such-form"), ui::FormError);
}

// A small form class for the failures: one button and two handlers.
class TMiniForm : public ui::TForm {
 public:
  ui::TButton* Button1 = nullptr;
  int clicks = 0;
  int closes = 0;

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override {
    binder.Control("Button1", Button1);
    binder.Handler("Button1Click", this, &TMiniForm::Button1Click);
    binder.Handler("FormClose", this, &TMiniForm::FormClose);
  }

 private:
  void Button1Click() { ++clicks; }
  void FormClose(ui::TCloseAction&) { ++closes; }
};

TEST(UiFormLoad, AFormCanShowItselfCentredAfterCreation) {
  TMiniForm form;
  form.LoadFromText(
      "form Mini : TMiniForm\n"
      "  ClientSize = 200 100\n"
      "  Position = ScreenCenter\n"
      "  Visible = true\n"
      "  control Button1 : TButton\n");
  EXPECT_TRUE(form.IsShown());
  // Centred by its size at creation, before the window system adds a frame.
  EXPECT_EQ(form.Left(), (ui::Screen->Width() - 200) / 2);
  EXPECT_EQ(form.Top(), (ui::Screen->Height() - 100) / 2);
}

constexpr const char* kMiniHeader = "form Mini : TMiniForm\n";

std::string LoadError(const std::string& text) {
  TMiniForm form;
  try {
    form.LoadFromText(text, "mini.form");
  } catch (const ui::FormError& error) {
    return error.what();
  }
  return "(loaded)";
}

struct FailureCase {
  const char* what;
  std::string body;     // after the form line
  const char* message;  // part of the error text, file and line included
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.what;
}

class UiFormLoadFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UiFormLoadFailure, FailsLoudlyNamingFileAndLine) {
  const FailureCase& c = GetParam();
  EXPECT_NE(LoadError(kMiniHeader + c.body).find(c.message), std::string::npos)
      << c.what << ": " << LoadError(kMiniHeader + c.body);
}

const std::string kButton = "  control Button1 : TButton\n";

INSTANTIATE_TEST_SUITE_P(
    Ui, UiFormLoadFailure,
    ::testing::Values(
        FailureCase{"unknown handler", kButton + "    OnClick = Button2Click\n",
                    "mini.form:3: OnClick of \"Button1\" names the handler \"Button2Click\""},
        FailureCase{
            "wrong signature", kButton + "    OnClick = FormClose\n",
            "mini.form:3: OnClick of \"Button1\": the handler \"FormClose\" must be void()"},
        FailureCase{"close handler on a click", "  OnClose = Button1Click\n" + kButton,
                    "must be void(TCloseAction&)"},
        FailureCase{"missing control", "  control Button2 : TButton\n",
                    "expects a component \"Button1\", which the description lacks"},
        FailureCase{"wrong kind", "  control Button1 : TLabel\n",
                    "\"Button1\" is not of the kind the class declares"},
        FailureCase{"unknown property", kButton + "    Colour = clRed\n",
                    "mini.form:3: Button1 (TButton): Colour: no such property"},
        FailureCase{"event the class lacks", kButton + "    OnKeyUp = Button1Click\n",
                    "OnKeyUp: no such property"},
        FailureCase{"unknown class", "  control Button1 : TSpinner\n",
                    "mini.form:2: unknown control class \"TSpinner\""},
        FailureCase{"wrong value type", kButton + "    Caption = 12\n",
                    "mini.form:3: Button1 (TButton): Caption: expects a string"},
        FailureCase{"four numbers", kButton + "    Bounds = 1 2 3\n", "expects 4 whole numbers"},
        FailureCase{"unknown enumeration", "  BorderStyle = Round\n" + kButton,
                    "\"Round\" is not one of None, Single, Dialog, Sizeable"},
        FailureCase{"duplicate name", kButton + kButton, "mini.form:3: a second component"},
        FailureCase{"page outside a notebook", kButton + "  page \"x\"\n",
                    "pages belong in a TTabbedNotebook"},
        FailureCase{"children of a button", kButton + "    control Label1 : TLabel\n",
                    "Button1 (TButton) holds no controls"},
        FailureCase{"missing picture",
                    kButton + "  control Image1 : TImage\n    Picture = \"x.jpg\"\n",
                    "mini.form:4: Image1 (TImage): Picture: no picture \"x.jpg\""},
        FailureCase{"syntax: no equals", kButton + "    Caption \"x\"\n",
                    "mini.form:3: expected \"=\""},
        FailureCase{"syntax: open string", kButton + "    Caption = \"x\n",
                    "mini.form:3: string not closed"},
        FailureCase{"syntax: open list", kButton + "  control C : TComboBox\n    Items = [\"a\"\n",
                    "mini.form:4: list not closed"},
        FailureCase{"syntax: odd indentation", kButton + "   Caption = \"x\"\n",
                    "mini.form:3: indentation is two blanks"},
        FailureCase{"syntax: too deep", "    Caption = \"x\"\n" + kButton,
                    "mini.form:2: indented deeper"},
        FailureCase{"syntax: bad escape", kButton + "    Caption = \"\\q\"\n",
                    "mini.form:3: unknown escape"}),
    [](const ::testing::TestParamInfo<FailureCase>& param) {
      std::string name;
      for (char c : std::string(param.param.what)) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      }
      return name;
    });

TEST(UiFormParser, ReadsValuesStringsAndLists) {
  const auto form = ui::detail::ParseFormDescription(
      "# heading comment\n"
      "form F : TF\n"
      "  A = \"a\\\"b\\\\c\\r\\n\\t\\x41\" \"joined\"  # comment after a value\n"
      "  B = 10 -3 0xFF true false Word\n"
      "  C = [\n"
      "    \"one\" \"more\", \"two\"\n"
      "    # a comment line inside\n"
      "    \"three\"\n"
      "  ]\n"
      "  D = []\n"
      "  control X : TLabel\n"
      "  E = 1\n",
      "f.form");
  ASSERT_EQ(form.properties.size(), 5u);
  using Kind = ui::detail::FormValue::Kind;
  const auto& a = form.properties[0].values;
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].text, "a\"b\\c\r\n\tAjoined");
  const auto& b = form.properties[1].values;
  ASSERT_EQ(b.size(), 6u);
  EXPECT_EQ(b[0].number, 10);
  EXPECT_EQ(b[1].number, -3);
  EXPECT_EQ(b[2].number, 255);
  EXPECT_TRUE(b[3].kind == Kind::Bool && b[3].flag);
  EXPECT_TRUE(b[4].kind == Kind::Bool && !b[4].flag);
  EXPECT_TRUE(b[5].kind == Kind::Word && b[5].text == "Word");
  const auto& c = form.properties[2].values;
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].text, "onemore");
  EXPECT_EQ(c[2].text, "three");
  EXPECT_EQ(form.properties[2].line, 5);
  EXPECT_TRUE(form.properties[3].values.empty());
  EXPECT_EQ(form.properties[4].childrenBefore, 1u);
  EXPECT_EQ(form.properties[4].line, 12);
}

TEST(UiFormShow, TheShowHandlerRunsOnlyWhenTheFormWasHidden) {
  auto form = LoadSample();
  form->Show();
  form->Show();
  EXPECT_TRUE(form->IsShown());
  EXPECT_TRUE(form->Button1->Showing());
  form->Hide();
  form->Hide();
  form->SetVisible(true);
  EXPECT_EQ(form->calls,
            (std::vector<std::string>{"FormCreate", "FormShow", "FormHide", "FormShow"}));
}

TEST(UiFormClose, TheCloseHandlerDecides) {
  auto form = LoadSample();
  form->Show();
  form->closeAnswer = ui::TCloseAction::None;
  EXPECT_FALSE(form->Close());
  EXPECT_TRUE(form->IsShown());
  form->Widget()->close();  // the window's close box
  EXPECT_TRUE(form->IsShown());
  EXPECT_EQ(form->Count("FormClose"), 2);

  form->closeAnswer = ui::TCloseAction::Hide;
  form->Widget()->close();
  EXPECT_FALSE(form->IsShown());
  EXPECT_EQ(form->Count("FormHide"), 1);
}

// A close from the window system: the window manager may send one to a
// window whose border asked for no close box.
TEST(UiFormClose, TheWindowSystemsCloseFollowsTheBorder) {
  struct Case {
    const char* border;
    bool closeBox;
    bool closes;      // the form's Close runs (and hides it)
    int requestRuns;  // the bound request handler ran
  };
  const Case cases[] = {
      {"  BorderStyle = Dialog\n  BorderIcons = SystemMenu\n", true, true, 0},
      {"  BorderStyle = Single\n  BorderIcons = SystemMenu Minimize\n", true, true, 0},
      {"  BorderStyle = Dialog\n  BorderIcons = []\n", false, false, 0},
      {"  BorderStyle = Single\n  BorderIcons = Minimize\n", false, false, 0},
      {"  BorderStyle = None\n", false, false, 0},
      {"  BorderStyle = Dialog\n  BorderIcons = []\n  OnCloseRequest = Button1Click\n", false,
       false, 1},
      {"  BorderStyle = Dialog\n  BorderIcons = SystemMenu\n  OnCloseRequest = Button1Click\n",
       true, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.border);
    TMiniForm form;
    form.LoadFromText(std::string(kMiniHeader) + c.border +
                      "  OnClose = FormClose\n  control Button1 : TButton\n");
    EXPECT_EQ(form.HasCloseBox(), c.closeBox);
    EXPECT_EQ((form.Widget()->windowFlags() & Qt::WindowCloseButtonHint) != 0, c.closeBox);
    form.Show();
    form.RequestClose();
    EXPECT_EQ(form.IsShown(), !c.closes);
    EXPECT_EQ(form.closes, c.closes ? 1 : 0);
    EXPECT_EQ(form.clicks, c.requestRuns);
    // The program's own close is not the window system's: it always asks the close handler.
    EXPECT_EQ(form.Close(), true);
    EXPECT_FALSE(form.IsShown());
  }
}

// Each text that needs more room than its control gives is named once;
// the same texts in roomy controls are not.
TEST(UiTextFit, TextsWiderThanTheirControlsAreNamed) {
  const auto describe = [](int w) {
    const std::string width = std::to_string(w);
    return std::string(kMiniHeader) + "  ClientSize = 400 300\n" +
           "  control Button1 : TButton\n    Bounds = 0 0 " + width +
           " 25\n    Caption = \"&Apply changes\"\n" +
           "  control Label1 : TLabel\n    AutoSize = false\n    Bounds = 0 30 " + width +
           " 13\n    Caption = \"Delay before pop-up :\"\n" +
           "  control Label2 : TLabel\n    Left = " + std::to_string(400 - w) +
           "\n    Top = 50\n    Caption = \"Runs past the edge of the form\"\n" +
           "  control CheckBox1 : TCheckBox\n    Bounds = 0 70 " + width +
           " 17\n    Caption = \"Show hints\"\n" +
           "  control RadioButton1 : TRadioButton\n    Bounds = 0 90 " + width +
           " 17\n    Caption = \"Single pass\"\n" +
           "  control GroupBox1 : TGroupBox\n    Bounds = 0 110 " + width +
           " 40\n    Caption = \" Screen lock : \"\n" +
           "  control TabbedNotebook1 : TTabbedNotebook\n    Bounds = 0 150 " +
           std::to_string(w * 2) + " 80\n    page \"&First page\"\n    page \"&Second page\"\n" +
           "  control StringGrid1 : TStringGrid\n    Bounds = 0 240 300 50\n    ColCount = 2\n" +
           "    FixedCols = 0\n    ColWidths = [" + width + ", 40]\n";
  };
  for (const int width : {40, 200}) {
    SCOPED_TRACE(width);
    TMiniForm form;
    form.LoadFromText(describe(width));
    form.Find<ui::TStringGrid>("StringGrid1")->SetCell(0, 0, "Attributes");
    const std::vector<std::string> unfit = ui::UnfitTexts(form);
    std::string named;
    for (const std::string& line : unfit) named += line.substr(0, line.find(' ')) + " ";
    EXPECT_EQ(named, width == 40 ? "Button1 Label1 Label2 CheckBox1 RadioButton1 GroupBox1 "
                                   "TabbedNotebook1 StringGrid1 "
                                 : "");
  }
}

TEST(UiFormWindow, MinimizesRestoresAndKeepsItsStyle) {
  auto form = LoadSample();
  form->Show();
  form->SendSysCommand(ui::SC_MINIMIZE);
  EXPECT_TRUE(form->Minimized());
  form->SendSysCommand(ui::SC_RESTORE);
  EXPECT_FALSE(form->Minimized());

  form->SetFormStyle(ui::TFormStyle::StayOnTop);
  form->SetBorderStyle(ui::TBorderStyle::Dialog);
  form->SetBorderIcons(0);
  const Qt::WindowFlags flags = form->Widget()->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(form->IsShown());
  EXPECT_EQ(form->ClientWidth(), 400);  // a dialog border keeps the client size

  form->BringToFront();
  form->SetLeft(30);
  form->SetTop(40);
  EXPECT_EQ(form->Left(), 30);
  EXPECT_EQ(form->Top(), 40);
}

class UiRunTest : public ::testing::Test {
 protected:
  void SetUp() override { vektest::RestartUiApplication(); }
  void TearDown() override { vektest::RestartUiApplication(); }
};

TEST_F(UiRunTest, ClosingTheMainFormEndsTheLoopWhateverOtherFormsSay) {
  TSampleForm* main = nullptr;
  TSampleForm* other = nullptr;
  ui::Application->CreateForm(main, "sample");
  ui::Application->CreateForm(other, "sample");
  EXPECT_EQ(ui::Application->MainForm(), main);
  EXPECT_EQ(ui::Application->Forms().size(), 2u);
  other->closeAnswer = ui::TCloseAction::None;
  other->Show();
  int64_t closedAt = -1;
  main->Timer1->OnTimer = [&] {
    closedAt = ui::clock::NowMs();
    main->Close();
  };
  EXPECT_TRUE(ui::Application->Run());
  EXPECT_TRUE(ui::Application->Terminated());
  EXPECT_EQ(closedAt, 100);
  EXPECT_EQ(main->Count("FormShow"), 1);
  EXPECT_EQ(other->Count("FormClose"), 0);
}

TEST_F(UiRunTest, ARefusedCloseKeepsTheLoopRunningToItsLimit) {
  TSampleForm* main = nullptr;
  ui::Application->CreateForm(main, "sample");
  main->closeAnswer = ui::TCloseAction::None;
  main->Timer1->OnTimer = [&] { main->Close(); };
  EXPECT_FALSE(ui::Application->Run(1000));
  EXPECT_EQ(main->Count("FormClose"), 10);
  EXPECT_EQ(ui::clock::NowMs(), 1000);
}

}  // namespace

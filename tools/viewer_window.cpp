#include "tools/viewer_window.h"

#include "core/texts.h"
#include "platform/shell.h"
#include "tools/shell_targets.h"

namespace vek {

void TForm16::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("GroupBox2", GroupBox2);
  binder.Control("GroupBox3", GroupBox3);
  binder.Control("Label17", Label17);
  binder.Control("Label18", Label18);
  binder.Control("Label19", Label19);
  binder.Control("Label20", Label20);
  binder.Control("Label21", Label21);
  binder.Control("Label22", Label22);
  binder.Control("Label23", Label23);
  binder.Control("Label24", Label24);
  binder.Control("Label25", Label25);
  binder.Control("Label26", Label26);
  binder.Control("Label27", Label27);
  binder.Control("Label28", Label28);
  binder.Control("Label29", Label29);
  binder.Control("Label30", Label30);
  binder.Control("Label31", Label31);
  binder.Control("Label32", Label32);
  binder.Control("Label33", Label33);
  binder.Control("Label34", Label34);
  binder.Control("Button1", Button1);
  binder.Handler("FormShow", this, &TForm16::FormShow);
  binder.Handler("Label23Click", this, &TForm16::Label23Click);
  binder.Handler("Label24Click", this, &TForm16::Label24Click);
  binder.Handler("Button1Click", this, &TForm16::Button1Click);
}

std::string TForm16::ValueOrNA(std::string_view text) {
  return text.empty() ? std::string("N/A") : std::string(text);
}

namespace {

std::string VersionText(const TVersionBytes& version) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]);
}

std::string EncryptionTimeText(const TCurrentFile& file) {
  if (!file.HasTimestamp) return "N/A";
  const TTimestampFields& t = file.Timestamp;
  if (t.Year == 0) return "N/A (To be determined at encryption time)";
  return FormatDateText(t.DayOfWeek, t.Day, true, t.Year, t.Month) + ", " +
         FormatTimeText(t.Hour, t.Minute, true, t.Second);
}

// A clickable label is enabled and shows its hint; any other is greyed.
void SetClickable(ui::TLabel* label, bool clickable, const std::string& hint) {
  label->SetEnabled(clickable);
  label->SetShowHint(clickable);
  if (clickable) label->SetHint(hint);
}

// The location is opened only when it is a web or ftp address or an
// existing folder: anything else could start a program.
bool LocationOpens(std::string_view location) {
  return IsWebAddress(location, true) || IsExistingFolder(location);
}

// An address shown as "N/A" is no address.
bool EmailOpens(std::string_view email) {
  return email != "N/A" && IsPlainEmailAddress(email);
}

}  // namespace

void TForm16::FormShow() {
  const TCurrentFile& file = ViewerRecord;
  const TEmbeddedData& owner = file.Owner;
  SetCaption("More information on VEK file : " + file.Name);

  Label17->SetCaption(EncryptionTimeText(file));
  Label18->SetCaption(SizeToText(file.ContentSize));
  Label19->SetCaption(file.PreserveAttributes ? "Yes" : "No");
  Label20->SetCaption(file.PreserveAttributes
                          ? AttributesToText(static_cast<uint16_t>(file.Attributes), true)
                          : std::string("N/A"));

  const bool noName = owner.OwnerFirstName.Empty() && owner.OwnerLastName.Empty();
  Label21->SetCaption(noName ? std::string("N/A")
                             : std::string(owner.OwnerFirstName.Text()) + " " +
                                   std::string(owner.OwnerLastName.Text()));
  Label22->SetCaption(ValueOrNA(owner.OwnerCompany.Text()));

  const std::string_view location = owner.OwnerLocation.Text();
  Label23->SetCaption(ValueOrNA(location));
  SetClickable(Label23, location != "None" && LocationOpens(location),
               "Click to visit " + std::string(location));

  const std::string_view email = owner.OwnerEmail.Text();
  Label24->SetCaption(ValueOrNA(email));
  SetClickable(Label24, EmailOpens(email), "Click to E-mail " + std::string(email));

  Label25->SetCaption(ValueOrNA(owner.InfoLines[0].Text()));
  Label26->SetCaption(ValueOrNA(owner.InfoLines[1].Text()));
  Label27->SetCaption(ValueOrNA(owner.InfoLines[2].Text()));
  Label28->SetCaption(ValueOrNA(file.ProductLine));
  Label29->SetCaption(VersionText(file.SoftwareVersion));
  Label30->SetCaption(VersionText(file.FileFormatVersion));

  if (file.HasWindowsInfo) {
    Label31->SetCaption(ValueOrNA(file.WindowsVersionText) + " [" + file.ProductId + "]");
    Label32->SetCaption(ValueOrNA(file.RegisteredOwner));
    Label33->SetCaption(ValueOrNA(file.RegisteredOrganization));
    Label34->SetCaption(ValueOrNA(file.ComputerName));
  } else {
    for (ui::TLabel* label : {Label31, Label32, Label33, Label34}) label->SetCaption("N/A");
  }
}

// The labels hold what was shown, so a record refilled behind an open
// viewer is never what a click opens.
void TForm16::Label23Click() {
  const std::string& location = Label23->Caption();
  if (LocationOpens(location)) platform::ShellExecute("open", location);
}

void TForm16::Label24Click() {
  const std::string& email = Label24->Caption();
  if (EmailOpens(email)) platform::ShellExecute("", "mailto:" + email);
}

void TForm16::Button1Click() {
  Hide();
}

}  // namespace vek

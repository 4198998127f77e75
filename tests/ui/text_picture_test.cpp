// Program texts on screen, JPEG pictures and message boxes.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <set>
#include <string>

#include "jpeg_writer.h"
#include "sample_form.h"
#include "ui/dialogs.h"
#include "ui/picture.h"
#include "ui/text.h"
#include "ui_test_support.h"

namespace {

TEST(UiText, RecognisesUtf8) {
  EXPECT_TRUE(ui::IsValidUtf8(""));
  EXPECT_TRUE(ui::IsValidUtf8("plain"));
  EXPECT_TRUE(ui::IsValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(ui::IsValidUtf8("caf\xE9"));           // a Windows-1252 byte
  EXPECT_FALSE(ui::IsValidUtf8("\xC3"));              // cut short
  EXPECT_FALSE(ui::IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(ui::IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(ui::IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

TEST(UiText, ShowsOtherBytesAsWindows1252) {
  EXPECT_EQ(ui::DisplayText("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(ui::DisplayText("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(ui::DisplayText("\x80 \x9F \xFF"), "\xE2\x82\xAC \xC5\xB8 \xC3\xBF");
  EXPECT_EQ(ui::DisplayText("\x81"), "\xC2\x81");  // undefined in the code page
  EXPECT_EQ(ui::DisplayText(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(UiText, StripsMnemonics) {
  EXPECT_EQ(ui::StripMnemonic("&Open"), "Open");
  EXPECT_EQ(ui::StripMnemonic("Save &as.."), "Save as..");
  EXPECT_EQ(ui::StripMnemonic("Fish && &Chips"), "Fish & Chips");
  EXPECT_EQ(ui::StripMnemonic("end&"), "end");
}

TEST(UiText, ControlsShowWindows1252AndGiveBackWhatWasSetUntilEdited) {
  vektest::TSampleForm form;
  form.Load("sample");
  form.Show();
  form.Edit1->SetText("\xE9t\xE9");
  EXPECT_EQ(form.Edit1->Widget()->property("text").toString(),
            QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(form.Edit1->Text(), "\xE9t\xE9");
  form.Edit1->PressKey(ui::VK_BACK);  // what the user changed comes back as UTF-8
  EXPECT_EQ(form.Edit1->Text(), "\xC3\xA9t");
  form.ComboBox1->SetStyle(ui::TComboStyle::DropDown);
  form.ComboBox1->SetText("\xE9t\xE9");
  EXPECT_EQ(form.ComboBox1->Text(), "\xE9t\xE9");
  form.ComboBox1->TypeText("s");
  EXPECT_EQ(form.ComboBox1->Text(), "\xC3\xA9t\xC3\xA9s");
  form.Edit1->SetText("\xE2\x82\xAC");
  EXPECT_EQ(form.Edit1->Text(), "\xE2\x82\xAC");
  // Texts the program keeps come back as it gave them.
  form.ComboBox1->AddItem("\x80 price");
  EXPECT_EQ(form.ComboBox1->Item(3), "\x80 price");
  EXPECT_EQ(form.Memo1->Line(2), "caf\xE9");
  form.StringGrid1->SetCell(0, 1, "\xE9");
  EXPECT_EQ(form.StringGrid1->Cell(0, 1), "\xE9");
  // Wiped texts: NUL characters survive the round trip.
  form.Edit1->SetText(std::string(128, '\0'));
  EXPECT_EQ(form.Edit1->Text(), std::string(128, '\0'));
}

TEST(UiPicture, DecodesAJpeg) {
  const auto picture = ui::DecodeJpeg(vektest::GradientJpeg(32, 16), false);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->Width, 32);
  EXPECT_EQ(picture->Height, 16);
  ASSERT_EQ(picture->Pixels.size(), 32u * 16u);
  EXPECT_EQ(picture->PaletteSize, 0);
  const auto channel = [&](int x, int y, int shift) {
    return static_cast<int>((picture->Pixels[static_cast<size_t>(y * 32 + x)] >> shift) & 0xFF);
  };
  EXPECT_EQ(picture->Pixels[0] >> 24, 0xFFu);
  EXPECT_NEAR(channel(0, 0, 16), 0, 12);  // red rises to the right
  EXPECT_NEAR(channel(31, 0, 16), 255, 12);
  EXPECT_NEAR(channel(0, 0, 8), 0, 12);  // green rises downwards
  EXPECT_NEAR(channel(0, 15, 8), 255, 12);
  EXPECT_NEAR(channel(10, 10, 0), 64, 12);
}

TEST(UiPicture, QuantisesToAPalette) {
  const auto picture = ui::DecodeJpeg(vektest::GradientJpeg(64, 64), true);
  ASSERT_TRUE(picture.has_value());
  EXPECT_GT(picture->PaletteSize, 1);
  EXPECT_LE(picture->PaletteSize, 256);
  std::set<uint32_t> colours(picture->Pixels.begin(), picture->Pixels.end());
  EXPECT_LE(colours.size(), static_cast<size_t>(picture->PaletteSize));
}

TEST(UiPicture, ABadJpegFailsCleanly) {
  auto bytes = vektest::GradientJpeg(32, 32);
  EXPECT_FALSE(ui::DecodeJpeg({}, false).has_value());
  EXPECT_FALSE(ui::DecodeJpeg({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}, false).has_value());
  bytes.resize(bytes.size() / 3);  // cut inside the scan data
  const auto cut = ui::DecodeJpeg(bytes, false);
  if (cut) {
    EXPECT_EQ(cut->Width, 32);  // libjpeg fills the missing part of a cut picture
  }
  std::vector<uint8_t> header = vektest::GradientJpeg(8, 8);
  header.resize(20);
  EXPECT_FALSE(ui::DecodeJpeg(header, true).has_value());
}

namespace {

std::vector<uint8_t> PngOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return {bytes.begin(), bytes.end()};
}

// An icon file's directory entry for `size` bytes at `offset`.
void PutIconEntry(std::vector<uint8_t>& icon, uint32_t size, uint32_t offset) {
  const uint8_t head[8] = {0, 0, 0, 0, 1, 0, 32, 0};
  icon.insert(icon.end(), head, head + 8);
  for (const uint32_t value : {size, offset}) {
    for (int shift = 0; shift < 32; shift += 8)
      icon.push_back(static_cast<uint8_t>(value >> shift));
  }
}

}  // namespace

TEST(UiPicture, ScalesAPngOrTheLargestIconPictureIntoATransparentSquare) {
  QImage wide(8, 4, QImage::Format_ARGB32);
  wide.fill(Qt::red);
  QImage small(2, 2, QImage::Format_ARGB32);
  small.fill(Qt::blue);
  const std::vector<uint8_t> widePng = PngOf(wide), smallPng = PngOf(small);
  // Three entries: one pointing past the end, the small picture, the wide one.
  std::vector<uint8_t> icon = {0, 0, 1, 0, 3, 0};
  const auto start = static_cast<uint32_t>(6 + 3 * 16);
  PutIconEntry(icon, 100, 0xFFFFFF00u);
  PutIconEntry(icon, static_cast<uint32_t>(smallPng.size()), start);
  PutIconEntry(icon, static_cast<uint32_t>(widePng.size()),
               start + static_cast<uint32_t>(smallPng.size()));
  icon.insert(icon.end(), smallPng.begin(), smallPng.end());
  icon.insert(icon.end(), widePng.begin(), widePng.end());

  for (const auto& bytes : {widePng, icon}) {
    const auto png = ui::ScaledPng(bytes, 16);
    ASSERT_TRUE(png);
    const QImage square = QImage::fromData(png->data(), static_cast<int>(png->size()), "PNG");
    ASSERT_EQ(square.size(), QSize(16, 16));
    EXPECT_EQ(square.pixelColor(8, 8), QColor(Qt::red));  // the picture, 16 x 8, in the middle
    EXPECT_EQ(square.pixelColor(8, 1).alpha(), 0);        // above it nothing
    EXPECT_EQ(square.pixelColor(8, 14).alpha(), 0);
  }
  std::vector<uint8_t> cut(icon.begin(), icon.begin() + 20);  // the directory ends early
  EXPECT_FALSE(ui::ScaledPng(cut, 16));
  EXPECT_FALSE(ui::ScaledPng({'n', 'o', 'n', 'e'}, 16));
  EXPECT_FALSE(ui::ScaledPng(widePng, 0));
}

TEST(UiPicture, ComesFromTheProgramsResources) {
  EXPECT_TRUE(ui::PictureResource("sample.jpg").has_value());
  EXPECT_TRUE(ui::PictureResource("sample").has_value());
  EXPECT_FALSE(ui::PictureResource("missing.jpg").has_value());

  EXPECT_FALSE(ui::QuantizePictures());  // the test display has true colour
  ui::ForceQuantizeForTest(true);
  EXPECT_TRUE(ui::QuantizePictures());
  vektest::TSampleForm form;
  form.Load("sample");
  EXPECT_TRUE(form.Image1->HasPicture());
  EXPECT_FALSE(form.Image1->LoadPicture("missing.jpg"));
  EXPECT_EQ(form.Image1->Picture(), "sample.jpg");
  ui::ForceQuantizeForTest(false);
}

TEST(UiDialogs, AnswersComeFromTheScript) {
  ui::dialogs_for_test::Expect(ui::mrYes, "overwrite");
  ui::dialogs_for_test::Expect(ui::mrOk);
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 2);
  EXPECT_EQ(ui::MessageDlg("File exists: overwrite?", ui::TMsgDlgType::Confirmation,
                           ui::mbYes | ui::mbNo),
            ui::mrYes);
  EXPECT_EQ(ui::MessageDlg("Done", ui::TMsgDlgType::Information, ui::mbOK), ui::mrOk);
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_EQ(ui::dialogs_for_test::Shown(),
            (std::vector<std::string>{"File exists: overwrite?", "Done"}));
}

TEST(UiDialogs, AnUnexpectedDialogGoesToTheHandlerAtOnce) {
  std::vector<std::string> unexpected;
  ui::dialogs_for_test::SetUnexpectedHandler([&](const std::string& text) {
    unexpected.push_back(text);
    return ui::mrRetry;
  });
  ui::dialogs_for_test::Expect(ui::mrOk, "disk");
  EXPECT_EQ(ui::MessageDlg("Read fault", ui::TMsgDlgType::Error, ui::mbRetry | ui::mbCancel),
            ui::mrRetry);  // not the scripted one: its text does not match
  EXPECT_EQ(ui::MessageDlg("There is no disk in drive A:", ui::TMsgDlgType::Error, ui::mbOK),
            ui::mrOk);
  EXPECT_EQ(ui::MessageDlg("Again", ui::TMsgDlgType::Warning, ui::mbOK), ui::mrRetry);
  EXPECT_EQ(unexpected, (std::vector<std::string>{"Read fault", "Again"}));
  vektest::FailOnUnexpectedDialogs();
}

TEST(UiDialogs, AnUnexpectedDialogFailsTheTestInsteadOfWaiting) {
  EXPECT_NONFATAL_FAILURE(ui::MessageDlg("Surprise", ui::TMsgDlgType::Warning, ui::mbOK),
                          "a message box nobody expected: \"Surprise\"");
}

}  // namespace

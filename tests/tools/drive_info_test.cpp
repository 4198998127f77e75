#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/texts.h"
#include "platform/drives.h"
#include "program_fixture.h"
#include "tools/drive_info_window.h"

namespace {

using vek::Form14;

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// A fixed NTFS-like disk: 40 GB, 10 GB used, 4096-byte clusters.
platform::FakeDrive FortyGigabyteDisk() {
  platform::FakeDrive drive;
  drive.Type = platform::drive::Fixed;
  drive.Space = platform::DiskFreeSpace{8, 512, 7864320, 10485760};
  drive.SpaceEx = platform::DiskFreeSpaceEx{30 * kGiB, 40 * kGiB, 30 * kGiB};
  platform::VolumeInformation volume;
  volume.SerialNumber = 0x001A2B3C;
  volume.MaxComponentLength = 255;
  volume.FileSystemName = "NTFS";
  drive.Volume = volume;
  return drive;
}

class ToolsDriveInfoTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    vek::Form2->DriveComboBox1->SetDrive('C');
  }
  static void ShowFor(const platform::FakeDrive& drive) {
    platform::SetFakeDrive('C', drive);
    Form14->Hide();
    Form14->Show();
  }
  static std::vector<ui::TImage*> Pictures() {
    return {Form14->Image2, Form14->Image3, Form14->Image4,
            Form14->Image5, Form14->Image6, Form14->Image7};
  }
  static std::vector<ui::TLabel*> CapabilityLabels() {
    return {Form14->Label36, Form14->Label37, Form14->Label38, Form14->Label40,
            Form14->Label27, Form14->Label28, Form14->Label29, Form14->Label30,
            Form14->Label42, Form14->Label44, Form14->Label46, Form14->Label48};
  }
  static void ExpectNoFigures() {
    for (ui::TLabel* label :
         {Form14->Label6, Form14->Label8, Form14->Label9, Form14->Label10, Form14->Label22,
          Form14->Label23, Form14->Label32, Form14->Label24, Form14->Label25, Form14->Label26}) {
      EXPECT_EQ(label->Caption(), "N/A") << label->Name();
    }
    EXPECT_EQ(Form14->ProgressBar1->Position(), 0);
  }
};

TEST_F(ToolsDriveInfoTest, AFixedDiskOf40GigabytesWith10Used) {
  ShowFor(FortyGigabyteDisk());
  EXPECT_EQ(Form14->Caption(),
            "VEK 2003 - Information about Drive " + vek::Form2->DriveComboBox1->Text());
  EXPECT_EQ(Form14->Label7->Caption(), "Hard disk - [NTFS]");
  EXPECT_EQ(Form14->Label21->Caption(), "001A2B3C");
  EXPECT_EQ(Form14->Label8->Caption(), vek::SizeToText(10 * kGiB) + " - (25%)");
  EXPECT_EQ(Form14->Label9->Caption(), vek::SizeToText(30 * kGiB) + " - (75%)");
  EXPECT_EQ(Form14->Label10->Caption(), vek::SizeToText(40 * kGiB) + " - (100%)");
  EXPECT_EQ(Form14->Label6->Caption(), "25%");
  EXPECT_EQ(Form14->ProgressBar1->Position(), 25);
  EXPECT_EQ(Form14->Label22->Caption(), "512");
  EXPECT_EQ(Form14->Label23->Caption(), "8");
  EXPECT_EQ(Form14->Label32->Caption(), "4096 (4.00 KB)");
  EXPECT_EQ(Form14->Label24->Caption(), "2621440");
  EXPECT_EQ(Form14->Label25->Caption(), "7864320");
  EXPECT_EQ(Form14->Label26->Caption(), "10485760");
  for (ui::TImage* picture : Pictures()) {
    EXPECT_EQ(picture->Visible(), picture == Form14->Image3) << picture->Name();
  }
  Screenshot(Form14, "tools_drive_info");
}

TEST_F(ToolsDriveInfoTest, KindNamesAndPictures) {
  const std::vector<std::pair<uint32_t, std::string>> kinds = {
      {platform::drive::Unknown, "Unknown"},
      {platform::drive::NoRootDir, "Unformatted media"},
      {platform::drive::Removable, "Backup media"},
      {platform::drive::Fixed, "Hard disk"},
      {platform::drive::Remote, "Network"},
      {platform::drive::CdRom, "CD/DVD-ROM"},
      {platform::drive::RamDisk, "RAM disk"}};
  for (const auto& [type, name] : kinds) {
    SCOPED_TRACE(name);
    platform::FakeDrive drive = FortyGigabyteDisk();
    drive.Type = type;
    ShowFor(drive);
    EXPECT_EQ(Form14->Label7->Caption(), name + " - [NTFS]");
    const std::vector<ui::TImage*> pictures = Pictures();
    for (size_t i = 0; i < pictures.size(); ++i) {
      EXPECT_EQ(pictures[i]->Visible(), i + 2 == type) << pictures[i]->Name();
    }
  }
}

TEST_F(ToolsDriveInfoTest, AFatVolumeIsShownAsFat12) {
  platform::FakeDrive drive = FortyGigabyteDisk();
  drive.Volume->FileSystemName = "FAT";
  ShowFor(drive);
  EXPECT_EQ(Form14->Label7->Caption(), "Hard disk - [FAT12]");
}

TEST_F(ToolsDriveInfoTest, ClusterSizesFrom1024OnCarryTheirSizeText) {
  const std::vector<std::pair<uint32_t, std::string>> cases = {
      {512, "512"}, {1024, "1024 (" + vek::SizeToText(1024) + ")"}, {4096, "4096 (4.00 KB)"}};
  for (const auto& [bytesPerSector, shown] : cases) {
    platform::FakeDrive drive = FortyGigabyteDisk();
    drive.Space = platform::DiskFreeSpace{1, bytesPerSector, 10, 20};
    ShowFor(drive);
    EXPECT_EQ(Form14->Label32->Caption(), shown);
  }
}

// Each capability on its own, so that two swapped labels show.
TEST_F(ToolsDriveInfoTest, EachCapabilityLightsItsOwnLabel) {
  namespace f = platform::fsflag;
  const std::vector<std::pair<uint32_t, ui::TLabel*>> cases = {
      {f::CasePreservedNames, Form14->Label36},    {f::CaseSensitiveSearch, Form14->Label37},
      {f::UnicodeOnDisk, Form14->Label38},         {f::PersistentAcls, Form14->Label40},
      {f::FileCompression, Form14->Label27},       {f::VolumeIsCompressed, Form14->Label28},
      {f::SupportsEncryption, Form14->Label30},    {f::SupportsObjectIds, Form14->Label42},
      {f::SupportsReparsePoints, Form14->Label44}, {f::SupportsSparseFiles, Form14->Label46},
      {f::VolumeQuotas, Form14->Label48}};
  for (const auto& [flag, label] : cases) {
    SCOPED_TRACE(label->Name());
    platform::FakeDrive drive = FortyGigabyteDisk();
    drive.Volume->FileSystemFlags = flag;
    ShowFor(drive);
    for (ui::TLabel* each : CapabilityLabels()) {
      // Long file names come with the 255-character names of every case.
      const bool on = each == label || each == Form14->Label29;
      EXPECT_EQ(each->Caption(), on ? "Yes" : "No") << each->Name();
    }
  }
  platform::FakeDrive shortNames = FortyGigabyteDisk();
  shortNames.Volume->MaxComponentLength = 12;
  ShowFor(shortNames);
  for (ui::TLabel* each : CapabilityLabels()) EXPECT_EQ(each->Caption(), "No") << each->Name();
}

TEST_F(ToolsDriveInfoTest, ADriveWithoutFiguresShowsNA) {
  platform::FakeDrive drive = FortyGigabyteDisk();
  drive.Space.reset();
  drive.SpaceEx.reset();
  drive.Volume.reset();
  ShowFor(drive);
  ExpectNoFigures();
  EXPECT_EQ(Form14->Label21->Caption(), "00000000");
  EXPECT_EQ(Form14->Label7->Caption(), "Hard disk - []");
}

TEST_F(ToolsDriveInfoTest, EveryShowStartsAfresh) {
  ShowFor(FortyGigabyteDisk());
  platform::FakeDrive empty;
  empty.Type = platform::drive::NoRootDir;
  ShowFor(empty);
  ExpectNoFigures();
  EXPECT_EQ(Form14->Label7->Caption(), "Unformatted media - []");
  for (ui::TImage* picture : Pictures()) EXPECT_FALSE(picture->Visible()) << picture->Name();

  Form14->Button1->Click();
  EXPECT_FALSE(Form14->IsShown());
}

}  // namespace

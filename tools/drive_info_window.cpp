#include "tools/drive_info_window.h"

#include <cstdint>
#include <string>
#include <utility>

#include "app/main_window.h"
#include "core/system_info.h"
#include "core/texts.h"

namespace vek {

void TForm14::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Label7", Label7);
  binder.Control("Label8", Label8);
  binder.Control("Label9", Label9);
  binder.Control("Label10", Label10);
  binder.Control("ProgressBar1", ProgressBar1);
  binder.Control("Label6", Label6);
  binder.Control("Image2", Image2);
  binder.Control("Image3", Image3);
  binder.Control("Image4", Image4);
  binder.Control("Image5", Image5);
  binder.Control("Image6", Image6);
  binder.Control("Image7", Image7);
  binder.Control("GroupBox2", GroupBox2);
  binder.Control("Label21", Label21);
  binder.Control("Label22", Label22);
  binder.Control("Label23", Label23);
  binder.Control("Label32", Label32);
  binder.Control("Label24", Label24);
  binder.Control("Label25", Label25);
  binder.Control("Label26", Label26);
  binder.Control("Label36", Label36);
  binder.Control("Label37", Label37);
  binder.Control("Label38", Label38);
  binder.Control("Label40", Label40);
  binder.Control("Label27", Label27);
  binder.Control("Label28", Label28);
  binder.Control("Label29", Label29);
  binder.Control("Label30", Label30);
  binder.Control("Label42", Label42);
  binder.Control("Label44", Label44);
  binder.Control("Label46", Label46);
  binder.Control("Label48", Label48);
  binder.Control("Button1", Button1);
  binder.Handler("FormShow", this, &TForm14::FormShow);
  binder.Handler("Button1Click", this, &TForm14::Button1Click);
}

namespace {

constexpr int64_t ClusterSizeTextFrom = 1024;  // bytes per cluster shown with a size too

}  // namespace

void TForm14::FormShow() {
  for (ui::TLabel* label : ValueLabels()) label->SetCaption("N/A");
  ProgressBar1->SetPosition(0);
  for (ui::TImage* picture : KindPictures()) picture->SetVisible(false);

  const char letter = Form2->DriveComboBox1->Drive();
  SetCaption("VEK 2003 - Information about Drive " + Form2->DriveComboBox1->Text());
  if (letter == 0) return;

  const uint8_t kind = GetDriveKind(letter);
  Label21->SetCaption(GetVolumeInfo(letter));
  const std::string_view kindName = kind < DriveKindNames.size() ? DriveKindNames[kind] : "Unknown";
  Label7->SetCaption(std::string(kindName) + " - [" + VolumeFileSystem + "]");
  if (kind >= 2 && kind <= 7) KindPictures()[kind - 2u]->SetVisible(true);

  GetDriveSpace(letter);
  ShowSpace();
  // A and B measure no cluster figures (they would be another drive's),
  // and a failed cluster query leaves 0 bytes per cluster.
  if (letter > 'B' && DriveBytesPerCluster > 0) ShowClusters();

  // The capability labels in the order they are filled, each with its
  // capability number 1..12.
  const std::array<std::pair<ui::TLabel*, size_t>, VolumeFlagCount> capabilities = {
      {{Label36, 2},
       {Label37, 1},
       {Label38, 3},
       {Label40, 4},
       {Label27, 7},
       {Label28, 6},
       {Label29, 5},
       {Label30, 8},
       {Label42, 9},
       {Label44, 10},
       {Label46, 11},
       {Label48, 12}}};
  for (const auto& [label, capability] : capabilities) {
    label->SetCaption(YesNoText(VolumeFlags[capability - 1] ? 1 : 0));
  }
}

// A drive without byte figures keeps "N/A" and the empty bar.
void TForm14::ShowSpace() {
  if (DriveTotalBytes < 0 || DriveFreeBytes < 0 || DriveUsedBytes < 0) return;
  const int percent = DriveUsedPercent;
  Label8->SetCaption(SizeToText(DriveUsedBytes) + " - (" + std::to_string(percent) + "%)");
  Label9->SetCaption(SizeToText(DriveFreeBytes) + " - (" + std::to_string(100 - percent) + "%)");
  Label10->SetCaption(SizeToText(DriveTotalBytes) + " - (100%)");
  ProgressBar1->SetPosition(percent);
  Label6->SetCaption(std::to_string(percent) + "%");
}

void TForm14::ShowClusters() {
  Label22->SetCaption(std::to_string(DriveBytesPerSector));
  Label23->SetCaption(std::to_string(DriveSectorsPerCluster));
  std::string perCluster = std::to_string(DriveBytesPerCluster);
  if (DriveBytesPerCluster >= ClusterSizeTextFrom) {
    perCluster += " (" + SizeToText(DriveBytesPerCluster) + ")";
  }
  Label32->SetCaption(perCluster);
  Label24->SetCaption(std::to_string(DriveUsedClusters));
  Label25->SetCaption(std::to_string(DriveFreeClusters));
  Label26->SetCaption(std::to_string(DriveTotalClusters));
}

std::vector<ui::TLabel*> TForm14::ValueLabels() const {
  return {Label6,  Label7,  Label8,  Label9,  Label10, Label21, Label22, Label23,
          Label24, Label25, Label26, Label27, Label28, Label29, Label30, Label32,
          Label36, Label37, Label38, Label40, Label42, Label44, Label46, Label48};
}

std::array<ui::TImage*, 6> TForm14::KindPictures() const {
  return {Image2, Image3, Image4, Image5, Image6, Image7};
}

void TForm14::Button1Click() {
  Hide();
}

}  // namespace vek

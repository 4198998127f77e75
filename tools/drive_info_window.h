#pragma once
// The drive information window: kind, file system, serial number, space,
// sector and cluster figures and the volume's capabilities of the drive the
// main window's drive selector shows. It measures at every show and is not
// refreshed while it stays open.

#include <array>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// The name of each drive kind 0..7.
inline constexpr std::array<std::string_view, 8> DriveKindNames = {
    "Unknown", "Unformatted media", "Backup media", "Hard disk",
    "Network", "CD/DVD-ROM",        "RAM disk",     "Floppy disk"};

class TForm14 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;  // background
  // Basic drive information.
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TLabel* Label7 = nullptr;   // kind and file system
  ui::TLabel* Label8 = nullptr;   // used space
  ui::TLabel* Label9 = nullptr;   // free space
  ui::TLabel* Label10 = nullptr;  // total capacity
  ui::TProgressBar* ProgressBar1 = nullptr;
  ui::TLabel* Label6 = nullptr;  // used percent
  // One picture per drive kind 2..7, all at one place.
  ui::TImage* Image2 = nullptr;  // removable
  ui::TImage* Image3 = nullptr;  // fixed disk
  ui::TImage* Image4 = nullptr;  // network
  ui::TImage* Image5 = nullptr;  // CD/DVD
  ui::TImage* Image6 = nullptr;  // RAM disk
  ui::TImage* Image7 = nullptr;  // floppy
  // Detailed drive information.
  ui::TGroupBox* GroupBox2 = nullptr;
  ui::TLabel* Label21 = nullptr;  // serial number
  ui::TLabel* Label22 = nullptr;  // bytes per sector
  ui::TLabel* Label23 = nullptr;  // sectors per cluster
  ui::TLabel* Label32 = nullptr;  // bytes per cluster
  ui::TLabel* Label24 = nullptr;  // used clusters
  ui::TLabel* Label25 = nullptr;  // free clusters
  ui::TLabel* Label26 = nullptr;  // total clusters
  // Capabilities, yes or no.
  ui::TLabel* Label36 = nullptr;   // case is preserved
  ui::TLabel* Label37 = nullptr;   // case sensitive
  ui::TLabel* Label38 = nullptr;   // Unicode on disk
  ui::TLabel* Label40 = nullptr;   // persistent access control lists
  ui::TLabel* Label27 = nullptr;   // file compression
  ui::TLabel* Label28 = nullptr;   // volume is compressed
  ui::TLabel* Label29 = nullptr;   // long file names
  ui::TLabel* Label30 = nullptr;   // file encryption
  ui::TLabel* Label42 = nullptr;   // object ids
  ui::TLabel* Label44 = nullptr;   // reparse points
  ui::TLabel* Label46 = nullptr;   // sparse files
  ui::TLabel* Label48 = nullptr;   // disk quotas
  ui::TButton* Button1 = nullptr;  // "&Close"

  void FormShow();
  void Button1Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void ShowSpace();
  void ShowClusters();
  std::vector<ui::TLabel*> ValueLabels() const;
  std::array<ui::TImage*, 6> KindPictures() const;  // kinds 2..7
};

}  // namespace vek

#include "installer/backdrop.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "installer/state.h"
#include "installer/wizard.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "ui/application.h"

namespace vek::installer {
namespace {

static_assert(std::ranges::all_of(FeatureLines, [](std::string_view line) {
  return line.size() <= FeatureLineCapacity;
}));

constexpr double MarqueeFactor = 1.2;
constexpr uint16_t MarqueeHoldTicks = 30;  // 3 seconds at rest
constexpr int MarqueeRightMargin = 24;
constexpr int MarqueeBottomMargin = 40;
constexpr int ShadowOffset = 4;  // the yellow line stands this far right of and above its shadow

// The Windows path of the installer file: the running executable's own,
// unless a test named another.
std::string SetupFilePath() {
  if (SetupFileOverride) return *SetupFileOverride;
  return platform::ToWindowsPath(platform::ExecutableHostPath()).value_or(std::string());
}

}  // namespace

void TForm1::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Timer1", Timer1);
  binder.Control("Timer2", Timer2);
  binder.Handler("FormCreate", this, &TForm1::FormCreate);
  binder.Handler("FormShow", this, &TForm1::FormShow);
  binder.Handler("Timer1Timer", this, &TForm1::Timer1Timer);
  binder.Handler("Timer2Timer", this, &TForm1::Timer2Timer);
}

// The window library always paints double-buffered; what is left is the
// marquee's start and the measurements of the installer file.
void TForm1::FormCreate() {
  MarqueeLine = 1;
  MarqueeState = 1;
  const std::string path = SetupFilePath();
  SetupDir = platform::ExtractFilePath(path);
  SetupName = platform::ExtractFileName(path);
  SetupSize = GetFileSize64(SetupDir + SetupName);
  PayloadOffset = GetPayloadOffset();
  PayloadSize = SetupSize - PayloadOffset;
  // A table beyond 31 bits would need more room than any drive offers.
  PayloadTotal = PayloadTableTotal(PayloadTable()).value_or(std::numeric_limits<int32_t>::max());
  ReadTrailer();
}

// The last four bytes; zeros when the file cannot be read there (the
// self-check then fails on its own).
void TForm1::ReadTrailer() {
  TrailerBytes = {};
  TTrailer read{};
  auto file = OpenSetupFile();
  if (file && SetupSize >= static_cast<int64_t>(TrailerSize) &&
      file->Seek(SetupSize - static_cast<int64_t>(TrailerSize)) &&
      file->Read(read.data(), static_cast<int64_t>(TrailerSize)) ==
          static_cast<int64_t>(TrailerSize)) {
    TrailerBytes = read;
  }
  ExpectedSum = TrailerValue(TrailerBytes);
}

uint32_t TForm1::GetPayloadOffset() {
  const auto host = platform::ToHostPath(SetupDir + SetupName);
  const auto end = host ? platform::ElfImageEnd(*host) : std::nullopt;
  if (!end || *end > std::numeric_limits<uint32_t>::max()) return 0;
  return static_cast<uint32_t>(*end);
}

int64_t TForm1::GetFileSize64(std::string_view path) {
  const auto found = platform::FindFiles(path, platform::attr::AnyFile);
  if (found.empty() || !found.front().Times.AccessedSet) return -1;
  return found.front().Size;
}

void TForm1::FormShow() {
  Timer1->SetEnabled(true);
  const int width = ui::Screen->Width();
  const int height = ui::Screen->Height();
  SetBounds(0, 0, width, height);
  Image1->SetBounds(0, 0, width, height);
  Label3->SetLeft(width + 100);
  Label3->SetTop(height + 100);
  Label4->SetLeft(width + 100);
  Label4->SetTop(height + 100);
}

void TForm1::Timer1Timer() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(true);
  Form2->Show();
  Form2->BringToFront();
}

void TForm1::Timer2Timer() {
  switch (MarqueeState) {
    case 1: {
      const std::string_view line = FeatureLines[MarqueeLine - 1u];
      Label3->SetCaption(line);
      Label4->SetCaption(line);
      MarqueeLine = static_cast<size_t>(MarqueeLine) >= FeatureLines.size()
                        ? 1
                        : static_cast<uint8_t>(MarqueeLine + 1);
      MarqueeX = ui::Screen->Width() - Label3->Width() - MarqueeRightMargin;
      MarqueeY = ui::Screen->Height() - MarqueeBottomMargin;
      Label3->SetTop(MarqueeY);
      Label4->SetTop(MarqueeY - ShadowOffset);
      // Enough steps of 1.2 to start just beyond the right edge.
      MarqueeStart = 1.0;
      MarqueeSteps = 1;
      while (ClientWidth() > MarqueeX + static_cast<int>(std::trunc(MarqueeStart))) {
        MarqueeStart *= MarqueeFactor;
        ++MarqueeSteps;
      }
      MarqueeTick = 0;
      MarqueeOffset = MarqueeStart;
      PlaceMarquee(MarqueeX + static_cast<int>(std::trunc(MarqueeOffset)));
      MarqueeState = 2;
      break;
    }
    case 2:  // slides in, slowing down, to rest at MarqueeX + 1
      if (++MarqueeTick < MarqueeSteps) {
        MarqueeOffset /= MarqueeFactor;
        PlaceMarquee(MarqueeX + static_cast<int>(std::trunc(MarqueeOffset)));
      } else {
        MarqueeState = 3;
        MarqueeHold = MarqueeHoldTicks;
      }
      break;
    case 3:
      if (--MarqueeHold == 0) {
        MarqueeTick = 0;
        MarqueeOffset = 1.0;
        MarqueeState = 4;
      }
      break;
    case 4:  // speeds up out of the screen again
      if (++MarqueeTick < MarqueeSteps) {
        MarqueeOffset *= MarqueeFactor;
        PlaceMarquee(MarqueeX + static_cast<int>(std::trunc(MarqueeOffset)));
      } else {
        MarqueeState = 1;
      }
      break;
    default:
      break;
  }
}

void TForm1::PlaceMarquee(int x) {
  Label3->SetLeft(x);
  Label4->SetLeft(x + ShadowOffset);
}

void TForm1::MeasureDriveSpace(char letter) {
  const std::string root = std::string(1, letter) + ":\\";
  platform::DiskFreeSpaceEx space;
  platform::DiskFreeSpace clusters;
  if (platform::GetDiskFreeSpaceEx(root, &space)) {
    FreeSpace = static_cast<int64_t>(
        std::min<uint64_t>(space.FreeBytesAvailable, std::numeric_limits<int64_t>::max()));
  } else if (platform::GetDiskFreeSpace(root, &clusters)) {
    FreeSpace =
        int64_t{clusters.FreeClusters} * clusters.SectorsPerCluster * clusters.BytesPerSector;
  } else {
    FreeSpace = 0;  // a drive that answers nothing offers no room
  }
}

void TForm1::CloseAllForms() {
  for (ui::TForm* form :
       std::initializer_list<ui::TForm*>{Form7, Form6, Form5, Form4, Form3, Form2, Form1}) {
    if (form != nullptr) form->Close();
  }
}

}  // namespace vek::installer

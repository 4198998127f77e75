#include "forms/draw/catalogue.h"

#include <cstdio>
#include <initializer_list>

#include "forms/draw/pictures.h"

namespace vek::draw {
namespace {

using TDrawRoutine = void (*)(QPainter&, const QSizeF&);
using TFrameRoutine = std::function<void(QPainter&, const QSizeF&, int)>;

// A picture drawn once.
struct TSingle {
  const char* Name;
  int Width;
  int Height;
  const char* Shows;
  const char* UsedBy;
  TDrawRoutine Draw;
};

// A numbered run of animation frames: "<stem>_1.jpg" ... or, with two
// digits, "<stem>_01.jpg" ...; the routines get the 0-based frame index.
struct TSeries {
  const char* Stem;
  int Count;
  bool TwoDigits;
  int Size;  // square
  std::function<std::string(int)> Shows;
  std::function<std::string(int)> UsedBy;
  TFrameRoutine Draw;
};

constexpr int kRotationFrames = 18;
constexpr int kAboutFrames = 8;

void AddSingles(std::vector<TPictureRecipe>& list, const char* folder,
                std::initializer_list<TSingle> pictures) {
  for (const TSingle& s : pictures) {
    list.push_back({folder, s.Name, s.Width, s.Height, s.Shows, s.UsedBy, s.Draw});
  }
}

void AddSeries(std::vector<TPictureRecipe>& list, const TSeries& series) {
  for (int i = 0; i < series.Count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, series.TwoDigits ? "%s_%02d.jpg" : "%s_%d.jpg", series.Stem,
                  i + 1);
    const TFrameRoutine draw = series.Draw;
    list.push_back({"main", name, series.Size, series.Size, series.Shows(i), series.UsedBy(i),
                    [draw, i](QPainter& p, const QSizeF& size) { draw(p, size, i); }});
  }
}

std::string Numbered(const char* before, int number, const char* after) {
  return before + std::to_string(number) + after;
}

constexpr const char* kLightDialog =
    "Light silver-blue gradient, faint padlock watermark lower right";

void AddMainSingles(std::vector<TPictureRecipe>& list) {
  AddSingles(
      list, "main",
      {
          {"start_banner.jpg", 400, 240,
           "Navy banner: padlock and key, \"VEK 2003\", tag line, version", "Start window `Image1`",
           DrawStartBanner},
          {"main_background.jpg", 630, 452,
           "Navy toolbar band with the wordmark at the right, light body, navy band from y 287 "
           "under the job list caption and grid",
           "Main window `Image1`", DrawMainBackground},
          {"options_background.jpg", 498, 405, kLightDialog, "Options dialog background",
           DrawLockedDialogBackground},
          {"driveinfo_background.jpg", 493, 381, kLightDialog,
           "Drive information window background", DrawLockedDialogBackground},
          {"viewer_background.jpg", 621, 422, kLightDialog, "Embedded-data viewer background",
           DrawLockedDialogBackground},
          {"editor_background.jpg", 499, 422, kLightDialog, "Embedded-data editor background",
           DrawLockedDialogBackground},
          {"lock_background.jpg", 196, 165, kLightDialog, "Screen lock `Image1`",
           DrawLockedDialogBackground},
          {"update_background.jpg", 379, 126, kLightDialog, "Update window `Image1`",
           DrawLockedDialogBackground},
          {"key_background.jpg", 560, 400,
           "Light silver-blue gradient, faint key watermark lower right",
           "Key entry window background (optional; may be stretched)", DrawKeyDialogBackground},
          {"about_banner.jpg", 360, 150,
           "Navy banner: padlock and key, \"VEK 2003\", tag line, version", "About window picture",
           DrawAboutBanner},
          {"glyph_encrypt.jpg", 32, 32, "Page with a closed steel padlock",
           "Main window `BitBtn1` (encrypt)", DrawEncryptGlyph},
          {"glyph_decrypt.jpg", 32, 32, "Page with an open green padlock",
           "Main window `BitBtn2` (decrypt)", DrawDecryptGlyph},
          {"glyph_options.jpg", 32, 32, "Silver gear wheel with a steel hub",
           "Main window `BitBtn7` (options)", DrawOptionsGlyph},
          {"glyph_web_support.jpg", 32, 32, "Globe with an amber question badge",
           "Main window `BitBtn8` (web support)", DrawWebSupportGlyph},
          {"glyph_about.jpg", 32, 32, "Blue glassy button with a white \"i\"",
           "Main window `BitBtn9` (about)", DrawAboutGlyph},
          {"glyph_exit.jpg", 32, 32, "Red glassy button with a power sign",
           "Main window `BitBtn12` (exit)", DrawExitGlyph},
          {"glyph_add.jpg", 16, 16, "Page with a green plus badge",
           "Main window `BitBtn3` (\"&Add file\")", DrawAddGlyph},
          {"glyph_remove.jpg", 16, 16, "Page with a red minus badge",
           "Main window `BitBtn4` (\"&Remove file\")", DrawRemoveGlyph},
          {"glyph_clear.jpg", 16, 16, "List card with an eraser",
           "Main window `BitBtn5` (\"&Clear list\")", DrawClearGlyph},
          {"glyph_delete.jpg", 16, 16, "Steel waste bin",
           "Main window `BitBtn6` (\"&Delete file\")", DrawDeleteGlyph},
          {"status_verify.jpg", 32, 32, "Magnifier with a tick over a page",
           "Processing window `Image2` (verifying)", DrawVerifyStatus},
          {"status_finished.jpg", 32, 32, "Green glassy button with a white tick",
           "Processing window `Image5` (finished)", DrawFinishedStatus},
          {"status_warning.jpg", 32, 32, "Amber warning triangle with \"!\"",
           "Processing window `Image24` (warning or error)", DrawWarningStatus},
          {"drive_removable.jpg", 32, 32, "Pocket storage stick with its plug",
           "Drive information window `Image2` (removable)", DrawRemovableDrive},
          {"drive_fixed.jpg", 32, 32, "Silver hard disk with a green light",
           "Drive information window `Image3` (fixed disk)", DrawFixedDrive},
          {"drive_network.jpg", 32, 32, "Hard disk on a network cable",
           "Drive information window `Image4` (network)", DrawNetworkDrive},
          {"drive_cdrom.jpg", 32, 32, "Silver disc with a rainbow sheen",
           "Drive information window `Image5` (CD/DVD)", DrawCdDrive},
          {"drive_ramdisk.jpg", 32, 32, "Green memory module",
           "Drive information window `Image6` (RAM disk)", DrawRamDrive},
          {"drive_floppy.jpg", 32, 32, "Navy floppy disk with a red label",
           "Drive information window `Image7` (floppy)", DrawFloppyDrive},
          {"wipe_memory.jpg", 48, 48, "Memory chip under a steel padlock",
           "Exit wipe window `Image2`", DrawWipeMemory},
      });
}

void AddMainSeries(std::vector<TPictureRecipe>& list) {
  AddSeries(list, {"status_overwrite", 2, false, 32,
                   [](int i) {
                     return std::string(i == 0 ? "Page of red bits, first pattern"
                                               : "Page of red bits, the complementary pattern");
                   },
                   [](int i) { return Numbered("Processing window `Image", i + 3, "` (blink)"); },
                   DrawOverwriteStatus});
  AddSeries(list, {"status_rotate", kRotationFrames, true, 32,
                   [](int i) { return Numbered("Combination dial turned ", i * 20, " degrees"); },
                   [](int i) { return Numbered("Processing window `Image", i + 6, "` (working)"); },
                   [](QPainter& p, const QSizeF& s, int i) {
                     DrawRotateStatus(p, s, i, kRotationFrames);
                   }});
  AddSeries(
      list,
      {"about_key", kAboutFrames, true, 48,
       [](int i) {
         return Numbered("Brass key on a navy tile, turned ", i * 45, " degrees about its shaft");
       },
       [](int i) { return Numbered("About window animation, frame ", i + 1, ""); },
       [](QPainter& p, const QSizeF& s, int i) { DrawAboutKeyFrame(p, s, i, kAboutFrames); }});
  AddSeries(list,
            {"wipe_blink", 2, false, 32,
             [](int i) {
               return std::string(i == 0 ? "Chip with lit green bits" : "Chip with its bits wiped");
             },
             [](int i) { return Numbered("Exit wipe window `Image", i + 3, "`"); }, DrawWipeFrame});
  AddSeries(list,
            {"update_frame", 3, false, 48,
             [](int i) { return Numbered("Globe on a navy tile, waves lit: ", i + 1, " of 3"); },
             [](int i) { return Numbered("Update window `Image", i + 2, "`"); },
             [](QPainter& p, const QSizeF& s, int i) { DrawUpdateFrame(p, s, i + 1); }});
}

void AddInstallerSingles(std::vector<TPictureRecipe>& list) {
  AddSingles(
      list, "installer",
      {
          {"installer_backdrop.jpg", 1024, 768,
           "Navy backdrop with a large faded padlock and key, dark floor for the "
           "feature lines",
           "Backdrop `Image1` (stretched, proportional, full screen)", DrawInstallerBackdrop},
          {"welcome_logo.jpg", 48, 48, "Padlock and key on white", "Welcome page `Image1`",
           DrawWelcomeLogo},
          {"welcome_panel.jpg", 160, 300, "Navy panel: padlock and key, \"VEK 2003\", version",
           "Welcome page `Image6` in `Panel1`", DrawWelcomePanel},
          {"progress_arrow.jpg", 16, 12, "Steel-blue arrow pointing right",
           "Progress page `Image1` (task arrow)", DrawProgressArrow},
      });
}

}  // namespace

std::vector<TPictureRecipe> PictureCatalogue() {
  std::vector<TPictureRecipe> list;
  AddMainSingles(list);
  AddMainSeries(list);
  AddInstallerSingles(list);
  return list;
}

}  // namespace vek::draw

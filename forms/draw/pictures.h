#pragma once
// Every picture of the two programs, one drawing routine each. A routine
// paints the whole picture, background included, at the size it is given;
// the catalogue (catalogue.h) says which size and file each one is stored as.

#include <QPainter>
#include <QSizeF>

namespace vek::draw {

// Toolbar glyphs of the main window, drawn on a 32-unit grid.
void DrawEncryptGlyph(QPainter& p, const QSizeF& size);
void DrawDecryptGlyph(QPainter& p, const QSizeF& size);
void DrawOptionsGlyph(QPainter& p, const QSizeF& size);
void DrawWebSupportGlyph(QPainter& p, const QSizeF& size);
void DrawAboutGlyph(QPainter& p, const QSizeF& size);
void DrawExitGlyph(QPainter& p, const QSizeF& size);

// Small glyphs beside button captions, drawn on a 16-unit grid.
void DrawAddGlyph(QPainter& p, const QSizeF& size);
void DrawRemoveGlyph(QPainter& p, const QSizeF& size);
void DrawClearGlyph(QPainter& p, const QSizeF& size);
void DrawDeleteGlyph(QPainter& p, const QSizeF& size);

// Status icons of the processing window, 32-unit grid.
void DrawVerifyStatus(QPainter& p, const QSizeF& size);
// The blinking pair while files are overwritten: phase 0 and 1 show
// complementary bit patterns.
void DrawOverwriteStatus(QPainter& p, const QSizeF& size, int phase);
void DrawFinishedStatus(QPainter& p, const QSizeF& size);
// One frame of the turning dial: frame 0..frames-1, a full turn over all.
void DrawRotateStatus(QPainter& p, const QSizeF& size, int frame, int frames);
void DrawWarningStatus(QPainter& p, const QSizeF& size);

// Drive kinds of the drive information window, 32-unit grid.
void DrawRemovableDrive(QPainter& p, const QSizeF& size);
void DrawFixedDrive(QPainter& p, const QSizeF& size);
void DrawNetworkDrive(QPainter& p, const QSizeF& size);
void DrawCdDrive(QPainter& p, const QSizeF& size);
void DrawRamDrive(QPainter& p, const QSizeF& size);
void DrawFloppyDrive(QPainter& p, const QSizeF& size);

// Small animations and pieces.
void DrawUpdateFrame(QPainter& p, const QSizeF& size, int frame);  // frame 1..3
void DrawAboutKeyFrame(QPainter& p, const QSizeF& size, int frame, int frames);
void DrawWipeMemory(QPainter& p, const QSizeF& size);
void DrawWipeFrame(QPainter& p, const QSizeF& size, int phase);  // phase 0 or 1
void DrawProgressArrow(QPainter& p, const QSizeF& size);
void DrawWelcomeLogo(QPainter& p, const QSizeF& size);

// Banners and window backgrounds.
void DrawStartBanner(QPainter& p, const QSizeF& size);
void DrawMainBackground(QPainter& p, const QSizeF& size);
void DrawAboutBanner(QPainter& p, const QSizeF& size);
void DrawLockedDialogBackground(QPainter& p, const QSizeF& size);  // padlock watermark
void DrawKeyDialogBackground(QPainter& p, const QSizeF& size);     // key watermark
void DrawInstallerBackdrop(QPainter& p, const QSizeF& size);
void DrawWelcomePanel(QPainter& p, const QSizeF& size);

}  // namespace vek::draw

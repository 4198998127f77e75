#pragma once
// The drawing pieces that every picture is built from: the padlock and the
// key of the brand, metal and glass fills, paper pages, the wordmark and the
// two kinds of backdrop (navy brand surfaces and light dialog surfaces).

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace vek::draw {

// The product name shown wherever a banner fits.
inline const QString kProductName = QStringLiteral("VEK 2003");
inline const QString kTagLine = QStringLiteral("1024 Bit Key Strength File Protection");
inline const QString kVersionLine = QStringLiteral("Version 1.00");

// The default sans font at a pixel size.
QFont BrandFont(qreal pixelSize, bool bold);

// Maps a square design grid of `grid` units onto the picture, so an icon
// drawn once on a 32-unit grid serves every size it is stored at.
void ScaleToGrid(QPainter& p, const QSizeF& size, qreal grid);

// Fills the picture with `background`, then maps the design grid onto it.
void BeginIcon(QPainter& p, const QSizeF& size, qreal grid, const QColor& background);

void FillVertical(QPainter& p, const QRectF& area, const QColor& top, const QColor& bottom);
// Brushed-metal bands running from `from` to `to`, tinted by `tint`.
QLinearGradient MetalGradient(QPointF from, QPointF to, const QColor& tint);

struct TLockLook {
  bool Open = false;
  QColor Body;
};
// A padlock whose closed form fills `box`; an open shackle rises above it by
// almost a third of the box height.
void DrawPadlock(QPainter& p, const QRectF& box, const TLockLook& look);
// The padlock as one flat shape, for watermarks.
void DrawPadlockSilhouette(QPainter& p, const QRectF& box, const QColor& colour);

struct TKeyPose {
  QPointF Bow;       // centre of the key's ring
  qreal Length = 0;  // from the ring's centre to the tip
  qreal Angle = 0;   // degrees, clockwise from pointing right
  // The key's turn about its own shaft: 1 faces the viewer, 0 is edge-on,
  // -1 shows it flipped (the bit then points the other way).
  qreal Turn = 1;
};
void DrawKey(QPainter& p, const TKeyPose& pose);
void DrawKeySilhouette(QPainter& p, const TKeyPose& pose, const QColor& colour);

// The brand emblem: a steel padlock filling `lockBox` with the brass key
// laid across its body.
void DrawEmblem(QPainter& p, const QRectF& lockBox);

// A round glassy button face in `colour`.
void DrawGlossyBadge(QPainter& p, const QRectF& circle, const QColor& colour);
// A blue globe with two land masses under a grid of meridians and parallels.
void DrawGlobe(QPainter& p, QPointF centre, qreal radius);
// A sheet of paper with a folded corner and `lines` grey text lines.
void DrawPage(QPainter& p, const QRectF& sheet, int lines);
// A raised navy square that frames small animations wherever they are placed.
void DrawBevelTile(QPainter& p, const QRectF& area);

// "VEK 2003" in silver and steel with a drop shadow, its baseline starting at
// `origin`. Returns the width it took.
qreal DrawWordmark(QPainter& p, QPointF origin, qreal pixelSize);
// One line of plain text with its baseline starting at `origin`.
void DrawTextLine(QPainter& p, QPointF origin, const QString& text, qreal pixelSize,
                  const QColor& colour, bool bold);
qreal TextWidth(const QString& text, qreal pixelSize, bool bold);

// The navy surface of banners: a deep gradient with a soft steel glow
// centred at `glow` and a faint grid.
void DrawBrandBackdrop(QPainter& p, const QRectF& area, QPointF glow);

enum class TWatermark { Padlock, Key };
// The light surface of dialogs: a pale gradient, a faint watermark in the
// lower right and a steel rule along the bottom edge.
void DrawDialogBackdrop(QPainter& p, const QSizeF& size, TWatermark watermark);

}  // namespace vek::draw

// Banners, window backgrounds and the installer's large pictures.

#include <QImage>
#include <QLinearGradient>

#include <functional>

#include "forms/draw/motifs.h"
#include "forms/draw/palette.h"
#include "forms/draw/pictures.h"

namespace vek::draw {
namespace {

// The main window: the toolbar band at the top, and the band from which the
// job list's white caption (at y 296) and the grid below it stand out.
constexpr qreal kToolbarBottom = 52;
constexpr qreal kToolbarButtonsEnd = 326;
constexpr qreal kListBandTop = 287;

// A strip of brushed silver along the bottom edge of a banner.
void DrawSilverRule(QPainter& p, const QSizeF& size, qreal height) {
  const QRectF rule(0, size.height() - height, size.width(), height);
  QLinearGradient metal(rule.topLeft(), rule.bottomLeft());
  metal.setColorAt(0.0, kSilverLight);
  metal.setColorAt(0.5, kSilver);
  metal.setColorAt(1.0, kSilver.darker(140));
  p.fillRect(rule, metal);
}

// A thin line fading out to the right, under a heading.
void DrawFadingLine(QPainter& p, QPointF from, qreal length, const QColor& colour) {
  QLinearGradient fade(from, from + QPointF(length, 0));
  fade.setColorAt(0.0, colour);
  QColor clear = colour;
  clear.setAlpha(0);
  fade.setColorAt(1.0, clear);
  p.fillRect(QRectF(from, QSizeF(length, 1)), fade);
}

// The wordmark with the tag line in one or two lines below it and the version
// under them, all starting at the left edge `Left`.
struct TBannerText {
  qreal Left;
  qreal WordmarkBaseline;
  qreal WordmarkSize;
  qreal TagSize;
  bool SplitTagLine;
};

void DrawBannerText(QPainter& p, const TBannerText& t) {
  const qreal width = DrawWordmark(p, QPointF(t.Left, t.WordmarkBaseline), t.WordmarkSize);
  const qreal lineY = t.WordmarkBaseline + t.WordmarkSize * 0.28;
  DrawFadingLine(p, QPointF(t.Left, lineY), width * 1.05, kSteelLight);

  qreal y = lineY + t.TagSize * 1.6;
  const qreal x = t.Left + 2;
  if (t.SplitTagLine) {
    DrawTextLine(p, QPointF(x, y), QStringLiteral("1024 Bit Key Strength"), t.TagSize, kSilverLight,
                 true);
    y += t.TagSize * 1.35;
    DrawTextLine(p, QPointF(x, y), QStringLiteral("File Protection"), t.TagSize, kSilverLight,
                 true);
  } else {
    DrawTextLine(p, QPointF(x, y), kTagLine, t.TagSize, kSilverLight, true);
  }
  y += t.TagSize * 1.9;
  DrawTextLine(p, QPointF(x, y), kVersionLine, t.TagSize * 0.85, kSteelLight, false);
}

// A navy banner: the emblem on the left, the banner text beside it and a
// silver rule along the bottom.
struct TBannerLayout {
  QPointF Glow;
  QRectF LockBox;
  TBannerText Text;
  qreal RuleHeight;
};

void DrawBanner(QPainter& p, const QSizeF& size, const TBannerLayout& layout) {
  DrawBrandBackdrop(p, QRectF(QPointF(0, 0), size), layout.Glow);
  DrawEmblem(p, layout.LockBox);
  DrawBannerText(p, layout.Text);
  DrawSilverRule(p, size, layout.RuleHeight);
}

// Paints `draw` into a layer of its own and lays it over `area` at the given
// opacity, so overlapping parts do not show through each other.
void DrawFaded(QPainter& p, const QRectF& area, qreal opacity,
               const std::function<void(QPainter&)>& draw) {
  const QRect pixels = area.toAlignedRect();
  QImage layer(pixels.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  QPainter painter(&layer);
  painter.setRenderHints(p.renderHints());
  painter.translate(-pixels.topLeft());
  draw(painter);
  painter.end();
  p.save();
  p.setOpacity(opacity);
  p.drawImage(pixels.topLeft(), layer);
  p.restore();
}

}  // namespace

void DrawStartBanner(QPainter& p, const QSizeF& size) {
  DrawBanner(p, size, {QPointF(85, 120), QRectF(34, 40, 92, 132), {152, 104, 40, 14, true}, 4});
}

void DrawMainBackground(QPainter& p, const QSizeF& size) {
  const qreal w = size.width();
  FillVertical(p, QRectF(QPointF(0, 0), size), kSilverLight, QColor(0xC6, 0xD0, 0xDE));

  DrawBrandBackdrop(p, QRectF(0, 0, w, kToolbarBottom), QPointF(w * 0.78, 10));
  p.fillRect(QRectF(0, kToolbarBottom - 1, w, 1), kSilver);
  const qreal left = kToolbarButtonsEnd + 10;
  DrawEmblem(p, QRectF(left, 7, 22, 32));
  DrawWordmark(p, QPointF(left + 34, 29), 24);
  DrawTextLine(p, QPointF(left + 35, 44), kTagLine, 10, kSilverLight, false);

  const QRectF band(0, kListBandTop, w, size.height() - kListBandTop);
  FillVertical(p, band, kNavy, kNavyDeep);
  p.fillRect(QRectF(0, kListBandTop, w, 1), kSilver);
}

void DrawAboutBanner(QPainter& p, const QSizeF& size) {
  DrawBanner(p, size, {QPointF(60, 70), QRectF(22, 24, 58, 84), {104, 62, 34, 11, false}, 3});
}

void DrawLockedDialogBackground(QPainter& p, const QSizeF& size) {
  DrawDialogBackdrop(p, size, TWatermark::Padlock);
}

void DrawKeyDialogBackground(QPainter& p, const QSizeF& size) {
  DrawDialogBackdrop(p, size, TWatermark::Key);
}

void DrawInstallerBackdrop(QPainter& p, const QSizeF& size) {
  const QRectF area(QPointF(0, 0), size);
  DrawBrandBackdrop(p, area, QPointF(size.width() * 0.68, size.height() * 0.45));

  // A soft beam of light across the upper left.
  QLinearGradient beam(QPointF(0, 0), QPointF(size.width() * 0.6, size.height() * 0.6));
  beam.setColorAt(0.0, QColor(255, 255, 255, 0));
  beam.setColorAt(0.5, QColor(255, 255, 255, 16));
  beam.setColorAt(1.0, QColor(255, 255, 255, 0));
  p.fillRect(area, beam);

  const qreal lockHeight = size.height() * 0.52;
  const QRectF lock(size.width() * 0.58, size.height() * 0.14, lockHeight * 0.7, lockHeight);
  DrawFaded(p,
            lock.adjusted(-lock.width() * 0.3, -lock.height() * 0.1, lock.width() * 0.3,
                          lock.height() * 0.3),
            0.4, [&](QPainter& layer) { DrawEmblem(layer, lock); });

  // A darker floor under the moving feature lines, divided by a silver rule.
  const qreal floor = size.height() * 0.9;
  FillVertical(p, QRectF(0, floor, size.width(), size.height() - floor), QColor(4, 10, 26, 150),
               QColor(2, 6, 16, 230));
  DrawFadingLine(p, QPointF(0, floor), size.width(), kSilver);
}

void DrawWelcomePanel(QPainter& p, const QSizeF& size) {
  DrawBrandBackdrop(p, QRectF(QPointF(0, 0), size), QPointF(size.width() / 2, 110));
  DrawEmblem(p, QRectF(40, 38, 80, 114));
  const qreal wordmark = 24;
  const qreal width = TextWidth(kProductName, wordmark, true);
  const qreal x = (size.width() - width) / 2;
  DrawWordmark(p, QPointF(x, 224), wordmark);
  DrawFadingLine(p, QPointF(x, 232), width, kSteelLight);
  DrawTextLine(p, QPointF(x + 1, 250), QStringLiteral("File Protection"), 11, kSilverLight, true);
  DrawTextLine(p, QPointF(x + 1, 266), kVersionLine, 10, kSteelLight, false);
  DrawSilverRule(p, size, 3);
}

}  // namespace vek::draw

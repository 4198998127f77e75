// Frames of the small animations (update check, about window, exit wipe)
// and the installer's small pieces.

#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

#include "forms/draw/motifs.h"
#include "forms/draw/palette.h"
#include "forms/draw/pictures.h"

namespace vek::draw {
namespace {

constexpr qreal kGrid = 32;
constexpr qreal kTileGrid = 48;

// A memory chip: a black body with silver legs on its left and right sides.
void DrawChip(QPainter& p, const QRectF& body, int legsPerSide) {
  p.save();
  p.setPen(QPen(kGraphite, 0.6));
  p.setBrush(kSilver);
  const qreal pitch = body.height() / legsPerSide;
  for (int i = 0; i < legsPerSide; ++i) {
    const qreal y = body.top() + pitch * (i + 0.3);
    p.drawRect(QRectF(body.left() - 2.5, y, 2.5, pitch * 0.4));
    p.drawRect(QRectF(body.right(), y, 2.5, pitch * 0.4));
  }
  QLinearGradient shell(body.topLeft(), body.bottomLeft());
  shell.setColorAt(0.0, QColor(0x3A, 0x40, 0x4C));
  shell.setColorAt(1.0, QColor(0x12, 0x15, 0x1B));
  p.setPen(QPen(QColor(0x05, 0x06, 0x08), 0.8));
  p.setBrush(shell);
  p.drawRoundedRect(body, 1.2, 1.2);
  p.restore();
}

// A four-pointed glint of light.
void DrawGlint(QPainter& p, QPointF centre, qreal radius) {
  QPainterPath star;
  star.moveTo(centre + QPointF(0, -radius));
  star.quadTo(centre, centre + QPointF(radius, 0));
  star.quadTo(centre, centre + QPointF(0, radius));
  star.quadTo(centre, centre + QPointF(-radius, 0));
  star.quadTo(centre, centre + QPointF(0, -radius));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xFF, 0xFF, 0xF0, 230));
  p.drawPath(star);
}

}  // namespace

void DrawUpdateFrame(QPainter& p, const QSizeF& size, int frame) {
  ScaleToGrid(p, size, kTileGrid);
  DrawBevelTile(p, QRectF(0, 0, kTileGrid, kTileGrid));
  const QPointF globe(16, 32);
  DrawGlobe(p, globe, 10.5);

  // Three waves leave the globe; by frame n the first n of them are lit.
  constexpr qreal radii[] = {15, 21, 27};
  for (int i = 0; i < 3; ++i) {
    const bool lit = i < frame;
    const QColor colour = lit ? QColor(0xC8, 0xEC, 0xFF) : QColor(0x7F, 0xA8, 0xD8, 70);
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    const qreal r = radii[i];
    p.drawArc(QRectF(globe.x() - r, globe.y() - r, 2 * r, 2 * r), 8 * 16, 74 * 16);
  }
}

void DrawAboutKeyFrame(QPainter& p, const QSizeF& size, int frame, int frames) {
  ScaleToGrid(p, size, kTileGrid);
  DrawBevelTile(p, QRectF(0, 0, kTileGrid, kTileGrid));
  const qreal phase = static_cast<qreal>(frame) / frames;
  const qreal turn = std::cos(2 * std::numbers::pi * phase);
  DrawKey(p, {QPointF(11.5, 23), 32, 0, turn});
  // A glint runs along the shaft as the key turns.
  DrawGlint(p, QPointF(18 + 22 * phase, 22), 3.2);
}

void DrawWipeMemory(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kTileGrid, kFace);
  DrawChip(p, QRectF(9, 6, 30, 36), 6);
  DrawPadlock(p, QRectF(15, 11, 18, 25), {false, kSteel});
}

void DrawWipeFrame(QPainter& p, const QSizeF& size, int phase) {
  BeginIcon(p, size, kGrid, kFace);
  DrawChip(p, QRectF(7, 5, 18, 22), 4);
  // Phase 0 shows the memory holding bits, phase 1 the same cells wiped.
  constexpr bool kBits[3][3] = {{true, false, true}, {false, true, true}, {true, true, false}};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const bool lit = phase == 0 && kBits[row][col];
      const QColor colour = lit ? QColor(0x6C, 0xF0, 0x7A) : QColor(0x1E, 0x4A, 0x26);
      p.fillRect(QRectF(9.5 + col * 4.7, 8 + row * 5.8, 3.6, 4.4), colour);
    }
  }
}

void DrawProgressArrow(QPainter& p, const QSizeF& size) {
  p.fillRect(QRectF(QPointF(0, 0), size), kWhite);
  p.scale(size.width() / 16, size.height() / 12);
  QPolygonF arrow;
  arrow << QPointF(1, 4) << QPointF(8, 4) << QPointF(8, 1) << QPointF(15, 6) << QPointF(8, 11)
        << QPointF(8, 8) << QPointF(1, 8);
  QLinearGradient fill(QPointF(0, 1), QPointF(0, 11));
  fill.setColorAt(0.0, kSteelLight);
  fill.setColorAt(1.0, kNavy);
  p.setPen(QPen(kNavyDeep, 0.9, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.setBrush(fill);
  p.drawPolygon(arrow);
}

void DrawWelcomeLogo(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kTileGrid, kWhite);
  DrawPadlock(p, QRectF(6, 4, 26, 36), {false, kSteel});
  DrawKey(p, {QPointF(29, 30), 20, -50, 1});
}

}  // namespace vek::draw

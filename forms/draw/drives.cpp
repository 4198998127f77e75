// The drive kinds of the drive information window, each on a 32-unit grid.

#include <QConicalGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include "forms/draw/motifs.h"
#include "forms/draw/palette.h"
#include "forms/draw/pictures.h"

namespace vek::draw {
namespace {

constexpr qreal kGrid = 32;

// A hard disk seen from above and to the left: the front face `front` with
// a top and a right side of `depth` units.
void DrawDiskBox(QPainter& p, const QRectF& front, qreal depth) {
  p.save();
  p.setPen(QPen(kGraphite, 0.9, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  QPolygonF top;
  top << front.topLeft() << front.topRight() << front.topRight() + QPointF(depth, -depth)
      << front.topLeft() + QPointF(depth, -depth);
  p.setBrush(MetalGradient(front.topLeft(), front.topRight(), kSilverLight));
  p.drawPolygon(top);

  QPolygonF side;
  side << front.topRight() << front.topRight() + QPointF(depth, -depth)
       << front.bottomRight() + QPointF(depth, -depth) << front.bottomRight();
  p.setBrush(kSilver.darker(140));
  p.drawPolygon(side);

  QLinearGradient face(front.topLeft(), front.bottomLeft());
  face.setColorAt(0.0, kSilver);
  face.setColorAt(1.0, kSilver.darker(135));
  p.setBrush(face);
  p.drawRect(front);

  // Drive slot and activity light.
  const qreal slotY = front.center().y();
  p.setPen(QPen(kGraphite, 1.0));
  p.drawLine(QPointF(front.left() + 3, slotY), QPointF(front.right() - 9, slotY));
  const QPointF led(front.right() - 4.5, slotY);
  QRadialGradient light(led, 2.2);
  light.setColorAt(0.0, QColor(0xB8, 0xFF, 0xA8));
  light.setColorAt(0.6, kGreen);
  light.setColorAt(1.0, kGreen.darker(160));
  p.setPen(Qt::NoPen);
  p.setBrush(light);
  p.drawEllipse(led, 1.6, 1.6);
  p.restore();
}

// A white paper label with a coloured header band and two written lines.
void DrawLabel(QPainter& p, const QRectF& label, const QColor& band) {
  p.setPen(QPen(kGraphite, 0.7));
  p.setBrush(kWhite);
  p.drawRect(label);
  p.fillRect(QRectF(label.left() + 0.5, label.top() + 0.5, label.width() - 1, 2.2), band);
  p.setPen(QPen(QColor(0x9A, 0xA6, 0xB8), 0.9));
  for (const qreal share : {0.55, 0.8}) {
    const qreal y = label.top() + label.height() * share;
    p.drawLine(QPointF(label.left() + 2, y), QPointF(label.right() - 2, y));
  }
}

// A sliding metal shutter with its window.
void DrawShutter(QPainter& p, const QRectF& shutter, const QRectF& window) {
  p.setPen(QPen(kGraphite, 0.8));
  p.setBrush(MetalGradient(shutter.topLeft(), shutter.topRight(), kSilver));
  p.drawRect(shutter);
  p.setBrush(kGraphite);
  p.drawRect(window);
}

}  // namespace

void DrawFixedDrive(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawDiskBox(p, QRectF(2.5, 13.5, 24, 10), 4);
}

void DrawNetworkDrive(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawDiskBox(p, QRectF(3.5, 8.5, 22, 9), 3.5);
  p.setPen(QPen(kGreen.darker(130), 2.4, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(14.5, 17.5), QPointF(14.5, 26.5));
  p.drawLine(QPointF(4, 26.5), QPointF(25, 26.5));
  p.setPen(QPen(kGraphite, 0.8));
  p.setBrush(MetalGradient(QPointF(0, 0), QPointF(4, 4), kSilver));
  for (const qreal x : {2.0, 24.0, 12.5}) p.drawRect(QRectF(x, 24.5, 4.5, 4));
}

void DrawRemovableDrive(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  // A pocket storage stick: plug on the right, ring for a strap on the left.
  p.setPen(QPen(kGraphite, 0.9));
  p.setBrush(MetalGradient(QPointF(0, 12), QPointF(0, 21), kSilver));
  p.drawRect(QRectF(22.5, 12.5, 7, 8));
  p.setBrush(kGraphite);
  p.drawRect(QRectF(25, 14.5, 2, 1.5));
  p.drawRect(QRectF(25, 17, 2, 1.5));

  const QRectF body(3.5, 9.5, 20, 14);
  QLinearGradient shell(body.topLeft(), body.bottomLeft());
  shell.setColorAt(0.0, kSteelLight);
  shell.setColorAt(0.5, kSteel);
  shell.setColorAt(1.0, kNavy);
  p.setPen(QPen(kNavyDeep, 1.0));
  p.setBrush(shell);
  p.drawRoundedRect(body, 3.5, 3.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kFace.darker(160), 1.0));
  p.drawEllipse(QPointF(7, 16.5), 1.8, 1.8);
  p.fillRect(QRectF(17, 12, 3, 1.6), QColor(0xFF, 0xC2, 0x40));
}

void DrawFloppyDrive(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  QPolygonF body;
  body << QPointF(4.5, 3.5) << QPointF(25.5, 3.5) << QPointF(28.5, 6.5) << QPointF(28.5, 28.5)
       << QPointF(4.5, 28.5);
  QLinearGradient shell(QPointF(0, 3.5), QPointF(0, 28.5));
  shell.setColorAt(0.0, QColor(0x34, 0x4A, 0x78));
  shell.setColorAt(1.0, QColor(0x12, 0x1A, 0x30));
  p.setPen(QPen(kNavyDeep, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.setBrush(shell);
  p.drawPolygon(body);
  DrawShutter(p, QRectF(9.5, 3.5, 14, 9.5), QRectF(17.5, 5, 3.5, 6.5));
  DrawLabel(p, QRectF(8, 16, 17, 12.5), kRed);
}

void DrawCdDrive(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  const QPointF centre(16, 16);
  QPainterPath disc;
  disc.addEllipse(centre, 13.5, 13.5);
  disc.addEllipse(centre, 2.4, 2.4);
  disc.setFillRule(Qt::OddEvenFill);

  QRadialGradient silver(centre, 13.5);
  silver.setColorAt(0.0, QColor(0xF4, 0xF6, 0xF9));
  silver.setColorAt(1.0, QColor(0xB4, 0xBD, 0xCA));
  p.setPen(QPen(QColor(0x55, 0x5E, 0x6C), 1.0));
  p.setBrush(silver);
  p.drawPath(disc);

  // The rainbow sheen of the data side.
  QConicalGradient sheen(centre, 35);
  const QColor bands[] = {QColor(0x5C, 0xD4, 0xFF, 170), QColor(0xFF, 0x7E, 0xE0, 150),
                          QColor(0xFF, 0xEA, 0x60, 170), QColor(0xFF, 0xFF, 0xFF, 40),
                          QColor(0x5C, 0xD4, 0xFF, 170)};
  for (int i = 0; i < 5; ++i) sheen.setColorAt(i / 4.0, bands[i]);
  p.setPen(Qt::NoPen);
  p.setBrush(sheen);
  p.drawPath(disc);

  p.setPen(QPen(QColor(0x8A, 0x94, 0xA2), 0.8));
  p.setBrush(QColor(0xE9, 0xEC, 0xF1));
  QPainterPath hub;
  hub.addEllipse(centre, 5.5, 5.5);
  hub.addEllipse(centre, 2.4, 2.4);
  hub.setFillRule(Qt::OddEvenFill);
  p.drawPath(hub);
}

void DrawRamDrive(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  const QRectF board(2.5, 8.5, 27, 15);
  QLinearGradient pcb(board.topLeft(), board.bottomLeft());
  pcb.setColorAt(0.0, QColor(0x2E, 0x9A, 0x50));
  pcb.setColorAt(1.0, QColor(0x15, 0x5E, 0x2E));
  p.setPen(QPen(QColor(0x0C, 0x36, 0x1A), 1.0));
  p.setBrush(pcb);
  p.drawRect(board);

  for (int i = 0; i < 4; ++i) {
    const QRectF chip(4.5 + i * 6.3, 10.5, 4.8, 7);
    p.setPen(QPen(QColor(0x05, 0x08, 0x0C), 0.6));
    p.setBrush(QColor(0x22, 0x26, 0x2E));
    p.drawRect(chip);
    p.fillRect(QRectF(chip.left() + 0.6, chip.top() + 0.6, chip.width() - 1.2, 1.2),
               QColor(0x4A, 0x52, 0x60));
  }
  // Gold contacts along the edge, broken by the key notch.
  for (qreal x = 4; x < 28; x += 2) {
    if (x > 14.5 && x < 17.5) continue;
    p.fillRect(QRectF(x, 19.5, 1.3, 3.5), kBrass);
  }
  p.fillRect(QRectF(15, 21, 2, 3), kFace);
}

}  // namespace vek::draw

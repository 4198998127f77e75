// The main window's button glyphs and the processing window's status icons.

#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

#include "forms/draw/motifs.h"
#include "forms/draw/palette.h"
#include "forms/draw/pictures.h"

namespace vek::draw {
namespace {

constexpr qreal kGrid = 32;
constexpr qreal kSmallGrid = 16;

QPen RoundPen(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawDocumentWithLock(QPainter& p, const QSizeF& size, const TLockLook& look) {
  BeginIcon(p, size, kGrid, kFace);
  DrawPage(p, QRectF(3.5, 2.5, 17, 22), 4);
  DrawPadlock(p, look.Open ? QRectF(13, 14, 16, 16) : QRectF(13, 11, 16, 19), look);
}

// A small badge in the lower right of a page, as the list buttons show it.
void DrawPageBadge(QPainter& p, const QSizeF& size, const QColor& colour) {
  BeginIcon(p, size, kSmallGrid, kFace);
  DrawPage(p, QRectF(1.5, 0.5, 9, 12), 3);
  DrawGlossyBadge(p, QRectF(6.5, 6.5, 9, 9), colour);
}

void DrawTick(QPainter& p, const QPolygonF& stroke, const QColor& colour, qreal width) {
  p.setPen(RoundPen(colour, width));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(stroke);
}

QPainterPath GearOutline(QPointF centre, int teeth, qreal outer, qreal root) {
  QPolygonF rim;
  const qreal step = 360.0 / teeth;
  const auto point = [&](qreal degrees, qreal radius) {
    const qreal a = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(std::cos(a) * radius, std::sin(a) * radius);
  };
  for (int i = 0; i < teeth; ++i) {
    const qreal mid = i * step;
    rim << point(mid - step * 0.30, root) << point(mid - step * 0.17, outer)
        << point(mid + step * 0.17, outer) << point(mid + step * 0.30, root);
  }
  QPainterPath gear;
  gear.addPolygon(rim);
  gear.closeSubpath();
  return gear;
}

// The dial's rotating face: 18 dots, a grip bar through the hub and a brass
// pointer, turned by `degrees`.
void DrawDialFace(QPainter& p, QPointF centre, qreal degrees) {
  p.save();
  p.translate(centre);
  p.rotate(degrees);
  p.setPen(Qt::NoPen);
  p.setBrush(kSteelLight);
  for (int i = 0; i < 18; ++i) {
    const qreal a = i * 20.0 * std::numbers::pi / 180.0;
    p.drawEllipse(QPointF(std::cos(a) * 9.3, std::sin(a) * 9.3), 0.75, 0.75);
  }
  p.setBrush(MetalGradient(QPointF(-5, -5), QPointF(5, 5), kSilver));
  p.setPen(QPen(kGraphite, 0.8));
  p.drawEllipse(QPointF(0, 0), 5.2, 5.2);
  p.drawRoundedRect(QRectF(-6.8, -1.3, 13.6, 2.6), 1.2, 1.2);

  QPolygonF pointer;
  pointer << QPointF(0, -11.2) << QPointF(-2.6, -6.6) << QPointF(2.6, -6.6);
  p.setBrush(kBrass);
  p.setPen(QPen(QColor(0x5A, 0x3E, 0x08), 0.7));
  p.drawPolygon(pointer);
  p.restore();
}

}  // namespace

void DrawEncryptGlyph(QPainter& p, const QSizeF& size) {
  DrawDocumentWithLock(p, size, {false, kSteel});
}

void DrawDecryptGlyph(QPainter& p, const QSizeF& size) {
  DrawDocumentWithLock(p, size, {true, kGreen});
}

void DrawOptionsGlyph(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  const QPointF centre(16, 16);
  QPainterPath gear = GearOutline(centre, 8, 14, 10.5);
  QPainterPath hole;
  hole.addEllipse(centre, 4.2, 4.2);
  gear = gear.subtracted(hole);
  p.setPen(QPen(kGraphite, 1.0));
  p.setBrush(MetalGradient(QPointF(3, 3), QPointF(29, 29), kSilver));
  p.drawPath(gear);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kSteel, 2.2));
  p.drawEllipse(centre, 6.6, 6.6);
}

void DrawWebSupportGlyph(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawGlobe(p, QPointF(14.5, 14.5), 12.5);
  const QRectF badge(19, 19, 12, 12);
  DrawGlossyBadge(p, badge, kAmber);
  p.setPen(kNavyDeep);
  p.setFont(BrandFont(10, true));
  p.drawText(badge.adjusted(0, 0.5, 0, 0.5), Qt::AlignCenter, QStringLiteral("?"));
}

void DrawAboutGlyph(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawGlossyBadge(p, QRectF(3, 3, 26, 26), kSteel);
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  p.drawEllipse(QPointF(16, 9.6), 2.4, 2.4);
  p.drawRoundedRect(QRectF(14, 13.4, 4, 10.2), 1, 1);
  p.drawRoundedRect(QRectF(12, 21.8, 8, 2.4), 1, 1);
  p.drawRoundedRect(QRectF(12.5, 13.4, 4, 2.2), 1, 1);
}

void DrawExitGlyph(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawGlossyBadge(p, QRectF(3, 3, 26, 26), kRed);
  p.setPen(RoundPen(kWhite, 2.8));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(9.5, 10, 13, 13), 125 * 16, 290 * 16);
  p.drawLine(QPointF(16, 7.8), QPointF(16, 15.5));
}

void DrawAddGlyph(QPainter& p, const QSizeF& size) {
  DrawPageBadge(p, size, kGreen);
  p.setPen(RoundPen(kWhite, 1.7));
  p.drawLine(QPointF(11, 8.7), QPointF(11, 13.3));
  p.drawLine(QPointF(8.7, 11), QPointF(13.3, 11));
}

void DrawRemoveGlyph(QPainter& p, const QSizeF& size) {
  DrawPageBadge(p, size, kRed);
  p.setPen(RoundPen(kWhite, 1.7));
  p.drawLine(QPointF(8.7, 11), QPointF(13.3, 11));
}

void DrawClearGlyph(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kSmallGrid, kFace);
  p.setPen(QPen(QColor(0x55, 0x5E, 0x6C), 1.0));
  p.setBrush(kWhite);
  p.drawRect(QRectF(1.5, 1.5, 11, 12));
  for (int row = 0; row < 3; ++row) {
    const qreal y = 4 + row * 3.2;
    p.fillRect(QRectF(3, y, 2, 2), kSteel);
    p.fillRect(QRectF(6, y + 0.5, 5, 1), QColor(0x9A, 0xA6, 0xB8));
  }
  // An eraser lying across the lower right corner.
  p.translate(11.2, 11.8);
  p.rotate(-35);
  p.setPen(QPen(kGraphite, 0.8));
  p.setBrush(QColor(0xF2, 0x8F, 0xA4));
  p.drawRect(QRectF(-4.5, -2.2, 4.5, 4.4));
  p.setBrush(kSteel);
  p.drawRect(QRectF(0, -2.2, 4.5, 4.4));
}

void DrawDeleteGlyph(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kSmallGrid, kFace);
  p.setPen(QPen(kGraphite, 0.9));
  p.setBrush(MetalGradient(QPointF(3, 0), QPointF(13, 0), kSilver));
  QPolygonF bin;
  bin << QPointF(3.5, 5.5) << QPointF(12.5, 5.5) << QPointF(11.5, 15) << QPointF(4.5, 15);
  p.drawPolygon(bin);
  p.drawRoundedRect(QRectF(2, 3, 12, 2.4), 0.8, 0.8);
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(6, 1.2, 4, 1.8), 0.6, 0.6);
  p.setPen(QPen(kGraphite.lighter(180), 0.9));
  for (const qreal x : {6.2, 8.0, 9.8}) p.drawLine(QPointF(x, 7.3), QPointF(x, 13.3));
}

void DrawVerifyStatus(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawPage(p, QRectF(4.5, 2.5, 17, 23), 5);
  const QPointF glass(18, 17);
  p.setPen(RoundPen(kGraphite, 4));
  p.drawLine(QPointF(23, 22), QPointF(28.5, 27.5));
  p.setPen(RoundPen(kSilver, 1.6));
  p.drawLine(QPointF(23.6, 22.6), QPointF(28, 27));
  p.setPen(QPen(kGraphite, 2.4));
  p.setBrush(QColor(0xB8, 0xD8, 0xF4, 170));
  p.drawEllipse(glass, 7, 7);
  QPolygonF tick;
  tick << QPointF(14.6, 17.2) << QPointF(17.2, 19.8) << QPointF(21.6, 14.2);
  DrawTick(p, tick, kGreen.darker(115), 2.1);
}

void DrawOverwriteStatus(QPainter& p, const QSizeF& size, int phase) {
  BeginIcon(p, size, kGrid, kFace);
  DrawPage(p, QRectF(5.5, 2.5, 21, 27), 0);
  const QColor lit = kRed;
  const QColor dim(0xE9, 0xCF, 0xCF);
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      const bool on = (row + col + phase) % 2 == 0;
      p.fillRect(QRectF(8.5 + col * 4.1, 11 + row * 4.1, 3.2, 3.2), on ? lit : dim);
    }
  }
}

void DrawFinishedStatus(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  DrawGlossyBadge(p, QRectF(3, 3, 26, 26), kGreen);
  QPolygonF tick;
  tick << QPointF(9.5, 16.5) << QPointF(14, 21) << QPointF(22.5, 10.8);
  DrawTick(p, tick, kWhite, 3.2);
}

void DrawRotateStatus(QPainter& p, const QSizeF& size, int frame, int frames) {
  BeginIcon(p, size, kGrid, kFace);
  const QPointF centre(16, 16);
  p.setPen(QPen(kGraphite, 1.0));
  p.setBrush(MetalGradient(QPointF(2, 2), QPointF(30, 30), kSilver));
  p.drawEllipse(centre, 14.5, 14.5);
  QRadialGradient face(centre, 11.5, centre - QPointF(3, 4));
  face.setColorAt(0.0, kSteel);
  face.setColorAt(1.0, kNavyDeep);
  p.setBrush(face);
  p.drawEllipse(centre, 11.5, 11.5);
  DrawDialFace(p, centre, 360.0 * frame / frames);

  // The fixed index mark on the bezel.
  QPolygonF index;
  index << QPointF(16, 4.2) << QPointF(14, 1.4) << QPointF(18, 1.4);
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawPolygon(index);
}

void DrawWarningStatus(QPainter& p, const QSizeF& size) {
  BeginIcon(p, size, kGrid, kFace);
  QPolygonF sign;
  sign << QPointF(16, 3) << QPointF(30, 28) << QPointF(2, 28);
  QLinearGradient fill(QPointF(0, 3), QPointF(0, 28));
  fill.setColorAt(0.0, kAmber.lighter(135));
  fill.setColorAt(1.0, kAmber.darker(115));
  p.setPen(QPen(kGraphite, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(fill);
  p.drawPolygon(sign);
  p.setPen(Qt::NoPen);
  p.setBrush(kNavyDeep);
  p.drawRoundedRect(QRectF(14.6, 10.5, 2.8, 10.5), 1.2, 1.2);
  p.drawEllipse(QPointF(16, 24.3), 1.7, 1.7);
}

}  // namespace vek::draw

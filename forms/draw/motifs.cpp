#include "forms/draw/motifs.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

#include "forms/draw/palette.h"

namespace vek::draw {
namespace {

QColor WithAlpha(QColor colour, int alpha) {
  colour.setAlpha(alpha);
  return colour;
}

// --- padlock ---------------------------------------------------------------

struct TLockGeometry {
  QRectF Body;
  QPainterPath Shackle;  // centre line
  qreal ShackleWidth;
};

TLockGeometry LockGeometry(const QRectF& box, bool open) {
  const qreal w = box.width();
  const qreal h = box.height();
  TLockGeometry g;
  g.Body = QRectF(box.left(), box.top() + 0.45 * h, w, 0.55 * h);
  g.ShackleWidth = 0.15 * w;

  const qreal span = 0.56 * w;  // distance between the two legs
  const qreal left = box.center().x() - span / 2;
  const qreal right = left + span;
  const qreal lift = open ? 0.3 * h : 0.0;
  const qreal arcTop = box.top() + g.ShackleWidth / 2 - lift;
  const qreal legTop = arcTop + span / 2;
  const qreal inBody = g.Body.top() + 0.12 * h;

  g.Shackle.moveTo(left, inBody);
  g.Shackle.lineTo(left, legTop);
  g.Shackle.arcTo(QRectF(left, arcTop, span, span), 180, -180);
  // An open shackle's free leg stops short of the body.
  g.Shackle.lineTo(right, open ? g.Body.top() - 0.2 * h : inBody);
  return g;
}

void DrawShackle(QPainter& p, const TLockGeometry& g, const QRectF& box) {
  const qreal outline = std::max(1.0, 0.03 * box.width());
  p.setBrush(Qt::NoBrush);
  p.setPen(
      QPen(kGraphite, g.ShackleWidth + 2 * outline, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.drawPath(g.Shackle);
  const QLinearGradient metal = MetalGradient(box.topLeft(), box.topRight(), kSilver);
  p.setPen(QPen(QBrush(metal), g.ShackleWidth, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.drawPath(g.Shackle);
}

void DrawLockBody(QPainter& p, const QRectF& body, const QColor& colour) {
  const qreal radius = 0.14 * body.width();
  QLinearGradient fill(body.topLeft(), body.bottomLeft());
  fill.setColorAt(0.0, colour.lighter(165));
  fill.setColorAt(0.45, colour);
  fill.setColorAt(1.0, colour.darker(170));
  p.setPen(QPen(colour.darker(260), std::max(1.0, 0.035 * body.width())));
  p.setBrush(fill);
  p.drawRoundedRect(body, radius, radius);

  // Glassy highlight over the upper half.
  const QRectF gloss = body.adjusted(0.08 * body.width(), 0.06 * body.height(),
                                     -0.08 * body.width(), -0.5 * body.height());
  QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
  shine.setColorAt(0.0, WithAlpha(kWhite, 150));
  shine.setColorAt(1.0, WithAlpha(kWhite, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shine);
  p.drawRoundedRect(gloss, radius * 0.7, radius * 0.7);
}

void DrawKeyhole(QPainter& p, const QRectF& body) {
  const qreal cx = body.center().x();
  const qreal r = 0.11 * body.width();
  const qreal cy = body.top() + 0.40 * body.height();
  QPainterPath hole;
  hole.addEllipse(QPointF(cx, cy), r, r);
  QPolygonF slot;
  slot << QPointF(cx - 0.045 * body.width(), cy) << QPointF(cx + 0.045 * body.width(), cy)
       << QPointF(cx + 0.075 * body.width(), body.top() + 0.80 * body.height())
       << QPointF(cx - 0.075 * body.width(), body.top() + 0.80 * body.height());
  hole.addPolygon(slot);
  hole.setFillRule(Qt::WindingFill);
  p.setPen(Qt::NoPen);
  p.setBrush(kNavyDeep);
  p.drawPath(hole.simplified());
}

// --- key -------------------------------------------------------------------

// The key's parts in its own frame: ring centre at the origin, pointing right.
struct TKeyShapes {
  QPainterPath Ring;
  QPainterPath Shaft;
  QPainterPath Bit;
};

TKeyShapes KeyShapes(qreal length) {
  const qreal L = length;
  TKeyShapes s;
  s.Ring.addEllipse(QPointF(0, 0), 0.20 * L, 0.20 * L);
  s.Ring.addEllipse(QPointF(-0.02 * L, 0), 0.075 * L, 0.075 * L);
  s.Ring.setFillRule(Qt::OddEvenFill);

  const qreal half = 0.045 * L;
  s.Shaft.addRoundedRect(QRectF(0.15 * L, -half, 0.85 * L, 2 * half), half, half);

  // Teeth: (start, end, depth) along the shaft, depth as a share of the full bit.
  struct TTooth {
    qreal From, To, Depth;
  };
  const TTooth teeth[] = {{0.62, 0.68, 1.0},
                          {0.68, 0.74, 0.55},
                          {0.74, 0.81, 1.0},
                          {0.81, 0.86, 0.65},
                          {0.86, 0.94, 1.0}};
  const qreal depth = 0.17 * L;
  QPolygonF bit;
  bit << QPointF(0.62 * L, 0);
  for (const TTooth& t : teeth) {
    bit << QPointF(t.From * L, half + depth * t.Depth) << QPointF(t.To * L, half + depth * t.Depth);
  }
  bit << QPointF(0.94 * L, 0);
  s.Bit.addPolygon(bit);
  s.Bit.closeSubpath();
  return s;
}

QLinearGradient BrassGradient(qreal halfHeight, qreal brightness) {
  QLinearGradient g(QPointF(0, -halfHeight), QPointF(0, halfHeight));
  const int light = static_cast<int>(100 + 60 * brightness);
  g.setColorAt(0.0, QColor(0xFB, 0xEA, 0xA8).lighter(light));
  g.setColorAt(0.5, kBrass.lighter(light));
  g.setColorAt(1.0, QColor(0x86, 0x5E, 0x12).lighter(light));
  return g;
}

// Edge-on, a key still shows the thickness of its metal.
qreal VisibleTurn(qreal turn) {
  constexpr qreal kEdge = 0.12;
  if (std::abs(turn) >= kEdge) return turn;
  return turn < 0 ? -kEdge : kEdge;
}

void PlaceKey(QPainter& p, const TKeyPose& pose) {
  p.translate(pose.Bow);
  p.rotate(pose.Angle);
}

// --- watermarks ------------------------------------------------------------

void DrawWatermark(QPainter& p, const QSizeF& size, TWatermark watermark, const QColor& colour) {
  const qreal h = std::min(size.height() * 0.78, size.width() * 0.55);
  const qreal right = size.width() - 0.06 * h;
  const qreal bottom = size.height() - 0.08 * h;
  if (watermark == TWatermark::Padlock) {
    DrawPadlockSilhouette(p, QRectF(right - 0.8 * h, bottom - h, 0.8 * h, h), colour);
    return;
  }
  const TKeyPose pose{QPointF(right - 1.1 * h, bottom - 0.62 * h), 1.05 * h, -28, 1};
  DrawKeySilhouette(p, pose, colour);
}

}  // namespace

QFont BrandFont(qreal pixelSize, bool bold) {
  QFont font = QGuiApplication::font();
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
  font.setBold(bold);
  return font;
}

void ScaleToGrid(QPainter& p, const QSizeF& size, qreal grid) {
  p.scale(size.width() / grid, size.height() / grid);
}

void BeginIcon(QPainter& p, const QSizeF& size, qreal grid, const QColor& background) {
  p.fillRect(QRectF(QPointF(0, 0), size), background);
  ScaleToGrid(p, size, grid);
}

void FillVertical(QPainter& p, const QRectF& area, const QColor& top, const QColor& bottom) {
  QLinearGradient g(area.topLeft(), area.bottomLeft());
  g.setColorAt(0.0, top);
  g.setColorAt(1.0, bottom);
  p.fillRect(area, g);
}

QLinearGradient MetalGradient(QPointF from, QPointF to, const QColor& tint) {
  QLinearGradient g(from, to);
  g.setColorAt(0.00, tint.darker(125));
  g.setColorAt(0.22, tint.lighter(125));
  g.setColorAt(0.45, tint.darker(108));
  g.setColorAt(0.62, tint.lighter(118));
  g.setColorAt(1.00, tint.darker(150));
  return g;
}

void DrawPadlock(QPainter& p, const QRectF& box, const TLockLook& look) {
  p.save();
  const TLockGeometry g = LockGeometry(box, look.Open);
  DrawShackle(p, g, box);
  DrawLockBody(p, g.Body, look.Body);
  DrawKeyhole(p, g.Body);
  p.restore();
}

void DrawPadlockSilhouette(QPainter& p, const QRectF& box, const QColor& colour) {
  p.save();
  const TLockGeometry g = LockGeometry(box, false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour, g.ShackleWidth, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.drawPath(g.Shackle);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  const qreal radius = 0.14 * g.Body.width();
  p.drawRoundedRect(g.Body, radius, radius);
  p.restore();
}

void DrawKey(QPainter& p, const TKeyPose& pose) {
  p.save();
  PlaceKey(p, pose);
  const TKeyShapes s = KeyShapes(pose.Length);
  const qreal turn = VisibleTurn(pose.Turn);
  const QPen edge(QColor(0x5A, 0x3E, 0x08), std::max(0.8, 0.022 * pose.Length));
  const qreal shaftHalf = 0.045 * pose.Length;

  // Bit and ring turn with the key; the round shaft looks the same from every side.
  p.save();
  p.scale(1, turn);
  p.setPen(edge);
  p.setBrush(BrassGradient(0.2 * pose.Length, turn * 0.5));
  p.drawPath(s.Bit);
  p.restore();

  p.setPen(edge);
  p.setBrush(BrassGradient(shaftHalf, 0.3));
  p.drawPath(s.Shaft);

  p.scale(1, turn);
  p.setBrush(BrassGradient(0.2 * pose.Length, turn));
  p.drawPath(s.Ring);
  p.restore();
}

void DrawKeySilhouette(QPainter& p, const TKeyPose& pose, const QColor& colour) {
  p.save();
  PlaceKey(p, pose);
  const TKeyShapes s = KeyShapes(pose.Length);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(s.Shaft.united(s.Bit));
  p.drawPath(s.Ring);
  p.restore();
}

void DrawEmblem(QPainter& p, const QRectF& lockBox) {
  DrawPadlock(p, lockBox, {false, kSteel});
  const qreal w = lockBox.width();
  // The key passes under the keyhole so that both stay readable.
  const TKeyPose key{QPointF(lockBox.left(), lockBox.bottom() + 0.03 * lockBox.height()), 1.15 * w,
                     -24, 1};
  DrawKey(p, key);
}

void DrawGlossyBadge(QPainter& p, const QRectF& circle, const QColor& colour) {
  p.save();
  QRadialGradient fill(circle.center(), circle.width() / 2,
                       circle.center() - QPointF(circle.width() * 0.2, circle.height() * 0.25));
  fill.setColorAt(0.0, colour.lighter(170));
  fill.setColorAt(0.6, colour);
  fill.setColorAt(1.0, colour.darker(150));
  p.setPen(QPen(colour.darker(230), std::max(1.0, circle.width() * 0.04)));
  p.setBrush(fill);
  p.drawEllipse(circle);

  const QRectF gloss(circle.left() + circle.width() * 0.18, circle.top() + circle.height() * 0.06,
                     circle.width() * 0.64, circle.height() * 0.42);
  QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
  shine.setColorAt(0.0, WithAlpha(kWhite, 190));
  shine.setColorAt(1.0, WithAlpha(kWhite, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shine);
  p.drawEllipse(gloss);
  p.restore();
}

void DrawGlobe(QPainter& p, QPointF centre, qreal radius) {
  p.save();
  QPainterPath sphere;
  sphere.addEllipse(centre, radius, radius);
  QRadialGradient sea(centre, radius, centre - QPointF(radius * 0.35, radius * 0.4));
  sea.setColorAt(0.0, kSteelLight.lighter(125));
  sea.setColorAt(0.55, kSteel);
  sea.setColorAt(1.0, kNavy);
  p.setPen(Qt::NoPen);
  p.setBrush(sea);
  p.drawPath(sphere);

  // Land, in unit coordinates of the sphere, clipped to it.
  p.setClipPath(sphere, Qt::IntersectClip);
  const auto at = [&](qreal x, qreal y) { return centre + QPointF(x * radius, y * radius); };
  QPolygonF west;
  west << at(-0.75, -0.55) << at(-0.2, -0.75) << at(0.05, -0.35) << at(-0.25, -0.05)
       << at(-0.1, 0.35) << at(-0.35, 0.8) << at(-0.6, 0.25) << at(-0.95, -0.1);
  QPolygonF east;
  east << at(0.25, -0.6) << at(0.8, -0.45) << at(0.95, 0.05) << at(0.55, 0.2) << at(0.45, 0.65)
       << at(0.2, 0.3) << at(0.3, -0.1);
  p.setBrush(QColor(0x3F, 0x9E, 0x4A));
  p.drawPolygon(west);
  p.drawPolygon(east);

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(WithAlpha(kWhite, 120), std::max(0.6, radius / 14)));
  p.drawEllipse(centre, radius * 0.45, radius);
  p.drawLine(at(0, -1), at(0, 1));
  p.drawLine(at(-1, 0), at(1, 0));
  p.drawEllipse(centre, radius, radius * 0.5);
  p.setClipping(false);

  p.setPen(QPen(kNavyDeep, std::max(1.0, radius / 12)));
  p.drawPath(sphere);
  p.restore();
}

void DrawPage(QPainter& p, const QRectF& sheet, int lines) {
  p.save();
  const qreal fold = sheet.width() * 0.3;
  QPolygonF outline;
  outline << sheet.topLeft() << QPointF(sheet.right() - fold, sheet.top())
          << QPointF(sheet.right(), sheet.top() + fold) << sheet.bottomRight()
          << sheet.bottomLeft();
  QLinearGradient paper(sheet.topLeft(), sheet.bottomRight());
  paper.setColorAt(0.0, kWhite);
  paper.setColorAt(1.0, QColor(0xDD, 0xE3, 0xEC));
  p.setPen(QPen(QColor(0x55, 0x5E, 0x6C), 1.0));
  p.setBrush(paper);
  p.drawPolygon(outline);

  QPolygonF corner;
  corner << QPointF(sheet.right() - fold, sheet.top())
         << QPointF(sheet.right() - fold, sheet.top() + fold)
         << QPointF(sheet.right(), sheet.top() + fold);
  p.setBrush(QColor(0xC4, 0xCC, 0xD8));
  p.drawPolygon(corner);

  p.setPen(QPen(QColor(0x9A, 0xA6, 0xB8), 1.0));
  const qreal gap = (sheet.height() - fold - 2) / (lines + 1);
  for (int i = 1; i <= lines; ++i) {
    const qreal y = std::floor(sheet.top() + fold + gap * i) + 0.5;
    const qreal end = i == lines ? sheet.center().x() : sheet.right() - 3;
    p.drawLine(QPointF(sheet.left() + 3, y), QPointF(end, y));
  }
  p.restore();
}

void DrawBevelTile(QPainter& p, const QRectF& area) {
  p.save();
  FillVertical(p, area, kSteel, kNavyDeep);
  QRadialGradient glow(area.center(), area.width() * 0.6);
  glow.setColorAt(0.0, WithAlpha(kSteelLight, 90));
  glow.setColorAt(1.0, WithAlpha(kSteelLight, 0));
  p.fillRect(area, glow);
  const QRectF edge = area.adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(kSteelLight, 1.0));
  p.drawLine(edge.topLeft(), edge.topRight());
  p.drawLine(edge.topLeft(), edge.bottomLeft());
  p.setPen(QPen(kNavyDeep.darker(150), 1.0));
  p.drawLine(edge.bottomLeft(), edge.bottomRight());
  p.drawLine(edge.topRight(), edge.bottomRight());
  p.restore();
}

qreal DrawWordmark(QPainter& p, QPointF origin, qreal pixelSize) {
  p.save();
  const QFont font = BrandFont(pixelSize, true);
  const QString brand = QStringLiteral("VEK");
  const QString year = QStringLiteral(" 2003");
  QPainterPath first;
  first.addText(origin, font, brand);
  QPainterPath second;
  second.addText(origin + QPointF(QFontMetricsF(font).horizontalAdvance(brand), 0), font, year);

  const QPointF shadow(pixelSize * 0.05, pixelSize * 0.05);
  p.setPen(Qt::NoPen);
  p.setBrush(WithAlpha(QColor(0, 0, 0), 140));
  p.drawPath(first.translated(shadow));
  p.drawPath(second.translated(shadow));

  const QPointF top = origin - QPointF(0, pixelSize * 0.75);
  QLinearGradient silver(top, origin);
  silver.setColorAt(0.0, kWhite);
  silver.setColorAt(0.55, kSilver);
  silver.setColorAt(1.0, kSilverLight);
  QLinearGradient steel(top, origin);
  steel.setColorAt(0.0, kSteelLight.lighter(130));
  steel.setColorAt(1.0, kSteelLight.darker(115));
  p.setPen(QPen(kNavyDeep, std::max(0.8, pixelSize / 40)));
  p.setBrush(silver);
  p.drawPath(first);
  p.setBrush(steel);
  p.drawPath(second);
  p.restore();
  return QFontMetricsF(font).horizontalAdvance(kProductName);
}

void DrawTextLine(QPainter& p, QPointF origin, const QString& text, qreal pixelSize,
                  const QColor& colour, bool bold) {
  p.save();
  p.setFont(BrandFont(pixelSize, bold));
  p.setPen(colour);
  p.drawText(origin, text);
  p.restore();
}

qreal TextWidth(const QString& text, qreal pixelSize, bool bold) {
  return QFontMetricsF(BrandFont(pixelSize, bold)).horizontalAdvance(text);
}

void DrawBrandBackdrop(QPainter& p, const QRectF& area, QPointF glow) {
  p.save();
  FillVertical(p, area, kNavy, kNavyDeep);
  QRadialGradient light(glow, std::max(area.width(), area.height()) * 0.55);
  light.setColorAt(0.0, WithAlpha(kSteel, 170));
  light.setColorAt(1.0, WithAlpha(kSteel, 0));
  p.fillRect(area, light);

  // A faint grid, as on a circuit board: sparse enough to stay quiet.
  constexpr qreal kCell = 24;
  p.setPen(QPen(WithAlpha(kSteelLight, 18), 1.0));
  for (qreal x = area.left() + kCell / 2; x < area.right(); x += kCell) {
    p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
  }
  for (qreal y = area.top() + kCell / 2; y < area.bottom(); y += kCell) {
    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
  }
  p.restore();
}

void DrawDialogBackdrop(QPainter& p, const QSizeF& size, TWatermark watermark) {
  p.save();
  const QRectF area(QPointF(0, 0), size);
  FillVertical(p, area, kDialogTop, kDialogBottom);
  DrawWatermark(p, size, watermark, kDialogBottom.darker(105));

  QLinearGradient rule(area.bottomLeft(), area.bottomRight());
  rule.setColorAt(0.0, kSteel);
  rule.setColorAt(1.0, WithAlpha(kSteel, 0));
  p.fillRect(QRectF(0, size.height() - 3, size.width(), 3), rule);
  p.setPen(QPen(kWhite, 1.0));
  p.drawLine(QPointF(0, 0.5), QPointF(size.width(), 0.5));
  p.restore();
}

}  // namespace vek::draw

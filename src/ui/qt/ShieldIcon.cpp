#include "ui/qt/ShieldIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vz::ui::qt {

namespace {

QPixmap DrawShield(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  QPainterPath shield;
  shield.moveTo(s * 0.5, s * 0.06);
  shield.lineTo(s * 0.88, s * 0.2);
  shield.cubicTo(s * 0.88, s * 0.58, s * 0.72, s * 0.8, s * 0.5, s * 0.95);
  shield.cubicTo(s * 0.28, s * 0.8, s * 0.12, s * 0.58, s * 0.12, s * 0.2);
  shield.closeSubpath();
  p.setPen(QPen(QColor(20, 50, 110), s / 16.0));
  p.setBrush(QColor(40, 110, 200));
  p.drawPath(shield);
  // The check mark of a guarded machine.
  QPainterPath check;
  check.moveTo(s * 0.32, s * 0.5);
  check.lineTo(s * 0.46, s * 0.64);
  check.lineTo(s * 0.7, s * 0.34);
  p.setPen(QPen(Qt::white, s / 10.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(check);
  return pixmap;
}

}  // namespace

QIcon ShieldIcon() {
  QIcon icon;
  for (int size : {16, 22, 32, 48, 64}) icon.addPixmap(DrawShield(size));
  return icon;
}

}  // namespace vz::ui::qt

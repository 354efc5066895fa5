#include "widgets/Emblem.h"

#include <QPainter>
#include <QPainterPath>

namespace lctune {

QPixmap studioEmblem(int width, int height, qreal ratio) {
    QPixmap pixmap(QSize(width, height) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.5));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(4, 18 + 14 * i), QPointF(width - 4, 18 + 14 * i));
    QPainterPath fork;
    const qreal cx = width / 2.0;
    fork.moveTo(cx - 10, 6);
    fork.lineTo(cx - 10, 36);
    fork.quadTo(cx - 10, 46, cx, 46);
    fork.quadTo(cx + 10, 46, cx + 10, 36);
    fork.lineTo(cx + 10, 6);
    fork.moveTo(cx, 46);
    fork.lineTo(cx, height - 6);
    p.setPen(QPen(QColor(250, 226, 140), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(fork);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 226, 140));
    p.drawEllipse(QPointF(cx, height - 8), 5, 5);
    return pixmap;
}

} // namespace lctune

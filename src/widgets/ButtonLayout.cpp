#include "widgets/ButtonLayout.h"

#include <QPainterPath>

namespace lctune {

ButtonPlacement placeIconAndCaption(int placement, QSize button, QSize border, QSize icon, QSize caption,
                                    bool hasIcon, bool captionEmpty) {
    const int W = button.width(), H = button.height();
    const int bw = border.width(), bh = border.height();
    const int iw = icon.width(), ih = icon.height();
    const int cw = caption.width(), ch = caption.height();
    ButtonPlacement at;
    at.caption = QPoint((bw - cw) / 2, (bh - ch) / 2);
    if (!hasIcon) return at;
    switch (placement) {
    case 1:
        at.icon = QPoint((bw - iw) / 2, 1);
        at.caption = QPoint((bw - cw) / 2, bh - ch - 2);
        break;
    case 2:
        at.icon = QPoint((bw - iw) / 2, H - ih - 2);
        at.caption = QPoint((bw - cw) / 2, 4);
        break;
    case 3:
        at.icon = QPoint(4, (bh - ih) / 2);
        at.caption = QPoint((W - iw - cw) / 2 + iw, (bh - ch) / 2);
        break;
    case 4:
        at.icon = QPoint(W - 4 - iw, (bh - ih) / 2);
        at.caption = QPoint((W - cw - iw) / 2, (bh - ch) / 2);
        break;
    default:
        at.caption = QPoint((bw - cw) / 2, bh - ch - 4);
        at.icon = QPoint((bw - iw) / 2, captionEmpty ? (bh - ih) / 2 : (at.caption.y() - ih) / 2);
        break;
    }
    return at;
}

void drawRoundOutline(QPainter& painter, int left, int top, int right, int bottom, int corner,
                      const QColor& color, bool dotted) {
    if (right - left < 1 || bottom - top < 1) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, 1.0);
    if (dotted) pen.setDashPattern({1.0, 1.0});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double radius = std::max(0, corner) / 2.0;
    painter.drawRoundedRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1), radius,
                            radius);
    painter.restore();
}

void cutRoundedCorners(QPainter& painter, int width, int height, int corner) {
    QPainterPath outside;
    outside.addRect(QRectF(0, 0, width, height));
    QPainterPath shape;
    const double radius = std::max(0, corner) / 2.0;
    shape.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillPath(outside.subtracted(shape), Qt::transparent);
    painter.restore();
}

} // namespace lctune

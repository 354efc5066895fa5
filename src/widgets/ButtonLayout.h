#pragma once
// Placement of icon and caption shared by the two push buttons, and the rounded outlines they draw.

#include <QPainter>
#include <QPoint>
#include <QSize>

namespace lctune {

struct ButtonPlacement {
    QPoint icon;
    QPoint caption;
};

/// Where icon and caption go in a W x H button whose outer border measures border: without an
/// icon the caption is centred; with one, `placement` 0 puts the icon above the caption, 1 the icon
/// at the top, 2 the icon at the bottom, 3 the icon left, 4 the icon right.
ButtonPlacement placeIconAndCaption(int placement, QSize button, QSize border, QSize icon, QSize caption,
                                    bool hasIcon, bool captionEmpty);

/// The outline of a rounded rectangle from (left, top) to (right, bottom) as the platform draws
/// one: a one-pixel pen covering columns left ... right - 1 and rows top ... bottom - 1, corner
/// ellipse `corner` pixels wide. `dotted` alternates one pixel on, one off.
void drawRoundOutline(QPainter& painter, int left, int top, int right, int bottom, int corner,
                      const QColor& color, bool dotted = false);

/// Makes the corners outside the rounded window shape (0, 0)-(width, height) transparent.
void cutRoundedCorners(QPainter& painter, int width, int height, int corner);

} // namespace lctune

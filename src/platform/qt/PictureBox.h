#pragma once
// A picture widget that shows one plot surface. The plots draw into the surface whenever they
// like; the widget repaints only when the surface changed since its last paint, and only when
// asked: a window that draws on a timer calls refresh() once after each round of drawing. The
// widget is opaque (no background is painted under the picture) and keeps its size, because the
// plots hold on to the surface, whose pixel size is fixed. User-interface thread only.
//
//     PictureBox picAmpl(297, 100, window);      // logical pixels
//     picAmpl.surface().backColor(rgb(0, 0, 0));
//     draw.DrawAmplitudes(block, picAmpl.surface());
//     picAmpl.refresh();                          // one repaint, and none while nothing changes

#include "platform/qt/QImagePlotSurface.h"

#include <QWidget>

#include <cstdint>

namespace lctune {

class PictureBox : public QWidget {
public:
    /// A picture of width x height logical pixels, drawn at the screen's device pixel ratio
    /// (rounded up to a whole number).
    PictureBox(int32_t width, int32_t height, QWidget* parent = nullptr);
    /// The same, cleared to a background colour (packed R + 256 G + 65536 B).
    PictureBox(int32_t width, int32_t height, uint32_t background, QWidget* parent);

    QImagePlotSurface& surface() { return surface_; }
    const QImagePlotSurface& surface() const { return surface_; }
    /// Schedules a repaint of the pixels that differ from what the widget last showed: a surface
    /// drawn again with the same picture is not repainted at all, and a changed one only over the
    /// rows and columns that changed.
    void refresh();
    /// How many repaints refresh() has asked for.
    uint64_t repaintsAsked() const { return repaints_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int wantedScale() const;

    QImagePlotSurface surface_;
    uint64_t paintedChange_;
    /// What the widget shows: the surface's image as of the last refresh that found a change.
    QImage shown_;
    uint64_t repaints_ = 0;
};

} // namespace lctune

#pragma once
// Common ground of the self-drawn widgets: a retained drawing surface that paint events only
// present, geometry in twips converted through the screen's twips per pixel, colour conversion,
// the pointer check of the hover polling and the press handle shared by push buttons and check
// boxes. Everything runs on the user-interface thread.

#include "core/PropertyBag.h"
#include "widgets/SharedPress.h"
#include "widgets/WidgetElements.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cstdint>
#include <string>

namespace lctune {

class SelfDrawnWidget : public QWidget {
public:
    explicit SelfDrawnWidget(QWidget* parent = nullptr);
    /// A widget that goes away while pressed can no longer be clicked by a release elsewhere.
    ~SelfDrawnWidget() override { SharedPress::forget(this); }

    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    /// The size in twips: as last set in twips while the pixel size still matches it, otherwise
    /// the pixel size converted (a pixel holds a fraction of a twip-designed size).
    double widthTwips() const;
    double heightTwips() const;
    /// Places and sizes the widget in twips of its parent (rounded to whole pixels).
    void setGeometryTwips(double left, double top, double width, double height);
    void resizeTwips(double width, double height);

    /// The retained picture the widget last drew (device pixels, scale() per logical pixel).
    const QImage& surface() const { return surface_; }
    /// Device pixels per logical pixel of the surface: the screen's ratio rounded up to a whole number.
    int scale() const { return scale_; }

    /// Loads and saves the design-time properties through the host window's bag.
    virtual void ReadProperties(const PropertyBag& bag) = 0;
    virtual void WriteProperties(PropertyBag& bag) const = 0;

    /// A packed colour as a Qt colour; system colours resolve to the application palette.
    static QColor qColor(uint32_t packed);
    /// The pointer in global logical pixels (the platform's cursor position).
    static QPoint pointerPosition();

protected:
    /// Fresh painter on the surface, scaled so that one unit is one logical pixel.
    QPainter beginSurface();
    void clearSurface(uint32_t color);
    /// The surface for drawing routines that write pixels themselves (the key-colour blit).
    QImage& drawingSurface();
    void clearSurfaceTransparent();
    /// Shows what is on the surface (schedules a repaint, unless the widget is being painted:
    /// then the surface is shown by that paint).
    void present() {
        if (!painting_) update();
    }
    /// True when the pointer lies in the widget's window rectangle, all four bounds inclusive.
    bool pointerInWindowRect() const;
    /// Draws a line element whose coordinates are twips.
    void drawTwipsLine(QPainter& painter, const LineHolder& line) const;

    /// Called after the surface matches the new size; widgets lay out and draw here.
    virtual void onResized() {}
    /// Called by paint after the surface is shown: label elements that lie above the surface.
    virtual void paintOverlay(QPainter&) {}

    /// True while a paint event runs (drawing then needs no further repaint).
    bool painting_ = false;

    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ensureSurface();

    QImage surface_;
    int scale_ = 1;
    double twipsWidth_ = -1;
    double twipsHeight_ = -1;
};

/// The decimal text of a single-precision number: its shortest form as a float, written out the
/// way labels show numbers (0.1f reads "0.1", not the digits of its double widening).
std::string singleText(float value);

/// The lighter tint of a colour: per channel 255 - (255 - x) / 2, halves to even.
uint32_t lighterTint(uint32_t color);

/// Pictures in property bags: base64 PNG data; an empty text is no picture.
std::string pictureText(const QImage& picture);
QImage pictureFromText(const std::string& text);

/// Mouse buttons and modifiers as the host events carry them (1 left, 2 right, 4 middle;
/// 1 shift, 2 control, 4 alt).
int buttonCode(Qt::MouseButtons buttons);
int shiftCode(Qt::KeyboardModifiers modifiers);

} // namespace lctune

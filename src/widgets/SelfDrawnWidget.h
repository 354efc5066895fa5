#pragma once
// Common ground of the self-drawn widgets: a retained drawing surface that paint events only
// present, geometry in twips converted through the screen's twips per pixel, colour conversion,
// the pointer check of the hover polling and the press handle shared by push buttons and check
// boxes. Everything runs on the user-interface thread.

#include "platform/PropertyBag.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cstdint>
#include <string>

namespace lctune {

/// A line element of a widget: end points in the widget's own units, colour and pen width in pixels.
struct LineHolder {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t color = 0;
    int penWidth = 1;
};

/// A rectangle element in twips.
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    bool contains(double x, double y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

class SelfDrawnWidget : public QWidget {
public:
    explicit SelfDrawnWidget(QWidget* parent = nullptr);

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

/// The window handle remembered by the last press on any push button or check box: a release
/// clicks only the widget that was pressed.
class SharedPress {
public:
    static void remember(const QWidget* widget) { pressed() = widget; }
    static bool is(const QWidget* widget) { return widget != nullptr && pressed() == widget; }
    static void forget(const QWidget* widget) {
        if (pressed() == widget) pressed() = nullptr;
    }

private:
    static const QWidget*& pressed() {
        static const QWidget* handle = nullptr;
        return handle;
    }
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

#include "widgets/WidgetArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <utility>

namespace lctune::artwork {

namespace {

using Draw = std::function<void(QPainter&)>;

// Antialiased drawing on a transparent canvas, returned with its alpha channel.
QImage drawSmooth(QSize logical, int scale, const Draw& draw) {
    QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    draw(painter);
    painter.end();
    image.setDevicePixelRatio(scale);
    return image;
}

// The same drawing with hard outlines for key-colour blits: a pixel at least half covered is
// made fully opaque in its own colour, any other becomes exactly the key colour. Opaque pixels
// that happen to equal the key colour are nudged one step so they stay visible.
QImage drawKeyed(QSize logical, int scale, uint32_t key, const Draw& draw) {
    QImage smooth = drawSmooth(logical, scale, draw).convertToFormat(QImage::Format_ARGB32);
    QImage keyed(smooth.size(), QImage::Format_RGB32);
    const QRgb keyRgb = qRgb(key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF);
    for (int y = 0; y < smooth.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(smooth.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < smooth.width(); ++x) {
            if (qAlpha(in[x]) < 128) {
                out[x] = keyRgb;
                continue;
            }
            QRgb colour = qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
            if ((colour & 0xFFFFFF) == (keyRgb & 0xFFFFFF)) {
                colour = qRgb(qRed(colour), qGreen(colour), qBlue(colour) ^ 1);
            }
            out[x] = colour;
        }
    }
    keyed.setDevicePixelRatio(scale);
    return keyed;
}

// One cache per picture kind, filled on first use.
template <typename Key>
const QImage& cached(std::map<std::pair<Key, int>, QImage>& cache, Key key, int scale,
                     const std::function<QImage()>& make) {
    auto found = cache.find({key, scale});
    if (found == cache.end()) found = cache.emplace(std::make_pair(key, scale), make()).first;
    return found->second;
}

// The smallest piece of a picture that holds every pixel not fully transparent, on whole logical
// pixels; drawn at its offset it gives exactly what the whole picture gives.
Cutout cutOut(const QImage& whole) {
    const int scale = std::max(1, static_cast<int>(whole.devicePixelRatio()));
    int left = whole.width(), top = whole.height(), right = -1, bottom = -1;
    for (int y = 0; y < whole.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
        for (int x = 0; x < whole.width(); ++x) {
            if (qAlpha(line[x]) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {QImage(), QPoint()};
    left = left / scale * scale;
    top = top / scale * scale;
    right = std::min(whole.width(), (right / scale + 1) * scale);
    bottom = std::min(whole.height(), (bottom / scale + 1) * scale);
    Cutout piece{whole.copy(left, top, right - left, bottom - top), QPoint(left / scale, top / scale)};
    piece.image.setDevicePixelRatio(scale);
    return piece;
}

QImage makeKnobDown(int scale) {
    return drawKeyed({9, 18}, scale, 0, [](QPainter& p) {
        QPainterPath body;
        body.moveTo(0.5, 0.5);
        body.lineTo(8.5, 0.5);
        body.lineTo(8.5, 11.5);
        body.lineTo(4.5, 17.5);
        body.lineTo(0.5, 11.5);
        body.closeSubpath();
        QLinearGradient shade(0, 0, 9, 0);
        shade.setColorAt(0, QColor(255, 255, 255));
        shade.setColorAt(0.55, QColor(226, 226, 226));
        shade.setColorAt(1, QColor(168, 168, 168));
        p.setPen(QPen(QColor(112, 112, 112), 1));
        p.setBrush(shade);
        p.drawPath(body);
        p.setPen(QPen(QColor(255, 255, 255), 1));
        p.drawLine(QPointF(1.5, 1.5), QPointF(7, 1.5));
        p.setPen(QPen(QColor(140, 140, 140), 1));
        for (double y : {4.5, 6.5, 8.5})
            p.drawLine(QPointF(2.5, y), QPointF(6.5, y));
    });
}

QImage makeArrow(Arrow which, int scale) {
    const bool left = which == Arrow::LeftWhite || which == Arrow::LeftGrey;
    const bool white = which == Arrow::LeftWhite || which == Arrow::RightWhite;
    return drawKeyed({10, 11}, scale, 0, [=](QPainter& p) {
        QPolygonF triangle;
        if (left) {
            triangle << QPointF(1, 5.5) << QPointF(9.5, 0.5) << QPointF(9.5, 10.5);
        } else {
            triangle << QPointF(9, 5.5) << QPointF(0.5, 0.5) << QPointF(0.5, 10.5);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(white ? QColor(255, 255, 255) : QColor(128, 128, 128));
        p.drawPolygon(triangle);
    });
}

QImage makeFaderKnob(int scale) {
    return drawKeyed({14, 21}, scale, 0, [](QPainter& p) {
        QLinearGradient body(0, 0, 0, 21);
        body.setColorAt(0, QColor(92, 96, 104));
        body.setColorAt(0.45, QColor(44, 46, 52));
        body.setColorAt(0.55, QColor(36, 38, 42));
        body.setColorAt(1, QColor(78, 82, 90));
        p.setPen(QPen(QColor(20, 20, 24), 1));
        p.setBrush(body);
        p.drawRoundedRect(QRectF(0.5, 0.5, 13, 20), 2, 2);
        p.setPen(QPen(QColor(150, 154, 162), 1));
        p.drawLine(QPointF(1.5, 1.5), QPointF(12.5, 1.5));
        p.setPen(QPen(QColor(70, 72, 80), 1));
        for (double y : {4.5, 6.5, 14.5, 16.5})
            p.drawLine(QPointF(2.5, y), QPointF(11.5, y));
        p.setPen(QPen(QColor(255, 255, 255), 2));
        p.drawLine(QPointF(1.5, 10.5), QPointF(12.5, 10.5));
    });
}

QImage makeKnobFace(bool hovered, int scale) {
    return drawSmooth({43, 46}, scale, [=](QPainter& p) {
        const QPointF centre(22, 24);
        const QColor glow = hovered ? QColor(255, 70, 50) : QColor(60, 150, 255);
        QRadialGradient halo(centre, 21.5);
        halo.setColorAt(0.8, QColor(glow.red(), glow.green(), glow.blue(), 255));
        halo.setColorAt(0.9, QColor(glow.red(), glow.green(), glow.blue(), 190));
        halo.setColorAt(1, QColor(glow.red(), glow.green(), glow.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(centre, 21.5, 21.5);
        QLinearGradient rim(0, 5, 0, 43);
        rim.setColorAt(0, QColor(210, 212, 218));
        rim.setColorAt(1, QColor(60, 62, 70));
        p.setBrush(rim);
        p.drawEllipse(centre, 17.5, 17.5);
        QRadialGradient cap(QPointF(18, 18), 20);
        cap.setColorAt(0, QColor(96, 100, 110));
        cap.setColorAt(1, QColor(28, 30, 36));
        p.setBrush(cap);
        p.drawEllipse(centre, 15.5, 15.5);
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 12, 12);
    });
}

constexpr double kNeedleSweep = 40.0; // degrees from upright at -20 and +20

QImage makeDialFace(int scale) {
    QImage face = drawSmooth({303, 305}, scale, [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 303, 305), QColor(36, 38, 44));
        QLinearGradient bezel(0, 0, 0, 305);
        bezel.setColorAt(0, QColor(120, 124, 132));
        bezel.setColorAt(1, QColor(40, 42, 48));
        p.setPen(Qt::NoPen);
        p.setBrush(bezel);
        p.drawRoundedRect(QRectF(2, 2, 299, 301), 16, 16);
        QLinearGradient paper(0, 10, 0, 295);
        paper.setColorAt(0, QColor(252, 248, 232));
        paper.setColorAt(1, QColor(226, 218, 194));
        p.setBrush(paper);
        p.drawRoundedRect(QRectF(9, 9, 285, 287), 11, 11);
        // The needles turn about (151.5, 188) in face pixels: the needle pictures stand
        // centred at top 56 with their pivot 132 pixels down.
        const QPointF pivot(151.5, 56 + kNeedlePivotY);
        for (int v = -20; v <= 20; ++v) {
            const double a = (v / 20.0 * kNeedleSweep) * std::numbers::pi / 180.0;
            const QPointF dir(std::sin(a), -std::cos(a));
            const bool major = v % 10 == 0;
            const bool medium = v % 5 == 0;
            const double inner = major ? 118 : medium ? 123 : 127;
            QColor colour = std::abs(v) <= 2 ? QColor(20, 140, 60) : QColor(40, 40, 44);
            p.setPen(QPen(colour, major ? 2.2 : medium ? 1.6 : 1.0, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(pivot + dir * inner, pivot + dir * 135);
            if (major) {
                QFont font = p.font();
                font.setPixelSize(13);
                font.setBold(true);
                p.setFont(font);
                p.setPen(QColor(40, 40, 44));
                const QString text = v > 0 ? QStringLiteral("+%1").arg(v) : QString::number(v);
                const QPointF at = pivot + dir * 150;
                p.drawText(QRectF(at.x() - 20, at.y() - 9, 40, 18), Qt::AlignCenter, text);
            }
        }
        // Green in-tune band and red ends along the scale.
        auto band = [&](double fromV, double toV, QColor colour) {
            const double a0 = 90 - fromV / 20.0 * kNeedleSweep, a1 = 90 - toV / 20.0 * kNeedleSweep;
            p.setPen(QPen(colour, 4, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(QRectF(pivot.x() - 139, pivot.y() - 139, 278, 278), static_cast<int>(a0 * 16),
                      static_cast<int>((a1 - a0) * 16));
        };
        band(-20, -12, QColor(200, 40, 30));
        band(-2.5, 2.5, QColor(20, 160, 70));
        band(12, 20, QColor(200, 40, 30));
        QFont font = p.font();
        font.setPixelSize(22);
        font.setBold(false);
        p.setFont(font);
        p.setPen(QColor(110, 102, 86));
        p.drawText(QRectF(40, 150, 50, 36), Qt::AlignCenter, QString::fromUtf8("\u266D"));
        p.drawText(QRectF(213, 150, 50, 36), Qt::AlignCenter, QString::fromUtf8("\u266F"));
        // The lower panel with a hub plate round the pivot.
        QLinearGradient cover(0, 200, 0, 296);
        cover.setColorAt(0, QColor(74, 76, 84));
        cover.setColorAt(1, QColor(28, 30, 36));
        p.setPen(Qt::NoPen);
        p.setBrush(cover);
        QPainterPath lower;
        lower.setFillRule(Qt::WindingFill);
        lower.addRoundedRect(QRectF(9, 206, 285, 90), 11, 11);
        lower.addRect(QRectF(9, 206, 285, 20));
        lower.addEllipse(pivot, 26, 26);
        p.drawPath(lower.simplified());
        p.setPen(QPen(QColor(255, 255, 255, 50), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(10, 206.5), QPointF(pivot.x() - 26, 206.5));
        p.drawLine(QPointF(pivot.x() + 26, 206.5), QPointF(293, 206.5));
        QFont label = p.font();
        label.setPixelSize(13);
        p.setFont(label);
        p.setPen(QColor(200, 204, 212));
        p.drawText(QRectF(9, 250, 285, 24), Qt::AlignCenter, QString::fromUtf8("音准偏差"));
    });
    return face.convertToFormat(QImage::Format_RGB32);
}

QImage makeNeedle(int index, int scale) {
    return drawSmooth({185, 145}, scale, [=](QPainter& p) {
        const double v = index - 20;
        const QPointF pivot(kNeedlePivotX, kNeedlePivotY);
        p.translate(pivot);
        p.rotate(v / 20.0 * kNeedleSweep);
        QPolygonF shape;
        shape << QPointF(-2.2, 14) << QPointF(-0.7, -126) << QPointF(0.7, -126) << QPointF(2.2, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawPolygon(shape.translated(1.5, 1.5));
        p.setBrush(QColor(206, 24, 24));
        p.drawPolygon(shape);
        // Back to the picture's own axes, at its scale: the cap sits on the pivot at every scale.
        p.resetTransform();
        p.scale(scale, scale);
        QRadialGradient cap(pivot - QPointF(2, 2), 9);
        cap.setColorAt(0, QColor(150, 150, 158));
        cap.setColorAt(1, QColor(20, 20, 24));
        p.setBrush(cap);
        p.drawEllipse(pivot, 7.5, 7.5);
    });
}

QImage makeCheckPicture(CheckPicture which, int scale) {
    const bool hover = which == CheckPicture::EmptyHover || which == CheckPicture::CheckedHover;
    const bool disabled = which == CheckPicture::DisabledEmpty || which == CheckPicture::DisabledChecked ||
                          which == CheckPicture::DisabledGreyChecked;
    const bool ticked = which == CheckPicture::CheckedNormal || which == CheckPicture::CheckedHover ||
                        which == CheckPicture::DisabledChecked;
    const bool grey = which == CheckPicture::GreyChecked || which == CheckPicture::DisabledGreyChecked;
    QImage image = drawSmooth({13, 13}, scale, [=](QPainter& p) {
        const QColor border = disabled ? QColor(177, 177, 177)
                              : hover  ? QColor(85, 134, 163)
                                       : QColor(142, 143, 143);
        const QColor ring = disabled ? QColor(252, 252, 252)
                            : hover  ? QColor(222, 249, 250)
                                     : QColor(244, 244, 244);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(0, 0, 13, 13), border);
        p.fillRect(QRectF(1, 1, 11, 11), ring);
        QLinearGradient fill(2, 2, 11, 11);
        if (disabled) {
            fill.setColorAt(0, QColor(240, 240, 240));
            fill.setColorAt(1, QColor(251, 251, 251));
        } else if (hover) {
            fill.setColorAt(0, QColor(121, 198, 249));
            fill.setColorAt(1, QColor(214, 240, 253));
        } else {
            fill.setColorAt(0, QColor(174, 179, 185));
            fill.setColorAt(1, QColor(246, 246, 246));
        }
        p.fillRect(QRectF(2, 2, 9, 9), fill);
        p.setRenderHint(QPainter::Antialiasing, true);
        if (ticked) {
            const QColor tick = disabled ? QColor(150, 150, 150)
                                : hover  ? QColor(4, 34, 113)
                                         : QColor(68, 90, 146);
            p.setPen(QPen(tick, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPolygonF mark;
            mark << QPointF(3.2, 6.4) << QPointF(5.4, 8.9) << QPointF(9.9, 3.6);
            p.drawPolyline(mark);
        }
        if (grey) {
            QLinearGradient square(3, 3, 10, 10);
            square.setColorAt(0, disabled ? QColor(150, 150, 150) : QColor(41, 98, 141));
            square.setColorAt(1, disabled ? QColor(205, 205, 205) : QColor(127, 200, 228));
            p.setRenderHint(QPainter::Antialiasing, false);
            p.fillRect(QRectF(4, 4, 5, 5), square);
        }
    });
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage makeRoundButton(RoundButton which, int scale) {
    return drawKeyed({30, 30}, scale, kRoundButtonKey, [=](QPainter& p) {
        const QPointF centre(15, 15);
        const bool pressed = which == RoundButton::Pressed;
        const bool lit = which == RoundButton::Lit;
        QLinearGradient rim(0, 0, 0, 30);
        rim.setColorAt(0, pressed ? QColor(70, 72, 78) : QColor(236, 238, 242));
        rim.setColorAt(1, pressed ? QColor(210, 212, 218) : QColor(72, 74, 82));
        p.setPen(QPen(QColor(40, 42, 48), 1));
        p.setBrush(rim);
        p.drawEllipse(centre, 14.3, 14.3);
        QRadialGradient body(pressed ? QPointF(16, 17) : QPointF(12, 10), 17);
        if (lit) {
            body.setColorAt(0, QColor(255, 236, 170));
            body.setColorAt(0.5, QColor(255, 160, 40));
            body.setColorAt(1, QColor(190, 70, 10));
        } else {
            body.setColorAt(0, pressed ? QColor(150, 156, 166) : QColor(196, 202, 212));
            body.setColorAt(0.6, pressed ? QColor(88, 92, 102) : QColor(120, 126, 138));
            body.setColorAt(1, QColor(58, 60, 68));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawEllipse(centre + (pressed ? QPointF(0.5, 0.5) : QPointF()), 11.5, 11.5);
        if (!pressed) {
            QLinearGradient gloss(0, 4, 0, 15);
            gloss.setColorAt(0, QColor(255, 255, 255, 170));
            gloss.setColorAt(1, QColor(255, 255, 255, 0));
            p.setBrush(gloss);
            p.drawEllipse(QRectF(8, 4.5, 14, 9));
        }
    });
}

QImage makeRoundButtonDisabled(int scale) {
    QImage image(QSize(4, 4) * scale, QImage::Format_RGB32);
    image.fill(QColor(214, 216, 220));
    image.setDevicePixelRatio(scale);
    return image;
}

} // namespace

const QImage& knobDown(int scale) {
    static std::map<std::pair<int, int>, QImage> cache;
    return cached<int>(cache, 0, scale, [=] { return makeKnobDown(scale); });
}

const QImage& arrow(Arrow which, int scale) {
    static std::map<std::pair<Arrow, int>, QImage> cache;
    return cached<Arrow>(cache, which, scale, [=] { return makeArrow(which, scale); });
}

const QImage& faderKnob(int scale) {
    static std::map<std::pair<int, int>, QImage> cache;
    return cached<int>(cache, 0, scale, [=] { return makeFaderKnob(scale); });
}

const QImage& knobFace(bool hovered, int scale) {
    static std::map<std::pair<bool, int>, QImage> cache;
    return cached<bool>(cache, hovered, scale, [=] { return makeKnobFace(hovered, scale); });
}

const QImage& dialFace(int scale) {
    static std::map<std::pair<int, int>, QImage> cache;
    return cached<int>(cache, 0, scale, [=] { return makeDialFace(scale); });
}

QImage drawNeedle(int index, int scale) {
    return makeNeedle(index, scale);
}

const Cutout& needle(int index, int scale) {
    static std::map<std::pair<int, int>, Cutout> cache;
    auto found = cache.find({index, scale});
    if (found == cache.end())
        found = cache.emplace(std::make_pair(index, scale), cutOut(makeNeedle(index, scale))).first;
    return found->second;
}

const QImage& checkPicture(CheckPicture which, int scale) {
    static std::map<std::pair<CheckPicture, int>, QImage> cache;
    return cached<CheckPicture>(cache, which, scale, [=] { return makeCheckPicture(which, scale); });
}

const QImage& roundButton(RoundButton which, int scale) {
    static std::map<std::pair<RoundButton, int>, QImage> cache;
    return cached<RoundButton>(cache, which, scale, [=] { return makeRoundButton(which, scale); });
}

const QImage& roundButtonDisabled(int scale) {
    static std::map<std::pair<int, int>, QImage> cache;
    return cached<int>(cache, 0, scale, [=] { return makeRoundButtonDisabled(scale); });
}

} // namespace lctune::artwork

#include "widgets/绘透明图.h"

#include <algorithm>

namespace lctune {

namespace {

bool busy = false;

class BusyGuard {
public:
    BusyGuard() { busy = true; }
    ~BusyGuard() { busy = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
};

QRgb keyPixel(uint32_t key) {
    return qRgb(key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF);
}

bool isKey(QRgb pixel, QRgb key) {
    return (pixel & 0x00FFFFFFu) == (key & 0x00FFFFFFu);
}

// Both rectangles clipped so that every pixel read or written lies inside its picture.
struct Span {
    int x, y, sx, sy, width, height;
};

Span clip(const QImage& destination, int x, int y, int width, int height, const QImage& source, int sx,
          int sy) {
    int dx0 = std::max({0, -x, -sx});
    int dy0 = std::max({0, -y, -sy});
    x += dx0, sx += dx0, width -= dx0;
    y += dy0, sy += dy0, height -= dy0;
    width = std::min({width, destination.width() - x, source.width() - sx});
    height = std::min({height, destination.height() - y, source.height() - sy});
    return {x, y, sx, sy, std::max(0, width), std::max(0, height)};
}

void transparentCopy(QImage& destination, const QImage& source, const Span& s, QRgb key) {
    for (int row = 0; row < s.height; ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(s.sy + row)) + s.sx;
        auto* out = reinterpret_cast<QRgb*>(destination.scanLine(s.y + row)) + s.x;
        for (int col = 0; col < s.width; ++col) {
            if (!isKey(in[col], key)) out[col] = in[col] | 0xFF000000u;
        }
    }
}

// Result = (destination AND mask) XOR (source AND NOT mask), with mask 1 where the source shows
// the key colour: the background survives where the source is transparent, the source elsewhere.
void maskedCopy(QImage& destination, const QImage& source, const Span& s, QRgb key) {
    QImage mask(s.width, s.height, QImage::Format_MonoLSB);
    QImage inverseMask(s.width, s.height, QImage::Format_MonoLSB);
    QImage colour(s.width, s.height, QImage::Format_ARGB32_Premultiplied);
    QImage result(s.width, s.height, QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < s.height; ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(s.sy + row)) + s.sx;
        for (int col = 0; col < s.width; ++col) {
            const bool transparent = isKey(in[col], key);
            mask.setPixel(col, row, transparent ? 1 : 0);
            inverseMask.setPixel(col, row, mask.pixelIndex(col, row) ? 0 : 1);
        }
    }
    for (int row = 0; row < s.height; ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(s.sy + row)) + s.sx;
        const auto* back = reinterpret_cast<const QRgb*>(destination.constScanLine(s.y + row)) + s.x;
        auto* res = reinterpret_cast<QRgb*>(result.scanLine(row));
        auto* col32 = reinterpret_cast<QRgb*>(colour.scanLine(row));
        for (int col = 0; col < s.width; ++col) {
            const QRgb maskBits = mask.pixelIndex(col, row) ? 0xFFFFFFFFu : 0u;
            const QRgb inverseBits = inverseMask.pixelIndex(col, row) ? 0xFFFFFFFFu : 0u;
            res[col] = back[col] & maskBits;
            col32[col] = (in[col] | 0xFF000000u) & inverseBits;
            res[col] ^= col32[col];
        }
    }
    for (int row = 0; row < s.height; ++row) {
        std::copy_n(reinterpret_cast<const QRgb*>(result.constScanLine(row)), s.width,
                    reinterpret_cast<QRgb*>(destination.scanLine(s.y + row)) + s.x);
    }
}

} // namespace

void 绘透明图(QImage& destination, int x, int y, int width, int height, const QImage& source, int sourceX,
              int sourceY, uint32_t keyColor, BlitPath path) {
    if (busy || destination.isNull() || source.isNull()) return;
    BusyGuard guard;
    const QImage::Format format = destination.format();
    if (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32 &&
        format != QImage::Format_ARGB32) {
        destination.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    const QImage readable =
        (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32)
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    const Span span = clip(destination, x, y, width, height, readable, sourceX, sourceY);
    if (span.width == 0 || span.height == 0) return;
    const QRgb key = keyPixel(keyColor);
    if (path == BlitPath::Masked) {
        maskedCopy(destination, readable, span, key);
    } else {
        transparentCopy(destination, readable, span, key);
    }
}

} // namespace lctune

#pragma once
// The key-colour blit every self-drawn widget uses for its pictures.

#include <QImage>

#include <cstdint>

namespace lctune {

/// How the blit treats the destination. A 32-bit surface copies transparently by itself; the
/// masked path builds the result from a one-bit mask as a device without that ability must.
enum class BlitPath { Automatic, Transparent, Masked };

/// Copies the width x height rectangle at (sourceX, sourceY) of `source` to (x, y) of
/// `destination`, leaving every destination pixel unchanged where the source pixel's colour equals
/// `keyColor` (packed R + 256 G + 65536 B). Coordinates are device pixels; the rectangle is
/// clipped to both pictures. A call made while another is still drawing draws nothing.
void 绘透明图(QImage& destination, int x, int y, int width, int height, const QImage& source, int sourceX,
              int sourceY, uint32_t keyColor, BlitPath path = BlitPath::Automatic);

} // namespace lctune

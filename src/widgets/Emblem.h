#pragma once
// The studio's emblem, drawn in code: a tuning fork over three staff lines, in light gold on
// whatever ground lies behind it (the picture is transparent elsewhere).

#include <QPixmap>

namespace lctune {

/// The emblem in a width x height logical-pixel picture at the given device pixel ratio.
QPixmap studioEmblem(int width, int height, qreal ratio);

} // namespace lctune

#pragma once
// Resizing decoded pictures.  Shrinking averages every source pixel that a
// target pixel covers (weighted by the covered fraction), which keeps fine
// detail from turning into the moiré and sparkle of nearest-pixel or bilinear
// reduction.

#include <QImage>

namespace quillet {

// The image at exactly width × height.  Reductions use area averaging (Qt's
// smooth scaling, with alpha premultiplied, so transparent pixels do not
// bleed their colour); enlargements filter bilinearly.  The result has the format
// of the input if it is RGB32 or ARGB32, else RGB32/ARGB32 by its alpha.
// Null for a null image or a size below 1.
QImage ResampleToSize(const QImage& image, int width, int height);

} // namespace quillet

#pragma once
// The designed windows give their outer size, frame included.  Qt sizes the
// client area, and the frame is known only once the window system reports
// it (some time after the window is mapped, if there is a frame at all).

#include <QMargins>
#include <QSize>

class QWidget;

namespace quillet {

// Shrinks the window's client area so that client plus frame make the
// designed outer size.  Only a newly learnt frame resizes the window, so a
// size the user chose afterwards stays; `fitted` remembers the frame.
void FitOuterSizeToFrame(QWidget& window, QSize outerSize, QMargins& fitted);

} // namespace quillet

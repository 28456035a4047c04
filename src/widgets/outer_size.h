#pragma once
// Designed window sizes are outer sizes, frame included.  Qt sizes the
// client area, and a window manager tells the frame only some time after
// the window is mapped; this keeps a top-level window at its designed outer
// size once the frame is known.

#include <QMargins>
#include <QSize>

class QEvent;
class QWidget;

namespace quillet {

class DesignedOuterSize {
public:
    explicit DesignedOuterSize(QSize outer) : outer_(outer) {}

    // Call from the window's event(): the first show or move event after
    // the frame became known resizes the client area to fit.  Only a newly
    // learnt frame resizes, so a size the user chose afterwards stays.
    void Update(QWidget& window, const QEvent& event);

private:
    QSize outer_;
    QMargins fitted_;
};

} // namespace quillet

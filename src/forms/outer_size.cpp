#include "forms/outer_size.h"

#include <QWidget>
#include <QWindow>

namespace quillet {

void FitOuterSizeToFrame(QWidget& window, QSize outerSize, QMargins& fitted)
{
    const QWindow* handle = window.windowHandle();
    if (!handle)
        return;
    const QMargins frame = handle->frameMargins();
    if (frame == fitted)
        return;
    fitted = frame;
    window.resize(outerSize.width() - frame.left() - frame.right(),
                  outerSize.height() - frame.top() - frame.bottom());
}

} // namespace quillet

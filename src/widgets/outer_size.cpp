#include "widgets/outer_size.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace quillet {

void DesignedOuterSize::Update(QWidget& window, const QEvent& event)
{
    if (event.type() != QEvent::Show && event.type() != QEvent::Move)
        return;
    const QWindow* handle = window.windowHandle();
    if (!handle)
        return;
    const QMargins frame = handle->frameMargins();
    if (frame == fitted_)
        return;
    fitted_ = frame;
    window.resize(outer_.width() - frame.left() - frame.right(),
                  outer_.height() - frame.top() - frame.bottom());
}

} // namespace quillet

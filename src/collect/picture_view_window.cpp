#include "collect/picture_view_window.h"

#include "codecs/image_decode.h"
#include "ui_picture_view_window.h"

#include <QPainter>

namespace quillet {
PictureViewWindow::PictureViewWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), ui_(std::make_unique<Ui::PictureViewWindow>())
{
    ui_->setupUi(this);
    // The form sizes the client area only; the frame comes off it once the
    // window system tells it.
    resize(kOuterWidth, kOuterHeight);
    move(kLeft, kTop);
}

bool PictureViewWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    outerSize_.Update(*this, *event);
    return handled;
}

PictureViewWindow::~PictureViewWindow() = default;

void PictureViewWindow::SetBackgroundPicture(const ByteArray& bytes)
{
    // The program's own decoders: EXIF orientation applied, hostile files
    // refused.
    picture_ = DecodePicture(bytes);
    update();
}

QRect PictureViewWindow::PictureRectangle(QSize pictureSize, QSize clientSize)
{
    if (pictureSize.isEmpty() || clientSize.isEmpty())
        return {};
    QSize shown = pictureSize;
    if (shown.width() > clientSize.width() || shown.height() > clientSize.height())
        shown = pictureSize.scaled(clientSize, Qt::KeepAspectRatio);
    shown = shown.expandedTo(QSize(1, 1));
    return {QPoint((clientSize.width() - shown.width()) / 2,
                   (clientSize.height() - shown.height()) / 2),
            shown};
}

void PictureViewWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (picture_.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PictureRectangle(picture_.size(), size()), picture_);
}

} // namespace quillet

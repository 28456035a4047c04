#pragma once
// The picture window: a plain top-level window, owned by the main window and
// never modal, whose only content is its background picture.  The picture
// is scaled to fit the window in proportion, never beyond its own size.

#include "runtime/bytes.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace Ui {
class PictureViewWindow;
}

namespace quillet {

class PictureViewWindow : public QWidget {
    Q_OBJECT

public:
    explicit PictureViewWindow(QWidget* owner);
    ~PictureViewWindow() override;

    // Decodes the bytes of a picture file and shows it; empty or
    // undecodable bytes leave the window without a picture.
    void SetBackgroundPicture(const ByteArray& bytes);

    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }

    // Where the picture is drawn in a client area of the given size.
    static QRect PictureRectangle(QSize pictureSize, QSize clientSize);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::PictureViewWindow> ui_;
    QImage picture_;
};

} // namespace quillet

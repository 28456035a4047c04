#pragma once
// The picture window: a plain top-level window, owned by the main window and
// never modal, whose only content is its background picture.  It opens at
// 50, 50 with an outer size of 486 × 371.  The picture is scaled to fit the
// window in proportion, never beyond its own size, and centred.

#include "textfiles/bytes.h"
#include "widgets/outer_size.h"

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

    static constexpr int kOuterWidth = 486;
    static constexpr int kOuterHeight = 371;
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::unique_ptr<Ui::PictureViewWindow> ui_;
    QImage picture_;
    DesignedOuterSize outerSize_{{kOuterWidth, kOuterHeight}};
};

} // namespace quillet

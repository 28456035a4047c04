#include "runtime/bitmap_object.h"

#include "runtime/bmp.h"

#include <cmath>
#include <numbers>

namespace quillet {
namespace {

// Sine and cosine that are exact at quarter turns, where pages are turned,
// so that a right angle never leaves a hairline of fill or a lost row.
void ExactSinCos(double degrees, double& sine, double& cosine)
{
    const double turns = degrees / 90.0;
    if (turns == std::floor(turns)) {
        static constexpr double kSin[] = {0, 1, 0, -1};
        static constexpr double kCos[] = {1, 0, -1, 0};
        const auto quarter = static_cast<int>(((static_cast<long long>(turns) % 4) + 4) % 4);
        sine = kSin[quarter];
        cosine = kCos[quarter];
        return;
    }
    const double radians = degrees * std::numbers::pi / 180.0;
    sine = std::sin(radians);
    cosine = std::cos(radians);
}

} // namespace

bool BitmapObject::LoadFromBmp(const ByteArray& bytes)
{
    std::optional<BmpPicture> bmp = ReadBmp(bytes);
    if (!bmp)
        return false;
    image_ = std::move(bmp->image);
    bitsPerPixel_ = bmp->bitsPerPixel == 32 ? 32 : 24;
    horizontalResolution_ = bmp->horizontalResolution;
    verticalResolution_ = bmp->verticalResolution;
    return true;
}

ByteArray BitmapObject::BmpBytes() const
{
    return WriteBmp(image_, bitsPerPixel_, horizontalResolution_, verticalResolution_);
}

BitmapObject BitmapObject::Rotate(double angleDegrees, QRgb fill) const
{
    BitmapObject turned = *this;
    turned.image_ = RotatedImage(image_, angleDegrees, fill);
    return turned;
}

QImage RotatedImage(const QImage& image_, double angleDegrees, QRgb fill)
{
    if (image_.isNull() || !std::isfinite(angleDegrees))
        return image_;
    double sine = 0;
    double cosine = 1;
    ExactSinCos(angleDegrees, sine, cosine);
    const int width = image_.width();
    const int height = image_.height();
    const int newWidth =
        static_cast<int>(std::lround(std::abs(width * cosine) + std::abs(height * sine)));
    const int newHeight =
        static_cast<int>(std::lround(std::abs(width * sine) + std::abs(height * cosine)));
    QImage target(std::max(1, newWidth), std::max(1, newHeight), image_.format());
    if (target.isNull())
        return image_;
    if (!target.hasAlphaChannel())
        fill |= 0xFF000000u;

    // Inverse mapping about the centres: each target pixel centre is turned
    // back by the angle and takes the source pixel it lands in.
    const double sourceCentreX = width / 2.0;
    const double sourceCentreY = height / 2.0;
    const double targetCentreX = target.width() / 2.0;
    const double targetCentreY = target.height() / 2.0;
    for (int ty = 0; ty < target.height(); ++ty) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(ty));
        const double dy = ty + 0.5 - targetCentreY;
        for (int tx = 0; tx < target.width(); ++tx) {
            const double dx = tx + 0.5 - targetCentreX;
            const double sx = std::floor(dx * cosine + dy * sine + sourceCentreX);
            const double sy = std::floor(-dx * sine + dy * cosine + sourceCentreY);
            if (sx < 0 || sy < 0 || sx >= width || sy >= height) {
                out[tx] = fill;
                continue;
            }
            out[tx] = reinterpret_cast<const QRgb*>(
                image_.constScanLine(static_cast<int>(sy)))[static_cast<int>(sx)];
        }
    }
    return target;
}

} // namespace quillet

#include "imageout/load_picture_for_page.h"

#include "runtime/image_decode.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <cmath>

namespace quillet {
namespace {

constexpr double kShrinkThreshold = 1.2;
constexpr double kTolerance = 1e-7;

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

} // namespace

float OversizeRatio(long long fileSize, int level)
{
    return static_cast<float>(static_cast<double>(fileSize) / kOptimizationStepBytes / level);
}

int ShrinkFactorPerMille(const std::string& path, long long fileSize, int level)
{
    if (level < 1 || level > 5)
        return 0;
    const float ratio = OversizeRatio(fileSize, level);
    if (ratio - kShrinkThreshold < -kTolerance)
        return 0;
    // BMP files are left whole on purpose; the test is by the exact bytes of
    // the name, so only these two spellings count.
    if (EndsWith(path, ".bmp") || EndsWith(path, ".BMP"))
        return 0;
    // Shrinking both sides by √ratio divides the pixel count by the ratio.
    return static_cast<int>(std::trunc(1000.0 / std::sqrt(static_cast<double>(ratio))));
}

QImage DecodePictureForPage(const std::string& path, int level)
{
    if (path.empty())
        return {};
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists() || !info.isFile())
        return {};
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray contents = file.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(contents.constData());
    const ByteSpan bytes(data, static_cast<std::size_t>(contents.size()));
    const int factor = ShrinkFactorPerMille(path, info.size(), level);
    if (factor == 0)
        return DecodePicture(bytes);

    QImage shrunk = DecodePictureScaled(bytes, factor);
    // Pages are opaque paper: transparent parts show white, as they would
    // when rendered on the page's background.
    if (!shrunk.isNull() && shrunk.hasAlphaChannel()) {
        QImage flat(shrunk.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, shrunk);
        painter.end();
        shrunk = flat;
    }
    return shrunk;
}

PictureHandle LoadPictureForPage(const std::string& path, int level)
{
    return AdoptPicture(DecodePictureForPage(path, level));
}

} // namespace quillet

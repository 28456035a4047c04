#include "runtime/resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillet {
namespace {

// The source pixels that one target pixel covers, and how much of each.
struct Span {
    int first = 0;
    std::vector<float> weights; // add up to 1
};

std::vector<Span> CoverageSpans(int sourceSize, int targetSize)
{
    std::vector<Span> spans(static_cast<std::size_t>(targetSize));
    const double step = static_cast<double>(sourceSize) / targetSize;
    for (int i = 0; i < targetSize; ++i) {
        const double left = i * step;
        const double right = std::min<double>((i + 1) * step, sourceSize);
        const int first = std::min(static_cast<int>(left), sourceSize - 1);
        const int last = std::clamp(static_cast<int>(std::ceil(right)) - 1, first, sourceSize - 1);
        Span& span = spans[static_cast<std::size_t>(i)];
        span.first = first;
        for (int j = first; j <= last; ++j) {
            const double covered = std::min<double>(j + 1, right) - std::max<double>(j, left);
            span.weights.push_back(static_cast<float>(std::max(0.0, covered) / step));
        }
    }
    return spans;
}

void ShrinkRow(const QRgb* in, const std::vector<Span>& spans, std::vector<float>& out)
{
    float* o = out.data();
    for (const Span& span : spans) {
        float b = 0, g = 0, r = 0, a = 0;
        const QRgb* p = in + span.first;
        for (float w : span.weights) {
            const QRgb px = *p++;
            b += w * static_cast<float>(qBlue(px));
            g += w * static_cast<float>(qGreen(px));
            r += w * static_cast<float>(qRed(px));
            a += w * static_cast<float>(qAlpha(px));
        }
        *o++ = b;
        *o++ = g;
        *o++ = r;
        *o++ = a;
    }
}

int ToChannel(float value)
{
    return std::clamp(static_cast<int>(value + 0.5f), 0, 255);
}

// Rows are shrunk one at a time as the target rows need them, so memory stays
// at a few rows whatever the picture's size.
QImage AreaAverage(const QImage& source, int width, int height, QImage::Format format)
{
    const std::vector<Span> columns = CoverageSpans(source.width(), width);
    const std::vector<Span> rows = CoverageSpans(source.height(), height);
    QImage target(width, height, format);
    if (target.isNull())
        return {};
    const std::size_t rowFloats = static_cast<std::size_t>(width) * 4;
    std::vector<float> shrunk(rowFloats);
    std::vector<float> sum(rowFloats);
    int shrunkRow = -1;
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        const Span& span = rows[static_cast<std::size_t>(y)];
        for (std::size_t k = 0; k < span.weights.size(); ++k) {
            const int sourceRow = span.first + static_cast<int>(k);
            if (sourceRow != shrunkRow) {
                ShrinkRow(reinterpret_cast<const QRgb*>(source.constScanLine(sourceRow)), columns, shrunk);
                shrunkRow = sourceRow;
            }
            const float w = span.weights[k];
            for (std::size_t i = 0; i < rowFloats; ++i)
                sum[i] += w * shrunk[i];
        }
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float* s = sum.data() + static_cast<std::size_t>(x) * 4;
            out[x] = qRgba(ToChannel(s[2]), ToChannel(s[1]), ToChannel(s[0]), ToChannel(s[3]));
        }
    }
    return target;
}

} // namespace

QImage ResampleToSize(const QImage& image, int width, int height)
{
    if (image.isNull() || width < 1 || height < 1)
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage::Format plain = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (width == image.width() && height == image.height())
        return image.convertToFormat(plain);
    if (width > image.width() || height > image.height())
        return image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(plain);
    if (!alpha)
        return AreaAverage(image.convertToFormat(QImage::Format_RGB32), width, height, QImage::Format_RGB32);
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return AreaAverage(premultiplied, width, height, QImage::Format_ARGB32_Premultiplied).convertToFormat(plain);
}

} // namespace quillet

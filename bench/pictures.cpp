// Picture loading and page-file encoding.
//
// Load-for-page of a 12-megapixel camera-like JPEG (noisy content, several
// megabytes) at optimisation levels 0, 1 and 3, and the two ways of getting a
// shrunk picture: a full decode followed by area resampling, against the
// reduced-scale JPEG decode that DecodePictureForPage uses.  Then the encoding of
// one 2100 × 2970 page in each output format.
#include "codecs/bmp.h"
#include "codecs/image_decode.h"
#include "codecs/page_encode.h"
#include "codecs/resample.h"
#include "loading/load_picture_for_page.h"
#include "qt_benchmark_main.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace quillet;

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr double kPhotoMegapixels = kPhotoWidth * kPhotoHeight / 1e6;

// Shapes and shading with per-pixel sensor noise: it compresses like a real
// photo (several bits per pixel), not like a flat gradient.
QImage CameraLikePhoto()
{
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB32);
    std::uint32_t state = 2463534242u;
    auto noise = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % 41) - 20;
    };
    for (int y = 0; y < kPhotoHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPhotoWidth; ++x) {
            const double shade =
                60 * std::sin(x * 0.004) * std::cos(y * 0.006) + 40 * std::sin((x + y) * 0.02);
            auto channel = [&](double base) {
                return std::clamp(static_cast<int>(base + shade) + noise(), 0, 255);
            };
            row[x] = qRgb(channel(150 + x * 0.02), channel(110 + y * 0.03), channel(90));
        }
    }
    return image;
}

struct Fixture {
    QTemporaryDir dir;
    std::string photoPath;
    ByteArray photoBytes;
    QImage page;

    Fixture()
    {
        photoPath = dir.filePath("camera.jpg").toStdString();
        QImageWriter writer(QString::fromStdString(photoPath), "jpeg");
        writer.setQuality(92);
        writer.write(CameraLikePhoto());
        QFile file(QString::fromStdString(photoPath));
        file.open(QIODevice::ReadOnly);
        const QByteArray data = file.readAll();
        photoBytes.assign(data.begin(), data.end());

        // A page: paper, a 3 × 3 grid of photos, captions.
        page = QImage(2100, 2970, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        const QImage photo = DecodePictureScaled(photoBytes, 150);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) {
                painter.drawImage(QRect(100 + column * 650, 200 + row * 900, 600, 450), photo);
                painter.drawText(QPoint(100 + column * 650, 700 + row * 900),
                                 "Caption text under the photo");
            }
        painter.end();
    }
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

void SetRate(benchmark::State& state)
{
    state.counters["source_MP/s"] = benchmark::Counter(
        kPhotoMegapixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(Data().photoBytes.size()) / 1e6;
}

void LoadForPage(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const QImage picture = DecodePictureForPage(Data().photoPath, level);
        benchmark::DoNotOptimize(picture.constBits());
        if (picture.isNull())
            state.SkipWithError("picture did not load");
    }
    SetRate(state);
}
BENCHMARK(LoadForPage)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

int FactorFor(int level)
{
    return ShrinkFactorPerMille(Data().photoPath, static_cast<long long>(Data().photoBytes.size()),
                                level);
}

void FullDecodeThenResample(benchmark::State& state)
{
    const int factor = FactorFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const QImage full = DecodePicture(Data().photoBytes);
        const QImage shrunk = ResampleToSize(full, ScaledSide(full.width(), factor),
                                             ScaledSide(full.height(), factor));
        benchmark::DoNotOptimize(shrunk.constBits());
    }
    state.counters["factor"] = factor;
    SetRate(state);
}
BENCHMARK(FullDecodeThenResample)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void ReducedScaleDecode(benchmark::State& state)
{
    const int factor = FactorFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const QImage shrunk = DecodePictureScaled(Data().photoBytes, factor);
        benchmark::DoNotOptimize(shrunk.constBits());
    }
    state.counters["factor"] = factor;
    SetRate(state);
}
BENCHMARK(ReducedScaleDecode)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void EncodePage(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    static const char* const kNames[] = {"", "bmp", "jpg", "gif", "tiff", "png"};
    state.SetLabel(kNames[format]);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::optional<quillet::ByteArray> file = EncodePageImage(Data().page, 10000, format);
        if (!file)
            state.SkipWithError("page was not encoded");
        else
            bytes = file->size();
    }
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["page_MP/s"] = benchmark::Counter(
        2100 * 2970 / 1e6 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(EncodePage)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return quillet::bench::RunQtBenchmarks(argc, argv, [] { Data(); });
}

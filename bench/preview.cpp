// Miniatures for the live preview of a 5 x 5 page: 25 camera-like
// 12-megapixel JPEGs of 3-5 MB, once carrying a 160 x 120 EXIF thumbnail as
// cameras write one and once without, drawn in cells of about 40 x 50
// pixels.  Measured, on both cores where the cache uses its worker:
//   ColdWithThumbnails     the first redraw of a job whose photos carry thumbnails
//   ColdWithoutThumbnails  the first redraw of the same photos without them
//   WarmLayoutChange       a redraw after a layout change, pictures seen before
//   SmallestScaleReference the 25 files decoded at libjpeg's 1/8 scale on two threads
// held_MB is what the cache holds after a redraw; cpu_ms the processor time
// of all threads per redraw, which a busy machine does not inflate as it
// does the wall time.
#include "app/settings_window.h"
#include "codecs/jpeg.h"
#include "loading/miniature_cache.h"
#include "qt_benchmark_main.h"
#include "textfiles/files.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libexif/exif-data.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace quillet;

constexpr int kPhotos = 25;
constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
const QSize kCell(40, 50);

// Shapes and shading with per-pixel sensor noise, so that the file
// compresses like a real photo; the phase and tint vary with the seed.
QImage CameraLikePhoto(std::uint32_t seed)
{
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB32);
    std::uint32_t state = 2463534242u ^ (seed * 2654435761u);
    auto noise = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % 41) - 20;
    };
    const double phase = seed * 0.7;
    std::vector<double> across(kPhotoWidth), down(kPhotoHeight),
        diagonal(kPhotoWidth + kPhotoHeight);
    for (int x = 0; x < kPhotoWidth; ++x)
        across[x] = std::sin(x * 0.004 + phase);
    for (int y = 0; y < kPhotoHeight; ++y)
        down[y] = std::cos(y * 0.006 + phase);
    for (int d = 0; d < kPhotoWidth + kPhotoHeight; ++d)
        diagonal[d] = std::sin(d * 0.02);
    const int tint = static_cast<int>(seed * 7 % 60);
    for (int y = 0; y < kPhotoHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPhotoWidth; ++x) {
            const double shade = 60 * across[x] * down[y] + 40 * diagonal[x + y];
            auto channel = [&](double base) {
                return std::clamp(static_cast<int>(base + shade) + noise(), 0, 255);
            };
            row[x] = qRgb(channel(130 + tint + x * 0.02), channel(110 + y * 0.03),
                          channel(90 + tint / 2));
        }
    }
    return image;
}

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// The APP1 segment a camera writes: "Exif", IFD 0 with the orientation, IFD 1
// pointing at the JPEG thumbnail.
QByteArray ExifSegment(QByteArray thumbnail)
{
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    ExifEntry* entry = exif_entry_new();
    exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
    exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
    exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, 1);
    data->data = reinterpret_cast<unsigned char*>(thumbnail.data()); // lent for the save
    data->size = static_cast<unsigned int>(thumbnail.size());
    unsigned char* payload = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &payload, &size);
    data->data = nullptr;
    data->size = 0;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>((size + 2) >> 8)).append(static_cast<char>((size + 2) & 0xFF));
    segment.append(reinterpret_cast<const char*>(payload), static_cast<qsizetype>(size));
    std::free(payload);
    exif_entry_unref(entry);
    exif_data_unref(data);
    return segment;
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct Album {
    QTemporaryDir dir;
    std::vector<std::pair<std::string, QSize>> withThumbnails;
    std::vector<std::pair<std::string, QSize>> withoutThumbnails;
    double averageMegabytes = 0;

    Album()
    {
        for (int i = 0; i < kPhotos; ++i) {
            const QImage photo = CameraLikePhoto(static_cast<std::uint32_t>(i + 1));
            const QByteArray body = EncodeJpeg(photo, 92);
            const QByteArray thumbnail = EncodeJpeg(
                photo.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 85);
            // Cameras put the EXIF segment right after the start marker.
            const QByteArray withExif = body.left(2) + ExifSegment(thumbnail) + body.mid(2);
            const QString name = QString("IMG_%1.jpg").arg(i + 1, 4, 10, QChar('0'));
            const QString with = dir.filePath("thumb-" + name),
                          without = dir.filePath("plain-" + name);
            if (!WriteAll(with, withExif) || !WriteAll(without, body))
                std::abort();
            withThumbnails.emplace_back(with.toStdString(), kCell);
            withoutThumbnails.emplace_back(without.toStdString(), kCell);
            averageMegabytes += withExif.size() / 1e6 / kPhotos;
        }
    }
};

Album& Photos()
{
    static Album album;
    return album;
}

double ProcessCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Starts counting processor time at construction; Report ends it.
struct CpuClock {
    double start = ProcessCpuMilliseconds();
};

void Report(benchmark::State& state, std::size_t heldBytes, const CpuClock& clock)
{
    state.counters["held_MB"] = static_cast<double>(heldBytes) / 1e6;
    state.counters["file_MB"] = Photos().averageMegabytes;
    state.counters["cpu_ms"] =
        (ProcessCpuMilliseconds() - clock.start) / static_cast<double>(state.iterations());
}

// One redraw: the renderer asks for all cells ahead, then takes them in order.
std::size_t Redraw(MiniatureCache& cache, const std::vector<std::pair<std::string, QSize>>& cells,
                   benchmark::State& state)
{
    cache.Prefetch(cells);
    for (const auto& [path, need] : cells) {
        const Miniature miniature = cache.Get(path, need);
        if (miniature.image.isNull())
            state.SkipWithError("a miniature did not load");
        benchmark::DoNotOptimize(miniature.image.constBits());
    }
    return cache.BytesHeld();
}

void ColdWithThumbnails(benchmark::State& state)
{
    std::size_t held = 0;
    const CpuClock clock;
    for (auto _ : state) {
        MiniatureCache cache;
        held = Redraw(cache, Photos().withThumbnails, state);
    }
    Report(state, held, clock);
}
BENCHMARK(ColdWithThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void ColdWithoutThumbnails(benchmark::State& state)
{
    std::size_t held = 0;
    const CpuClock clock;
    for (auto _ : state) {
        MiniatureCache cache;
        held = Redraw(cache, Photos().withoutThumbnails, state);
    }
    Report(state, held, clock);
}
BENCHMARK(ColdWithoutThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The cells change size (a margin or gap typed) between redraws of a job
// whose photos were all seen before.
void WarmLayoutChange(benchmark::State& state)
{
    const auto& cells = state.range(0) ? Photos().withThumbnails : Photos().withoutThumbnails;
    state.SetLabel(state.range(0) ? "thumbnails" : "no thumbnails");
    MiniatureCache cache;
    Redraw(cache, cells, state);
    std::vector<std::pair<std::string, QSize>> changed = cells;
    bool wider = false;
    std::size_t held = 0;
    const CpuClock clock;
    for (auto _ : state) {
        wider = !wider;
        for (auto& cell : changed)
            cell.second = wider ? QSize(43, 52) : kCell;
        held = Redraw(cache, changed, state);
    }
    Report(state, held, clock);
}
BENCHMARK(WarmLayoutChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the cold redraw without thumbnails is held against: the same files
// read and decoded at libjpeg's smallest scale, two threads sharing them.
void SmallestScaleReference(benchmark::State& state)
{
    const auto& cells = Photos().withoutThumbnails;
    const CpuClock clock;
    for (auto _ : state) {
        std::atomic<int> next{0};
        std::atomic<bool> failed{false};
        auto work = [&] {
            for (int i = next++; i < kPhotos; i = next++) {
                const JpegDecoded decoded = DecodeJpegCovering(
                    ReadRegularFile(cells[i].first, kMaxPictureFileBytes).bytes, 1, 1);
                if (decoded.image.isNull() || decoded.scaleEighths != 1)
                    failed = true;
                benchmark::DoNotOptimize(decoded.image.constBits());
            }
        };
        std::thread helper(work);
        work();
        helper.join();
        if (failed)
            state.SkipWithError("a photo did not decode at 1/8");
    }
    Report(state, 0, clock);
}
BENCHMARK(SmallestScaleReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Whole redraws through the settings window, progress window and page loop
// included, of a 5 x 5 job of these photos with captions, header and footer.
PreviewedJob JobOf(const std::vector<std::pair<std::string, QSize>>& cells)
{
    PreviewedJob job;
    for (const auto& [path, need] : cells) {
        job.pictures.paths.push_back(path);
        job.pictures.captions.push_back("IMG");
    }
    job.headerText = "第&p页";
    job.footerText = "&Y-&M-&D";
    return job;
}

// A fresh window each time, so its miniatures start empty; the files stay in
// the system's file cache, as they are after the folder search read them.
void FirstRedraw(benchmark::State& state)
{
    const bool thumbnails = state.range(0) != 0;
    state.SetLabel(thumbnails ? "thumbnails" : "no thumbnails");
    const PreviewedJob job =
        JobOf(thumbnails ? Photos().withThumbnails : Photos().withoutThumbnails);
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<SettingsWindow>(StartupPrintSettings(), job);
        state.ResumeTiming();
        window->RedrawPreview();
        benchmark::DoNotOptimize(window->PreviewPicture().constBits());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstRedraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// From showing the window to its miniature on the canvas: the redraw the
// window runs as it opens.  Goal: within 150 ms with EXIF thumbnails.
void MiniatureOnOpening(benchmark::State& state)
{
    const PreviewedJob job = JobOf(Photos().withThumbnails);
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<SettingsWindow>(StartupPrintSettings(), job);
        state.ResumeTiming();
        window->show();
        while (window->PreviewPicture().isNull())
            QCoreApplication::processEvents();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(MiniatureOnOpening)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// A margin typed between redraws of a job whose photos were drawn before.
void RedrawAfterLayoutChange(benchmark::State& state)
{
    SettingsWindow window(StartupPrintSettings(), JobOf(Photos().withThumbnails));
    window.RedrawPreview();
    QLineEdit* margin = window.findChild<QLineEdit*>(QStringLiteral("编辑框_左边距"));
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        margin->setText(wide ? QStringLiteral("12") : QStringLiteral("5"));
        window.RedrawPreview();
        benchmark::DoNotOptimize(window.PreviewPicture().constBits());
    }
}
BENCHMARK(RedrawAfterLayoutChange)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return quillet::bench::RunQtBenchmarks(argc, argv, [] { Photos(); });
}

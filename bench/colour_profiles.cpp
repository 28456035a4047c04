// What honouring colour profiles costs.
//
// The 100-photo album (12-megapixel camera-like JPEGs, 5 x 5 A4 pages at
// the first confirmed settings, optimisation level 3, written as JPEG page
// files) rendered untagged and with every photo tagged Adobe RGB (the same
// picture data plus an APP2 profile).  The two albums are rendered in turn
// within each iteration, so a loaded machine slows both alike; the counters
// give each album's time and their ratio.  Then one photo as level 3 loads
// it, untagged and tagged.
#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"
#include "codecs/lcms_handles.h"
#include "print/render_pages.h"
#include "printing/fonts.h"
#include "qt_benchmark_main.h"

#include <QApplication>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

namespace {

using namespace quillet;

constexpr int kDistinctPhotos = 10;
constexpr int kAlbumPhotos = 100;

// Shapes, shading and sensor noise: compresses like a real photo.
QImage CameraLikePhoto(int seed)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int noise = static_cast<int>(state % 41) - 20;
            const double shade = 60 * std::sin(x * 0.004 + seed) * std::cos(y * 0.006)
                                 + 40 * std::sin((x + y) * 0.02);
            auto channel = [&](double base) {
                return std::clamp(static_cast<int>(base + shade) + noise, 0, 255);
            };
            row[x] = qRgb(channel(150 + x * 0.02), channel(110 + y * 0.03), channel(90 + seed * 8));
        }
    }
    return image;
}

ByteArray AdobeRgbProfile()
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    const lcms::Curve curve(cmsBuildGamma(nullptr, 563.0 / 256.0));
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    return lcms::SavedProfile(lcms::Profile(cmsCreateRGBProfile(&white, &primaries, curves)));
}

ByteArray ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteArray(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const ByteArray& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The JPEG with an APP2 ICC_PROFILE segment right after its start marker.
ByteArray Tagged(const ByteArray& jpeg, const ByteArray& profile)
{
    static constexpr unsigned char kHead[] = {0xFF, 0xE2, 0,   0,   'I', 'C', 'C', '_', 'P',
                                              'R',  'O',  'F', 'I', 'L', 'E', 0,   1,   1};
    ByteArray segment(sizeof kHead + profile.size());
    std::copy(std::begin(kHead), std::end(kHead), segment.begin());
    std::copy(profile.begin(), profile.end(), segment.begin() + sizeof kHead);
    const std::size_t length = segment.size() - 2;
    segment[2] = static_cast<std::uint8_t>(length >> 8);
    segment[3] = static_cast<std::uint8_t>(length);
    ByteArray out = jpeg;
    out.insert(out.begin() + 2, segment.begin(), segment.end());
    return out;
}

struct Albums {
    QTemporaryDir dir;
    PageJob untagged;
    PageJob tagged;
    ByteArray plainPhoto;
    ByteArray taggedPhoto;

    Albums()
    {
        InstallFontSubstitutions();
        const ByteArray profile = AdobeRgbProfile();
        PrintSettings s = FirstConfirmedPrintSettings();
        s.imageFormat = 2;
        untagged.settings = tagged.settings = s;
        for (int i = 0; i < kDistinctPhotos; ++i) {
            const std::string plain = dir.filePath(QString("IMG_%1.jpg").arg(i)).toStdString();
            QImageWriter writer(QString::fromStdString(plain), "jpeg");
            writer.setQuality(90);
            writer.write(CameraLikePhoto(i));
            const std::string adobe = dir.filePath(QString("ADOBE_%1.jpg").arg(i)).toStdString();
            const ByteArray photo = Tagged(ReadAll(plain), profile);
            WriteAll(adobe, photo);
            if (i == 0) {
                plainPhoto = ReadAll(plain);
                taggedPhoto = photo;
            }
        }
        // Ten files, each loaded afresh ten times: the loader keeps nothing.
        for (int i = 0; i < kAlbumPhotos; ++i) {
            const QString n = QString::number(i % kDistinctPhotos);
            untagged.pictures.paths.push_back(dir.filePath("IMG_" + n + ".jpg").toStdString());
            tagged.pictures.paths.push_back(dir.filePath("ADOBE_" + n + ".jpg").toStdString());
            untagged.pictures.captions.push_back("IMG_" + std::to_string(i));
            tagged.pictures.captions.push_back("IMG_" + std::to_string(i));
        }
        QDir().mkpath(dir.filePath("pages"));
    }
};

Albums& Data()
{
    static Albums albums;
    return albums;
}

struct Cost {
    double seconds = 0; // wall time
    double cpuSeconds = 0; // the whole process, every thread
};

// The album's cost, or a negative one when it did not render.
Cost CostToRender(const PageJob& job)
{
    const std::string pages = Data().dir.filePath("pages").toStdString();
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    Canvas canvas;
    const RenderPagesResult result = RenderPagesOnCanvas(job, pages, canvas, {});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    for (const std::string& file : result.writtenFiles)
        std::remove(file.c_str());
    if (result.writtenFiles.size() != 4)
        return {-1, -1};
    return {took.count(), cpu};
}

// Process CPU time is the steadier figure on a shared machine: it does not
// count the time other programs hold the cores.
void BM_AlbumPageFilesUntaggedAgainstAdobeRgb(benchmark::State& state)
{
    Data();
    Cost untagged, tagged;
    for (auto _ : state) {
        const Cost u = CostToRender(Data().untagged);
        const Cost t = CostToRender(Data().tagged);
        if (u.seconds < 0 || t.seconds < 0)
            state.SkipWithError("the album did not render");
        untagged.seconds += u.seconds;
        untagged.cpuSeconds += u.cpuSeconds;
        tagged.seconds += t.seconds;
        tagged.cpuSeconds += t.cpuSeconds;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["untagged_s"] = untagged.seconds / n;
    state.counters["adobe_rgb_s"] = tagged.seconds / n;
    state.counters["adobe_rgb/untagged"] =
        untagged.seconds > 0 ? tagged.seconds / untagged.seconds : 0;
    state.counters["untagged_cpu_s"] = untagged.cpuSeconds / n;
    state.counters["adobe_rgb_cpu_s"] = tagged.cpuSeconds / n;
    state.counters["cpu_adobe_rgb/untagged"] =
        untagged.cpuSeconds > 0 ? tagged.cpuSeconds / untagged.cpuSeconds : 0;
}
BENCHMARK(BM_AlbumPageFilesUntaggedAgainstAdobeRgb)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// One photo decoded as level 3 loads it (reduced-scale decode, resample,
// and for the tagged file the conversion), untagged and tagged alike.
void BM_PhotoAtLevelThree(benchmark::State& state)
{
    const ByteArray& photo = state.range(0) ? Data().taggedPhoto : Data().plainPhoto;
    // The factor level 3 gives a 12-megapixel photo of this file size.
    const int factor =
        static_cast<int>(1000.0 / std::sqrt(static_cast<double>(photo.size()) / 51200.0 / 3));
    for (auto _ : state) {
        const DecodedPicture picture = DecodeScaledPicture(photo, factor);
        benchmark::DoNotOptimize(picture.image.constBits());
    }
    state.counters["pixels"] = ScaledSide(4000, factor) * ScaledSide(3000, factor);
}
BENCHMARK(BM_PhotoAtLevelThree)->ArgName("tagged")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return quillet::bench::RunQtBenchmarks(argc, argv);
}

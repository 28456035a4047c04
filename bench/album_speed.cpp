// Album speed: camera photos (4000 x 3000 JPEGs of 3-5 MB, or with --format
// heic phone photos of the same size) on 5 x 5 A4 pages at the first
// confirmed settings, four ways on the same photos:
//   limit  - the floor under all: every photo read and only decoded at
//            libjpeg's 1/8 scale (a HEIC: decoded whole by libheif's own
//            API, which cannot decode smaller), on every core;
//   loader - every photo through the page loader alone (read, decoded at
//            the scale its optimisation level needs, shrunk), on every core:
//            what pages and pdf cost before anything is drawn;
//   pages  - written as JPEG page files with the progress window;
//   pdf    - printed into a PDF file through the printer unit, likewise.
// Each way runs in a process of its own, so that its peak memory is its own;
// the ways take turns for --rounds rounds and the fastest run of each counts.
// Prints wall time, time per photo, CPU time and peak memory of each way;
// for pages and pdf the longest time the window went without processing
// events and without its bar advancing; then pages / limit, pdf / pages
// and pages / loader.
//
// Goals: pdf at most 1.1 x pages; pages as near the limit as the loader's
// own decoding allows; the time per photo of 2,000 photos within 10 % of
// that of 100; peak memory under 150 MB for 100 photos and under 200 MB for
// 2,000; the window never more than 200 ms without its events; a cancel
// ending the job within 0.5 s.
//
//   build/bench/bench_album_speed [--photos N] [--rounds R] [--cancel-at S]
//                                 [--format jpg|heic]
//
// The first 100 photos (25 HEICs, which take x265 long to make) are made
// once and kept in bench/.cache/album-photos (-heic) or $QUILLET_BENCH_PHOTOS;
// an album of more photos takes them in turn, each loaded afresh.  --cancel-at S presses the
// progress window's cancel button S seconds into each pages and pdf job and reports how long the
// job took to end after the press.
#include "app/album_output.h"
#include "app/globals.h"
#include "app/progress_window.h"
#include "codecs/jpeg.h"
#include "codecs/page_raster.h"
#include "loading/load_picture_for_page.h"
#include "printing/fonts.h"
#include "printing/printer_queries.h"
#include "textfiles/files.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <libheif/heif.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace quillet;

// The photos' format: "jpg" or "heic", the same in every process.
std::string photoFormat = "jpg";

bool Heic()
{
    return photoFormat == "heic";
}

int DistinctPhotos()
{
    return Heic() ? 25 : 100;
}

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
const char* const kWays[] = {"limit", "loader", "pages", "pdf"};

struct Options {
    int photos = 100;
    int rounds = 3;
    double cancelAt = 0; // seconds; 0 lets every job run to its end
    std::string way; // set in a child process: the one way it runs
    std::string format = "jpg";
};

std::string PhotoFolder()
{
    if (const char* folder = std::getenv("QUILLET_BENCH_PHOTOS"))
        return folder;
    return std::string(QUILLET_SOURCE_DIR) + "/bench/.cache/album-photos" + (Heic() ? "-heic" : "");
}

std::string PhotoPath(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "/IMG_%04d.%s", index + 1, photoFormat.c_str());
    return PhotoFolder() + name;
}

heif_error AppendTo(heif_context*, const void* data, size_t size, void* out)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    static_cast<ByteArray*>(out)->insert(static_cast<ByteArray*>(out)->end(), bytes, bytes + size);
    return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// As a phone stores it: HEVC at quality 90 (x265's fastest preset, which
// changes how long the photos take to make, not to decode).
std::optional<ByteArray> EncodeHeic(const QImage& photo)
{
    const QImage rgb = photo.convertToFormat(QImage::Format_RGB888);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_encoder_set_parameter_string(encoder, "preset", "ultrafast");
    heif_image* image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                      &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + static_cast<std::ptrdiff_t>(y) * stride, rgb.constScanLine(y),
                    static_cast<std::size_t>(rgb.width()) * 3);
    ByteArray out;
    heif_writer writer{1, AppendTo};
    const bool encoded =
        heif_context_encode_image(context, image, encoder, nullptr, nullptr).code == heif_error_Ok
        && heif_context_write(context, &writer, &out).code == heif_error_Ok;
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return encoded ? std::optional<ByteArray>(std::move(out)) : std::nullopt;
}

// libheif alone: the whole photo decoded to 8-bit RGB, as heif-convert does.
QImage DecodeWithLibheif(const ByteArray& bytes)
{
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    QImage done;
    if (heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr)
                .code
            == heif_error_Ok
        && heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok
        && heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                             nullptr)
                   .code
               == heif_error_Ok)
        done = QImage(1, 1, QImage::Format_RGB32); // only whether it decoded counts
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return done;
}

// Like a camera photo: smooth shapes (a coarse random grid enlarged) under
// sensor noise, so that it compresses to a few bits per pixel.
void WritePhoto(int index)
{
    std::mt19937 random(static_cast<unsigned>(index) * 7919u + 17u);
    QImage coarse(16, 12, QImage::Format_RGB32);
    for (int y = 0; y < coarse.height(); ++y)
        for (int x = 0; x < coarse.width(); ++x)
            coarse.setPixel(x, y, random() | 0xFF000000u);
    QImage photo =
        coarse.scaled(kPhotoWidth, kPhotoHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::normal_distribution<float> noise(0.0f, 9.0f);
    for (int y = 0; y < photo.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int grain = static_cast<int>(noise(random));
            auto channel = [grain](int value) { return std::clamp(value + grain, 0, 255); };
            row[x] = qRgb(channel(qRed(row[x])), channel(qGreen(row[x])), channel(qBlue(row[x])));
        }
    }
    const std::optional<ByteArray> jpeg =
        Heic() ? EncodeHeic(photo) : EncodeJpeg(PageRaster{photo, 0, 0}, 90);
    QFile file(QString::fromStdString(PhotoPath(index)));
    if (!jpeg || !file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char*>(jpeg->data()), qint64(jpeg->size()))
               != qint64(jpeg->size())) {
        std::cerr << "cannot write " << PhotoPath(index) << "\n";
        std::exit(1);
    }
}

void MakeMissingPhotos()
{
    std::filesystem::create_directories(PhotoFolder());
    std::atomic<int> next{0};
    auto work = [&next] {
        for (int i = next++; i < DistinctPhotos(); i = next++)
            if (!std::filesystem::exists(PhotoPath(i)))
                WritePhoto(i);
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
}

std::vector<std::string> AlbumPaths(int photos)
{
    std::vector<std::string> paths;
    for (int i = 0; i < photos; ++i)
        paths.push_back(PhotoPath(i % DistinctPhotos()));
    return paths;
}

// The peak resident memory of this process in MB (VmHWM, which starts afresh
// with the program; getrusage of a spawned child also counts its parent).
double PeakMegabytes()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    double kilobytes = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %lf kB", &kilobytes) == 1)
            break;
    std::fclose(status);
    return kilobytes / 1024;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One run's figures, as a child prints them on one line.
struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    double longestEventGapMs = 0; // the window processed no events
    double longestProgressGapMs = 0; // its bar did not move
    double cancelAnsweredMs = -1; // from the press to the end of the job
    double peakMegabytes = 0;
};

// Every photo decoded by decode on every core, each thread taking the next.
template <typename Decode>
Run DecodeAll(const std::vector<std::string>& paths, Decode decode)
{
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = CpuSeconds();
    std::atomic<std::size_t> next{0};
    std::atomic<int> decoded{0};
    auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++)
            if (!decode(paths[i]).isNull())
                ++decoded;
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    if (decoded != static_cast<int>(paths.size())) {
        std::cerr << "only " << decoded << " photos decoded\n";
        std::exit(1);
    }
    return Run{clock.elapsed() / 1000.0, CpuSeconds() - cpuBefore};
}

Run DecodeLimit(const std::vector<std::string>& paths)
{
    return DecodeAll(paths, [](const std::string& path) {
        const ByteArray bytes = ReadRegularFile(path, kMaxPictureFileBytes).bytes;
        return Heic() ? DecodeWithLibheif(bytes)
                      : DecodeJpeg(ByteSpan(bytes.data(), bytes.size()), 125).image;
    });
}

Run DecodeForPages(const std::vector<std::string>& paths)
{
    const int level = FirstConfirmedPrintSettings().imageOptimization;
    return DecodeAll(
        paths, [level](const std::string& path) { return DecodePictureForPage(path, level); });
}

// Watches the progress window while a job runs: how long events wait, how
// long the bar stands still, and when asked presses cancel.
class WindowWatch {
public:
    explicit WindowWatch(double cancelAt) : cancelAt_(cancelAt)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        clock_.start();
        timer_.start();
    }

    void Finish(Run& run)
    {
        timer_.stop();
        run.longestEventGapMs = longestEventGap_;
        run.longestProgressGapMs = longestProgressGap_;
        if (pressedAt_ >= 0)
            run.cancelAnsweredMs = static_cast<double>(clock_.elapsed()) - cancelAt_ * 1000;
    }

private:
    void Tick()
    {
        const auto now = static_cast<double>(clock_.elapsed());
        longestEventGap_ = std::max(longestEventGap_, now - lastTick_);
        lastTick_ = now;
        ProgressWindow* window = LoadedProgressWindow();
        if (!window)
            return;
        const int progress = window->Progress();
        if (progress != lastProgress_) {
            if (lastProgress_ > 0)
                longestProgressGap_ = std::max(longestProgressGap_, now - progressSince_);
            lastProgress_ = progress;
            progressSince_ = now;
        }
        if (cancelAt_ > 0 && pressedAt_ < 0 && now >= cancelAt_ * 1000) {
            if (auto* cancel = window->findChild<QPushButton*>("按钮_取消打印")) {
                cancel->click();
                pressedAt_ = now;
            }
        }
    }

    double cancelAt_;
    QTimer timer_;
    QElapsedTimer clock_;
    double lastTick_ = 0;
    double longestEventGap_ = 0;
    int lastProgress_ = 0;
    double progressSince_ = 0;
    double longestProgressGap_ = 0;
    double pressedAt_ = -1;
};

PageJob AlbumJob(const std::vector<std::string>& paths)
{
    InstallFontSubstitutions();
    ResetGlobals();
    PrintSettings settings = FirstConfirmedPrintSettings();
    RepairFonts(settings);
    PageJob job;
    job.settings = settings;
    job.pictures.paths = paths;
    for (std::size_t i = 0; i < paths.size(); ++i)
        job.pictures.captions.push_back("照片" + std::to_string(i + 1));
    job.headerTemplate = "第&p页/共&a页";
    job.footerTemplate = "&Y-&M-&D &h:&m";
    return job;
}

Run AlbumJobRun(const Options& options, const std::vector<std::string>& paths)
{
    const PageJob job = AlbumJob(paths);
    QTemporaryDir out;
    LoadProgressWindow();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    WindowWatch watch(options.cancelAt);
    bool done = false;
    if (options.way == "pages") {
        done = RenderPagesToImages(job, out.path().toStdString()).Succeeded();
    } else {
        done = PrintPicturePages(job, PrintTarget::PdfFile(out.filePath("album.pdf").toStdString()))
                   .handedOver;
    }
    Run run{clock.elapsed() / 1000.0, CpuSeconds() - cpuBefore};
    watch.Finish(run);
    if (!done) {
        std::cerr << options.way << ": the job did not finish\n";
        std::exit(1);
    }
    return run;
}

int RunOneWay(const Options& options)
{
    const std::vector<std::string> paths = AlbumPaths(options.photos);
    const Run run = options.way == "limit"    ? DecodeLimit(paths)
                    : options.way == "loader" ? DecodeForPages(paths)
                                              : AlbumJobRun(options, paths);
    std::cout << run.seconds << ' ' << run.cpuSeconds << ' ' << run.longestEventGapMs << ' '
              << run.longestProgressGapMs << ' ' << run.cancelAnsweredMs << ' ' << PeakMegabytes()
              << '\n';
    return 0;
}

// Runs this program again for one way and reads its line back.
Run RunChild(const Options& options, const std::string& way)
{
    std::vector<std::string> words = {"/proc/self/exe",
                                      "--way",
                                      way,
                                      "--photos",
                                      std::to_string(options.photos),
                                      "--cancel-at",
                                      std::to_string(options.cancelAt),
                                      "--format",
                                      options.format};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ) != 0) {
        std::cerr << "cannot start a child\n";
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string line;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    Run run;
    std::istringstream fields(line);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0
        || !(fields >> run.seconds >> run.cpuSeconds >> run.longestEventGapMs
             >> run.longestProgressGapMs >> run.cancelAnsweredMs >> run.peakMegabytes)) {
        std::cerr << way << " failed\n";
        std::exit(1);
    }
    return run;
}

Options ReadOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--photos")
            options.photos = std::max(1, std::atoi(value));
        else if (name == "--rounds")
            options.rounds = std::max(1, std::atoi(value));
        else if (name == "--cancel-at")
            options.cancelAt = std::atof(value);
        else if (name == "--way")
            options.way = value;
        else if (name == "--format")
            options.format = value;
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = ReadOptions(argc, argv);
    photoFormat = options.format == "heic" ? "heic" : "jpg";
    if (!options.way.empty()) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // The offscreen platform's notes on what it cannot do are no news here.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::cerr << text.toStdString() << "\n";
        });
        QApplication app(argc, argv);
        return RunOneWay(options);
    }

    MakeMissingPhotos();
    std::map<std::string, Run> best;
    for (int round = 0; round < options.rounds; ++round) {
        for (const char* way : kWays) {
            const Run run = RunChild(options, way);
            auto [slot, first] = best.try_emplace(way, run);
            if (!first) {
                const double peak = std::max(slot->second.peakMegabytes, run.peakMegabytes);
                const double eventGap =
                    std::max(slot->second.longestEventGapMs, run.longestEventGapMs);
                const double progressGap =
                    std::max(slot->second.longestProgressGapMs, run.longestProgressGapMs);
                const double cancel = std::max(slot->second.cancelAnsweredMs, run.cancelAnsweredMs);
                if (run.seconds < slot->second.seconds)
                    slot->second = run;
                slot->second.peakMegabytes = peak;
                slot->second.longestEventGapMs = eventGap;
                slot->second.longestProgressGapMs = progressGap;
                slot->second.cancelAnsweredMs = cancel;
            }
        }
    }

    std::printf("%d %s photos %dx%d, 5 x 5 A4, best of %d rounds%s\n", options.photos,
                photoFormat.c_str(), kPhotoWidth, kPhotoHeight, options.rounds,
                options.cancelAt > 0 ? ", cancelled" : "");
    std::printf("%-6s %9s %12s %9s %9s %15s %17s %12s\n", "way", "seconds", "ms per photo", "CPU s",
                "peak MB", "no events ms", "bar still ms", "cancel ms");
    for (const char* way : kWays) {
        const Run& run = best[way];
        std::printf("%-6s %9.3f %12.2f %9.2f %9.1f", way, run.seconds,
                    run.seconds * 1000 / options.photos, run.cpuSeconds, run.peakMegabytes);
        if (std::string(way) == "limit" || std::string(way) == "loader")
            std::printf("\n");
        else if (run.cancelAnsweredMs < 0)
            std::printf(" %15.0f %17.0f %12s\n", run.longestEventGapMs, run.longestProgressGapMs,
                        "-");
        else
            std::printf(" %15.0f %17.0f %12.0f\n", run.longestEventGapMs, run.longestProgressGapMs,
                        run.cancelAnsweredMs);
    }
    std::printf("pages / limit:  %.2f x\npdf / pages:    %.2f x\npages / loader: %.2f x\n",
                best["pages"].seconds / best["limit"].seconds,
                best["pdf"].seconds / best["pages"].seconds,
                best["pages"].seconds / best["loader"].seconds);
    return 0;
}

// Spooling an album: 100 photos of 6 megapixels on a 5 x 5 grid (4 pages),
// at optimisation level 0 (no shrinking on load), into a PDF file through
// the printer unit.  Reports the time per job, the spool size and the peak
// resident memory of the process.
#include "app/album_output.h"
#include "app/globals.h"
#include "app/progress_window.h"
#include "printing/fonts.h"
#include "qt_benchmark_main.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>

namespace {

double PeakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A photo-like picture: gradients compress like real photos, not like a
// flat colour.
std::string WritePhoto(const QTemporaryDir& dir, int index)
{
    QImage image(3000, 2000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 3000, 2000);
    gradient.setColorAt(0, QColor::fromHsv((index * 37) % 360, 200, 230));
    gradient.setColorAt(1, QColor::fromHsv((index * 71) % 360, 120, 60));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    const QString path = dir.filePath(QString("photo%1.jpg").arg(index));
    image.save(path, "JPEG", 85);
    return path.toStdString();
}

void BM_PrintAlbumHundredPhotosFourPages(benchmark::State& state)
{
    using namespace quillet;
    QTemporaryDir dir;
    InstallFontSubstitutions();
    ResetGlobals();
    PrintSettings& s = App().printSettings;
    s = FirstConfirmedPrintSettings();
    RepairFonts(s);
    s.imageOptimization = 0;

    PageJob job;
    job.settings = s;
    for (int i = 0; i < 100; ++i)
        job.pictures.paths.push_back(
            WritePhoto(dir, i % 10)); // ten distinct files, each loaded afresh
    for (int i = 0; i < 100; ++i)
        job.pictures.captions.push_back("照片" + std::to_string(i + 1));
    job.headerTemplate = "第&p页/共&a页";
    job.footerTemplate = "&Y-&M-&D";

    const std::string pdf = dir.filePath("album.pdf").toStdString();
    const double before = PeakResidentMegabytes();
    for (auto _ : state) {
        if (!PrintPicturePages(job, PrintTarget::PdfFile(pdf, 1, true)).handedOver)
            state.SkipWithError("the job did not start");
    }
    state.counters["spool_MB"] = QFileInfo(QString::fromStdString(pdf)).size() / 1048576.0;
    state.counters["peak_RSS_MB"] = PeakResidentMegabytes();
    state.counters["RSS_growth_MB"] = PeakResidentMegabytes() - before;
    CloseProgressWindow();
}
BENCHMARK(BM_PrintAlbumHundredPhotosFourPages)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return quillet::bench::RunQtBenchmarks(argc, argv);
}

#include "support/cups_queues.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillet::testing {

std::string RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput().toStdString();
}

std::string CupsDir()
{
    const char* dir = std::getenv("QUILLET_CUPS_DIR");
    return dir && *dir ? dir : "/tmp/quillet-cups";
}

std::string FileQueueOutput()
{
    return CupsDir() + "/out/file-queue.pdf";
}

std::string SimulatorDir(const std::string& printer)
{
    return CupsDir() + "/ipp/" + printer;
}

namespace {

std::uint32_t BigEndian(const QByteArray& bytes, int at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// 0.1 mm from pixels at a resolution.
int Tenths(std::uint32_t pixels, std::uint32_t dpi)
{
    return dpi ? static_cast<int>(std::lround(pixels * 254.0 / dpi)) : 0;
}

} // namespace

RasterPage NewestSimulatorDocument(const std::string& printer, const QDateTime& since)
{
    const QDir dir(QString::fromStdString(SimulatorDir(printer)));
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Time);
    RasterPage page;
    if (files.isEmpty() || files.first().lastModified() < since)
        return page;
    QFile file(files.first().filePath());
    if (!file.open(QIODevice::ReadOnly))
        return page;
    const QByteArray bytes = file.read(4 + 1796);
    if (bytes.startsWith("UNIRAST") && bytes.size() >= 12 + 32) {
        // Apple raster: a page count (0 when CUPS streams it), then per page
        // width, height and dpi.
        const std::uint32_t dpi = BigEndian(bytes, 12 + 20);
        page.width = Tenths(BigEndian(bytes, 12 + 12), dpi);
        page.height = Tenths(BigEndian(bytes, 12 + 16), dpi);
    } else if (bytes.startsWith("RaS2") && bytes.size() >= 4 + 380) {
        // PWG raster: the page size in points.
        page.width = static_cast<int>(std::lround(BigEndian(bytes, 4 + 352) * 254.0 / 72));
        page.height = static_cast<int>(std::lround(BigEndian(bytes, 4 + 356) * 254.0 / 72));
    }
    return page;
}

bool WaitUntilQueueEmpty(const char* queue)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 120000) {
        if (RunTool("lpstat", {"-o", queue}).empty())
            return true;
        QThread::msleep(200);
    }
    return false;
}

QueueLock::QueueLock() : fd_(::open("/tmp/quillet-cups-tests.lock", O_CREAT | O_RDWR, 0666))
{
    if (fd_ >= 0)
        ::flock(fd_, LOCK_EX);
}

QueueLock::~QueueLock()
{
    if (fd_ >= 0)
        ::close(fd_); // closing releases the lock
}

namespace {

bool RunAdmin(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

} // namespace

ThrowAwayQueue::ThrowAwayQueue(const std::string& outputFile)
{
    static int made = 0;
    name_ = "QUILLET_TMP_" + std::to_string(::getpid()) + "_" + std::to_string(++made);
    ready_ = RunAdmin("lpadmin", {"-p", QString::fromStdString(name_), "-E", "-v",
                                  QString::fromStdString("file://" + outputFile), "-P",
                                  "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd"});
}

ThrowAwayQueue::~ThrowAwayQueue()
{
    RunAdmin("cancel", {"-a", QString::fromStdString(name_)});
    Delete();
}

bool ThrowAwayQueue::Reject()
{
    return RunAdmin("cupsreject", {QString::fromStdString(name_)});
}

bool ThrowAwayQueue::Stop()
{
    return RunAdmin("cupsdisable", {QString::fromStdString(name_)});
}

bool ThrowAwayQueue::Delete()
{
    return RunAdmin("lpadmin", {"-x", QString::fromStdString(name_)});
}

} // namespace quillet::testing

#include "support/cups_queues.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

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

#pragma once
// The private CUPS daemon's queues as the printing tests use them
// (scripts/test-cups.sh sets them up).

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <string>

namespace quillet::testing {

inline constexpr const char* kFileQueue = "QUILLET_FILE"; // generic PDF into a file
inline constexpr const char* kCupsPdfQueue = "QUILLET_PDF"; // cups-pdf into $HOME/PDF
// Driverless queues on CUPS's printer simulator: an office printer (Letter,
// Legal, A4, #10, DL, no custom sizes) and a photo printer (4x6, 5x7, A6, A4,
// 3.5x5).  Each keeps the documents it receives in SimulatorDir().
inline constexpr const char* kOfficeQueue = "QUILLET_OFFICE";
inline constexpr const char* kPhotoQueue = "QUILLET_PHOTO";

// "office" or "photo": where that simulator keeps its documents.
std::string SimulatorDir(const std::string& printer);

// The page size in 0.1 mm of the newest document the simulator kept since
// `since` (an Apple or PWG raster, as CUPS converted the job for it); empty
// size when there is none.  The folder is never emptied: the simulator
// writes into it while it runs.
struct RasterPage {
    int width = 0;
    int height = 0;
};
RasterPage NewestSimulatorDocument(const std::string& printer, const QDateTime& since);

// Standard output of a tool run to its end (30 s at most).
std::string RunTool(const QString& program, const QStringList& arguments);

std::string CupsDir();
// Where the file queue writes every job.
std::string FileQueueOutput();

// True once the queue holds no job; false after two minutes.
bool WaitUntilQueueEmpty(const char* queue);

// Test processes may run side by side; one job at a time per queue keeps
// every test reading its own output.
class QueueLock {
public:
    QueueLock();
    ~QueueLock();
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;

private:
    int fd_;
};

// A queue of the generic PDF driver into a file of its own, made for one
// test and deleted with the object, so that a test may refuse, stop or
// delete it without touching the shared queues.
class ThrowAwayQueue {
public:
    explicit ThrowAwayQueue(const std::string& outputFile);
    ~ThrowAwayQueue();
    ThrowAwayQueue(const ThrowAwayQueue&) = delete;
    ThrowAwayQueue& operator=(const ThrowAwayQueue&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Name() const { return name_; }
    bool Reject(); // cupsreject: new jobs are refused
    bool Stop(); // cupsdisable: jobs are held
    bool Delete(); // lpadmin -x

private:
    std::string name_;
    bool ready_ = false;
};

} // namespace quillet::testing

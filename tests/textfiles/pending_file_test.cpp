// Files written under a temporary name and put in place only when whole:
// names claimed without ever replacing another file, and a full disk that
// leaves the good file as it was.
#include "textfiles/pending_file.h"
#include "textfiles/signal_cleanup.h"

#include "support/full_disk.h"
#include "support/test_images.h"

#include <QDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;

ByteArray Bytes(const std::string& text)
{
    return ByteArray(text.begin(), text.end());
}

int Entries(const std::string& folder)
{
    return static_cast<int>(QDir(QString::fromStdString(folder))
                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                                .size());
}

TEST(PendingFileNames, TheNumberGoesBeforeTheExtension)
{
    EXPECT_EQ(PendingFile::NumberedName("/a/album.pdf", 1, '-'), "/a/album.pdf");
    EXPECT_EQ(PendingFile::NumberedName("/a/album.pdf", 2, '-'), "/a/album-2.pdf");
    EXPECT_EQ(PendingFile::NumberedName("/a.b/album", 3, '-'), "/a.b/album-3");
    EXPECT_EQ(PendingFile::NumberedName("/a/.hidden", 2, '-'), "/a/.hidden-2");
    EXPECT_EQ(PendingFile::NumberedName("/o/20260305_90503_1.png", 2, '_'),
              "/o/20260305_90503_1_2.png");
}

TEST(PendingFile, AFreeNameNeverReplacesAnExistingFile)
{
    ScratchDir dir;
    ASSERT_TRUE(testing::WriteBytes(dir.Path("album.pdf"), Bytes("kept")));
    ASSERT_TRUE(testing::WriteBytes(dir.Path("album-3.pdf"), Bytes("kept too")));
    const auto name = [&](int n) {
        return PendingFile::NumberedName(dir.Path("album.pdf"), n, '-');
    };
    for (const std::string expected : {"album-2.pdf", "album-4.pdf"}) {
        PendingFile file(dir.Path("album.pdf"));
        ASSERT_TRUE(file.Write(Bytes(expected)));
        const auto placed = file.PlaceUnderFreeName(name);
        ASSERT_TRUE(placed);
        EXPECT_EQ(placed->name, dir.Path(expected));
    }
    EXPECT_EQ(ReadBytes(dir.Path("album.pdf")), Bytes("kept"));
    EXPECT_EQ(ReadBytes(dir.Path("album-3.pdf")), Bytes("kept too"));
    EXPECT_EQ(ReadBytes(dir.Path("album-4.pdf")), Bytes("album-4.pdf"));
    EXPECT_EQ(Entries(dir.Root()), 4) << "no temporary file is left";
}

TEST(PendingFile, AFullDiskKeepsTheGoodFileAndLeavesNoPartialOne)
{
    ScratchDir dir;
    const testing::SmallDisk disk(dir.Path("disk"));
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(testing::WriteBytes(disk.Path("album.pdf"), Bytes("good")));
    PendingFile file(disk.Path("album.pdf"));
    EXPECT_FALSE(file.Write(ByteArray(200 * 1024, 'x')));
    EXPECT_FALSE(file.Replace());
    EXPECT_FALSE(file.PlaceUnderFreeName([](int) { return std::string("never"); }));
    EXPECT_EQ(ReadBytes(disk.Path("album.pdf")), Bytes("good"));
}

// Runs work in a child process that then waits to be ended by the signal,
// and tells how the child ended.  Whatever work makes stays alive until then.
int StatusAfterSignal(int signal, const std::function<void()>& work)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return 0;
    const pid_t child = ::fork();
    if (child == 0) {
        // A signal the test runner ignores would end nothing.
        struct sigaction now {};
        ::sigaction(signal, nullptr, &now);
        if (now.sa_handler == SIG_IGN)
            ::signal(signal, SIG_DFL);
        work();
        (void)!::write(ready[1], "r", 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    // Nothing to read: the work ended the child before it was done.
    if (::read(ready[0], &byte, 1) == 1)
        ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    return status;
}

class KilledWriter : public ::testing::TestWithParam<int> {};

// A run ended while it wrote (kill -9 too) left hidden temporaries of up to
// hundreds of megabytes that nothing ever removed.
TEST_P(KilledWriter, LeavesNothingBehind)
{
    ScratchDir dir;
    const int status = StatusAfterSignal(GetParam(), [&] {
        auto* file = new PendingFile(dir.Path("album.pdf")); // ended with the process
        if (!file->Write(ByteArray(1 << 20, 'x')))
            ::_exit(1);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child wrote its file and was ended";
    EXPECT_EQ(Entries(dir.Root()), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledWriter, ::testing::Values(SIGKILL, SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(strsignal(info.param)); });

// The PDF engine writes by name; what it writes is what is placed.
TEST(PendingFile, AWriterByNameFillsTheFileThatIsPlaced)
{
    ScratchDir dir;
    ASSERT_TRUE(testing::WriteBytes(dir.Path("album.pdf"), Bytes("old")));
    for (const bool replace : {false, true}) {
        PendingFile file(dir.Path("album.pdf"));
        ASSERT_TRUE(file.IsOpen());
        std::ofstream(file.TemporaryPath(), std::ios::binary) << (replace ? "replaced" : "beside");
        if (replace) {
            EXPECT_TRUE(file.Replace());
        } else {
            const auto placed = file.PlaceUnderFreeName(
                [&](int n) { return PendingFile::NumberedName(dir.Path("album.pdf"), n, '-'); });
            ASSERT_TRUE(placed);
        }
    }
    EXPECT_EQ(ReadBytes(dir.Path("album-2.pdf")), Bytes("beside"));
    EXPECT_EQ(ReadBytes(dir.Path("album.pdf")), Bytes("replaced"));
    EXPECT_EQ(Entries(dir.Root()), 2) << "no temporary name is left";
}

// A folder deleted while its file was written was called a full disk.
TEST(PendingFile, AFolderGoneBeforeThePlacingIsTheReasonGiven)
{
    ScratchDir dir;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("out"))));
    PendingFile file(dir.Path("out/album.pdf"));
    ASSERT_TRUE(file.Write(Bytes("whole")));
    ASSERT_TRUE(QDir().rmdir(QString::fromStdString(dir.Path("out"))));
    EXPECT_FALSE(file.PlaceUnderFreeName([&](int) { return dir.Path("out/album.pdf"); }));
    EXPECT_EQ(file.Error(), ENOENT);
}

class NamedTemporaryOnASignal : public ::testing::TestWithParam<int> {};

// Where a file system has no unnamed files the temporary has a name: the
// usual signals remove it before the process ends, as they end it.
TEST_P(NamedTemporaryOnASignal, IsRemovedAndTheSignalStillEndsTheProcess)
{
    ScratchDir dir;
    const std::string temporary = dir.Path(".album.pdf.XXXXXX");
    const int status = StatusAfterSignal(GetParam(), [&] {
        std::ofstream(temporary) << "partial";
        new SignalCleanUp(temporary); // ended with the process
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(Entries(dir.Root()), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, NamedTemporaryOnASignal,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT),
                         [](const auto& info) { return std::string(strsignal(info.param)); });

} // namespace
} // namespace quillet

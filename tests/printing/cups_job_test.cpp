// Jobs handed to the real CUPS daemon and followed there, and a scheduler
// that stops answering.
#include "printing/cups_job.h"
#include "support/cups_queues.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace quillet {
namespace {

std::string OnePagePdf(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("page.pdf");
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.drawText(100, 100, "held");
    painter.end();
    return path.toStdString();
}

TEST(CupsJobTest, AHeldJobWaitsAndACancelledOneFailed)
{
    QTemporaryDir dir;
    const CupsJobResult job =
        SubmitPdfToCups(testing::kOfficeQueue, OnePagePdf(dir), "held",
                        {{"media", "iso_a4_210x297mm"}, {"job-hold-until", "indefinite"}});
    if (!job.Succeeded() && !std::getenv("QUILLET_REQUIRE_CUPS"))
        GTEST_SKIP() << job.error;
    ASSERT_TRUE(job.Succeeded()) << job.error;

    int questions = 0;
    const CupsJobStatus held =
        FollowCupsJob(job.jobId, [&](const CupsJobStatus&) { return ++questions < 20; });
    EXPECT_EQ(held.phase, CupsJobPhase::Waiting);
    EXPECT_NE(held.reason.find("hold"), std::string::npos) << held.reason;

    ASSERT_EQ(cupsCancelJob2(CUPS_HTTP_DEFAULT, testing::kOfficeQueue, job.jobId, 0),
              IPP_STATUS_OK);
    EXPECT_EQ(QueryCupsJob(job.jobId).phase, CupsJobPhase::Failed);
}

// A scheduler stopped with SIGSTOP still takes connections into its backlog
// but never answers: a socket that is listened on and never read is one.
TEST(CupsJobTest, ASchedulerThatDoesNotAnswerEndsTheQuestionWithTheReason)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("stalled.sock").toStdString();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 8), 0);

    cupsSetServer(path.c_str());
    const auto started = std::chrono::steady_clock::now();
    const CupsJobStatus status = QueryCupsJob(1);
    const auto waited = std::chrono::steady_clock::now() - started;
    cupsSetServer(nullptr);
    ::close(listener);

    EXPECT_EQ(status.phase, CupsJobPhase::Unknown);
    EXPECT_NE(status.reason.find("did not answer"), std::string::npos) << status.reason;
    EXPECT_LT(waited, std::chrono::seconds(3 * 10));
}

} // namespace
} // namespace quillet

// The fixed album of scripts/album-pages.sh rendered by this build and
// compared page by page with a rendering kept from before (the folder named
// by QUILLET_REFERENCE_PAGES): the same pages, the same sizes, and pixels
// that differ by at most one step of a colour channel.  Without a kept
// rendering there is nothing to compare with and the test is skipped.
#include "support/test_images.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace quillet {
namespace {

std::vector<std::string> ListedPages(const QString& caseFolder)
{
    QFile list(caseFolder + "/pages.txt");
    std::vector<std::string> pages;
    if (!list.open(QIODevice::ReadOnly))
        return pages;
    for (const QByteArray& line : list.readAll().split('\n'))
        if (!line.isEmpty())
            pages.push_back(line.toStdString());
    return pages;
}

int LargestChannelStep(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            largest = std::max({largest, std::abs(qRed(rowA[x]) - qRed(rowB[x])),
                                std::abs(qGreen(rowA[x]) - qGreen(rowB[x])),
                                std::abs(qBlue(rowA[x]) - qBlue(rowB[x]))});
        }
    }
    return largest;
}

TEST(AlbumPages, MatchTheKeptRenderingPixelForPixel)
{
    const char* kept = std::getenv("QUILLET_REFERENCE_PAGES");
    if (!kept || !*kept)
        GTEST_SKIP() << "QUILLET_REFERENCE_PAGES names no kept rendering";
    testing::ScratchDir dir;
    const QString fresh = QString::fromStdString(dir.Path("album"));
    QProcess script;
    script.start("bash", {QUILLET_SOURCE_DIR "/scripts/album-pages.sh", fresh, QUILLET_EXECUTABLE});
    ASSERT_TRUE(script.waitForFinished(600000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();

    const QStringList cases = QDir(kept).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    ASSERT_FALSE(cases.isEmpty());
    int identicalFiles = 0;
    int pages = 0;
    for (const QString& name : cases) {
        const std::vector<std::string> before = ListedPages(QString(kept) + "/" + name);
        const std::vector<std::string> after = ListedPages(fresh + "/" + name);
        ASSERT_EQ(after.size(), before.size()) << name.toStdString();
        for (std::size_t i = 0; i < before.size(); ++i) {
            const QImage a =
                QImage(QString::fromStdString(before[i])).convertToFormat(QImage::Format_RGB32);
            const QImage b =
                QImage(QString::fromStdString(after[i])).convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(a.isNull()) << before[i];
            ASSERT_EQ(b.size(), a.size()) << after[i];
            // One pixel per 0.1 mm, whatever resolution the kept pages carry.
            EXPECT_EQ(b.dotsPerMeterX(), 10000) << after[i];
            EXPECT_LE(LargestChannelStep(a, b), 1) << name.toStdString() << " page " << i + 1;
            QFile fa(QString::fromStdString(before[i]));
            QFile fb(QString::fromStdString(after[i]));
            if (fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly)
                && fa.readAll() == fb.readAll())
                ++identicalFiles;
            ++pages;
        }
    }
    std::cout << pages << " pages compared, " << identicalFiles
              << " files identical byte for byte\n";
}

} // namespace
} // namespace quillet

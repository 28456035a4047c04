#include "loading/load_picture_for_page.h"

#include "codecs/image_decode.h"
#include "loading/picture_load_problems.h"
#include "textfiles/files.h"

#include <QPainter>

#include <cmath>
#include <new>

namespace quillet {
namespace {

constexpr double kShrinkThreshold = 1.2;
constexpr double kTolerance = 1e-7;

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

// Why bytes that did not decode gave nothing: a header that declares a size
// the decoders refuse, or anything else.
PictureLoadProblem WhyNotDecoded(const ByteArray& contents)
{
    return DeclaresRefusedSize(contents) ? PictureLoadProblem::TooLarge
                                         : PictureLoadProblem::Damaged;
}

PictureLoadProblem ProblemOfRead(FileReadProblem problem)
{
    switch (problem) {
    case FileReadProblem::Missing: return PictureLoadProblem::Missing;
    case FileReadProblem::NotAFile: return PictureLoadProblem::NotAFile;
    case FileReadProblem::TooLarge: return PictureLoadProblem::FileTooLarge;
    case FileReadProblem::OutOfMemory: return PictureLoadProblem::OutOfMemory;
    case FileReadProblem::None:
    case FileReadProblem::Unreadable: break;
    }
    return PictureLoadProblem::Unreadable;
}

QImage Failed(const std::string& path, PictureLoadProblem problem)
{
    ReportPictureLoadProblem(path, problem);
    return {};
}

} // namespace

float OversizeRatio(long long fileSize, int level)
{
    return static_cast<float>(static_cast<double>(fileSize) / kOptimizationStepBytes / level);
}

int ShrinkFactorPerMille(const std::string& path, long long fileSize, int level)
{
    if (level < 1 || level > 5)
        return 0;
    const float ratio = OversizeRatio(fileSize, level);
    if (ratio - kShrinkThreshold < -kTolerance)
        return 0;
    // BMP files are left whole on purpose; the test is by the exact bytes of
    // the name, so only these two spellings count.
    if (EndsWith(path, ".bmp") || EndsWith(path, ".BMP"))
        return 0;
    // Shrinking both sides by √ratio divides the pixel count by the ratio.
    return static_cast<int>(std::trunc(1000.0 / std::sqrt(static_cast<double>(ratio))));
}

namespace {

DecodedPicture DecodeAtFactor(ByteSpan bytes, int factor)
{
    return factor == 0 ? DecodeWholePicture(bytes) : DecodeScaledPicture(bytes, factor);
}

QImage DecodeForPage(const std::string& path, ByteSpan bytes, long long fileSize, int level)
{
    const int factor = ShrinkFactorPerMille(path, fileSize, level);
    DecodedPicture decoded = DecodeAtFactor(bytes, factor);
    if (decoded.profileRefused)
        ReportPictureLoadProblem(path, PictureLoadProblem::UnusableColourProfile);
    if (factor == 0)
        return std::move(decoded.image);

    QImage shrunk = std::move(decoded.image);
    // Pages are opaque paper: transparent parts show white, as they would
    // when rendered on the page's background.
    if (!shrunk.isNull() && shrunk.hasAlphaChannel()) {
        QImage flat(shrunk.size(), QImage::Format_RGB32);
        if (flat.isNull())
            throw std::bad_alloc();
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, shrunk);
        painter.end();
        shrunk = flat;
    }
    return shrunk;
}

} // namespace

QImage DecodePictureForPage(const std::string& path, int level)
{
    if (path.empty())
        return {};
    // The path's own bytes all the way to open(): names need not be UTF-8.
    const BoundedFileRead file = ReadRegularFile(path, kMaxPictureFileBytes);
    if (file.problem != FileReadProblem::None)
        return Failed(path, ProblemOfRead(file.problem));
    try {
        const ByteSpan bytes(file.bytes.data(), file.bytes.size());
        QImage picture =
            DecodeForPage(path, bytes, static_cast<long long>(file.bytes.size()), level);
        if (picture.isNull())
            return Failed(path, WhyNotDecoded(file.bytes));
        return picture;
    } catch (const std::bad_alloc&) {
        return Failed(path, PictureLoadProblem::OutOfMemory);
    }
}

} // namespace quillet

#include "loading/miniature_source.h"

#include "codecs/colour_profile.h"
#include "codecs/exif.h"
#include "codecs/heif.h"
#include "codecs/image_decode.h"
#include "codecs/jpeg.h"
#include "textfiles/files.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace quillet {
namespace {

// Cameras write the EXIF block (at most 64 KB, thumbnail included) and the
// coding tables at the very start of the file.  Reading this much is enough
// to take a thumbnail without reading megabytes of picture data.
constexpr std::size_t kHeaderBytes = 128 * 1024;

// A line of a thumbnail counts as black when its pixels average at most
// this on their brightest channel; the coding noise of a black bar stays
// well below it, while almost no real photo is that dark along two edges.
constexpr int kBlackLineLevel = 24;

QSize Upright(QSize stored, int orientation)
{
    return OrientationSwapsSides(orientation) ? stored.transposed() : stored;
}

// Turning a size upright and back are the same swap.
QSize Stored(QSize upright, int orientation)
{
    return Upright(upright, orientation);
}

// Thumbnail sides are rounded to whole pixels, so one pixel of difference in
// the proportions is allowed; a thumbnail padded to 4:3 for a 3:2 photo is
// off by far more.
bool SameProportions(QSize thumbnail, QSize photo)
{
    const std::int64_t cross = std::int64_t(thumbnail.width()) * photo.height()
                               - std::int64_t(thumbnail.height()) * photo.width();
    return std::abs(cross) <= std::max(photo.width(), photo.height());
}

bool LineIsBlack(const QImage& image, bool row, int index)
{
    const int length = row ? image.width() : image.height();
    std::int64_t sum = 0;
    for (int i = 0; i < length; ++i) {
        const QRgb pixel = row ? image.pixel(i, index) : image.pixel(index, i);
        sum += std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    }
    return sum <= std::int64_t(kBlackLineLevel) * length;
}

// The thumbnail, upright, when it can stand in for the photo at this need:
// the photo's proportions, at least the cover size, no padding bars.
QImage UsableThumbnail(const JpegHeader& photo, QSize uprightNeed)
{
    if (photo.exifThumbnail.empty())
        return {};
    const std::optional<JpegHeader> thumbnail = ReadJpegHeader(photo.exifThumbnail);
    if (!thumbnail)
        return {};
    const QSize full(photo.width, photo.height);
    const QSize size(thumbnail->width, thumbnail->height);
    if (size.width() > full.width() || size.height() > full.height()
        || !SameProportions(size, full))
        return {};
    const QSize cover = CoverSize(full, Stored(uprightNeed, photo.orientation));
    if (size.width() < cover.width() || size.height() < cover.height())
        return {};
    // Decoding a thumbnail costs next to nothing, so it is taken at up to
    // twice the cover, which leaves the cache room for larger cells; the
    // bound still keeps a thumbnail that claims a huge size from costing much.
    const JpegDecoded decoded =
        DecodeJpegCovering(photo.exifThumbnail, 2 * cover.width(), 2 * cover.height());
    if (decoded.image.isNull() || HasBlackBars(decoded.image))
        return {};
    // Cameras store the thumbnail turned as the photo is, and in the photo's
    // colours: the photo's orientation and profile are the ones that count.
    QImage upright = ApplyExifOrientation(decoded.image, photo.orientation);
    ConvertToSrgb(upright, photo.colours);
    return upright;
}

// A cut-off photo does not decode and prints as an empty cell, so its
// intact thumbnail must not show it: the file has to end where a JPEG ends.
bool EndsWithEndMarker(const std::string& path, std::int64_t fileBytes)
{
    const ByteArray tail = ReadFilePart(path, fileBytes - 2, 2);
    return tail.size() == 2 && tail[0] == 0xFF && tail[1] == 0xD9;
}

// The file after the start already read.
void AppendTheRest(const std::string& path, ByteArray& start)
{
    const ByteArray rest = ReadFilePart(path, static_cast<std::int64_t>(start.size()),
                                        std::numeric_limits<std::size_t>::max());
    start.insert(start.end(), rest.begin(), rest.end());
}

void LoadJpeg(const std::string& path, QSize need, ByteArray bytes, bool whole,
              MiniatureSource& out)
{
    std::optional<JpegHeader> header = ReadJpegHeader(bytes);
    if (header && !header->exifThumbnail.empty() && EndsWithEndMarker(path, out.fileBytes)) {
        QImage thumbnail = UsableThumbnail(*header, need);
        if (!thumbnail.isNull()) {
            out.image = std::move(thumbnail);
            out.fullSize = Upright(QSize(header->width, header->height), header->orientation);
            return;
        }
    }
    if (!whole) {
        AppendTheRest(path, bytes);
        if (!header)
            header = ReadJpegHeader(bytes);
    }
    if (!header)
        return;
    const QSize cover =
        CoverSize(QSize(header->width, header->height), Stored(need, header->orientation));
    const JpegDecoded decoded = DecodeJpegCovering(bytes, cover.width(), cover.height());
    if (decoded.image.isNull())
        return;
    out.image = ApplyExifOrientation(decoded.image, decoded.orientation);
    ConvertToSrgb(out.image, decoded.colours);
    out.fullSize = Upright(QSize(decoded.fullWidth, decoded.fullHeight), decoded.orientation);
}

// Phones store a HEIC with a thumbnail of a few hundred pixels, decoded in
// a fraction of the photo's time.
void LoadHeif(ByteSpan bytes, QSize need, MiniatureSource& out)
{
    HeifDecoded heif = DecodeHeif(bytes, [need](QSize thumbnail, QSize full) {
        const QSize cover = CoverSize(full, need);
        return SameProportions(thumbnail, full) && thumbnail.width() >= cover.width()
               && thumbnail.height() >= cover.height();
    });
    if (heif.image.isNull())
        return;
    out.image = std::move(heif.image);
    ConvertToSrgb(out.image, heif.colours);
    out.fullSize = heif.fullSize;
}

} // namespace

QSize CoverSize(QSize full, QSize need)
{
    if (full.isEmpty())
        return {};
    const std::int64_t fullWidth = full.width(), fullHeight = full.height();
    const std::int64_t needWidth = std::max(need.width(), 1),
                       needHeight = std::max(need.height(), 1);
    std::int64_t width = needWidth, height = needHeight;
    // The side that needs the larger share of the picture decides; the other
    // follows the proportions, rounded up so that it still covers.
    if (needWidth * fullHeight >= needHeight * fullWidth)
        height = (needWidth * fullHeight + fullWidth - 1) / fullWidth;
    else
        width = (needHeight * fullWidth + fullHeight - 1) / fullHeight;
    return QSize(static_cast<int>(std::min(width, fullWidth)),
                 static_cast<int>(std::min(height, fullHeight)));
}

bool HasBlackBars(const QImage& image)
{
    if (image.isNull())
        return false;
    const int last = image.height() - 1, lastColumn = image.width() - 1;
    return (LineIsBlack(image, true, 0) && LineIsBlack(image, true, last))
           || (LineIsBlack(image, false, 0) && LineIsBlack(image, false, lastColumn));
}

MiniatureSource LoadMiniatureSource(const std::string& path, QSize need)
{
    MiniatureSource out;
    if (path.empty())
        return out;
    const std::int64_t size = FileSize(path);
    if (size <= 0)
        return out;
    out.fileBytes = size;
    ByteArray bytes = ReadFilePart(path, 0, kHeaderBytes);
    const bool whole = static_cast<std::int64_t>(bytes.size()) >= size;
    if (SniffPictureFormat(bytes) == PictureFormat::Jpeg) {
        LoadJpeg(path, need, std::move(bytes), whole, out);
        return out;
    }
    if (!whole)
        AppendTheRest(path, bytes);
    if (SniffPictureFormat(bytes) == PictureFormat::Heif) {
        LoadHeif(bytes, need, out);
        return out;
    }
    out.image = DecodePicture(bytes);
    if (!out.image.isNull())
        out.fullSize = out.image.size();
    return out;
}

} // namespace quillet

#include "codecs/exif.h"

#include <libexif/exif-data.h>

#include <QTransform>

#include <algorithm>
#include <memory>

namespace quillet {
namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

using ExifDataPtr = std::unique_ptr<ExifData, ExifDataRelease>;

ExifDataPtr LoadExif(ByteSpan app1Payload)
{
    if (app1Payload.size() < 6)
        return nullptr;
    ExifDataPtr data(exif_data_new());
    if (!data)
        return nullptr;
    // Only the orientation and the thumbnail are wanted, as stored: libexif
    // must not repair or drop entries on the way in.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), app1Payload.data(),
                        static_cast<unsigned int>(app1Payload.size()));
    return data;
}

int OrientationOf(ExifData* data)
{
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data
        || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    return value >= 1 && value <= 8 ? value : 1;
}

} // namespace

int ExifOrientation(ByteSpan app1Payload)
{
    const ExifDataPtr data = LoadExif(app1Payload);
    return data ? OrientationOf(data.get()) : 1;
}

int ExifBlockOrientation(ByteSpan block)
{
    static constexpr unsigned char kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (block.size() >= 6 && std::equal(kHeader, kHeader + 6, block.begin()))
        return ExifOrientation(block);
    ByteArray payload(kHeader, kHeader + 6);
    payload.insert(payload.end(), block.begin(), block.end());
    return ExifOrientation(payload);
}

ExifFacts ReadExifFacts(ByteSpan app1Payload)
{
    ExifFacts facts;
    const ExifDataPtr data = LoadExif(app1Payload);
    if (!data)
        return facts;
    facts.orientation = OrientationOf(data.get());
    // libexif keeps the JPEG thumbnail that IFD 1 points at, bounds checked
    // against the segment.
    if (data->data && data->size > 0)
        facts.thumbnail.assign(data->data, data->data + data->size);
    return facts;
}

bool OrientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

QImage ApplyExifOrientation(const QImage& image, int orientation)
{
    // Orientation numbers name where the stored picture's first row and
    // column belong: 3 is upside down, 6 needs a quarter turn clockwise, and
    // the even ones add a mirror.
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.transformed(QTransform().rotate(-90)).mirrored(true, false);
    case 8: return image.transformed(QTransform().rotate(-90));
    default: return image;
    }
}

} // namespace quillet

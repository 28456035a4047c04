#include "runtime/image_decode_exif.h"

#include <libexif/exif-data.h>

#include <QTransform>

#include <memory>

namespace quillet {
namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

} // namespace

int ExifOrientation(ByteSpan app1Payload)
{
    if (app1Payload.size() < 6)
        return 1;
    std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new());
    if (!data)
        return 1;
    // Only the orientation is wanted, as stored: libexif must not repair or
    // drop entries on the way in.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), app1Payload.data(), static_cast<unsigned int>(app1Payload.size()));

    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data
        || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : 1;
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
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.transformed(QTransform().rotate(-90)).mirrored(true, false);
    case 8:
        return image.transformed(QTransform().rotate(-90));
    default:
        return image;
    }
}

} // namespace quillet

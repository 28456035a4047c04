#include "runtime/picture.h"

#include "runtime/image_decode.h"

#include <QFile>

#include <unordered_map>

namespace quillet {
namespace {

// Pictures live on the GUI thread only; handles count up and are never
// reused, so a stale handle can never name somebody else's picture.
struct PictureRegistry {
    std::unordered_map<PictureHandle, QImage> pictures;
    PictureHandle lastHandle = 0;
};

PictureRegistry& Registry()
{
    static PictureRegistry registry;
    return registry;
}

} // namespace

PictureHandle AdoptPicture(QImage image)
{
    if (image.isNull())
        return 0;
    PictureRegistry& registry = Registry();
    const PictureHandle handle = ++registry.lastHandle;
    registry.pictures.emplace(handle, std::move(image));
    return handle;
}

PictureHandle LoadPictureFromBytes(const ByteArray& bytes)
{
    if (bytes.empty())
        return 0;
    return AdoptPicture(DecodePicture(bytes));
}

PictureHandle LoadPicture(const std::string& fileName)
{
    if (fileName.empty())
        return 0;
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray contents = file.readAll();
    if (contents.isEmpty())
        return 0;
    const auto* data = reinterpret_cast<const std::uint8_t*>(contents.constData());
    return AdoptPicture(DecodePicture(ByteSpan(data, static_cast<std::size_t>(contents.size()))));
}

void FreePicture(PictureHandle picture)
{
    Registry().pictures.erase(picture);
}

const QImage* PictureImage(PictureHandle picture)
{
    PictureRegistry& registry = Registry();
    const auto found = registry.pictures.find(picture);
    return found == registry.pictures.end() ? nullptr : &found->second;
}

int PictureWidth(PictureHandle picture)
{
    const QImage* image = PictureImage(picture);
    return image ? image->width() : 0;
}

int PictureHeight(PictureHandle picture)
{
    const QImage* image = PictureImage(picture);
    return image ? image->height() : 0;
}

int HeldPictureCount()
{
    return static_cast<int>(Registry().pictures.size());
}

} // namespace quillet

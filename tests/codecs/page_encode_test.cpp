#include "codecs/bmp.h"
#include "codecs/colour_profile.h"
#include "codecs/jpeg.h"
#include "codecs/page_encode.h"
#include "codecs/png.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImageReader>

#include <sys/stat.h>
#include <tiffio.h>

namespace quillet {
namespace {

using namespace quillet::testing;

constexpr int kPageResolution = 11811; // 300 per inch

// A small page: white paper, a photo and a black rule.
QImage SmallPage()
{
    QImage page(210, 297, QImage::Format_RGB32);
    page.fill(Qt::white);
    const QImage photo = NoisyPhoto(150, 100, 5);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 150; ++x)
            page.setPixel(30 + x, 40 + y, photo.pixel(x, y));
    for (int x = 10; x < 200; ++x)
        page.setPixel(x, 250, qRgb(0, 0, 0));
    return page;
}

struct Decoded {
    QImage image;
    double dpiX = 0;
    double dpiY = 0;
};

Decoded ReadWithQt(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(false);
    Decoded d;
    d.image = reader.read().convertToFormat(QImage::Format_RGB32);
    d.dpiX = d.image.dotsPerMeterX() * 0.0254;
    d.dpiY = d.image.dotsPerMeterY() * 0.0254;
    return d;
}

Decoded ReadWithLibtiff(const std::string& path)
{
    Decoded d;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return d;
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
        d.image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t p = raster[y * width + x];
                d.image.setPixel(static_cast<int>(x), static_cast<int>(y),
                                 qRgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)));
            }
    }
    float x = 0, y = 0;
    std::uint16_t unit = 0;
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    d.dpiX = unit == RESUNIT_INCH ? x : 0;
    d.dpiY = unit == RESUNIT_INCH ? y : 0;
    TIFFClose(tiff);
    return d;
}

struct FormatCase {
    const char* name;
    int format;
    const char* extension;
    ByteArray magic;
    double tolerance; // mean per-channel difference allowed
    bool keepsResolution;
};

class PageFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PageFormats, OtherReadersOpenThePageWithItsResolution)
{
    ScratchDir dir;
    const FormatCase& c = GetParam();
    const QImage page = SmallPage();
    const std::optional<ByteArray> file = EncodePageImage(page, kPageResolution, c.format);
    ASSERT_TRUE(file);
    ASSERT_GE(file->size(), c.magic.size());
    EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), file->begin()));

    const std::string path = dir.Path(std::string("第1页.") + c.extension);
    ASSERT_TRUE(WriteBytes(path, *file));
    const Decoded back = c.format == kImageFormatTiff ? ReadWithLibtiff(path) : ReadWithQt(path);
    ASSERT_EQ(back.image.size(), page.size());
    EXPECT_LE(MeanChannelDifference(back.image, page), c.tolerance);
    if (c.keepsResolution) {
        EXPECT_NEAR(back.dpiX, 300, 0.5);
        EXPECT_NEAR(back.dpiY, 300, 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encode, PageFormats,
    ::testing::Values(FormatCase{"Bmp", kImageFormatBmp, "bmp", {'B', 'M'}, 0, true},
                      FormatCase{"Jpeg", kImageFormatJpeg, "jpg", {0xFF, 0xD8, 0xFF}, 6, true},
                      FormatCase{"Gif", kImageFormatGif, "gif", {'G', 'I', 'F', '8'}, 6, false},
                      FormatCase{"Tiff", kImageFormatTiff, "tiff", {'I', 'I', 42, 0}, 0, true},
                      FormatCase{"Png", kImageFormatPng, "png", {0x89, 'P', 'N', 'G'}, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

ByteArray TiffIccProfile(const std::string& path)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return {};
    std::uint32_t size = 0;
    const std::uint8_t* data = nullptr;
    ByteArray profile;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &data) && data)
        profile.assign(data, data + size);
    TIFFClose(tiff);
    return profile;
}

// Pages are sRGB and the formats that can say so do: JPEG and TIFF embed
// the sRGB profile, PNG carries the sRGB chunk.
TEST(EncodePageImage, PageFilesSayTheirColoursAreSrgb)
{
    ScratchDir dir;
    const QImage page = SmallPage();
    auto encoded = [&](int format) {
        return EncodePageImage(page, kPageResolution, format).value_or(ByteArray());
    };
    const std::string tiff = dir.Path("page.tiff");
    ASSERT_TRUE(WriteBytes(tiff, encoded(kImageFormatTiff)));
    const std::optional<JpegHeader> header = ReadJpegHeader(encoded(kImageFormatJpeg));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->colours.iccProfile, SrgbProfileBytes());
    const PngDecoded pngBack = DecodePng(encoded(kImageFormatPng));
    EXPECT_TRUE(pngBack.colours.srgb);
    EXPECT_TRUE(pngBack.colours.iccProfile.empty());
    EXPECT_EQ(pngBack.image, page);
    EXPECT_EQ(TiffIccProfile(tiff), SrgbProfileBytes());
}

TEST(EncodePageImage, NoPageOrAnUnknownFormatEncodesNothing)
{
    EXPECT_FALSE(EncodePageImage(QImage(), kPageResolution, kImageFormatPng));
    for (int format : {0, 6, -1, 100})
        EXPECT_FALSE(EncodePageImage(SmallPage(), kPageResolution, format)) << format;
}

// Pages are opaque 24-bit files with the plain 40-byte information header,
// bottom-up, rows padded to 4 bytes: what every BMP reader takes.
TEST(EncodePageImage, BmpPagesAre24BitWithThePlainHeader)
{
    const std::optional<ByteArray> file =
        EncodePageImage(SmallPage(), kPageResolution, kImageFormatBmp);
    ASSERT_TRUE(file);
    const std::optional<BmpPicture> bmp = ReadBmp(*file);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->bitsPerPixel, 24);
    EXPECT_EQ(bmp->horizontalResolution, kPageResolution);
    EXPECT_EQ(bmp->image, SmallPage().convertToFormat(QImage::Format_RGB32));
    const std::size_t stride = (static_cast<std::size_t>(SmallPage().width()) * 3 + 3) / 4 * 4;
    EXPECT_EQ(file->size(), 54 + stride * static_cast<std::size_t>(SmallPage().height()));
}

} // namespace
} // namespace quillet

#include "imageout/encode_image_file.h"
#include "runtime/bmp.h"
#include "runtime/colour_profile.h"
#include "runtime/image_decode_jpeg.h"
#include "runtime/image_decode_png.h"
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

TEST_P(PageFormats, WriteAFileOtherReadersOpenAsThePage)
{
    ScratchDir dir;
    const FormatCase& c = GetParam();
    const QImage page = SmallPage();
    const std::string path = dir.Path(std::string("第1页.") + c.extension);
    ASSERT_TRUE(
        EncodeImageFile(WriteBmp(page, 24, kPageResolution, kPageResolution), path, c.format));

    const ByteArray file = ReadBytes(path);
    ASSERT_GE(file.size(), c.magic.size());
    EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), file.begin()));
    const Decoded back = c.format == kImageFormatTiff ? ReadWithLibtiff(path) : ReadWithQt(path);
    ASSERT_EQ(back.image.size(), page.size());
    EXPECT_LE(MeanChannelDifference(back.image, page), c.tolerance);
    if (c.keepsResolution) {
        EXPECT_NEAR(back.dpiX, 300, 0.5);
        EXPECT_NEAR(back.dpiY, 300, 0.5);
    }
    // Only the page itself is left in the folder: no temporary files.
    EXPECT_EQ(QDir(QString::fromStdString(dir.Root())).entryList(QDir::Files | QDir::Hidden).size(),
              1);
}

// A rendered page handed over as an image writes the very bytes its BMP
// file image would have written.
TEST_P(PageFormats, APageImageWritesTheSameFileAsItsBmpBytes)
{
    ScratchDir dir;
    const FormatCase& c = GetParam();
    const QImage page = SmallPage();
    const std::string viaBmp = dir.Path(std::string("bmp.") + c.extension);
    const std::string direct = dir.Path(std::string("direct.") + c.extension);
    ASSERT_TRUE(
        EncodeImageFile(WriteBmp(page, 24, kPageResolution, kPageResolution), viaBmp, c.format));
    ASSERT_TRUE(EncodePageImage(page, kPageResolution, direct, c.format));
    EXPECT_EQ(ReadBytes(direct), ReadBytes(viaBmp));
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
    const std::string jpeg = dir.Path("page.jpg"), png = dir.Path("page.png"),
                      tiff = dir.Path("page.tiff");
    ASSERT_TRUE(EncodePageImage(page, kPageResolution, jpeg, kImageFormatJpeg));
    ASSERT_TRUE(EncodePageImage(page, kPageResolution, png, kImageFormatPng));
    ASSERT_TRUE(EncodePageImage(page, kPageResolution, tiff, kImageFormatTiff));
    const std::optional<JpegHeader> header = ReadJpegHeader(ReadBytes(jpeg));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->colours.iccProfile, SrgbProfileBytes());
    const PngDecoded pngBack = DecodePng(ReadBytes(png));
    EXPECT_TRUE(pngBack.colours.srgb);
    EXPECT_TRUE(pngBack.colours.iccProfile.empty());
    EXPECT_EQ(pngBack.image, page);
    EXPECT_EQ(TiffIccProfile(tiff), SrgbProfileBytes());
}

TEST(EncodePageImage, NoPageOrAnUnknownFormatWritesNothing)
{
    ScratchDir dir;
    EXPECT_FALSE(
        EncodePageImage(QImage(), kPageResolution, dir.Path("empty.png"), kImageFormatPng));
    EXPECT_FALSE(EncodePageImage(SmallPage(), kPageResolution, dir.Path("page.x"), 6));
    EXPECT_TRUE(QDir(QString::fromStdString(dir.Root())).isEmpty());
}

TEST(EncodeImageFile, UnknownFormatsWriteNothing)
{
    ScratchDir dir;
    const ByteArray bmp = WriteBmp(SmallPage(), 24);
    for (int format : {0, 6, -1, 100}) {
        EXPECT_FALSE(EncodeImageFile(bmp, dir.Path("page.x"), format)) << format;
    }
    EXPECT_TRUE(QDir(QString::fromStdString(dir.Root()))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(EncodeImageFile, BadPageBytesWriteNothingAndKeepAnOlderFile)
{
    ScratchDir dir;
    const std::string path = dir.Path("page.png");
    const ByteArray old{'o', 'l', 'd'};
    ASSERT_TRUE(WriteBytes(path, old));
    ByteArray cut = WriteBmp(SmallPage(), 24);
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(EncodeImageFile(cut, path, kImageFormatPng));
    EXPECT_FALSE(EncodeImageFile({}, path, kImageFormatPng));
    EXPECT_FALSE(EncodeImageFile(MakeJpeg(SmallPage()), path, kImageFormatPng));
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(QDir(QString::fromStdString(dir.Root())).entryList(QDir::Files | QDir::Hidden).size(),
              1);
}

TEST(EncodeImageFile, AFolderThatCannotTakeTheFileGivesFalseAndLeavesNothing)
{
    ScratchDir dir;
    const ByteArray bmp = WriteBmp(SmallPage(), 24);
    EXPECT_FALSE(EncodeImageFile(bmp, dir.Path("no such folder/page.jpg"), kImageFormatJpeg));
    ASSERT_TRUE(WriteBytes(dir.Path("plain file"), {'x'}));
    EXPECT_FALSE(EncodeImageFile(bmp, dir.Path("plain file/page.jpg"), kImageFormatJpeg));
    EXPECT_FALSE(EncodeImageFile(bmp, "", kImageFormatJpeg));
    EXPECT_FALSE(EncodeImageFile(bmp, dir.Root(), kImageFormatJpeg)) << "a folder is not a file";
    const QStringList left = QDir(QString::fromStdString(dir.Root()))
                                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList{"plain file"});
}

TEST(EncodeImageFile, ReplacesAnExistingFileWhole)
{
    ScratchDir dir;
    const std::string path = dir.Path("page.bmp");
    ASSERT_TRUE(WriteBytes(path, ByteArray(10'000'000, 7)));
    const ByteArray bmp = WriteBmp(SmallPage(), 24, kPageResolution, kPageResolution);
    ASSERT_TRUE(EncodeImageFile(bmp, path, kImageFormatBmp));
    EXPECT_EQ(ReadBytes(path), bmp);
}

TEST(EncodeImageFile, NewFilesAreReadableByOthersAsTheUserMaskAllows)
{
    ScratchDir dir;
    const mode_t previous = umask(022);
    const std::string path = dir.Path("page.gif");
    const bool written = EncodeImageFile(WriteBmp(SmallPage(), 24), path, kImageFormatGif);
    umask(previous);
    ASSERT_TRUE(written);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

} // namespace
} // namespace quillet

#include "support/test_images.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <filesystem>
#include <system_error>

#include <gif_lib.h>
#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <stdexcept>
#include <vector>

namespace quillet::testing {
namespace {

void Put16(ByteArray& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(ByteArray& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y);
}

// The distinct colours of an image in first-seen order, and each pixel's index.
struct Indexed {
    std::vector<QRgb> palette;
    std::vector<int> indices;
};

Indexed IndexColours(const QImage& image, std::size_t maxColours)
{
    Indexed out;
    std::map<QRgb, int> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = At(image, x, y);
            auto [it, inserted] = seen.emplace(c, static_cast<int>(out.palette.size()));
            if (inserted)
                out.palette.push_back(c);
            out.indices.push_back(it->second);
        }
    }
    if (out.palette.size() > maxColours)
        throw std::invalid_argument("test picture has too many colours for this variant");
    return out;
}

// The stored picture for an EXIF orientation, from the definition of each
// value (which side of the upright photo the stored first row and column are).
void PngAppend(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<ByteArray*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp)
{}

int GifAppend(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<ByteArray*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

void PutBigEndian16(std::vector<std::uint8_t>& row, int value8)
{
    const int v = value8 * 257;
    row.push_back(static_cast<std::uint8_t>(v >> 8));
    row.push_back(static_cast<std::uint8_t>(v));
}

struct BmpSpec {
    std::uint32_t headerSize = 40;
    int height = 0; // negative: top-down
    int bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::vector<QRgb> palette;
    std::vector<std::uint32_t> masks; // written in the header (V5) or after it (40)
    ByteArray pixels;
};

ByteArray AssembleBmp(const QImage& image, const BmpSpec& plan)
{
    const std::size_t entry = plan.headerSize == 12 ? 3 : 4;
    const std::size_t masksAfter = plan.headerSize == 40 ? plan.masks.size() * 4 : 0;
    const std::size_t offset = 14 + plan.headerSize + masksAfter + plan.palette.size() * entry;
    ByteArray out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(offset + plan.pixels.size()));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(offset));
    Put32(out, plan.headerSize);
    if (plan.headerSize == 12) {
        Put16(out, static_cast<unsigned>(image.width()));
        Put16(out, static_cast<unsigned>(plan.height));
        Put16(out, 1);
        Put16(out, static_cast<unsigned>(plan.bitsPerPixel));
    } else {
        Put32(out, static_cast<std::uint32_t>(image.width()));
        Put32(out, static_cast<std::uint32_t>(plan.height));
        Put16(out, 1);
        Put16(out, static_cast<unsigned>(plan.bitsPerPixel));
        Put32(out, plan.compression);
        Put32(out, static_cast<std::uint32_t>(plan.pixels.size()));
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, static_cast<std::uint32_t>(plan.palette.size()));
        Put32(out, 0);
        if (plan.headerSize == 40) {
            for (std::uint32_t m : plan.masks)
                Put32(out, m);
        } else {
            std::vector<std::uint32_t> masks = plan.masks;
            masks.resize(4, 0);
            for (std::uint32_t m : masks)
                Put32(out, m);
            out.resize(14 + plan.headerSize, 0); // colour space fields: zero
        }
    }
    for (QRgb c : plan.palette) {
        out.push_back(static_cast<std::uint8_t>(qBlue(c)));
        out.push_back(static_cast<std::uint8_t>(qGreen(c)));
        out.push_back(static_cast<std::uint8_t>(qRed(c)));
        if (entry == 4)
            out.push_back(0);
    }
    out.insert(out.end(), plan.pixels.begin(), plan.pixels.end());
    return out;
}

// Rows bottom-up (or top-down), each padded to four bytes, packed by a
// per-pixel writer.
template <typename PackRow>
ByteArray PackRows(const QImage& image, bool topDown, PackRow pack)
{
    ByteArray pixels;
    for (int i = 0; i < image.height(); ++i) {
        const int y = topDown ? i : image.height() - 1 - i;
        ByteArray row;
        pack(y, row);
        row.resize((row.size() + 3) / 4 * 4, 0);
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return pixels;
}

ByteArray RunLengthRows(const QImage& image, const Indexed& indexed, bool fourBit)
{
    ByteArray out;
    const int w = image.width();
    for (int i = 0; i < image.height(); ++i) {
        const int y = image.height() - 1 - i;
        int x = 0;
        while (x < w) {
            const int value = indexed.indices[static_cast<std::size_t>(y * w + x)];
            int run = 1;
            while (x + run < w && run < 255
                   && indexed.indices[static_cast<std::size_t>(y * w + x + run)] == value)
                ++run;
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>(fourBit ? (value << 4) | value : value));
            x += run;
        }
        out.push_back(0);
        out.push_back(0); // end of line
    }
    out.push_back(0);
    out.push_back(1); // end of picture
    return out;
}

} // namespace

QImage StoredForOrientation(const QImage& upright, int orientation)
{
    const int w = upright.width();
    const int h = upright.height();
    const bool swap = orientation >= 5;
    QImage stored(swap ? h : w, swap ? w : h, QImage::Format_RGB32);
    for (int y = 0; y < stored.height(); ++y) {
        for (int x = 0; x < stored.width(); ++x) {
            int ux = x, uy = y;
            switch (orientation) {
            case 2:
                ux = w - 1 - x;
                uy = y;
                break;
            case 3:
                ux = w - 1 - x;
                uy = h - 1 - y;
                break;
            case 4:
                ux = x;
                uy = h - 1 - y;
                break;
            case 5:
                ux = y;
                uy = x;
                break;
            case 6:
                ux = w - 1 - y;
                uy = x;
                break;
            case 7:
                ux = w - 1 - y;
                uy = h - 1 - x;
                break;
            case 8:
                ux = y;
                uy = h - 1 - x;
                break;
            default: break;
            }
            stored.setPixel(x, y, upright.pixel(ux, uy));
        }
    }
    return stored;
}

// An APP1 payload ("Exif\0\0" and a TIFF block) with the orientation (when
// above 0) and the thumbnail's JPEG bytes (when any), as libexif writes them:
// IFD 1 pointing at the thumbnail behind the directories.
ByteArray ExifSegment(int orientation, ByteArray thumbnail)
{
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_MOTOROLA);
    ExifEntry* entry = nullptr;
    if (orientation > 0) {
        entry = exif_entry_new();
        exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
        exif_set_short(entry->data, EXIF_BYTE_ORDER_MOTOROLA, static_cast<ExifShort>(orientation));
    }
    // Lent to libexif for the save and taken back before it could free it.
    data->data = thumbnail.empty() ? nullptr : thumbnail.data();
    data->size = static_cast<unsigned int>(thumbnail.size());
    unsigned char* buffer = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &buffer, &size);
    data->data = nullptr;
    data->size = 0;
    ByteArray out(buffer, buffer + size);
    std::free(buffer);
    if (entry)
        exif_entry_unref(entry);
    exif_data_unref(data);
    return out;
}

QImage QuadrantPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            row[x] = bottom ? (right ? kQuadrantBottomRight : kQuadrantBottomLeft)
                            : (right ? kQuadrantTopRight : kQuadrantTopLeft);
        }
    }
    return image;
}

QImage NoisyPhoto(int width, int height, std::uint32_t seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 14.0f);
    const double cx = width * 0.45, cy = height * 0.55;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x - cx, y - cy) / std::max(width, height);
            const double stripes = 40 * std::sin(x * 0.013 + y * 0.007) + 30 * std::cos(y * 0.021);
            auto channel = [&](double base) {
                return std::clamp(static_cast<int>(base + stripes + noise(random)), 0, 255);
            };
            row[x] = qRgb(channel(200 - 180 * d), channel(120 + 60 * d), channel(90 + 100 * d));
        }
    }
    return image;
}

ByteArray MakeJpeg(const QImage& source, const JpegOptions& options)
{
    const QImage image = options.exifOrientation > 0 ? StoredForOrientation(
                             source.convertToFormat(QImage::Format_RGB32), options.exifOrientation)
                                                     : source.convertToFormat(QImage::Format_RGB32);
    // The thumbnail is stored as the photo is, turned by the same orientation.
    const ByteArray thumbnail =
        options.exifThumbnail.isNull()
            ? ByteArray()
            : MakeJpeg(
                StoredForOrientation(options.exifThumbnail.convertToFormat(QImage::Format_RGB32),
                                     options.exifOrientation),
                {.quality = 85});
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    if (options.greyscale) {
        info.input_components = 1;
        info.in_color_space = JCS_GRAYSCALE;
    } else if (options.cmyk) {
        info.input_components = 4;
        info.in_color_space = JCS_CMYK;
    } else {
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (options.xmpBeforeExif) {
        static const char xmp[] =
            "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(xmp),
                          static_cast<unsigned>(sizeof xmp - 1));
    }
    if (options.exifOrientation > 0 || !thumbnail.empty()) {
        const ByteArray exif = ExifSegment(options.exifOrientation, thumbnail);
        jpeg_write_marker(&info, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    }
    if (!options.iccProfile.empty())
        jpeg_write_icc_profile(&info, options.iccProfile.data(),
                               static_cast<unsigned>(options.iccProfile.size()));
    for (const ByteArray& segment : options.rawApp2Segments)
        jpeg_write_marker(&info, JPEG_APP0 + 2, segment.data(),
                          static_cast<unsigned>(segment.size()));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.width()) * 4);
    while (info.next_scanline < info.image_height) {
        const auto* in = reinterpret_cast<const QRgb*>(
            image.constScanLine(static_cast<int>(info.next_scanline)));
        JSAMPLE* out = row.data();
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(in[x]), g = qGreen(in[x]), b = qBlue(in[x]);
            if (options.greyscale) {
                *out++ = static_cast<JSAMPLE>(qGray(in[x]));
            } else if (options.cmyk) {
                // Inverted (Adobe) CMYK: stored K is the brightest channel.
                const int k = std::max({r, g, b});
                *out++ = static_cast<JSAMPLE>(k ? r * 255 / k : 0);
                *out++ = static_cast<JSAMPLE>(k ? g * 255 / k : 0);
                *out++ = static_cast<JSAMPLE>(k ? b * 255 / k : 0);
                *out++ = static_cast<JSAMPLE>(k);
            } else {
                *out++ = static_cast<JSAMPLE>(r);
                *out++ = static_cast<JSAMPLE>(g);
                *out++ = static_cast<JSAMPLE>(b);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    ByteArray out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

ByteArray MakePng(const QImage& source, PngKind kind, bool interlaced,
                  const PngColourChunks& colour)
{
    const bool alpha =
        kind == PngKind::GreyAlpha8 || kind == PngKind::Rgba8 || kind == PngKind::Rgba16;
    const QImage image =
        source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    int depth = 8;
    int colourType = PNG_COLOR_TYPE_RGB;
    Indexed indexed;
    switch (kind) {
    case PngKind::Palette1:
        depth = 1;
        colourType = PNG_COLOR_TYPE_PALETTE;
        indexed = IndexColours(image, 2);
        break;
    case PngKind::Palette4:
        depth = 4;
        colourType = PNG_COLOR_TYPE_PALETTE;
        indexed = IndexColours(image, 16);
        break;
    case PngKind::Palette8:
        depth = 8;
        colourType = PNG_COLOR_TYPE_PALETTE;
        indexed = IndexColours(image, 256);
        break;
    case PngKind::Grey8: colourType = PNG_COLOR_TYPE_GRAY; break;
    case PngKind::Grey16:
        depth = 16;
        colourType = PNG_COLOR_TYPE_GRAY;
        break;
    case PngKind::GreyAlpha8: colourType = PNG_COLOR_TYPE_GRAY_ALPHA; break;
    case PngKind::Rgb8: break;
    case PngKind::Rgb16: depth = 16; break;
    case PngKind::Rgba8: colourType = PNG_COLOR_TYPE_RGBA; break;
    case PngKind::Rgba16:
        depth = 16;
        colourType = PNG_COLOR_TYPE_RGBA;
        break;
    }

    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(y)];
        if (colourType == PNG_COLOR_TYPE_PALETTE) {
            row.assign(static_cast<std::size_t>((image.width() * depth + 7) / 8), 0);
            for (int x = 0; x < image.width(); ++x) {
                const int index = indexed.indices[static_cast<std::size_t>(y * image.width() + x)];
                const int bit = x * depth;
                row[static_cast<std::size_t>(bit / 8)] |=
                    static_cast<std::uint8_t>(index << (8 - depth - bit % 8));
            }
            continue;
        }
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = At(image, x, y);
            std::vector<int> samples;
            if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
                samples.push_back(qGray(c));
            else
                samples.insert(samples.end(), {qRed(c), qGreen(c), qBlue(c)});
            if (alpha)
                samples.push_back(qAlpha(c));
            for (int s : samples) {
                if (depth == 16)
                    PutBigEndian16(row, s);
                else
                    row.push_back(static_cast<std::uint8_t>(s));
            }
        }
    }

    ByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngAppend, PngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), depth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (QRgb c : indexed.palette)
        palette.push_back(png_color{static_cast<png_byte>(qRed(c)),
                                    static_cast<png_byte>(qGreen(c)),
                                    static_cast<png_byte>(qBlue(c))});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (colour.gamma > 0)
        png_set_gAMA(png, info, colour.gamma);
    if (colour.srgb)
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    if (!colour.iccProfile.empty())
        png_set_iCCP(png, info, "test", PNG_COMPRESSION_TYPE_BASE, colour.iccProfile.data(),
                     static_cast<png_uint_32>(colour.iccProfile.size()));
    png_write_info(png, info);
    if (interlaced)
        png_set_interlace_handling(png);
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

ByteArray MakeGif(const QImage& source, const GifOptions& options)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const Indexed indexed = IndexColours(image, 256);
    int bits = 1;
    while ((1 << bits) < static_cast<int>(indexed.palette.size()))
        ++bits;
    std::vector<GifColorType> colours(static_cast<std::size_t>(1) << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < indexed.palette.size(); ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(qRed(indexed.palette[i])),
                                  static_cast<GifByteType>(qGreen(indexed.palette[i])),
                                  static_cast<GifByteType>(qBlue(indexed.palette[i]))};
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());

    ByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifAppend, &error);
    EGifSetGifVersion(gif, true);
    const int w = image.width(), h = image.height();
    EGifPutScreenDesc(gif, options.screenWidth ? options.screenWidth : w,
                      options.screenHeight ? options.screenHeight : h, bits, 0, map);
    if (options.transparentIndex >= 0) {
        GraphicsControlBlock control{};
        control.TransparentColor = options.transparentIndex;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
    }
    EGifPutImageDesc(gif, options.frameLeft, options.frameTop, w, h, options.interlaced, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    auto putRow = [&](int y) {
        for (int x = 0; x < w; ++x)
            line[static_cast<std::size_t>(x)] =
                static_cast<GifPixelType>(indexed.indices[static_cast<std::size_t>(y * w + x)]);
        EGifPutLine(gif, line.data(), w);
    };
    if (options.interlaced) {
        const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < h; y += step[pass])
                putRow(y);
    } else {
        for (int y = 0; y < h; ++y)
            putRow(y);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

ByteArray MakeBmp(const QImage& source, BmpKind kind)
{
    const bool alpha = kind == BmpKind::BitFieldsArgb32;
    const QImage image =
        source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    BmpSpec plan;
    plan.height = image.height();
    auto paletteRows = [&](int depth, std::size_t maxColours) {
        const Indexed indexed = IndexColours(image, maxColours);
        plan.palette = indexed.palette;
        plan.bitsPerPixel = depth;
        plan.pixels = PackRows(image, false, [&](int y, ByteArray& row) {
            row.assign(static_cast<std::size_t>((image.width() * depth + 7) / 8), 0);
            for (int x = 0; x < image.width(); ++x) {
                const int bit = x * depth;
                row[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(
                    indexed.indices[static_cast<std::size_t>(y * image.width() + x)]
                    << (8 - depth - bit % 8));
            }
        });
    };
    auto rgb24 = [&](bool topDown) {
        plan.bitsPerPixel = 24;
        plan.pixels = PackRows(image, topDown, [&](int y, ByteArray& row) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = At(image, x, y);
                row.insert(row.end(), {static_cast<std::uint8_t>(qBlue(c)),
                                       static_cast<std::uint8_t>(qGreen(c)),
                                       static_cast<std::uint8_t>(qRed(c))});
            }
        });
    };
    auto packed = [&](int depth, auto encode) {
        plan.bitsPerPixel = depth;
        plan.pixels = PackRows(image, false, [&](int y, ByteArray& row) {
            for (int x = 0; x < image.width(); ++x) {
                const std::uint32_t v = encode(At(image, x, y));
                for (int i = 0; i < depth / 8; ++i)
                    row.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
            }
        });
    };
    switch (kind) {
    case BmpKind::Palette1: paletteRows(1, 2); break;
    case BmpKind::Palette4: paletteRows(4, 16); break;
    case BmpKind::Palette8: paletteRows(8, 256); break;
    case BmpKind::Rle4:
    case BmpKind::Rle8: {
        const bool four = kind == BmpKind::Rle4;
        const Indexed indexed = IndexColours(image, four ? 16 : 256);
        plan.palette = indexed.palette;
        plan.bitsPerPixel = four ? 4 : 8;
        plan.compression = four ? 2 : 1;
        plan.pixels = RunLengthRows(image, indexed, four);
        break;
    }
    case BmpKind::Rgb555:
        packed(16, [](QRgb c) {
            return static_cast<std::uint32_t>((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5
                                              | (qBlue(c) >> 3));
        });
        break;
    case BmpKind::BitFields565:
        plan.compression = 3;
        plan.masks = {0xF800, 0x07E0, 0x001F};
        packed(16, [](QRgb c) {
            return static_cast<std::uint32_t>((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5
                                              | (qBlue(c) >> 3));
        });
        break;
    case BmpKind::Rgb24: rgb24(false); break;
    case BmpKind::Rgb32:
        // The fourth byte is left 0, as most writers do: it is not alpha.
        packed(32, [](QRgb c) { return static_cast<std::uint32_t>(c & 0x00FFFFFFu); });
        break;
    case BmpKind::BitFieldsArgb32:
        plan.headerSize = 124;
        plan.compression = 3;
        plan.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
        packed(32, [](QRgb c) { return static_cast<std::uint32_t>(c); });
        break;
    case BmpKind::TopDown24:
        plan.height = -image.height();
        rgb24(true);
        break;
    case BmpKind::CoreHeader24:
        plan.headerSize = 12;
        rgb24(false);
        break;
    case BmpKind::V5Header24:
        plan.headerSize = 124;
        rgb24(false);
        break;
    }
    return AssembleBmp(image, plan);
}

ByteArray PaddedTo(ByteArray bytes, std::size_t size)
{
    if (bytes.size() > size)
        throw std::invalid_argument("picture already larger than the wanted file size");
    bytes.resize(size, 0);
    return bytes;
}

double MeanChannelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    double total = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            total += std::abs(qRed(p[col]) - qRed(q[col]))
                     + std::abs(qGreen(p[col]) - qGreen(q[col]))
                     + std::abs(qBlue(p[col]) - qBlue(q[col]))
                     + std::abs(qAlpha(p[col]) - qAlpha(q[col]));
        }
    }
    return total / (4.0 * x.width() * x.height());
}

QRgb QuadrantColour(const QImage& image, bool right, bool bottom)
{
    const int cx = image.width() * (right ? 3 : 1) / 4;
    const int cy = image.height() * (bottom ? 3 : 1) / 4;
    int r = 0, g = 0, b = 0, n = 0;
    for (int y = cy - 1; y <= cy + 1; ++y) {
        for (int x = cx - 1; x <= cx + 1; ++x) {
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
                continue;
            const QRgb c = image.pixel(x, y);
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
            ++n;
        }
    }
    return n ? qRgb(r / n, g / n, b / n) : 0;
}

bool ColoursClose(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

ScratchDir::ScratchDir()
{
    root_ =
        (QDir::tempPath() + "/quillet-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces))
            .toStdString();
    QDir().mkpath(QString::fromStdString(root_));
}

ScratchDir::~ScratchDir()
{
    // Also names that are not UTF-8, which Qt cannot remove.
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string ScratchDir::Path(const std::string& name) const
{
    return root_ + "/" + name;
}

bool WriteBytes(const std::string& path, const ByteArray& bytes)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qint64>(bytes.size()))
           == static_cast<qint64>(bytes.size());
}

ByteArray ReadBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return ByteArray(data.begin(), data.end());
}

} // namespace quillet::testing

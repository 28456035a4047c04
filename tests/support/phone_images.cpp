#include "support/phone_images.h"

#include "support/test_images.h"

#include <QTemporaryDir>

#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>
#include <memory>

namespace quillet::testing {
namespace {

heif_error AppendHeif(heif_context*, const void* data, size_t size, void* out)
{
    auto* bytes = static_cast<ByteArray*>(out);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
    return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// The pixels as libheif takes them: R, G, B 8-bit, or 16-bit little-endian
// samples scaled to the depth.
heif_image* HeifImage(const QImage& picture, int bitDepth)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_image* image = nullptr;
    const bool deep = bitDepth > 8;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                      deep ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB,
                      &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), bitDepth);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int top = (1 << bitDepth) - 1;
    for (int y = 0; y < rgb.height(); ++y) {
        const std::uint8_t* in = rgb.constScanLine(y);
        std::uint8_t* out = plane + static_cast<std::ptrdiff_t>(y) * stride;
        for (int i = 0; i < rgb.width() * 3; ++i) {
            if (!deep) {
                out[i] = in[i];
                continue;
            }
            const int value = (in[i] * top + 127) / 255;
            out[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
            out[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
        }
    }
    return image;
}

} // namespace

ByteArray ExifBlock(int orientation)
{
    const ByteArray segment = ExifSegment(orientation, {});
    return ByteArray(segment.begin() + 6, segment.end());
}

ByteArray MakeHeif(const QImage& upright, const HeifOptions& options)
{
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(
            context.get(), options.avif ? heif_compression_AV1 : heif_compression_HEVC, &encoder)
            .code
        != heif_error_Ok)
        return {};
    const std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> ownedEncoder(encoder,
                                                                              heif_encoder_release);
    heif_encoder_set_lossy_quality(encoder, options.quality);
    heif_image* image = HeifImage(
        StoredForOrientation(upright.convertToFormat(QImage::Format_RGB32), options.orientation),
        options.bitDepth);
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> ownedImage(image,
                                                                              heif_image_release);
    const std::unique_ptr<heif_encoding_options, void (*)(heif_encoding_options*)> encoding(
        heif_encoding_options_alloc(), heif_encoding_options_free);
    encoding->image_orientation = static_cast<heif_orientation>(options.orientation);
    const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> nclx(
        heif_nclx_color_profile_alloc(), heif_nclx_color_profile_free);
    if (options.displayP3) {
        nclx->color_primaries = heif_color_primaries_SMPTE_EG_432_1;
        nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
        // libheif 1.15 codes the samples by the options' nclx but writes
        // the colr box from the image's own; without it the box says
        // "unspecified" primaries.
        heif_image_set_nclx_color_profile(image, nclx.get());
        encoding->output_nclx_profile = nclx.get();
        encoding->macOS_compatibility_workaround_no_nclx_profile = 0;
    }
    if (!options.iccProfile.empty())
        heif_image_set_raw_color_profile(image, "prof", options.iccProfile.data(),
                                         options.iccProfile.size());
    heif_image_handle* handle = nullptr;
    if (heif_context_encode_image(context.get(), image, encoder, encoding.get(), &handle).code
        != heif_error_Ok)
        return {};
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> ownedHandle(
        handle, heif_image_handle_release);
    if (options.exifOrientation > 0) {
        // The Exif item starts with the offset of the TIFF header after it.
        ByteArray item{0, 0, 0, 0};
        const ByteArray block = ExifBlock(options.exifOrientation);
        item.insert(item.end(), block.begin(), block.end());
        heif_context_add_exif_metadata(context.get(), handle, item.data(),
                                       static_cast<int>(item.size()));
    }
    if (options.thumbnailSide > 0) {
        heif_image_handle* thumbnail = nullptr;
        heif_context_encode_thumbnail(context.get(), image, handle, encoder, encoding.get(),
                                      options.thumbnailSide, &thumbnail);
        if (thumbnail)
            heif_image_handle_release(thumbnail);
    }
    ByteArray out;
    heif_writer writer{1, AppendHeif};
    if (heif_context_write(context.get(), &writer, &out).code != heif_error_Ok)
        return {};
    return out;
}

ByteArray MakeWebp(const QImage& upright, const WebpOptions& options)
{
    const QImage stored = options.exifOrientation > 0
                              ? StoredForOrientation(upright.convertToFormat(QImage::Format_RGB32),
                                                     options.exifOrientation)
                              : upright;
    WebPData assembled{};
    if (options.frames > 1) {
        WebPAnimEncoderOptions animation;
        WebPAnimEncoderOptionsInit(&animation);
        WebPAnimEncoder* encoder = WebPAnimEncoderNew(stored.width(), stored.height(), &animation);
        WebPConfig config;
        WebPConfigInit(&config);
        for (int i = 0; i < options.frames; ++i) {
            QImage frame = stored.convertToFormat(QImage::Format_RGBA8888);
            if (i > 0)
                frame.fill(QColor(0, 0, 0));
            WebPPicture picture;
            WebPPictureInit(&picture);
            picture.use_argb = 1;
            picture.width = frame.width();
            picture.height = frame.height();
            WebPPictureImportRGBA(&picture, frame.constBits(),
                                  static_cast<int>(frame.bytesPerLine()));
            WebPAnimEncoderAdd(encoder, &picture, i * 100, &config);
            WebPPictureFree(&picture);
        }
        WebPAnimEncoderAdd(encoder, nullptr, options.frames * 100, nullptr);
        WebPAnimEncoderAssemble(encoder, &assembled);
        WebPAnimEncoderDelete(encoder);
    } else {
        const QImage rgba = stored.convertToFormat(QImage::Format_RGBA8888);
        std::uint8_t* output = nullptr;
        const int stride = static_cast<int>(rgba.bytesPerLine());
        const std::size_t size = options.lossless
                                     ? WebPEncodeLosslessRGBA(rgba.constBits(), rgba.width(),
                                                              rgba.height(), stride, &output)
                                     : WebPEncodeRGBA(rgba.constBits(), rgba.width(), rgba.height(),
                                                      stride, 90, &output);
        assembled.bytes = output;
        assembled.size = size;
    }
    ByteArray out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    if (options.exifOrientation == 0 && options.iccProfile.empty())
        return out;
    WebPData input{out.data(), out.size()};
    WebPMux* mux = WebPMuxCreate(&input, 1);
    const ByteArray exif = ExifBlock(options.exifOrientation);
    const WebPData exifData{exif.data(), exif.size()};
    const WebPData iccData{options.iccProfile.data(), options.iccProfile.size()};
    if (options.exifOrientation > 0)
        WebPMuxSetChunk(mux, "EXIF", &exifData, 1);
    if (!options.iccProfile.empty())
        WebPMuxSetChunk(mux, "ICCP", &iccData, 1);
    WebPData result{};
    WebPMuxAssemble(mux, &result);
    WebPMuxDelete(mux);
    out.assign(result.bytes, result.bytes + result.size);
    WebPDataClear(&result);
    return out;
}

ByteArray MakeTiff(const QImage& upright, const TiffOptions& options)
{
    const QImage stored = options.orientation > 0 ? StoredForOrientation(
                              upright.convertToFormat(QImage::Format_RGB32), options.orientation)
                                                  : upright;
    const QImage rgba = stored.convertToFormat(QImage::Format_RGBA8888);
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + "/picture.tiff").toLocal8Bit();
    TIFF* tiff = TIFFOpen(path.constData(), "w");
    const int samples = options.cmyk ? 4 : options.alpha ? 4 : 3;
    const int bytesPerSample = options.bitsPerSample / 8;
    const int width = rgba.width(), height = rgba.height();
    for (int page = 0; page < (options.secondPage ? 2 : 1); ++page) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, options.bitsPerSample);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                     options.cmyk ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        if (options.alpha) {
            const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
        }
        if (options.orientation > 0)
            TIFFSetField(tiff, TIFFTAG_ORIENTATION, options.orientation);
        if (!options.iccProfile.empty())
            TIFFSetField(tiff, TIFFTAG_ICCPROFILE,
                         static_cast<std::uint32_t>(options.iccProfile.size()),
                         options.iccProfile.data());
        const int tile = 16;
        if (options.tiled) {
            TIFFSetField(tiff, TIFFTAG_TILEWIDTH, tile);
            TIFFSetField(tiff, TIFFTAG_TILELENGTH, tile);
        } else {
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 8);
        }
        // The whole page's samples, then written as strips or tiles.
        const int rowBytes = width * samples * bytesPerSample;
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rowBytes) * height);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = rgba.constScanLine(y);
            for (int x = 0; x < width; ++x) {
                std::uint8_t values[4] = {in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]};
                if (options.cmyk)
                    values[0] = 255 - values[0], values[1] = 255 - values[1],
                    values[2] = 255 - values[2], values[3] = 0;
                for (int s = 0; s < samples; ++s) {
                    const std::uint8_t v = page == 1 ? (options.cmyk ? 255 : 0) : values[s];
                    std::uint8_t* at = pixels.data() + static_cast<std::size_t>(y) * rowBytes
                                       + (x * samples + s) * bytesPerSample;
                    if (bytesPerSample == 2) {
                        const unsigned wide = v * 257u;
                        std::memcpy(at, &wide, 2); // the machine's order, as libtiff expects
                    } else {
                        *at = v;
                    }
                }
            }
        }
        if (options.tiled) {
            std::vector<std::uint8_t> block(static_cast<std::size_t>(TIFFTileSize(tiff)));
            const int tileRow = tile * samples * bytesPerSample;
            for (int ty = 0; ty < height; ty += tile)
                for (int tx = 0; tx < width; tx += tile) {
                    std::fill(block.begin(), block.end(), 0);
                    for (int y = 0; y < tile && ty + y < height; ++y) {
                        const int columns = std::min(tile, width - tx);
                        std::memcpy(block.data() + static_cast<std::size_t>(y) * tileRow,
                                    pixels.data() + static_cast<std::size_t>(ty + y) * rowBytes
                                        + tx * samples * bytesPerSample,
                                    static_cast<std::size_t>(columns) * samples * bytesPerSample);
                    }
                    TIFFWriteTile(tiff, block.data(), tx, ty, 0, 0);
                }
        } else {
            for (int y = 0; y < height; ++y)
                TIFFWriteScanline(tiff, pixels.data() + static_cast<std::size_t>(y) * rowBytes, y,
                                  0);
        }
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    return ReadBytes(path.toStdString());
}

} // namespace quillet::testing

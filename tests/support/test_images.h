#pragma once
// Test pictures made on the spot, one generator per format, so that every
// test names the exact file variant it covers and no sample files are needed.

#include "textfiles/bytes.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::testing {

// Four solid quadrants (red top-left, green top-right, blue bottom-left,
// yellow bottom-right): survives lossy coding and shows every turn and mirror.
QImage QuadrantPicture(int width, int height);
inline const QRgb kQuadrantTopLeft = 0xFFFF0000u;
inline const QRgb kQuadrantTopRight = 0xFF00FF00u;
inline const QRgb kQuadrantBottomLeft = 0xFF0000FFu;
inline const QRgb kQuadrantBottomRight = 0xFFFFFF00u;

// Camera-like content: smooth shapes with sensor noise, which compresses
// like a real photo (a few bits per pixel), unlike flat gradients.
QImage NoisyPhoto(int width, int height, std::uint32_t seed = 1);

// The picture a camera stores when it records this EXIF orientation for
// the upright picture given.
QImage StoredForOrientation(const QImage& upright, int orientation);

// An APP1 payload ("Exif\0\0" and the TIFF structure) with an orientation
// (0: none) and a JPEG thumbnail (empty: none).
ByteArray ExifSegment(int orientation, ByteArray thumbnail);

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    bool greyscale = false;
    bool cmyk = false; // Adobe-style inverted CMYK
    int exifOrientation = 0; // 0: no EXIF segment
    bool xmpBeforeExif = false; // an XMP APP1 segment ahead of the EXIF one
    // A camera-style embedded preview (EXIF IFD 1), given upright and stored
    // turned as the photo is.  Null: none.
    QImage exifThumbnail{};
    // Written with libjpeg-turbo, split over as many APP2 segments as needed.
    ByteArray iccProfile{};
    // APP2 payloads written as they are, for segments no encoder writes.
    std::vector<ByteArray> rawApp2Segments{};
};
ByteArray MakeJpeg(const QImage& image, const JpegOptions& options = {});

enum class PngKind {
    Palette1,
    Palette4,
    Palette8,
    Grey8,
    Grey16,
    GreyAlpha8,
    Rgb8,
    Rgb16,
    Rgba8,
    Rgba16
};
// The colour chunks a PNG may carry, written through libpng (which refuses
// to write a profile it finds wrong: such chunks are spliced in by hand).
struct PngColourChunks {
    double gamma = 0; // gAMA, the file gamma; 0: none
    bool srgb = false; // sRGB
    ByteArray iccProfile{}; // iCCP; empty: none
};
ByteArray MakePng(const QImage& image, PngKind kind, bool interlaced = false,
                  const PngColourChunks& colour = {});

struct GifOptions {
    bool interlaced = false;
    int transparentIndex = -1;
    // The frame may cover only part of the logical screen.
    int screenWidth = 0; // 0: the image's size
    int screenHeight = 0;
    int frameLeft = 0;
    int frameTop = 0;
};
// The image is reduced to the colours it uses (at most 256).
ByteArray MakeGif(const QImage& image, const GifOptions& options = {});

enum class BmpKind {
    Palette1,
    Palette4,
    Palette8,
    Rle4,
    Rle8,
    Rgb555,
    BitFields565,
    Rgb24,
    Rgb32,
    BitFieldsArgb32,
    TopDown24,
    CoreHeader24,
    V5Header24
};
// Written by hand, byte by byte, for the variant named.
ByteArray MakeBmp(const QImage& image, BmpKind kind);

// Pads an encoded file with bytes after its end so that it is exactly size
// bytes long (decoders stop at the end marker).
ByteArray PaddedTo(ByteArray bytes, std::size_t size);

// Mean absolute difference per channel over two images of the same size
// (255 when the sizes differ).
double MeanChannelDifference(const QImage& a, const QImage& b);

// The colour at the centre of a quadrant of the image, averaged a little.
QRgb QuadrantColour(const QImage& image, bool right, bool bottom);
bool ColoursClose(QRgb a, QRgb b, int tolerance = 40);

// A fresh directory under the system temporary folder, removed with it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path(const std::string& name) const;
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

bool WriteBytes(const std::string& path, const ByteArray& bytes);
ByteArray ReadBytes(const std::string& path);

} // namespace quillet::testing

#pragma once
// Pictures that say what their numbers mean (an embedded ICC profile, or
// PNG's sRGB, gAMA and cHRM chunks) are turned into sRGB, the colours that
// pages, the screen and the printer take numbers in.  A picture that says
// nothing is taken to be sRGB already and is left exactly as stored.
// Conversions go through LittleCMS with the perceptual intent.

#include "textfiles/bytes.h"

#include <QImage>

#include <memory>
#include <optional>

namespace quillet {

// Where the primaries and the white point of a PNG's cHRM chunk lie (CIE xy).
struct Chromaticities {
    double whiteX = 0, whiteY = 0;
    double redX = 0, redY = 0;
    double greenX = 0, greenY = 0;
    double blueX = 0, blueY = 0;
};

// What a picture file says about its colours, as its decoder found it.
struct PictureColours {
    ByteArray iccProfile{}; // JPEG APP2 segments joined, or PNG iCCP
    bool srgb = false; // PNG sRGB chunk
    double gamma = 0; // PNG gAMA: the file gamma (0.45455 for 1/2.2); 0 when absent
    std::optional<Chromaticities> chromaticities{}; // PNG cHRM
    // The file carried a profile that turned out unusable before the
    // picture got here: segments missing, a chunk libpng rejected, a CMYK
    // profile the decoder could not convert with.
    bool unusableProfile = false;
};

// Converts image (Format_RGB32 or Format_ARGB32; alpha is kept) to sRGB in
// place.  True when its colours are now right: converted, or nothing to do
// (no description, or sRGB already).  False when the description could not
// be used (unreadable, corrupt, absurd, refused by LittleCMS, or made for
// another kind of picture); the pixels are then left as they were.
bool ConvertToSrgb(QImage& image, const PictureColours& colours);

// Converts rows of 8-bit CMYK samples, as libjpeg gives them, with the
// file's own profile.  May be used from several threads at once.
class CmykToSrgb {
public:
    // Null when the colours hold no usable CMYK profile.  inverted: Adobe's
    // way of storing ink (255 = no ink).
    static std::unique_ptr<CmykToSrgb> Make(const PictureColours& colours, bool inverted);

    // width pixels of C, M, Y, K bytes into QImage 32-bit pixels.
    void ConvertRow(const unsigned char* cmyk, QRgb* out, int width) const;

private:
    explicit CmykToSrgb(std::shared_ptr<void> transform);
    std::shared_ptr<void> transform_; // a LittleCMS transform
};

// The tone curves that HEIF and AVIF colour descriptions (nclx) name.
enum class ToneCurve { Srgb, Bt709 };

// An RGB profile for these primaries and white point with this tone curve,
// for pictures that describe their colours by numbers rather than by an
// embedded profile.  Empty when the numbers are absurd.
ByteArray RgbProfileBytes(const Chromaticities& primaries, ToneCurve curve);

// The sRGB profile that page files carry, always the same bytes.
const ByteArray& SrgbProfileBytes();

} // namespace quillet

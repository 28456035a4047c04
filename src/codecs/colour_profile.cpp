#include "codecs/colour_profile.h"

#include "codecs/lcms_handles.h"

#include <algorithm>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace quillet {
namespace {

using lcms::Curve;
using lcms::Profile;
using lcms::Transform;
using SharedTransform = std::shared_ptr<void>;

// Real profiles, printers' CMYK profiles with large tables included, stay
// well below this; reading and optimising a larger one could cost more than
// the whole picture, so it is taken for hostile.
constexpr std::size_t kMaxProfileBytes = std::size_t(4) << 20;
// The smallest profile: its header and tag count.
constexpr std::size_t kMinProfileBytes = 132;

// PNG file gammas (encoding exponents) beyond these turn every picture into
// near black or near white: nobody meant such a picture to be shown so.
constexpr double kMinFileGamma = 0.05;
constexpr double kMaxFileGamma = 20.0;
// What a PNG with cHRM but without gAMA is taken to be encoded with.
constexpr double kUsualFileGamma = 1.0 / 2.2;

// Paper white has to come out at least this light on every channel, or the
// profile is not believed: a degenerate one maps every colour to black.
constexpr int kLightestDarkWhite = 128;

constexpr Chromaticities kSrgbChromaticities{0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};

// A grey sample and three bytes that are not looked at: the B byte of a
// QImage pixel whose B, G and R are the same.
constexpr cmsUInt32Number kGreyInPixel =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

Profile OpenEmbedded(const ByteArray& bytes)
{
    if (bytes.size() < kMinProfileBytes || bytes.size() > kMaxProfileBytes)
        return nullptr;
    Profile profile(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    if (!profile)
        return nullptr;
    // Device links, abstract and named-colour profiles describe no picture.
    // Signatures are any four bytes the file holds, most of them no value of
    // LittleCMS's enums: they are held as numbers, never in an enum.
    const auto kind = static_cast<std::uint32_t>(cmsGetDeviceClass(profile.get()));
    if (kind == cmsSigLinkClass || kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass)
        return nullptr;
    return profile;
}

bool Plausible(const Chromaticities& c)
{
    const double xs[] = {c.whiteX, c.redX, c.greenX, c.blueX};
    const double ys[] = {c.whiteY, c.redY, c.greenY, c.blueY};
    for (int i = 0; i < 4; ++i)
        if (!(xs[i] >= 0 && xs[i] <= 1 && ys[i] > 0 && ys[i] <= 1 && xs[i] + ys[i] <= 1))
            return false;
    return true;
}

// An RGB profile of these primaries with one tone curve for all three.
Profile RgbProfile(const Chromaticities& c, const Curve& curve)
{
    if (!curve)
        return nullptr;
    const cmsCIExyY white{c.whiteX, c.whiteY, 1.0};
    const cmsCIExyYTRIPLE primaries{
        {c.redX, c.redY, 1.0}, {c.greenX, c.greenY, 1.0}, {c.blueX, c.blueY, 1.0}};
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    return Profile(cmsCreateRGBProfile(&white, &primaries, curves));
}

// The profile that PNG's gAMA and cHRM chunks describe; sRGB's primaries
// when only the gamma is given.
Profile FromGammaAndChromaticities(const PictureColours& colours)
{
    const double gamma = colours.gamma > 0 ? colours.gamma : kUsualFileGamma;
    const Chromaticities c = colours.chromaticities.value_or(kSrgbChromaticities);
    if (gamma < kMinFileGamma || gamma > kMaxFileGamma || !Plausible(c))
        return nullptr;
    return RgbProfile(c, Curve(cmsBuildGamma(nullptr, 1.0 / gamma)));
}

Transform ToSrgb(const Profile& from, cmsUInt32Number inFormat)
{
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb)
        return nullptr;
    // Without LittleCMS's one-pixel cache a transform may serve several
    // threads at once, and photos, whose neighbouring pixels differ, convert
    // faster.
    return Transform(cmsCreateTransform(from.get(), inFormat, srgb.get(), TYPE_BGRA_8,
                                        INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
}

// What the samples handed to a transform are.
enum class Samples {
    Pixels, // QImage pixels: RGB, or grey in B, G and R alike
    Ink, // C, M, Y, K bytes, 0 = no ink
    InvertedInk, // the same as Adobe stores them, 255 = no ink
};

// The transform from the described colours to sRGB pixels; null when the
// description cannot be used for such samples (unreadable, absurd, made for
// another kind of picture, or turning paper white dark).
SharedTransform MakeTransform(const PictureColours& colours, Samples samples)
{
    const Profile from = colours.iccProfile.empty() ? FromGammaAndChromaticities(colours)
                                                    : OpenEmbedded(colours.iccProfile);
    if (!from)
        return nullptr;
    const auto space = static_cast<std::uint32_t>(cmsGetColorSpace(from.get()));
    cmsUInt32Number inFormat = 0;
    if (samples == Samples::Pixels && space == cmsSigRgbData)
        inFormat = TYPE_BGRA_8;
    else if (samples == Samples::Pixels && space == cmsSigGrayData)
        inFormat = kGreyInPixel;
    else if (samples != Samples::Pixels && space == cmsSigCmykData)
        inFormat = samples == Samples::Ink ? TYPE_CMYK_8 : TYPE_CMYK_8_REV;
    else
        return nullptr;
    Transform transform = ToSrgb(from, inFormat);
    if (!transform)
        return nullptr;
    const unsigned char paper = samples == Samples::Ink ? 0 : 255;
    const unsigned char white[4] = {paper, paper, paper, paper};
    unsigned char out[4] = {};
    cmsDoTransform(transform.get(), white, out, 1);
    if (std::min({out[0], out[1], out[2]}) < kLightestDarkWhite)
        return nullptr;
    return SharedTransform(transform.release(), lcms::TransformDelete());
}

// The photos of an album mostly come from one camera and carry one profile,
// and making its transform costs about as much as converting a picture at
// page size: the last few transforms made (or refused) are kept.
constexpr std::size_t kKeptTransforms = 8;
// Larger profiles are rare and not worth holding on to.
constexpr std::size_t kMaxKeptProfileBytes = std::size_t(1) << 20;

struct KeptTransform {
    std::string description;
    Samples samples;
    SharedTransform transform;
};

// The colours as a key: the profile's bytes, or the PNG chunks' numbers.
std::string Description(const PictureColours& colours)
{
    if (!colours.iccProfile.empty())
        return "ICC " + std::string(colours.iccProfile.begin(), colours.iccProfile.end());
    const Chromaticities c = colours.chromaticities.value_or(Chromaticities{});
    std::string key = "PNG";
    for (double v :
         {colours.gamma, c.whiteX, c.whiteY, c.redX, c.redY, c.greenX, c.greenY, c.blueX, c.blueY})
        key += " " + std::to_string(v);
    return key;
}

SharedTransform TransformFor(const PictureColours& colours, Samples samples)
{
    static std::mutex mutex;
    static std::list<KeptTransform> kept; // most recently used first
    const std::string description = Description(colours);
    {
        const std::lock_guard lock(mutex);
        for (auto it = kept.begin(); it != kept.end(); ++it) {
            if (it->samples == samples && it->description == description) {
                kept.splice(kept.begin(), kept, it);
                return it->transform;
            }
        }
    }
    SharedTransform made = MakeTransform(colours, samples);
    if (colours.iccProfile.size() <= kMaxKeptProfileBytes) {
        const std::lock_guard lock(mutex);
        kept.push_front({description, samples, made});
        if (kept.size() > kKeptTransforms)
            kept.pop_back();
    }
    return made;
}

} // namespace

bool ConvertToSrgb(QImage& image, const PictureColours& colours)
{
    if (colours.unusableProfile)
        return false;
    const bool described =
        !colours.iccProfile.empty() || colours.gamma > 0 || colours.chromaticities;
    if (!described || (colours.srgb && colours.iccProfile.empty()))
        return true;
    if (image.isNull())
        return false;
    const SharedTransform transform = TransformFor(colours, Samples::Pixels);
    if (!transform)
        return false;
    // In place, row by row: the pixels keep their four bytes, and the
    // fourth (alpha or padding) is not written.
    uchar* pixels = image.bits();
    cmsDoTransformLineStride(transform.get(), pixels, pixels,
                             static_cast<cmsUInt32Number>(image.width()),
                             static_cast<cmsUInt32Number>(image.height()),
                             static_cast<cmsUInt32Number>(image.bytesPerLine()),
                             static_cast<cmsUInt32Number>(image.bytesPerLine()), 0, 0);
    return true;
}

std::unique_ptr<CmykToSrgb> CmykToSrgb::Make(const PictureColours& colours, bool inverted)
{
    if (colours.iccProfile.empty() || colours.unusableProfile)
        return nullptr;
    SharedTransform transform =
        TransformFor(colours, inverted ? Samples::InvertedInk : Samples::Ink);
    if (!transform)
        return nullptr;
    return std::unique_ptr<CmykToSrgb>(new CmykToSrgb(std::move(transform)));
}

CmykToSrgb::CmykToSrgb(std::shared_ptr<void> transform) : transform_(std::move(transform))
{}

void CmykToSrgb::ConvertRow(const unsigned char* cmyk, QRgb* out, int width) const
{
    // LittleCMS writes B, G and R only: the pixels must already be opaque.
    std::fill_n(out, width, 0xFF000000u);
    cmsDoTransform(transform_.get(), cmyk, out, static_cast<cmsUInt32Number>(width));
}

ByteArray RgbProfileBytes(const Chromaticities& c, ToneCurve tone)
{
    if (!Plausible(c))
        return {};
    // IEC 61966-2-1 and the inverse of ITU-R BT.709's camera curve, as
    // LittleCMS's type 4 parametric curve: Y = (aX + b)^g above d, cX below.
    static constexpr double kSrgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    static constexpr double kBt709[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
    return lcms::SavedProfile(RgbProfile(
        c,
        Curve(cmsBuildParametricToneCurve(nullptr, 4, tone == ToneCurve::Srgb ? kSrgb : kBt709))));
}

const ByteArray& SrgbProfileBytes()
{
    static const ByteArray bytes = [] {
        ByteArray saved = lcms::SavedProfile(Profile(cmsCreate_sRGBProfile()));
        if (saved.size() < kMinProfileBytes)
            return ByteArray();
        // The header's creation date (bytes 24 to 35, six big-endian 16-bit
        // numbers) is the moment of saving; a fixed one keeps the same page
        // the same file from run to run.
        static constexpr unsigned char kFixedDate[12] = {0x07, 0xEA, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
        std::copy(std::begin(kFixedDate), std::end(kFixedDate), saved.begin() + 24);
        return saved;
    }();
    return bytes;
}

} // namespace quillet

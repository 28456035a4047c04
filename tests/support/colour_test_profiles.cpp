#include "support/colour_test_profiles.h"

#include "codecs/lcms_handles.h"

#include <lcms2.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace quillet::testing {
namespace {

using lcms::Curve;
using lcms::Profile;
using lcms::Transform;

ByteArray Saved(const Profile& profile)
{
    ByteArray bytes = lcms::SavedProfile(profile);
    if (bytes.empty())
        throw std::runtime_error("profile not made");
    return bytes;
}

constexpr cmsCIExyY kD65{0.3127, 0.3290, 1.0};

ByteArray RgbProfile(const cmsCIExyYTRIPLE& primaries, std::array<cmsToneCurve*, 3> curves)
{
    return Saved(Profile(cmsCreateRGBProfile(&kD65, &primaries, curves.data())));
}

Curve Tabulated(const Curve& curve, int entries)
{
    std::vector<cmsUInt16Number> table(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        table[static_cast<std::size_t>(i)] = cmsEvalToneCurve16(
            curve.get(), static_cast<cmsUInt16Number>(i * 65535 / (entries - 1)));
    return Curve(
        cmsBuildTabulatedToneCurve16(nullptr, static_cast<cmsUInt32Number>(entries), table.data()));
}

// Ink as the plain formula reads it, red and blue exchanged, in the V4
// encoding of CIE Lab that the profile's table holds.
int SampleSwappedInk(const cmsUInt16Number in[], cmsUInt16Number out[], void* toLab)
{
    const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    const double rgb[3] = {(1 - y) * (1 - k), (1 - m) * (1 - k), (1 - c) * (1 - k)};
    cmsCIELab lab;
    cmsDoTransform(toLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

} // namespace

ByteArray AdobeRgbProfile()
{
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    const Curve curve(cmsBuildGamma(nullptr, 563.0 / 256.0));
    return RgbProfile(primaries, {curve.get(), curve.get(), curve.get()});
}

ByteArray DisplayP3Profile(int curveEntries)
{
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    const Curve curve(cmsBuildParametricToneCurve(nullptr, 4, srgbCurve));
    if (curveEntries <= 0)
        return RgbProfile(primaries, {curve.get(), curve.get(), curve.get()});
    // Three tables of their own: one shared would be stored once.
    const Curve red = Tabulated(curve, curveEntries), green = Tabulated(curve, curveEntries),
                blue = Tabulated(curve, curveEntries);
    return RgbProfile(primaries, {red.get(), green.get(), blue.get()});
}

ByteArray GreyProfile(double gamma)
{
    const Curve curve(cmsBuildGamma(nullptr, gamma));
    return Saved(Profile(cmsCreateGrayProfile(cmsD50_xyY(), curve.get())));
}

ByteArray RedBlueSwappingCmykProfile()
{
    const Profile srgb(cmsCreate_sRGBProfile());
    const Profile lab(cmsCreateLab4Profile(nullptr));
    const Transform toLab(cmsCreateTransform(srgb.get(), TYPE_RGB_DBL, lab.get(), TYPE_Lab_DBL,
                                             INTENT_RELATIVE_COLORIMETRIC, 0));
    Profile profile(cmsCreateProfilePlaceholder(nullptr));
    cmsSetProfileVersion(profile.get(), 4.3);
    cmsSetDeviceClass(profile.get(), cmsSigInputClass);
    cmsSetColorSpace(profile.get(), cmsSigCmykData);
    cmsSetPCS(profile.get(), cmsSigLabData);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(table, SampleSwappedInk, toLab.get(), 0);
    // A lutAtoB tag holds curves around its table; these do nothing.
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(pipeline, cmsAT_END, table);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(profile.get(), cmsSigAToB0Tag, pipeline);
    cmsWriteTag(profile.get(), cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(pipeline);
    return Saved(profile);
}

QImage StoredInProfile(const QImage& srgb, const ByteArray& profile)
{
    QImage image = srgb.convertToFormat(QImage::Format_RGB32);
    const Profile from(cmsCreate_sRGBProfile());
    const Profile to(
        cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    const Transform transform(
        cmsCreateTransform(from.get(), TYPE_BGRA_8, to.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL, 0));
    if (!transform)
        throw std::runtime_error("no transform into the profile");
    for (int y = 0; y < image.height(); ++y)
        cmsDoTransform(transform.get(), image.constScanLine(y), image.scanLine(y),
                       static_cast<cmsUInt32Number>(image.width()));
    return image;
}

ByteArray IccpChunkData(const ByteArray& profile)
{
    ByteArray data = {'t', 'e', 's', 't', 0, 0}; // name, its end, zlib
    uLongf size = compressBound(static_cast<uLong>(profile.size()));
    ByteArray packed(size);
    compress(packed.data(), &size, profile.data(), static_cast<uLong>(profile.size()));
    data.insert(data.end(), packed.begin(), packed.begin() + static_cast<long>(size));
    return data;
}

ByteArray WithChunkAfterHeader(const ByteArray& png, const char* type, const ByteArray& data)
{
    constexpr std::size_t kAfterHeader = 8 + 12 + 13; // signature, IHDR chunk
    ByteArray chunk;
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<std::uint8_t>(length >> shift));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4)));
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<std::uint8_t>(crc >> shift));
    ByteArray out(png.begin(), png.begin() + kAfterHeader);
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), png.begin() + kAfterHeader, png.end());
    return out;
}

} // namespace quillet::testing

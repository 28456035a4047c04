#pragma once
// Colour profiles made for tests with LittleCMS from their published
// primaries, white points and tone curves, and pictures stored in them, so
// that a test knows the sRGB colours a tagged photo has to show.

#include "textfiles/bytes.h"

#include <QImage>

namespace quillet::testing {

// Adobe RGB (1998): D65; primaries (0.64, 0.33), (0.21, 0.71), (0.15, 0.06);
// gamma 563/256.
ByteArray AdobeRgbProfile();

// Display P3: D65; primaries (0.680, 0.320), (0.265, 0.690), (0.150, 0.060);
// the sRGB tone curve.  With curveEntries above 0 the curves are stored as
// tables of that many entries, which makes the profile as large as wanted.
ByteArray DisplayP3Profile(int curveEntries = 0);

// A grey profile with a pure power tone curve.
ByteArray GreyProfile(double gamma);

// A CMYK input profile that reads ink the way the plain formula does
// (colour = (1 - ink) × (1 - black)) but gives red as blue and blue as red,
// so a picture shows at once whether its profile was used.
ByteArray RedBlueSwappingCmykProfile();

// The sRGB picture as the numbers a file in that RGB profile stores.
QImage StoredInProfile(const QImage& srgb, const ByteArray& profile);

// The payload of a PNG iCCP chunk holding the bytes as its profile.
ByteArray IccpChunkData(const ByteArray& profile);

// The PNG with one more chunk straight after its header, byte for byte.
ByteArray WithChunkAfterHeader(const ByteArray& png, const char* type, const ByteArray& data);

} // namespace quillet::testing

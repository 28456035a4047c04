#pragma once
// Loading a picture for a page, shrunk in memory when its file is large for
// the chosen optimisation level.  The file on disk is never changed.

#include <QImage>

#include <string>

namespace quillet {

// Optimisation levels 1..5 aim at level × 51200 bytes (50K .. 250K); 0 means
// no shrinking.
inline constexpr double kOptimizationStepBytes = 51200.0;

// How many times a file exceeds the level's target, as the loader keeps it
// (computed in double, kept in single precision).
float OversizeRatio(long long fileSize, int level);

// Per-mille factor for each side when the file must be shrunk, or 0 when it
// loads unchanged (level outside 1..5, a file under 1.2 times the target,
// or a name ending exactly in ".bmp" or ".BMP").
int ShrinkFactorPerMille(const std::string& path, long long fileSize, int level);

// The picture of the file at path, shrunk by ShrinkFactorPerMille on each
// side when that is not 0.  A null image when there is no such file, it is
// larger than kMaxPictureFileBytes, it does not decode or memory runs out;
// the reason goes to a PictureLoadProblemWatch if one listens.  Only regular
// files are read, and never more than they state they hold.
// The path's bytes are opened as they are.  Touches no other shared state,
// so it may run on a worker thread.
QImage DecodePictureForPage(const std::string& path, int level);

} // namespace quillet

#pragma once
// LittleCMS objects owned by smart pointers, and a profile saved as the
// bytes a picture file embeds.

#include "textfiles/bytes.h"

#include <lcms2.h>

#include <memory>

namespace quillet::lcms {

struct ProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

struct TransformDelete {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

struct CurveFree {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using Curve = std::unique_ptr<cmsToneCurve, CurveFree>;

// Empty when there is no profile or LittleCMS cannot write it.
ByteArray SavedProfile(const Profile& profile);

} // namespace quillet::lcms

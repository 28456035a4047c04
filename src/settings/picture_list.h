#pragma once
// The data of one job: three parallel lists in print order.  aspectRatios and
// captions may be shorter than paths, or empty; a missing ratio, or one below
// 0.001, means the picture keeps its own proportions.

#include <string>
#include <vector>

namespace quillet {

struct PictureList {
    std::vector<std::string> paths;
    std::vector<float> aspectRatios;
    std::vector<std::string> captions;
};

} // namespace quillet

#pragma once
// The order in which desktop file managers list a folder: runs of digits
// compare by their value (IMG_2 before IMG_10), everything else by code
// point without regard to letter case, and names that still tie (A.jpg and
// a.jpg, 01.jpg and 1.jpg) by their raw bytes, so the order is total and
// the same on every machine.  Names that are not UTF-8 compare as they are
// shown (read as GB18030), so a GBK 照片001 sorts next to a UTF-8 照片002.

#include <string>
#include <vector>

namespace quillet {

// Sorts names (raw bytes) into that order; only byte-equal names tie.  Each name is decoded once,
// not once per comparison.
void SortNames(std::vector<std::string>& names);

} // namespace quillet

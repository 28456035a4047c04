#pragma once
// An album's pictures split into print jobs, as the main window's print
// button splits the result list: one job of all pictures, or one job per run
// of consecutive pictures of the same category.

#include "settings/picture_list.h"
#include "table/picture_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

struct AlbumJob {
    std::string category;
    PictureList pictures;  // aspectRatios always empty: pictures keep their shape
    std::string headerText;  // "&f" (either case) already replaced by the category
    std::string footerText;
};

// byCategory false gives one job whose category is that of its last picture.
// captions false leaves the caption list empty, so no caption line is kept.
std::vector<AlbumJob> SplitAlbumIntoJobs(const std::vector<AlbumRow>& rows, bool byCategory,
                                         std::string_view headerTemplate,
                                         std::string_view footerTemplate, bool captions);

} // namespace quillet

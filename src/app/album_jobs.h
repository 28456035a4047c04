#pragma once
// An album's pictures split into print jobs, as the main window's print
// buttons and the headless command split them: one job per run of
// consecutive pictures of the same category, or one job per page-sized
// batch; and the job-level header and footer codes filled in per job.
// Plain procedures over plain values, so that they are tested without a
// window.

#include "settings/picture_list.h"
#include "table/picture_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

struct AlbumJob {
    std::string category; // that of the job's last picture
    PictureList pictures; // aspectRatios always empty: pictures keep their shape
    std::string headerText; // filled by SplitAlbumIntoJobs only
    std::string footerText;
};

// Runs of consecutive rows with identical category text; the rows are not
// sorted or grouped first, so A, A, B, A gives three jobs.  captions false
// leaves every caption list empty, so no caption line is kept.
std::vector<AlbumJob> SplitIntoCategoryRuns(const std::vector<AlbumRow>& rows, bool captions);

// Batches of perPage rows in row order (the last one may be shorter); each
// batch takes the category of its last row.  perPage below 1 counts as 1.
std::vector<AlbumJob> SplitIntoPageBatches(const std::vector<AlbumRow>& rows, long long perPage,
                                           bool captions);

// "&f", letter case ignored, replaced by the category.
std::string ReplaceCategoryCode(std::string_view pageTemplate, std::string_view category);

// Page-by-page printing fills, letter case ignored and in this order, "&a"
// with the page total, "&f" with the batch's category and "&p" with the
// page number.
std::string ReplacePageJobCodes(std::string_view pageTemplate, int pageTotal,
                                std::string_view category, int pageNumber);

// byCategory false gives one job of every picture whose category is that of
// its last picture; "&f" in the templates is replaced per job.
std::vector<AlbumJob> SplitAlbumIntoJobs(const std::vector<AlbumRow>& rows, bool byCategory,
                                         std::string_view headerTemplate,
                                         std::string_view footerTemplate, bool captions);

} // namespace quillet

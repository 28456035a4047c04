#include "app/album_jobs.h"

#include "print/header_footer.h"
#include "textfiles/convert.h"

#include <algorithm>

namespace quillet {
namespace {

void AppendRow(AlbumJob& job, const AlbumRow& row, bool captions)
{
    job.category = row.category;
    job.pictures.paths.push_back(row.path);
    if (captions)
        job.pictures.captions.push_back(row.caption);
}

} // namespace

std::vector<AlbumJob> SplitIntoCategoryRuns(const std::vector<AlbumRow>& rows, bool captions)
{
    std::vector<AlbumJob> jobs;
    for (const AlbumRow& row : rows) {
        if (jobs.empty() || row.category != jobs.back().category)
            jobs.emplace_back();
        AppendRow(jobs.back(), row, captions);
    }
    return jobs;
}

std::vector<AlbumJob> SplitIntoPageBatches(const std::vector<AlbumRow>& rows, long long perPage,
                                           bool captions)
{
    perPage = std::max(perPage, 1LL);
    std::vector<AlbumJob> jobs;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i % static_cast<unsigned long long>(perPage) == 0)
            jobs.emplace_back();
        AppendRow(jobs.back(), rows[i], captions);
    }
    return jobs;
}

std::string ReplaceCategoryCode(std::string_view pageTemplate, std::string_view category)
{
    return ReplaceCode(pageTemplate, "&f", category);
}

std::string ReplacePageJobCodes(std::string_view pageTemplate, int pageTotal,
                                std::string_view category, int pageNumber)
{
    std::string text = ReplaceCode(pageTemplate, "&a", ToText(pageTotal));
    text = ReplaceCode(text, "&f", category);
    return ReplaceCode(text, "&p", ToText(pageNumber));
}

std::vector<AlbumJob> SplitAlbumIntoJobs(const std::vector<AlbumRow>& rows, bool byCategory,
                                         std::string_view headerTemplate,
                                         std::string_view footerTemplate, bool captions)
{
    std::vector<AlbumJob> jobs =
        byCategory ? SplitIntoCategoryRuns(rows, captions)
                   : SplitIntoPageBatches(rows, static_cast<long long>(rows.size()), captions);
    for (AlbumJob& job : jobs) {
        job.headerText = ReplaceCategoryCode(headerTemplate, job.category);
        job.footerText = ReplaceCategoryCode(footerTemplate, job.category);
    }
    return jobs;
}

} // namespace quillet

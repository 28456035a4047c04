#include "app/album_jobs.h"

#include "print/page_layout.h"
#include "runtime/convert.h"
#include "runtime/text.h"

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

std::string ReplaceIgnoringCase(std::string_view text, std::string_view code,
                                std::string_view replacement)
{
    return ReplaceSubstring(text, code, replacement, 1, -1, false);
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

long long PicturesPerPage(int rows, int columns)
{
    const GridSize grid = NormaliseGrid(rows, columns);
    return static_cast<long long>(grid.rows) * grid.columns;
}

std::string ReplaceCategoryCode(std::string_view pageTemplate, std::string_view category)
{
    return ReplaceIgnoringCase(pageTemplate, "&f", category);
}

std::string ReplacePageJobCodes(std::string_view pageTemplate, int pageTotal,
                                std::string_view category, int pageNumber)
{
    std::string text = ReplaceIgnoringCase(pageTemplate, "&a", ToText(pageTotal));
    text = ReplaceIgnoringCase(text, "&f", category);
    return ReplaceIgnoringCase(text, "&p", ToText(pageNumber));
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

std::string NumberedPdfName(const std::string& pdfFile, int jobIndex)
{
    if (jobIndex == 0)
        return pdfFile;
    const std::size_t slash = pdfFile.rfind('/');
    std::size_t dot = pdfFile.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)
        || dot == (slash == std::string::npos ? 0 : slash + 1))
        dot = pdfFile.size();
    return pdfFile.substr(0, dot) + "-" + std::to_string(jobIndex + 1) + pdfFile.substr(dot);
}

std::string NextFreePdfName(const std::string& pdfFile, int& jobIndex,
                            const std::function<bool(const std::string&)>& taken)
{
    std::string name = NumberedPdfName(pdfFile, jobIndex);
    while (taken(name))
        name = NumberedPdfName(pdfFile, ++jobIndex);
    ++jobIndex;
    return name;
}

} // namespace quillet

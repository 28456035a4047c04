#include "app/album_jobs.h"

#include "runtime/text.h"

namespace quillet {
namespace {

AlbumJob StartJob(const std::string& category)
{
    AlbumJob job;
    job.category = category;
    return job;
}

void FinishJob(AlbumJob& job, std::string_view headerTemplate, std::string_view footerTemplate)
{
    job.headerText = ReplaceSubstring(headerTemplate, "&f", job.category, 1, -1, false);
    job.footerText = ReplaceSubstring(footerTemplate, "&f", job.category, 1, -1, false);
}

} // namespace

std::vector<AlbumJob> SplitAlbumIntoJobs(const std::vector<AlbumRow>& rows, bool byCategory,
                                         std::string_view headerTemplate,
                                         std::string_view footerTemplate, bool captions)
{
    std::vector<AlbumJob> jobs;
    for (const AlbumRow& row : rows) {
        if (jobs.empty() || (byCategory && row.category != jobs.back().category))
            jobs.push_back(StartJob(row.category));
        AlbumJob& job = jobs.back();
        job.category = row.category;
        job.pictures.paths.push_back(row.path);
        if (captions)
            job.pictures.captions.push_back(row.caption);
    }
    for (AlbumJob& job : jobs)
        FinishJob(job, headerTemplate, footerTemplate);
    return jobs;
}

} // namespace quillet

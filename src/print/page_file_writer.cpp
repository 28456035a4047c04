#include "print/page_file_writer.h"

#include "codecs/page_encode.h"
#include "print/canvas_page_surface.h"
#include "print/page_job.h"
#include "print/render_pages.h"

#include <system_error>

namespace quillet {
namespace {

// One pixel per 0.1 mm: 254 per inch, so a page printed at its stated size
// is its paper.
constexpr int kPagePixelsPerMetre = 10000;

std::optional<std::string> WritePage(const QImage& page, int orientation, const std::string& stem,
                                     const std::string& extension, ImageFileFormat format)
{
    try {
        const std::optional<ByteArray> bytes =
            EncodePageImage(UprightPage(page, orientation), kPagePixelsPerMetre, format);
        return bytes ? WritePageFile(stem, extension, *bytes) : std::nullopt;
    } catch (...) {
        return std::nullopt; // out of memory: this page is not written
    }
}

} // namespace

PageFileWriter::~PageFileWriter()
{
    if (written_.valid())
        written_.wait();
}

void PageFileWriter::Write(QImage page, int orientation, std::string stem, std::string extension,
                           ImageFileFormat format)
{
    wantedName_ = stem + extension;
    auto write = [page = std::move(page), orientation, stem = std::move(stem),
                  extension = std::move(extension),
                  format] { return WritePage(page, orientation, stem, extension, format); };
    try {
        written_ = std::async(std::launch::async, write);
    } catch (const std::system_error&) {
        // No thread to be had: the page is written here and now.
        std::promise<std::optional<std::string>> done;
        done.set_value(write());
        written_ = done.get_future();
    }
}

std::optional<PageFileWriter::Outcome>
PageFileWriter::Finish(const std::function<void()>& whileWaiting)
{
    if (!written_.valid())
        return std::nullopt;
    if (whileWaiting) {
        while (written_.wait_for(kWaitingInterval) != std::future_status::ready)
            whileWaiting();
    }
    const std::optional<std::string> written = written_.get();
    return Outcome{written ? *written : std::move(wantedName_), written.has_value()};
}

} // namespace quillet

#include "print/page_file_writer.h"

#include "imageout/encode_image_file.h"
#include "print/canvas_page_surface.h"
#include "print/page_job.h"

#include <system_error>

namespace quillet {
namespace {

constexpr int kPagePixelsPerMetre = 11811; // 300 per inch

bool WritePage(const QImage& page, int orientation, const std::string& fileName, int format)
{
    try {
        return EncodePageImage(UprightPage(page, orientation), kPagePixelsPerMetre, fileName,
                               format);
    } catch (...) {
        return false; // out of memory: this page is not written
    }
}

} // namespace

PageFileWriter::~PageFileWriter()
{
    if (written_.valid())
        written_.wait();
}

void PageFileWriter::Write(QImage page, int orientation, std::string fileName, int format)
{
    fileName_ = std::move(fileName);
    try {
        written_ =
            std::async(std::launch::async, [page, orientation, fileName = fileName_, format] {
                return WritePage(page, orientation, fileName, format);
            });
    } catch (const std::system_error&) {
        // No thread to be had: the page is written here and now.
        std::promise<bool> done;
        done.set_value(WritePage(page, orientation, fileName_, format));
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
    return Outcome{std::move(fileName_), written_.get()};
}

} // namespace quillet

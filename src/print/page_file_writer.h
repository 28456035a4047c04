#pragma once
// Finished page images encoded and written on a thread of their own, so that
// the next page is drawn meanwhile.  One page is written at a time, in the
// order the pages are handed in, and what became of each comes back in that
// order on the thread that handed it in.

#include "codecs/image_file_format.h"

#include <QImage>

#include <functional>
#include <future>
#include <optional>
#include <string>

namespace quillet {

class PageFileWriter {
public:
    struct Outcome {
        std::string fileName;
        bool written = false;
    };

    PageFileWriter() = default;
    // Waits for the page being written: no file is left half-way.
    ~PageFileWriter();
    PageFileWriter(const PageFileWriter&) = delete;
    PageFileWriter& operator=(const PageFileWriter&) = delete;

    // Starts writing the page (laid out wide when orientation is 1) in the
    // format at one pixel per 0.1 mm, under stem + extension or the next free
    // name (WritePageFile).  The page before must have been finished.
    void Write(QImage page, int orientation, std::string stem, std::string extension,
               ImageFileFormat format);
    // Waits for the page being written, calling whileWaiting (when given)
    // every kWaitingInterval meanwhile, and tells what became of it; nothing
    // when no page is under way.
    std::optional<Outcome> Finish(const std::function<void()>& whileWaiting = {});

private:
    std::string wantedName_;
    std::future<std::optional<std::string>> written_;
};

} // namespace quillet

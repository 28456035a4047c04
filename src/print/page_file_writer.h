#pragma once
// Finished page images encoded and written on a thread of their own, so that
// the next page is drawn meanwhile.  One page is written at a time, in the
// order the pages are handed in, and what became of each comes back in that
// order on the thread that handed it in.

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

    // Starts writing the page (laid out wide when orientation is 1) as file
    // format 1..5 at 300 pixels per inch.  The page before must have been
    // finished.
    void Write(QImage page, int orientation, std::string fileName, int format);
    // Waits for the page being written, calling whileWaiting (when given)
    // every kWaitingInterval meanwhile, and tells what became of it; nothing
    // when no page is under way.
    std::optional<Outcome> Finish(const std::function<void()>& whileWaiting = {});

private:
    std::string fileName_;
    std::future<bool> written_;
};

} // namespace quillet

#include "app/album_output.h"

#include "app/progress_window.h"
#include "print/print_picture_pages.h"
#include "printing/canvas.h"
#include "printing/printer_unit.h"
#include "widgets/window.h"

namespace quillet {
namespace {

// The window's bar and cancel button as the page loop sees them.  A press
// left over from before the job is forgotten when the job starts.  The
// window gets its messages after every picture and while the job waits for
// its workers, so that the bar repaints and a press is seen while a page is
// drawn, not only between pages.
template <typename Progress>
Progress WindowProgress(ProgressWindow& window)
{
    window.ClearCancelRequest();
    Progress progress;
    progress.started = [&window](int cells) {
        window.SetProgressRange(0, cells);
        ProcessPendingMessages();
    };
    progress.advanced = [&window](int done) {
        window.SetProgress(done);
        ProcessPendingMessages();
    };
    progress.cancelRequested = [&window] { return window.CancelRequested(); };
    progress.waiting = [] { ProcessPendingMessages(); };
    return progress;
}

void CloseAfterJob(ProgressWindow& window)
{
    ProcessPendingMessages();
    window.hide();
    window.ClearCancelRequest();
    CloseProgressWindow();
    ProcessPendingMessages();
}

} // namespace

PrintJobEnd PrintPicturePages(const PageJob& job, const PrintTarget& target, JobView view)
{
    if (view == JobView::Headless) {
        PrinterUnit printer;
        return PrintPagesOnPrinter(printer, target, job, PageProgress{}, StatusBox::None);
    }
    ProgressWindow& window = LoadProgressWindow();
    const auto progress = WindowProgress<PageProgress>(window);
    window.show();
    PrinterUnit printer;
    PrintJobEnd end = PrintPagesOnPrinter(printer, target, job, progress);
    CloseAfterJob(window);
    return end;
}

RenderPagesResult RenderPagesToImages(const PageJob& job, const std::string& folder)
{
    ProgressWindow& window = LoadProgressWindow();
    const auto progress = WindowProgress<PageFileProgress>(window);
    window.show();
    Canvas canvas;
    RenderPagesResult result = RenderPagesOnCanvas(job, folder, canvas, progress);
    CloseAfterJob(window);
    return result;
}

} // namespace quillet

#pragma once
// One job's output as the program runs it: the progress window shown, its
// bar counting the pictures and its cancel button honoured, the job printed
// on a printer unit or rendered on a canvas of its own, and the window closed
// again at the end; or, for the command, printed without any window.

#include "print/page_job.h"
#include "print/render_pages.h"
#include "printing/print_target.h"

#include <string>

namespace quillet {

// Whether a job shows the progress window and the printing status box, or
// creates no widget at all.
enum class JobView { Windows, Headless };

// The job printed onto the target (a cancelled job hands over what was
// drawn); not handed over when it could not start or the document was not
// written or taken.
PrintJobEnd PrintPicturePages(const PageJob& job, const PrintTarget& target,
                              JobView view = JobView::Windows);

// Every page written into folder; failed pages are named in the result.
RenderPagesResult RenderPagesToImages(const PageJob& job, const std::string& folder);

} // namespace quillet

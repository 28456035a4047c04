#pragma once
// One job's output as the program runs it: the progress window shown, its
// bar counting the pictures and its cancel button honoured, the job printed
// on the window's printer unit or rendered on its scratch canvas, and the
// window closed again at the end.

#include "print/page_job.h"
#include "print/render_pages.h"

#include <string>

namespace quillet {

// 1 when the job was printed (or cancelled part-way), 0 when it could not
// start or the document was not taken.
int PrintPicturePages(const PageJob& job);

// Every page written into folder; failed pages are named in the result.
RenderPagesResult RenderPagesToImages(const PageJob& job, const std::string& folder);

} // namespace quillet

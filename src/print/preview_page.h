#pragma once
// The miniature of one page of a job, as the settings window shows it: the
// album page loop with the miniature's layout (one pixel per millimetre,
// one page only, filled to a full page) on a canvas, turned upright.

#include "print/page_job.h"

#include <QImage>

namespace quillet {

class MiniatureCache;

// The pages the job fills on its grid; 1 for a job without pictures, whose
// miniature is one empty page.
int PreviewPageCount(const PageJob& job);

// Page `page` (1-based, brought into 1..PreviewPageCount) of the job,
// numbered in its header and footer as it prints.  The job's settings are
// in whole millimetres (see MiniatureSettings).  Pictures come from the
// cache when one is given, sized for their cells; without one, each is
// loaded exactly as page output loads it at the job's optimisation level.
// A landscape page is laid out wide and turned clockwise, as page files are.
// The image holds pixelRatio pixels per millimetre (the screen's ratio) and
// says so in its device pixel ratio; the layout stays in millimetres.
QImage RenderPreviewPage(const PageJob& job, const PageProgress& progress,
                         MiniatureCache* pictures = nullptr, int page = 1, qreal pixelRatio = 1);

} // namespace quillet

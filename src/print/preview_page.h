#pragma once
// The miniature of a job's first page, as the settings window shows it: the
// album page loop with the miniature's layout (one pixel per millimetre,
// page 1 only, filled to a full page) on a canvas, turned upright.

#include "print/page_job.h"

#include <QImage>

namespace quillet {

class MiniatureCache;

// The job's settings are in whole millimetres (see MiniatureSettings).
// Pictures come from the cache when one is given, sized for their cells;
// without one, each is loaded exactly as page output loads it at the
// job's optimisation level.  A landscape page is laid out wide and turned
// clockwise, as page files are.
QImage RenderPreviewPage(const PageJob& job, const PageProgress& progress,
                         MiniatureCache* pictures = nullptr);

} // namespace quillet

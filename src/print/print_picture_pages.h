#pragma once
// Printing one album job: pictures in a grid of equal cells on as many pages
// as needed, a caption under each, a header and a footer line on every page,
// through the printer unit it is handed.  Lengths are in 0.1 mm.

#include "print/page_job.h"

#include <string>

namespace quillet {

class PrinterUnit;

// Prints the job through the printer unit, on the printer the job's
// settings choose, and returns 1; returns 0 when the job could not start (no
// such printer, the printer or file refused it; nothing is printed then) or
// the finished document was not taken.  Says nothing to the user either way.
// A cancel finishes the current page with its footer and ends the job
// normally (1).
int PrintPagesOnPrinter(PrinterUnit& printer, const PageJob& job, const PageProgress& progress);

// The document name of a job started at minute:second: "4507_宽高：2100×2970，方向：0".
std::string PrintDocumentName(int minute, int second, int paperWidth, int paperHeight,
                              int orientation);

} // namespace quillet

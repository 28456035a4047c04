#pragma once
// Printing one album job: pictures in a grid of equal cells on as many pages
// as needed, a caption under each, a header and a footer line on every page,
// through the printer unit it is handed.  Lengths are in 0.1 mm.

#include "print/page_job.h"
#include "printing/print_target.h"

#include <string>

namespace quillet {

class PrinterUnit;

// Prints the job through the printer unit onto the target.  Not handed over
// when the job could not start (no such queue, no file can be made there;
// nothing is drawn then), its document could not be written whole, or CUPS
// refused it.  Says nothing to the user either way.  A cancel finishes the
// current page with its footer and hands over what was drawn.  The
// printing status box shows only with `statusBox`.
enum class StatusBox { Shown, None };
PrintJobEnd PrintPagesOnPrinter(PrinterUnit& printer, const PrintTarget& target, const PageJob& job,
                                const PageProgress& progress,
                                StatusBox statusBox = StatusBox::Shown);

// The document name of a job started at minute:second: "4507_宽高：2100×2970，方向：0".
std::string PrintDocumentName(int minute, int second, int paperWidth, int paperHeight,
                              int orientation);

} // namespace quillet

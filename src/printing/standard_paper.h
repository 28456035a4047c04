#pragma once
// Paper forms for a machine without a printer queue: Qt's standard page
// sizes, so that a job written to a PDF file still has named papers to
// choose from.

#include "printing/printer_queries.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Every standard size Qt knows, A4 first, then in Qt's own order.
std::vector<std::string> StandardPaperFormNames();

// A standard form's size in 0.1 mm (truncated); a PDF file has no
// unprintable strips.  All six values are 0 and the result false for a name
// that is not a standard form.
bool StandardPaperFormSize(std::string_view formName, PaperForm& form);

} // namespace quillet

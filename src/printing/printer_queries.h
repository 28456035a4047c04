#pragma once
// Printers and paper as the settings window and the print job see them:
// the CUPS queues, the default printer, paper forms and their sizes.

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The CUPS queues in the order CUPS lists them; empty when there are none.
std::vector<std::string> InstalledPrinters();

// Whether a CUPS queue of that name is installed now (never the empty name).
bool PrinterInstalled(std::string_view printerName);

// CUPS's default printer; empty when there is none.
std::string DefaultPrinterName();

// The paper forms (named sizes) that the queue knows; empty when there are
// none or no such queue is installed.
std::vector<std::string> PaperFormNames(std::string_view queue);

// A paper form's size and its unprintable strips, in 0.1 mm.
struct PaperForm {
    int width = 0;
    int height = 0;
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;

    bool operator==(const PaperForm&) const = default;
};

// Looks the form up on the queue.  All six values are 0 when the name is
// empty or unknown, and the result then is false.
bool PaperFormSize(std::string_view queue, std::string_view formName, PaperForm& form);

} // namespace quillet

#pragma once
// Printers and paper as the settings window and the print job see them:
// the CUPS queues, the default printer, paper forms and their sizes.
//
// "Setting the default printer" is the program's own choice of the printer
// its next job opens.  It never touches the user's CUPS configuration, so a
// program ended in the middle of a job leaves nothing changed.

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class PrinterUnit;

// The CUPS queues in the order CUPS lists them; empty when there are none.
std::vector<std::string> InstalledPrinters();

// The printer the next job opens: the one chosen with SetDefaultPrinter while
// it is still installed, else CUPS's default; empty when there is none.
std::string DefaultPrinterName();

// Chooses the printer of the next jobs.  An empty name, or one that names no
// installed printer, fails and changes nothing.
bool SetDefaultPrinter(std::string_view printerName);

// Forgets the program's choice: CUPS's default applies again.
void ClearDefaultPrinterChoice();

// While set, jobs of every printer unit that has no output file of its own
// write this PDF file instead of printing: for users without a printer, and
// for checking a job's pages.  Empty switches back to printers.
void SetPdfFileDestination(std::string path);
const std::string& PdfFileDestination();

// The paper forms (named sizes) that the unit's printer knows; empty when
// there are none or no printer is known.
std::vector<std::string> PaperFormNames(const PrinterUnit& unit);

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

// Looks the form up on the unit's printer.  All six values are 0 when the
// name is empty or unknown, and the result then is false.
bool PaperFormSize(const PrinterUnit& unit, std::string_view formName, PaperForm& form);

} // namespace quillet

#pragma once
// The small box shown while a print job runs: which document goes to which
// printer, and the page being printed.  Not modal: the program's own
// progress window stays usable beside it.

#include <QWidget>

#include <string_view>

class QLabel;

namespace quillet {

class PrintingStatusBox : public QWidget {
public:
    PrintingStatusBox(std::string_view documentName, std::string_view printerName);

    void SetPageNumber(int page);

private:
    QLabel* page_;
};

} // namespace quillet

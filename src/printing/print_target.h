#pragma once
// Where a print job goes: a CUPS queue, or a PDF file.

#include <string>

namespace quillet {

struct PrintTarget {
    enum class Kind { Queue, PdfFile };
    Kind kind = Kind::Queue;
    std::string name; // the queue, or the PDF file as chosen
    // A PDF file is written under the first free name from this number on
    // ("album.pdf" for 1, then "album-2.pdf", ...), never over another file,
    // unless replaceExisting: the user confirmed replacing the chosen file.
    int pdfNumber = 1;
    bool replaceExisting = false;
    // The paper a queue is asked for by its IPP name ("na_index-4x6_4x6in");
    // empty: the page's own size.
    std::string media;

    static PrintTarget Queue(std::string queue)
    {
        PrintTarget target;
        target.name = std::move(queue);
        return target;
    }
    static PrintTarget PdfFile(std::string file, int number = 1, bool replace = false)
    {
        PrintTarget target;
        target.kind = Kind::PdfFile;
        target.name = std::move(file);
        target.pdfNumber = number;
        target.replaceExisting = replace;
        return target;
    }
};

// How a job ended once its document was handed over, or why it was not.
struct PrintJobEnd {
    bool handedOver = false;
    std::string written; // the PDF file written, or the queue's job ("QUEUE-12")
    int pdfNumber = 0; // the number of the PDF file's name
    int cupsJobId = 0;
    // Why the document was not taken (CUPS's words, or a document not
    // written whole, with the file's own reason where it has one), or why a
    // PDF file's job could not start (its folder gone); empty when it was
    // taken, or when a queue's job never started.
    std::string error;
};

} // namespace quillet

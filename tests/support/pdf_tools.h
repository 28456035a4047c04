#pragma once
// Reading printed PDFs back in tests, through poppler-utils: page count and
// size (pdfinfo), word boxes (pdftotext -bbox), placed images
// (pdfimages -list) and rasterised pages (pdftoppm).  Lengths are in PDF
// points (1/72 inch) with y growing downward from the top of the page.

#include <QImage>

#include <optional>
#include <string>
#include <vector>

namespace quillet::testing {

struct PdfInfo {
    int pages = 0;
    double pageWidth = 0; // first page
    double pageHeight = 0;
    std::string title;
};

std::optional<PdfInfo> ReadPdfInfo(const std::string& path);

struct PdfWord {
    int page = 0; // 1-based
    std::string text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

std::vector<PdfWord> ReadPdfWords(const std::string& path);

// The words of one page that equal text.
std::vector<PdfWord> FindPdfWords(const std::vector<PdfWord>& words, int page,
                                  const std::string& text);

struct PdfImage {
    int page = 0;
    int width = 0; // pixels stored in the PDF
    int height = 0;
    double xPpi = 0; // pixels per inch as placed on the page
    double yPpi = 0;
};

std::vector<PdfImage> ListPdfImages(const std::string& path);

// One page rendered at dpi; a null image when pdftoppm fails.
QImage RasterisePdfPage(const std::string& path, int page, int dpi);

// Millimetres to PDF points and back.
constexpr double PointsFromMillimetres(double mm)
{
    return mm * 72.0 / 25.4;
}
constexpr double MillimetresFromPoints(double points)
{
    return points * 25.4 / 72.0;
}

} // namespace quillet::testing

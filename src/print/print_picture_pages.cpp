#include "print/print_picture_pages.h"

#include "imageout/picture_prefetch.h"
#include "print/header_footer.h"
#include "print/page_layout.h"
#include "runtime/datetime.h"
#include "runtime/printer_queries.h"
#include "runtime/printer_unit.h"
#include "runtime/window.h"

namespace quillet {
namespace {

struct JobLayout {
    PageGrid grid;
    int pageCount = 0;
    int printableWidth = 0;
    int printableHeight = 0;
    int captionLineHeight = 0;
    FontSpec captionFont;
    std::vector<float> aspectRatios;
    std::vector<std::string> captions;
};

JobLayout LayOutJob(const PageJob& job, PrinterUnit& printer)
{
    const PrintSettings& s = job.settings;
    const std::size_t n = job.pictures.paths.size();
    const bool landscape = s.orientation == 1;
    PageGridSpec gridLayout;
    gridLayout.pageWidth = landscape ? s.paperHeight : s.paperWidth;
    gridLayout.pageHeight = landscape ? s.paperWidth : s.paperHeight;
    gridLayout.marginTop = printer.MarginTop();
    gridLayout.marginBottom = printer.MarginBottom();
    gridLayout.marginLeft = printer.MarginLeft();
    gridLayout.marginRight = printer.MarginRight();
    gridLayout.grid = NormaliseGrid(s.rows, s.columns);
    gridLayout.rowGap = s.rowGap;
    gridLayout.columnGap = s.columnGap;
    gridLayout.precision = CellPrecision::WholeUnits;
    gridLayout.origin = CellOrigin::MarginCorner;

    int captionLineHeight = printer.TextHeight("大");
    const FontSpec captionFont = printer.Font();
    const int captionGap = CaptionGapInForce(s.captionGap, captionLineHeight);
    JobLists lists =
        PrepareJobLists(static_cast<int>(n), job.pictures.aspectRatios, job.pictures.captions);
    if (!lists.reservesCaptionLine)
        captionLineHeight = 0;

    gridLayout.captionLineHeight = captionLineHeight;
    gridLayout.captionGap = captionGap;
    PageGrid grid(gridLayout);
    const int pageCount = PageCount(static_cast<int>(n), grid.Grid());
    return JobLayout{grid, pageCount, grid.PrintableWidth(), grid.PrintableHeight(),
                     captionLineHeight, captionFont, std::move(lists.ratios), std::move(lists.captions)};
}

void WriteHeaderOrFooter(bool isHeader, PrinterUnit& printer, const PageJob& job,
                         const JobLayout& layout, int pageNumber)
{
    const PrintSettings& s = job.settings;
    const std::string& pageTemplate = isHeader ? job.headerTemplate : job.footerTemplate;
    if (pageTemplate.empty())
        return;
    printer.SetFont(isHeader ? s.headerFont : s.footerFont);
    const HeaderFooterLine line = ExpandHeaderFooter(
        isHeader, printer, pageTemplate, pageNumber, layout.pageCount, layout.printableWidth,
        layout.printableHeight, 0, 0, TruncateLength(double(s.headerOffset) - printer.MarginTop()),
        TruncateLength(double(s.footerOffset) - printer.MarginBottom()),
        isHeader ? s.headerAlign : s.footerAlign);
    printer.WriteTextAt(line.x, line.y, line.text);
    printer.SetFont(layout.captionFont);
}

void PrintPages(const PageJob& job, PrinterUnit& printer, const PageProgress& progress)
{
    const int n = static_cast<int>(job.pictures.paths.size());
    const JobLayout layout = LayOutJob(job, printer);
    const GridSize grid = layout.grid.Grid();
    if (progress.started)
        progress.started(n);
    // The next picture decodes on a worker while this one is drawn; the loop
    // still takes them one by one, in order.  One ahead is enough to keep the
    // printer busy and holds at most two pictures, even at full size.
    PicturePrefetcher pictures(job.pictures.paths, job.settings.imageOptimization, 1, 0);

    int next = 0;
    int pageNumber = 0;
    while (next < n) {
        ++pageNumber;
        WriteHeaderOrFooter(true, printer, job, layout, pageNumber);
        for (int row = 0; row < grid.rows && next < n; ++row) {
            for (int column = 0; column < grid.columns && next < n; ++column) {
                // The printer has taken the picture's pixels once it is
                // drawn, so it is released at once: a long job holds one
                // picture at a time, whatever its optimisation level.
                const PictureHandle picture = AdoptPicture(pictures.Take(next));
                const Rect box = layout.grid.PictureBox(row, column);
                PlacePicture(printer, picture, box.x, box.y, box.width, box.height,
                             layout.aspectRatios[next], job.settings.photoFitMode);
                FreePicture(picture);

                if (layout.captionLineHeight > 0) {
                    const std::string& caption = layout.captions[next];
                    const int width = printer.TextWidth(caption);
                    printer.WriteTextAt(layout.grid.CaptionLeft(column, width),
                                        layout.grid.CaptionTop(row), caption);
                }
                ++next;
                if (progress.advanced)
                    progress.advanced(next);
                if (progress.cancelRequested && progress.cancelRequested())
                    next = n + 1;  // the page in hand is still finished below
            }
        }
        WriteHeaderOrFooter(false, printer, job, layout, pageNumber);
        printer.NewPage();
        ProcessPendingMessages();
    }
}

} // namespace

std::string PrintDocumentName(int minute, int second, int paperWidth, int paperHeight,
                              int orientation)
{
    return std::to_string(minute * 100 + second) + "_宽高：" + std::to_string(paperWidth) + "×"
        + std::to_string(paperHeight) + "，方向：" + std::to_string(orientation);
}

int PrintPagesOnPrinter(PrinterUnit& printer, const PageJob& job, const PageProgress& progress)
{
    const PrintSettings& settings = job.settings;
    const DateTime now = Now();
    printer.SetDocumentName(PrintDocumentName(Minute(now), Second(now), settings.paperWidth,
                                              settings.paperHeight, settings.orientation));
    printer.SetCoordinateUnit(kUnitTenthMillimetre);
    printer.SetFont(settings.captionFont);
    printer.SetCopies(settings.copies);
    printer.SetMarginTop(settings.marginTop);
    printer.SetMarginLeft(settings.marginLeft);
    printer.SetMarginRight(settings.marginRight);
    printer.SetMarginBottom(settings.marginBottom);

    SetDefaultPrinter(settings.printerName);
    const bool started = printer.StartPrintJob(false, true, kPaperKindCustom, settings.orientation,
                                               settings.paperWidth, settings.paperHeight);
    // A job that did not start has nowhere to draw: no picture is loaded.
    if (started)
        PrintPages(job, printer, progress);

    const bool handedOver = printer.EndPrintJob();
    SetDefaultPrinter(settings.defaultPrinterName);
    return started && handedOver ? 1 : 0;
}

void PlacePicture(PrinterUnit& printer, PictureHandle picture, int x, int y, int width,
                  int height, std::optional<float> ratio, std::optional<int> mode)
{
    if (!PictureImage(picture))
        return;
    const std::optional<Rect> drawn =
        PicturePlacement(Rect{x, y, width, height}, printer.PictureWidth(picture),
                         printer.PictureHeight(picture), ratio.value_or(0.0f), mode.value_or(0));
    if (drawn)
        printer.DrawPicture(picture, drawn->x, drawn->y, drawn->width, drawn->height);
}

} // namespace quillet

#include "print/print_picture_pages.h"

#include "app/globals.h"
#include "imageout/picture_prefetch.h"
#include "print/header_footer.h"
#include "print/page_layout.h"
#include "print/progress_window.h"
#include "runtime/datetime.h"
#include "runtime/printer_queries.h"
#include "runtime/printer_unit.h"
#include "runtime/window.h"

namespace quillet {
namespace {

// A4 portrait, for a job that was given no page size.
constexpr int kDefaultPageWidth = 2100;
constexpr int kDefaultPageHeight = 2970;

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

JobLayout LayOutJob(const PrintPicturePagesInput& input, PrinterUnit& printer)
{
    const std::size_t n = input.paths.size();
    const bool pageGiven = input.pageWidth.has_value() && input.pageHeight.has_value();
    PageGridSpec gridLayout;
    gridLayout.pageWidth = pageGiven ? *input.pageWidth : kDefaultPageWidth;
    gridLayout.pageHeight = pageGiven ? *input.pageHeight : kDefaultPageHeight;
    gridLayout.marginTop = printer.MarginTop();
    gridLayout.marginBottom = printer.MarginBottom();
    gridLayout.marginLeft = printer.MarginLeft();
    gridLayout.marginRight = printer.MarginRight();
    gridLayout.grid = NormaliseGrid(input.rows, input.columns);
    gridLayout.rowGap = input.rowGap;
    gridLayout.columnGap = input.columnGap;
    gridLayout.precision = CellPrecision::WholeUnits;
    gridLayout.origin = CellOrigin::MarginCorner;

    int captionLineHeight = printer.TextHeight("大");
    const FontSpec captionFont = printer.Font();
    const int captionGap = CaptionGapInForce(input.captionGap, captionLineHeight);
    JobLists lists = PrepareJobLists(static_cast<int>(n), input.aspectRatios, input.captions);
    if (!lists.reservesCaptionLine)
        captionLineHeight = 0;

    gridLayout.captionLineHeight = captionLineHeight;
    gridLayout.captionGap = captionGap;
    PageGrid grid(gridLayout);
    const int pageCount = PageCount(static_cast<int>(n), grid.Grid());
    return JobLayout{grid, pageCount, grid.PrintableWidth(), grid.PrintableHeight(),
                     captionLineHeight, captionFont, std::move(lists.ratios), std::move(lists.captions)};
}

void WriteHeaderOrFooter(bool isHeader, PrinterUnit& printer, const std::string& pageTemplate,
                         const FontSpec& font, const JobLayout& layout, int pageNumber,
                         const PrintPicturePagesInput& input)
{
    if (pageTemplate.empty())
        return;
    printer.SetFont(font);
    const HeaderFooterLine line = ExpandHeaderFooter(
        isHeader, printer, pageTemplate, pageNumber, layout.pageCount, layout.printableWidth,
        layout.printableHeight, 0, 0, TruncateLength(double(input.headerOffset) - printer.MarginTop()),
        TruncateLength(double(input.footerOffset) - printer.MarginBottom()));
    printer.WriteTextAt(line.x, line.y, line.text);
    printer.SetFont(layout.captionFont);
}

void PrintPages(const PrintPicturePagesInput& input, const PrintSettings& settings,
                PrinterUnit& printer, ProgressWindow& window)
{
    const int n = static_cast<int>(input.paths.size());
    const JobLayout layout = LayOutJob(input, printer);
    const GridSize grid = layout.grid.Grid();
    window.SetProgressRange(0, n);
    // The next picture decodes on a worker while this one is drawn; the loop
    // still takes them one by one, in order.  One ahead is enough to keep the
    // printer busy and holds at most two pictures, even at full size.
    PicturePrefetcher pictures(input.paths, settings.imageOptimization, 1, 0);

    int next = 0;
    int pageNumber = 0;
    while (next < n) {
        ++pageNumber;
        WriteHeaderOrFooter(true, printer, input.headerTemplate, settings.headerFont, layout,
                            pageNumber, input);
        for (int row = 0; row < grid.rows && next < n; ++row) {
            for (int column = 0; column < grid.columns && next < n; ++column) {
                // The printer has taken the picture's pixels once it is
                // drawn, so it is released at once: a long job holds one
                // picture at a time, whatever its optimisation level.
                const PictureHandle picture = AdoptPicture(pictures.Take(next));
                const Rect box = layout.grid.PictureBox(row, column);
                PlacePicture(printer, picture, box.x, box.y, box.width, box.height,
                             layout.aspectRatios[next], input.fitMode);
                FreePicture(picture);

                if (layout.captionLineHeight > 0) {
                    const std::string& caption = layout.captions[next];
                    const int width = printer.TextWidth(caption);
                    printer.WriteTextAt(layout.grid.CaptionLeft(column, width),
                                        layout.grid.CaptionTop(row), caption);
                }
                ++next;
                window.SetProgress(next);
                if (App().CancelRequested)
                    next = n + 1;  // the page in hand is still finished below
            }
        }
        WriteHeaderOrFooter(false, printer, input.footerTemplate, settings.footerFont, layout,
                            pageNumber, input);
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

int PrintPicturePages(const PrintPicturePagesInput& input)
{
    App().CancelRequested = false;
    ProgressWindow& window = LoadProgressWindow();
    window.show();
    PrinterUnit& printer = window.打印机1();
    // The settings window cannot change the record while the job runs, but
    // a copy keeps the job independent of it all the same.
    const PrintSettings settings = App().printSettings;

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
        PrintPages(input, settings, printer, window);

    const bool handedOver = printer.EndPrintJob();
    SetDefaultPrinter(settings.defaultPrinterName);
    ProcessPendingMessages();
    window.hide();
    App().CancelRequested = false;
    CloseProgressWindow();
    ProcessPendingMessages();
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

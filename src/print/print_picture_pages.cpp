#include "print/print_picture_pages.h"

#include "loading/picture_prefetch.h"
#include "print/page_loop.h"
#include "printing/printer_unit.h"

namespace quillet {
namespace {

// The printer unit as the page loop's surface.  The unit is set to 0.1 mm
// and its margins to the job's, so (0, 0) is the top-left margin corner of
// the printable area.
class PaperSurface : public PageSurface {
public:
    explicit PaperSurface(PrinterUnit& printer) : printer_(printer) {}

    void BeginPages(int, int) override {} // the paper was chosen when the job started
    void SetFont(const FontSpec& font) override { printer_.SetFont(font); }
    int TextWidth(std::string_view text) override { return printer_.TextWidth(text); }
    int TextHeight(std::string_view text) override { return printer_.TextHeight(text); }
    void WriteTextAt(int x, int y, std::string_view text) override
    {
        printer_.WriteTextAt(x, y, text);
    }
    QSize UnitsFromDevicePixels(QSize pixels) const override
    {
        return QSize(printer_.UnitsFromDevicePixelsX(pixels.width()),
                     printer_.UnitsFromDevicePixelsY(pixels.height()));
    }
    QSize DevicePixelsFromUnits(QSize units) const override
    {
        return QSize(printer_.DevicePixelsFromUnitsX(units.width()),
                     printer_.DevicePixelsFromUnitsY(units.height()));
    }
    void DrawPicture(const QImage& picture, const Rect& where) override
    {
        printer_.DrawImage(picture, where.x, where.y, where.width, where.height);
    }
    void EndPage(int) override { printer_.NewPage(); }

private:
    PrinterUnit& printer_;
};

} // namespace

std::string PrintDocumentName(int minute, int second, int paperWidth, int paperHeight,
                              int orientation)
{
    return std::to_string(minute * 100 + second) + "_宽高：" + std::to_string(paperWidth) + "×"
           + std::to_string(paperHeight) + "，方向：" + std::to_string(orientation);
}

PrintJobEnd PrintPagesOnPrinter(PrinterUnit& printer, const PrintTarget& target, const PageJob& job,
                                const PageProgress& progress, StatusBox statusBox)
{
    const PrintSettings& settings = job.settings;
    PrintJobSetup setup;
    setup.documentName = PrintDocumentName(job.clock.minute, job.clock.second, settings.paperWidth,
                                           settings.paperHeight, settings.orientation);
    setup.font = settings.captionFont;
    setup.copies = settings.copies;
    setup.marginLeft = settings.marginLeft;
    setup.marginTop = settings.marginTop;
    printer.SetCoordinateUnit(kUnitTenthMillimetre);

    // A job that did not start has nowhere to draw: no picture is loaded.
    if (!printer.StartPrintJob(target, setup, statusBox == StatusBox::Shown, kPaperKindCustom,
                               settings.orientation, settings.paperWidth, settings.paperHeight)) {
        PrintJobEnd notStarted;
        notStarted.error = printer.StartProblem();
        return notStarted;
    }
    {
        // Pictures decode ahead on every core while the loop draws on this
        // thread, as for page files; the byte budget keeps full-size photos
        // from piling up, and the printer takes a picture's pixels as it is
        // drawn, so nothing else holds them.
        PicturePrefetcher prefetcher(job.pictures.paths, settings.imageOptimization);
        PaperSurface surface(printer);
        RunPageLoop(job, PageLayout::Paper(), surface,
                    PrefetchedPictures(prefetcher, progress.waiting), progress);
    }
    return printer.EndPrintJob();
}

} // namespace quillet

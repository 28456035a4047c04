#pragma once
// The printer unit: one print job at a time on the program's default printer
// (or into a PDF file), drawn in a chosen coordinate unit.
//
// Coordinates are relative to the top-left corner of the printable area,
// shifted by the left and top margins; y grows downward in every unit.
// Pages open lazily: the start opens page 1, NewPage ends a page, and the
// next drawing command opens the next one, so ending right after NewPage
// leaves no blank trailing page.  Every command is silent: without a running
// job drawing does nothing and measuring returns the no-job values.

#include "runtime/font_spec.h"
#include "runtime/text_surface.h"

#include <QFont>

#include <memory>
#include <string>
#include <string_view>

class QPainter;
class QPrinter;

namespace quillet {

class PrintingStatusBox;

// Coordinate units of the printer unit.
enum PrinterCoordinateUnit : int {
    kUnitDevicePixel = 0,
    kUnitTenthMillimetre = 1,
    kUnitHundredthMillimetre = 2,
    kUnitHundredthInch = 3,
    kUnitThousandthInch = 4,
    kUnitTwip = 5,
};

// Paper kind of StartPrintJob: the custom size given in 0.1 mm.
inline constexpr int kPaperKindCustom = -1;

inline constexpr const char* kUntitledPrintJob = "未命名打印作业";

class PrinterUnit : public TextSurface {
public:
    PrinterUnit();
    ~PrinterUnit() override;
    PrinterUnit(const PrinterUnit&) = delete;
    PrinterUnit& operator=(const PrinterUnit&) = delete;

    // Properties; they persist across jobs.
    void SetCoordinateUnit(int unit); // clamped to 0..5
    void SetFont(const FontSpec& font);
    void SetDocumentName(std::string name);
    void SetCopies(int copies); // clamped to -1..65535; <= 0 prints one
    void SetMarginLeft(int margin) { marginLeft_ = margin; }
    void SetMarginTop(int margin) { marginTop_ = margin; }

    // The printer a job of this unit prints on: the running job's printer,
    // else the default printer.  Empty for a PDF file or when none is known.
    std::string PrinterName() const;

    // Starts a job; true when page 1 was started.  orientation 1 is landscape,
    // anything else portrait; the custom size is the upright paper in 0.1 mm.
    // A printer that does not exist, or refuses the job, leaves the unit
    // without a job.  The print dialog is not offered here: jobs go to the
    // chosen printer.
    bool StartPrintJob(bool showPrintDialog, bool showStatusBox, int paperKind, int orientation,
                       int customWidth, int customHeight);
    // Ends the open page if any and hands the document over; false when no
    // job was running or the printer or file did not take the document.
    bool EndPrintJob();
    // Ends the open page, or emits a blank page when none is open.
    bool NewPage();
    bool JobRunning() const { return painter_ != nullptr; }

    // Text at (x, y), its top-left corner; CR, LF and CR LF start further
    // lines one text height plus 2 device pixels lower, at the same x.
    void WriteTextAt(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    // A decoded picture stretched into the rectangle.  The printer never
    // receives more pixels than the rectangle covers at its resolution.
    void DrawImage(const QImage& picture, int x, int y, int width, int height);

    // Device pixels of the running job as lengths in the coordinate unit (cut
    // toward zero; the pixel count when no job runs), and lengths in the unit
    // as the device pixels they cover (rounded up).
    int UnitsFromDevicePixelsX(int pixels) const;
    int UnitsFromDevicePixelsY(int pixels) const;
    int DevicePixelsFromUnitsX(int units) const;
    int DevicePixelsFromUnitsY(int units) const;

    // The character height of the current font in the coordinate unit.
    int FontCharacterHeight() const;
    // Device resolution of the running job (0 without a job).
    int DeviceDpiX() const;
    int DeviceDpiY() const;

private:
    double DevicePixelsPerUnitX() const;
    double DevicePixelsPerUnitY() const;
    void RebuildDeviceFont();
    bool PrepareToDraw();
    int UnitsFromDevicePixels(double pixels, int dpi) const;
    void DrawImageAt(const QImage& image, const QRectF& target);
    double ToDeviceX(int x) const;
    double ToDeviceY(int y) const;

    int unit_ = kUnitDevicePixel;
    FontSpec font_;
    std::string documentName_;
    int copies_ = 1;
    int marginLeft_ = 0;
    int marginTop_ = 0;

    // Job state.
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PrintingStatusBox> statusBox_;
    std::string jobPrinterName_;
    QFont deviceFont_;
    bool pageOpen_ = false;
    int pageCounter_ = 0;
};

} // namespace quillet

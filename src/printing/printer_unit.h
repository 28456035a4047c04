#pragma once
// The printer unit: one print job at a time on a CUPS queue or into a PDF
// file, drawn in a chosen coordinate unit.
//
// Coordinates are relative to the top-left corner of the printable area,
// shifted by the left and top margins; y grows downward in every unit.
// Pages open lazily: the start opens page 1, NewPage ends a page, and the
// next drawing command opens the next one, so ending right after NewPage
// leaves no blank trailing page.  Every command is silent: without a running
// job drawing does nothing and measuring returns the no-job values.  The
// unit never processes window messages itself: its caller decides when.

#include "printing/print_target.h"
#include "printing/text_surface.h"
#include "widgets/font_spec.h"

#include <QFont>

#include <memory>
#include <string>
#include <string_view>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace quillet {

class PendingFile;
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

// What a job is printed under, fixed when it starts: its name in the queue,
// the font its text starts in, the copies CUPS makes of it and the margins
// that shift its frame (in the coordinate unit).
struct PrintJobSetup {
    std::string documentName; // empty: kUntitledPrintJob
    FontSpec font = StartupFont();
    int copies = 1; // clamped to -1..65535; <= 0 prints one
    int marginLeft = 0;
    int marginTop = 0;
};

class PrinterUnit : public TextSurface {
public:
    PrinterUnit();
    ~PrinterUnit() override;
    PrinterUnit(const PrinterUnit&) = delete;
    PrinterUnit& operator=(const PrinterUnit&) = delete;

    // Properties; they persist across jobs.
    void SetCoordinateUnit(int unit); // clamped to 0..5
    // The font of the text drawn from now on; a job starts in its setup's.
    void SetFont(const FontSpec& font);

    // The printer whose paper forms the unit offers: the running job's queue,
    // else the default printer.  Empty for a PDF file or when none is known.
    std::string PrinterName() const;

    // Starts a job on the target; true when page 1 was started.  orientation
    // 1 is landscape, anything else portrait; the custom size is the upright
    // paper in 0.1 mm.  A queue that is not installed, or a PDF file whose
    // folder takes no file, leaves the unit without a job.  No print dialog
    // is offered: jobs go to the target they are given.
    bool StartPrintJob(const PrintTarget& target, const PrintJobSetup& setup, bool showStatusBox,
                       int paperKind, int orientation, int customWidth, int customHeight);
    // Why the last job did not start, where the file it was to write says
    // (a folder that is gone); empty otherwise.
    const std::string& StartProblem() const { return startProblem_; }
    // Ends the open page if any and hands the document over: the whole PDF
    // to the queue as one CUPS job, or the PDF file put under its name.  Not
    // handed over when no job was running, the document could not be
    // written whole, or CUPS refused it.
    PrintJobEnd EndPrintJob();
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
    FontSpec font_ = StartupFont();
    int marginLeft_ = 0;
    int marginTop_ = 0;

    // Job state.
    std::unique_ptr<QPagedPaintDevice> device_; // a QPrinter on a queue, else a PDF writer
    QPrinter* queuePrinter_ = nullptr; // device_ when it is a queue's
    std::string documentName_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PendingFile> document_; // the PDF as it is drawn
    PrintTarget target_;
    std::unique_ptr<PrintingStatusBox> statusBox_;
    QFont deviceFont_;
    bool pageOpen_ = false;
    int pageCounter_ = 0;
    std::string startProblem_;
};

} // namespace quillet

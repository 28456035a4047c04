#include "runtime/printer_unit.h"

#include "runtime/fonts.h"
#include "runtime/printer_queries.h"
#include "runtime/printing_status_box.h"
#include "runtime/window.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillet {
namespace {

// Slightly below 254 / 72: the character height of one point in 0.1 mm.
constexpr double kTenthMillimetresPerPoint = 3.5250987027636778;

// PDF files have no resolution of their own; this one matches a common
// office printer, so picture pixels come out at the size they would on paper.
constexpr int kPdfFileResolution = 600;

// Length of one unit in tenths of a millimetre, for the units that have a
// fixed physical size.
double TenthMillimetresPerUnit(int unit)
{
    switch (unit) {
    case kUnitTenthMillimetre: return 1.0;
    case kUnitHundredthMillimetre: return 0.1;
    case kUnitHundredthInch: return 2.54;
    case kUnitThousandthInch: return 0.254;
    case kUnitTwip: return 254.0 / 1440.0;
    default: return 0.0;
    }
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Splits at CR LF, CR and LF.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

} // namespace

PrinterUnit::PrinterUnit()
{
    font_ = StartupFont();
}

PrinterUnit::~PrinterUnit()
{
    EndPrintJob();
}

void PrinterUnit::SetCoordinateUnit(int unit)
{
    unit_ = std::clamp(unit, 0, 5);
    RebuildDeviceFont();
}

void PrinterUnit::SetFont(const FontSpec& font)
{
    font_ = font;
    RebuildDeviceFont();
}

void PrinterUnit::SetDocumentName(std::string name)
{
    documentName_ = std::move(name);
}

void PrinterUnit::SetCopies(int copies)
{
    copies_ = std::clamp(copies, -1, 65535);
}

std::string PrinterUnit::PrinterName() const
{
    if (JobRunning())
        return jobPrinterName_;
    return DefaultPrinterName();
}

bool PrinterUnit::StartPrintJob(bool /*showPrintDialog*/, bool showStatusBox, int paperKind,
                                int orientation, int customWidth, int customHeight)
{
    EndPrintJob();

    // The program-wide PDF file, if one is set; else the default printer.
    const std::string& fileName = PdfFileDestination();
    std::string printerName;
    std::unique_ptr<QPrinter> printer;
    if (fileName.empty()) {
        printerName = DefaultPrinterName();
        // QPrinter quietly turns into a PDF writer for an unknown printer;
        // such a job must not start at all.
        const QPrinterInfo info = QPrinterInfo::printerInfo(FromUtf8(printerName));
        if (printerName.empty() || info.isNull())
            return false;
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (printer->outputFormat() != QPrinter::NativeFormat)
            return false;
    } else {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(fileName));
        printer->setResolution(kPdfFileResolution);
    }

    printer->setFullPage(false);
    if (paperKind == kPaperKindCustom && customWidth > 0 && customHeight > 0) {
        const QPageSize size(QSizeF(customWidth / 10.0, customHeight / 10.0), QPageSize::Millimeter,
                             QString(), QPageSize::ExactMatch);
        printer->setPageSize(size);
    }
    printer->setPageOrientation(orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The frame starts at the printable area: the printer's own minimum
    // margins, nothing more.
    const QPageLayout layout = printer->pageLayout();
    printer->setPageMargins(layout.minimumMargins(), layout.units());
    printer->setCopyCount(copies_ <= 0 ? 1 : copies_);
    const std::string documentName = documentName_.empty() ? kUntitledPrintJob : documentName_;
    printer->setDocName(FromUtf8(documentName));

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer.get()))
        return false;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);

    printer_ = std::move(printer);
    painter_ = std::move(painter);
    jobPrinterName_ = printerName;
    pageOpen_ = true;
    pageCounter_ = 1;
    RebuildDeviceFont();
    if (showStatusBox) {
        statusBox_ = std::make_unique<PrintingStatusBox>(
            documentName, printerName.empty() ? fileName : printerName);
        statusBox_->show();
    }
    return true;
}

bool PrinterUnit::EndPrintJob()
{
    if (!painter_)
        return false;
    // Ending the painter closes the open page (an ended one was already
    // closed by NewPage) and hands the document to CUPS or the file.
    const bool handedOver = painter_->end();
    painter_.reset();
    printer_.reset();
    statusBox_.reset();
    jobPrinterName_.clear();
    pageOpen_ = false;
    return handedOver;
}

bool PrinterUnit::NewPage()
{
    if (!painter_)
        return false;
    if (pageOpen_) {
        pageOpen_ = false;
    } else {
        // No page is open: the printer's current page is the last one ended,
        // so moving on gives a blank page, which ends at once.
        printer_->newPage();
    }
    ++pageCounter_;
    if (statusBox_)
        statusBox_->SetPageNumber(pageCounter_);
    return true;
}

bool PrinterUnit::PrepareToDraw()
{
    ProcessPendingMessages();
    if (!painter_)
        return false;
    if (!pageOpen_) {
        printer_->newPage();
        pageOpen_ = true;
    }
    painter_->setFont(deviceFont_);
    return true;
}

double PrinterUnit::DevicePixelsPerUnitX() const
{
    if (unit_ == kUnitDevicePixel || !printer_)
        return 1.0;
    return printer_->logicalDpiX() / 254.0 * TenthMillimetresPerUnit(unit_);
}

double PrinterUnit::DevicePixelsPerUnitY() const
{
    if (unit_ == kUnitDevicePixel || !printer_)
        return 1.0;
    return printer_->logicalDpiY() / 254.0 * TenthMillimetresPerUnit(unit_);
}

int PrinterUnit::UnitsFromDevicePixels(double pixels, int dpi) const
{
    if (unit_ == kUnitDevicePixel || dpi <= 0)
        return static_cast<int>(pixels);
    // Through inches first, so that whole inches give whole units exactly.
    return static_cast<int>(pixels / dpi * 254.0 / TenthMillimetresPerUnit(unit_));
}

double PrinterUnit::ToDeviceX(int x) const
{
    return (double(x) + marginLeft_) * DevicePixelsPerUnitX();
}

double PrinterUnit::ToDeviceY(int y) const
{
    return (double(y) + marginTop_) * DevicePixelsPerUnitY();
}

int PrinterUnit::DeviceDpiX() const
{
    return printer_ ? printer_->logicalDpiX() : 0;
}
int PrinterUnit::DeviceDpiY() const
{
    return printer_ ? printer_->logicalDpiY() : 0;
}

int PrinterUnit::FontCharacterHeight() const
{
    if (unit_ == kUnitDevicePixel)
        return printer_ ? static_cast<int>(font_.size * double(DeviceDpiY()) / 72) : 0;
    return static_cast<int>(font_.size * kTenthMillimetresPerPoint
                            / TenthMillimetresPerUnit(unit_));
}

void PrinterUnit::RebuildDeviceFont()
{
    deviceFont_ = MakeQFont(font_);
    if (!printer_)
        return;
    const int height = FontCharacterHeight();
    if (height > 0) {
        const double pixels = height * DevicePixelsPerUnitY();
        deviceFont_.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    }
}

void PrinterUnit::WriteTextAt(int x, int y, std::string_view text)
{
    if (!PrepareToDraw())
        return;
    const QFontMetricsF metrics(deviceFont_, printer_.get());
    const double lineStep = metrics.height() + 2;
    const double left = ToDeviceX(x);
    double top = ToDeviceY(y);
    const double angle = font_.angle / 10.0;
    for (std::string_view line : SplitLines(text)) {
        const QString shown = FromUtf8(line);
        if (angle == 0) {
            painter_->drawText(QPointF(left, top + metrics.ascent()), shown);
        } else {
            painter_->save();
            painter_->translate(left, top);
            painter_->rotate(-angle); // angles count counter-clockwise
            painter_->drawText(QPointF(0, metrics.ascent()), shown);
            painter_->restore();
        }
        top += lineStep;
    }
}

int PrinterUnit::TextWidth(std::string_view text)
{
    if (!printer_)
        return 0;
    const QFontMetricsF metrics(deviceFont_, printer_.get());
    return UnitsFromDevicePixels(metrics.horizontalAdvance(FromUtf8(text)), DeviceDpiX());
}

int PrinterUnit::TextHeight(std::string_view /*text*/)
{
    if (!printer_)
        return 0;
    const QFontMetricsF metrics(deviceFont_, printer_.get());
    return UnitsFromDevicePixels(metrics.height(), DeviceDpiY());
}

int PrinterUnit::UnitsFromDevicePixelsX(int pixels) const
{
    return printer_ ? UnitsFromDevicePixels(pixels, DeviceDpiX()) : pixels;
}

int PrinterUnit::UnitsFromDevicePixelsY(int pixels) const
{
    return printer_ ? UnitsFromDevicePixels(pixels, DeviceDpiY()) : pixels;
}

int PrinterUnit::DevicePixelsFromUnitsX(int units) const
{
    return static_cast<int>(std::ceil(units * DevicePixelsPerUnitX()));
}

int PrinterUnit::DevicePixelsFromUnitsY(int units) const
{
    return static_cast<int>(std::ceil(units * DevicePixelsPerUnitY()));
}

void PrinterUnit::DrawImage(const QImage& picture, int x, int y, int width, int height)
{
    if (!PrepareToDraw() || picture.isNull())
        return;
    DrawImageAt(picture, QRectF(ToDeviceX(x), ToDeviceY(y), width * DevicePixelsPerUnitX(),
                                height * DevicePixelsPerUnitY()));
}

void PrinterUnit::DrawImageAt(const QImage& image, const QRectF& target)
{
    if (!(target.width() > 0) || !(target.height() > 0))
        return;

    // Hand the printer no more pixels than the rectangle covers at its
    // resolution: a camera photo in a small cell would otherwise fill the
    // spool file with pixels the paper cannot show.
    const int coveredWidth = std::max(1, static_cast<int>(std::ceil(target.width())));
    const int coveredHeight = std::max(1, static_cast<int>(std::ceil(target.height())));
    QImage drawn = image;
    if (drawn.width() > coveredWidth || drawn.height() > coveredHeight) {
        // Qt's smooth reduction averages boxes of source pixels too, and is
        // over twice as fast as ours on full-size photos.
        drawn = drawn.scaled(std::min(drawn.width(), coveredWidth),
                             std::min(drawn.height(), coveredHeight), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    }
    painter_->drawImage(target, drawn);
}

} // namespace quillet

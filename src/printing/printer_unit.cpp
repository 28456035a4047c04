#include "printing/printer_unit.h"

#include "printing/cups_job.h"
#include "printing/fonts.h"
#include "printing/printer_queries.h"
#include "textfiles/convert.h"
#include "textfiles/files.h"
#include "textfiles/pending_file.h"
#include "widgets/printing_status_box.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace quillet {
namespace {

// Slightly below 254 / 72: the character height of one point in 0.1 mm.
constexpr double kTenthMillimetresPerPoint = 3.5250987027636778;

// PDF files have no resolution of their own; this one matches a common
// office printer, so picture pixels come out at the size they would on paper.
constexpr int kPdfFileResolution = 600;

// The engine does not say why it could not write; the file's own failure
// (a folder deleted before the file got its name, say) does.
std::string DocumentNotWritten(const PendingFile& document)
{
    if (document.Error() != 0)
        return std::string("文件无法写入 / could not be written: ")
               + std::strerror(document.Error());
    return "文件没有写完整，磁盘可能已满 / not written whole, the disk may be full";
}

// A PDF ends in "startxref", the offset of its cross-reference table, and
// "%%EOF".  Bytes lost anywhere before the table move it away from that
// offset, and bytes lost after it take the end marker with them.
bool CompletePdf(const std::string& path)
{
    const std::int64_t size = FileSize(path);
    constexpr std::int64_t kTail = 64;
    if (size < kTail)
        return false;
    const ByteArray tailBytes = ReadFilePart(path, size - kTail, kTail);
    const std::string tail(tailBytes.begin(), tailBytes.end());
    const std::size_t marker = tail.rfind("startxref");
    const std::size_t end = tail.find_last_not_of("\r\n ");
    if (marker == std::string::npos || end == std::string::npos || end < 4
        || tail.compare(end - 4, 5, "%%EOF") != 0)
        return false;
    const long long offset = std::atoll(tail.c_str() + marker + 9);
    if (offset <= 0 || offset >= size)
        return false;
    const ByteArray table = ReadFilePart(path, offset, 4);
    return std::string(table.begin(), table.end()) == "xref";
}

// What Qt's own CUPS submission would ask for: the paper by its name (the
// printer's own paper it was matched to, when it was), the
// copies (made by CUPS), one-sided or duplex as the printer says, and the
// orientation.
CupsOptions QueueOptions(const QPrinter& printer, const std::string& media)
{
    CupsOptions options;
    const QPageLayout layout = printer.pageLayout();
    options.emplace_back("media", media.empty() ? layout.pageSize().key().toStdString() : media);
    const int copies = printer.copyCount();
    if (copies > 1) {
        options.emplace_back("copies", std::to_string(copies));
        if (printer.collateCopies())
            options.emplace_back("Collate", "True");
    }
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone: options.emplace_back("sides", "one-sided"); break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
        break;
    case QPrinter::DuplexLongSide: options.emplace_back("sides", "two-sided-long-edge"); break;
    case QPrinter::DuplexShortSide: options.emplace_back("sides", "two-sided-short-edge"); break;
    }
    if (landscape)
        options.emplace_back("landscape", "");
    return options;
}

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

PrinterUnit::PrinterUnit() = default;

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

std::string PrinterUnit::PrinterName() const
{
    if (JobRunning())
        return target_.kind == PrintTarget::Kind::Queue ? target_.name : std::string();
    return DefaultPrinterName();
}

bool PrinterUnit::StartPrintJob(const PrintTarget& target, const PrintJobSetup& setup,
                                bool showStatusBox, int paperKind, int orientation, int customWidth,
                                int customHeight)
{
    EndPrintJob();
    startProblem_.clear();

    const bool toQueue = target.kind == PrintTarget::Kind::Queue;
    // QPrinter quietly turns into a PDF writer for an unknown printer; such
    // a job must not start at all.
    if (toQueue && !PrinterInstalled(target.name))
        return false;
    // The document is drawn into a file of ours, which goes to CUPS, or
    // under the file's name, only once it is whole.
    auto document = std::make_unique<PendingFile>(
        toQueue ? QDir::tempPath().toStdString() + "/quillet-print.pdf" : target.name);
    if (!document->IsOpen()) {
        startProblem_ = DocumentNotWritten(*document);
        return false;
    }
    const QString file = QFile::decodeName(QByteArray::fromStdString(document->TemporaryPath()));
    const std::string documentName =
        setup.documentName.empty() ? kUntitledPrintJob : setup.documentName;
    const int copies = std::clamp(setup.copies, -1, 65535);

    std::unique_ptr<QPagedPaintDevice> device;
    QPrinter* queuePrinter = nullptr;
    if (toQueue) {
        // A queue keeps its own resolution and printable area for the drawing.
        auto printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(ToQString(target.name)),
                                                  QPrinter::HighResolution);
        if (printer->outputFormat() != QPrinter::NativeFormat)
            return false;
        printer->setOutputFileName(file);
        printer->setFullPage(false);
        printer->setCopyCount(copies <= 0 ? 1 : copies);
        printer->setDocName(ToQString(documentName));
        queuePrinter = printer.get();
        device = std::move(printer);
    } else {
        // Not a QPrinter: making one looks up the default printer, and
        // listing printers makes libcups browse the network for more.
        auto writer = std::make_unique<QPdfWriter>(file);
        writer->setResolution(kPdfFileResolution);
        writer->setTitle(ToQString(documentName));
        device = std::move(writer);
    }

    if (paperKind == kPaperKindCustom && customWidth > 0 && customHeight > 0) {
        const QPageSize size(QSizeF(customWidth / 10.0, customHeight / 10.0), QPageSize::Millimeter,
                             QString(), QPageSize::ExactMatch);
        device->setPageSize(size);
    }
    device->setPageOrientation(orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The frame starts at the printable area: the printer's own minimum
    // margins, nothing more.
    const QPageLayout layout = device->pageLayout();
    device->setPageMargins(layout.minimumMargins(), layout.units());

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device.get()))
        return false;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);

    device_ = std::move(device);
    queuePrinter_ = queuePrinter;
    documentName_ = documentName;
    painter_ = std::move(painter);
    document_ = std::move(document);
    target_ = target;
    pageOpen_ = true;
    pageCounter_ = 1;
    font_ = setup.font;
    marginLeft_ = setup.marginLeft;
    marginTop_ = setup.marginTop;
    RebuildDeviceFont();
    if (showStatusBox) {
        statusBox_ = std::make_unique<PrintingStatusBox>(documentName, target.name);
        statusBox_->show();
    }
    return true;
}

PrintJobEnd PrinterUnit::EndPrintJob()
{
    PrintJobEnd end;
    if (!painter_)
        return end;
    // Ending the painter closes the open page (an ended one was already
    // closed by NewPage) and writes the rest of the document.
    const bool ended = painter_->end();
    const CupsOptions options =
        queuePrinter_ ? QueueOptions(*queuePrinter_, target_.media) : CupsOptions();
    painter_.reset();
    queuePrinter_ = nullptr;
    device_.reset();
    statusBox_.reset();
    pageOpen_ = false;
    const std::unique_ptr<PendingFile> document = std::move(document_);

    // The engine does not tell of a failed write (a full disk): a document
    // that does not end in its cross-reference table was not written whole.
    const bool onDisk = document->Finish();
    if (!ended || !onDisk || !CompletePdf(document->TemporaryPath())) {
        end.error = DocumentNotWritten(*document);
        return end;
    }
    if (target_.kind == PrintTarget::Kind::PdfFile) {
        if (target_.replaceExisting) {
            end.handedOver = document->Replace();
            end.pdfNumber = target_.pdfNumber;
            end.written = target_.name;
        } else if (const auto placed = document->PlaceUnderFreeName([this](int n) {
                       return PendingFile::NumberedName(target_.name, target_.pdfNumber + n - 1,
                                                        '-');
                   })) {
            end.handedOver = true;
            end.pdfNumber = target_.pdfNumber + placed->number - 1;
            end.written = placed->name;
        }
        if (!end.handedOver)
            end.error = DocumentNotWritten(*document);
        return end;
    }
    const CupsJobResult job =
        SubmitPdfToCups(target_.name, document->TemporaryPath(), documentName_, options);
    end.cupsJobId = job.jobId;
    end.error = job.error;
    end.handedOver = job.Succeeded();
    if (end.handedOver)
        end.written = target_.name + "-" + std::to_string(job.jobId);
    return end;
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
        device_->newPage();
    }
    ++pageCounter_;
    if (statusBox_)
        statusBox_->SetPageNumber(pageCounter_);
    return true;
}

bool PrinterUnit::PrepareToDraw()
{
    if (!painter_)
        return false;
    if (!pageOpen_) {
        device_->newPage();
        pageOpen_ = true;
    }
    painter_->setFont(deviceFont_);
    return true;
}

double PrinterUnit::DevicePixelsPerUnitX() const
{
    if (unit_ == kUnitDevicePixel || !device_)
        return 1.0;
    return device_->logicalDpiX() / 254.0 * TenthMillimetresPerUnit(unit_);
}

double PrinterUnit::DevicePixelsPerUnitY() const
{
    if (unit_ == kUnitDevicePixel || !device_)
        return 1.0;
    return device_->logicalDpiY() / 254.0 * TenthMillimetresPerUnit(unit_);
}

int PrinterUnit::UnitsFromDevicePixels(double pixels, int dpi) const
{
    if (unit_ == kUnitDevicePixel || dpi <= 0)
        return TruncateToInt(pixels);
    // Through inches first, so that whole inches give whole units exactly.
    return TruncateToInt(pixels / dpi * 254.0 / TenthMillimetresPerUnit(unit_));
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
    return device_ ? device_->logicalDpiX() : 0;
}
int PrinterUnit::DeviceDpiY() const
{
    return device_ ? device_->logicalDpiY() : 0;
}

int PrinterUnit::FontCharacterHeight() const
{
    if (unit_ == kUnitDevicePixel)
        return device_ ? TruncateToInt(font_.size * double(DeviceDpiY()) / 72) : 0;
    return TruncateToInt(font_.size * kTenthMillimetresPerPoint / TenthMillimetresPerUnit(unit_));
}

void PrinterUnit::RebuildDeviceFont()
{
    deviceFont_ = MakeQFont(font_);
    if (!device_)
        return;
    const int height = FontCharacterHeight();
    if (height > 0) {
        const double pixels = height * DevicePixelsPerUnitY();
        deviceFont_.setPixelSize(std::max(1, TruncateToInt(std::round(pixels))));
    }
}

void PrinterUnit::WriteTextAt(int x, int y, std::string_view text)
{
    if (!PrepareToDraw())
        return;
    const QFontMetricsF metrics(deviceFont_, device_.get());
    const double lineStep = metrics.height() + 2;
    const double left = ToDeviceX(x);
    double top = ToDeviceY(y);
    const double angle = font_.angle / 10.0;
    for (std::string_view line : SplitLines(text)) {
        const QString shown = ToQString(line);
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
    if (!device_)
        return 0;
    const QFontMetricsF metrics(deviceFont_, device_.get());
    return UnitsFromDevicePixels(metrics.horizontalAdvance(ToQString(text)), DeviceDpiX());
}

int PrinterUnit::TextHeight(std::string_view /*text*/)
{
    if (!device_)
        return 0;
    const QFontMetricsF metrics(deviceFont_, device_.get());
    return UnitsFromDevicePixels(metrics.height(), DeviceDpiY());
}

int PrinterUnit::UnitsFromDevicePixelsX(int pixels) const
{
    return device_ ? UnitsFromDevicePixels(pixels, DeviceDpiX()) : pixels;
}

int PrinterUnit::UnitsFromDevicePixelsY(int pixels) const
{
    return device_ ? UnitsFromDevicePixels(pixels, DeviceDpiY()) : pixels;
}

int PrinterUnit::DevicePixelsFromUnitsX(int units) const
{
    return TruncateToInt(std::ceil(units * DevicePixelsPerUnitX()));
}

int PrinterUnit::DevicePixelsFromUnitsY(int units) const
{
    return TruncateToInt(std::ceil(units * DevicePixelsPerUnitY()));
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
    const int coveredWidth = std::max(1, TruncateToInt(std::ceil(target.width())));
    const int coveredHeight = std::max(1, TruncateToInt(std::ceil(target.height())));
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

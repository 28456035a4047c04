#include "printing/printer_queries.h"

#include "printing/cups_connection.h"
#include "textfiles/convert.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace quillet {
namespace {

// CUPS reports sizes in points and millimetres; the forms' sizes are whole
// micrometres, cut to tenths of a millimetre.
int TenthMillimetres(double millimetres)
{
    const long long micrometres = std::llround(millimetres * 1000.0);
    return static_cast<int>(micrometres / 100);
}

double ToMillimetres(double value, QPageLayout::Unit unit)
{
    switch (unit) {
    case QPageLayout::Millimeter: return value;
    case QPageLayout::Point: return value * 25.4 / 72.0;
    case QPageLayout::Inch: return value * 25.4;
    case QPageLayout::Pica: return value * 25.4 / 6.0;
    case QPageLayout::Didot: return value * 0.376;
    case QPageLayout::Cicero: return value * 4.512;
    }
    return value;
}

QPrinterInfo QueueInfo(std::string_view queue)
{
    if (queue.empty())
        return QPrinterInfo();
    return QPrinterInfo::printerInfo(ToQString(queue));
}

} // namespace

// The scheduler is asked itself, in bounded time: Qt's printer lists come
// from libcups's destination list, which also browses the network (DNS-SD)
// for printers, and that holds every caller up for a second or more.
std::vector<std::string> InstalledPrinters()
{
    CupsConnection connection;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ipp_t* answer = connection.Ask(request);
    std::vector<std::string> names;
    for (ipp_attribute_t* name = ippFindAttribute(answer, "printer-name", IPP_TAG_NAME); name;
         name = ippFindNextAttribute(answer, "printer-name", IPP_TAG_NAME))
        names.emplace_back(ippGetString(name, 0, nullptr));
    ippDelete(answer);
    return names;
}

bool PrinterInstalled(std::string_view printerName)
{
    if (printerName.empty())
        return false;
    CupsConnection connection;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    const std::string uri = QueueUri(std::string(printerName));
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ipp_t* answer = connection.Ask(request);
    const bool installed = answer && ippGetStatusCode(answer) <= IPP_STATUS_OK_CONFLICTING;
    ippDelete(answer);
    return installed;
}

std::string DefaultPrinterName()
{
    // The user's own default (lpoptions, $PRINTER) first, then the scheduler's.
    const CupsConnection connection;
    const char* name = connection.Http() ? cupsGetDefault2(connection.Http()) : nullptr;
    return name ? name : std::string();
}

std::vector<std::string> PaperFormNames(std::string_view queue)
{
    std::vector<std::string> names;
    const QPrinterInfo info = QueueInfo(queue);
    if (info.isNull())
        return names;
    for (const QPageSize& size : info.supportedPageSizes())
        names.push_back(size.name().toStdString());
    return names;
}

bool PaperFormSize(std::string_view queue, std::string_view formName, PaperForm& form)
{
    form = PaperForm{};
    if (formName.empty())
        return false;
    const QPrinterInfo info = QueueInfo(queue);
    if (info.isNull())
        return false;
    const QString wanted = ToQString(formName);
    for (const QPageSize& size : info.supportedPageSizes()) {
        if (size.name() != wanted)
            continue;
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageSize(size);
        const QPageLayout layout = printer.pageLayout();
        const QMarginsF strips = layout.minimumMargins();
        const QSizeF millimetres = size.size(QPageSize::Millimeter);
        form.width = TenthMillimetres(millimetres.width());
        form.height = TenthMillimetres(millimetres.height());
        form.top = TenthMillimetres(ToMillimetres(strips.top(), layout.units()));
        form.bottom = TenthMillimetres(ToMillimetres(strips.bottom(), layout.units()));
        form.left = TenthMillimetres(ToMillimetres(strips.left(), layout.units()));
        form.right = TenthMillimetres(ToMillimetres(strips.right(), layout.units()));
        return true;
    }
    return false;
}

} // namespace quillet

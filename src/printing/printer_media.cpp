#include "printing/printer_media.h"

#include "printing/cups_connection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace quillet {
namespace {

// PWG sizes are in 0.01 mm.
int TenthMillimetres(int hundredths)
{
    return (hundredths + 5) / 10;
}

// Sorted so that a paper and the same sheet turned compare equal.
std::pair<int, int> Upright(int width, int height)
{
    return {std::min(width, height), std::max(width, height)};
}

} // namespace

std::optional<PrinterMedia> QueueMedia(const std::string& queue, std::string& failure)
{
    CupsConnection connection;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    const std::string uri = QueueUri(queue);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "media-supported");
    ipp_t* answer = connection.Ask(request);
    if (!answer || ippGetStatusCode(answer) > IPP_STATUS_OK_CONFLICTING) {
        failure = connection.Failure();
        ippDelete(answer);
        return std::nullopt;
    }
    PrinterMedia media;
    ipp_attribute_t* supported = ippFindAttribute(answer, "media-supported", IPP_TAG_ZERO);
    for (int i = 0; i < ippGetCount(supported); ++i) {
        const char* name = ippGetString(supported, i, nullptr);
        pwg_media_t* size = name ? pwgMediaForPWG(name) : nullptr;
        if (!size)
            continue;
        const int width = TenthMillimetres(size->width);
        const int height = TenthMillimetres(size->length);
        if (std::strncmp(name, "custom_min_", 11) == 0) {
            media.customSizes = true;
            media.customMinWidth = width;
            media.customMinHeight = height;
        } else if (std::strncmp(name, "custom_max_", 11) == 0) {
            media.customSizes = true;
            media.customMaxWidth = width;
            media.customMaxHeight = height;
        } else {
            media.papers.push_back({name, width, height});
        }
    }
    ippDelete(answer);
    return media;
}

PaperChoice ChoosePaper(const PrinterMedia& media, int width, int height)
{
    const auto [shortSide, longSide] = Upright(width, height);
    PaperChoice choice;
    int nearest = kPaperMatchTolerance + 1;
    for (const OfferedPaper& paper : media.papers) {
        const auto [paperShort, paperLong] = Upright(paper.width, paper.height);
        const int distance =
            std::max(std::abs(paperShort - shortSide), std::abs(paperLong - longSide));
        if (distance < nearest) {
            nearest = distance;
            choice = {true, paper.name};
        }
    }
    if (choice.fits)
        return choice;
    const bool inRange = shortSide >= std::min(media.customMinWidth, media.customMinHeight)
                         && longSide <= std::max(media.customMaxWidth, media.customMaxHeight)
                         && shortSide <= std::min(media.customMaxWidth, media.customMaxHeight);
    choice.fits = media.customSizes && inRange;
    return choice;
}

std::string OfferedPaperNames(const PrinterMedia& media)
{
    std::string names;
    for (const OfferedPaper& paper : media.papers) {
        const pwg_media_t* size = pwgMediaForPWG(paper.name.c_str());
        const char* shown = size && size->ppd ? size->ppd : paper.name.c_str();
        names += (names.empty() ? "" : "、") + std::string(shown);
    }
    return names;
}

} // namespace quillet

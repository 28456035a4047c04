#include "print/header_footer.h"

#include "app/globals.h"
#include "print/page_layout.h"

#include <QDateTime>

#include <array>
#include <cctype>
#include <utility>

namespace quillet {
namespace {

bool SameLetterIgnoringCase(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Every code starts with '&', which never occurs inside a multi-byte UTF-8
// character, so a byte scan cannot split one.
std::string ReplaceCode(std::string_view text, std::string_view code, std::string_view value)
{
    std::string result;
    result.reserve(text.size() + value.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (pos + code.size() <= text.size() && text[pos] == code[0]
            && SameLetterIgnoringCase(text[pos + 1], code[1])) {
            result.append(value);
            pos += code.size();
        } else {
            result.push_back(text[pos]);
            ++pos;
        }
    }
    return result;
}

} // namespace

ClockReading ReadClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return ClockReading{date.year(), date.month(), date.day(),
                        time.hour(), time.minute(), time.second()};
}

std::string ExpandHeaderFooterCodes(std::string_view pageTemplate, int pageNumber,
                                    int pageCount, const ClockReading& clock)
{
    const std::array<std::pair<std::string_view, int>, 8> codes{{
        {"&P", pageNumber},
        {"&A", pageCount},
        {"&Y", clock.year},
        {"&M", clock.month},
        {"&D", clock.day},
        {"&H", clock.hour},
        {"&F", clock.minute},
        {"&S", clock.second},
    }};
    std::string text(pageTemplate);
    for (const auto& [code, value] : codes)
        text = ReplaceCode(text, code, std::to_string(value));
    return text;
}

int HeaderFooterLeft(int alignment, int textWidth, int surfaceWidth, int leftEdge, int rightEdge)
{
    if (alignment == 0)
        return leftEdge;
    if (alignment == 2)
        return TruncateLength(double(surfaceWidth) - rightEdge - textWidth);
    return TruncateLength(leftEdge + (double(surfaceWidth) - leftEdge - rightEdge - textWidth) / 2);
}

HeaderFooterLine ExpandHeaderFooter(bool isHeader, TextSurface& surface,
                                    std::string_view pageTemplate, int pageNumber,
                                    int pageCount, int surfaceWidth, int surfaceHeight,
                                    int leftEdge, int rightEdge, int headerTop,
                                    int footerFromBottom)
{
    HeaderFooterLine line;
    line.text = ExpandHeaderFooterCodes(pageTemplate, pageNumber, pageCount, ReadClock());
    const int width = line.text.empty() ? 0 : surface.TextWidth(line.text);
    const PrintSettings& settings = App().printSettings;
    const int alignment = isHeader ? settings.headerAlign : settings.footerAlign;
    line.y = isHeader ? headerTop : TruncateLength(double(surfaceHeight) - footerFromBottom);
    line.x = HeaderFooterLeft(alignment, width, surfaceWidth, leftEdge, rightEdge);
    return line;
}

} // namespace quillet

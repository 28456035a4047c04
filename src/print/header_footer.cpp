#include "print/header_footer.h"

#include "print/page_layout.h"

#include "textfiles/text.h"

#include <array>
#include <utility>

namespace quillet {

std::string ReplaceCode(std::string_view text, std::string_view code, std::string_view value)
{
    return ReplaceSubstring(text, code, value, 1, -1, false);
}

std::string ExpandHeaderFooterCodes(std::string_view pageTemplate, int pageNumber, int pageCount,
                                    const ClockReading& clock)
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
                                    std::string_view pageTemplate, int pageNumber, int pageCount,
                                    const ClockReading& clock, int surfaceWidth, int surfaceHeight,
                                    int leftEdge, int rightEdge, int headerTop,
                                    int footerFromBottom, int alignment)
{
    HeaderFooterLine line;
    line.text = ExpandHeaderFooterCodes(pageTemplate, pageNumber, pageCount, clock);
    const int width = line.text.empty() ? 0 : surface.TextWidth(line.text);
    line.y = isHeader ? headerTop : TruncateLength(double(surfaceHeight) - footerFromBottom);
    line.x = HeaderFooterLeft(alignment, width, surfaceWidth, leftEdge, rightEdge);
    return line;
}

} // namespace quillet

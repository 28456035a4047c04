#pragma once
// Header and footer lines: the page, page-count, date and time codes of a
// template expanded for one page, and where the line starts on the page.
// Works on any TextSurface (the printer unit, a page canvas), whose current
// font the caller has already set to the header or footer font.

#include "printing/text_surface.h"
#include "textfiles/datetime.h"

#include <string>
#include <string_view>

namespace quillet {

// Every occurrence of the code, letter case ignored, replaced by the value;
// the scan goes left to right and never rescans the text it has just
// inserted.  Codes start with '&', which never occurs inside a multi-byte
// UTF-8 character, so no character can be split by a match.
std::string ReplaceCode(std::string_view text, std::string_view code, std::string_view value);

// Replaces, in this order and in either case, &P page number, &A page count,
// &Y year, &M month, &D day, &H hour, &F minute, &S second; plain decimals
// without leading zeros.  Each pass scans left to right and never rescans the
// text it has just inserted.
std::string ExpandHeaderFooterCodes(std::string_view pageTemplate, int pageNumber, int pageCount,
                                    const ClockReading& clock);

// Alignment 0 left, 2 right, anything else centred; computed in double
// precision and cut toward zero.  A text wider than the space between the
// edges starts left of the left edge (right and centre alignment).
int HeaderFooterLeft(int alignment, int textWidth, int surfaceWidth, int leftEdge, int rightEdge);

struct HeaderFooterLine {
    std::string text;
    int x = 0;
    int y = 0; // top of the text

    bool operator==(const HeaderFooterLine&) const = default;
};

// The line for one page: the header sits at headerTop, the footer at
// surfaceHeight - footerFromBottom, both placed by alignment (the settings'
// headerAlign or footerAlign).  The width is that of the whole expanded text
// measured as one line on the surface.  The date and time codes show the
// job's clock reading.
HeaderFooterLine ExpandHeaderFooter(bool isHeader, TextSurface& surface,
                                    std::string_view pageTemplate, int pageNumber, int pageCount,
                                    const ClockReading& clock, int surfaceWidth, int surfaceHeight,
                                    int leftEdge, int rightEdge, int headerTop,
                                    int footerFromBottom, int alignment);

} // namespace quillet

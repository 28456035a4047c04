#pragma once
// A surface that measures and writes text: the printer unit and the canvas.
// Header and footer placement works on either through this interface.

#include <string_view>

namespace quillet {

class TextSurface {
public:
    virtual ~TextSurface() = default;
    // Width and height of the whole text measured as one line in the current
    // font, in the surface's own unit.
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    // Draws the text with its top-left corner at (x, y).
    virtual void WriteTextAt(int x, int y, std::string_view text) = 0;
};

} // namespace quillet

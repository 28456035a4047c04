#pragma once
// A font as the settings hold it and the canvas and the printer unit take it:
// face name, size in points and the four styles.

#include <cstdint>
#include <string>

namespace quillet {

struct FontSpec {
    std::int32_t angle = 0; // tenths of a degree; nothing changes it
    std::int32_t bold = 0; // weight 700 when set
    std::int32_t italic = 0;
    std::int32_t strikeout = 0;
    std::int32_t underline = 0;
    std::int32_t size = 0; // points
    std::string name; // face name

    bool operator==(const FontSpec&) const = default;
};

// The font everything starts with (the settings' three fonts, the printer
// unit): 9 pt "宋体", everything else zero.
inline FontSpec StartupFont()
{
    FontSpec font;
    font.size = 9;
    font.name = "宋体";
    return font;
}

} // namespace quillet

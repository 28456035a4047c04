#include "app/settings_window_values.h"

#include "textfiles/convert.h"

namespace quillet {

std::string MillimetreText(int tenthMillimetres)
{
    return ToText(tenthMillimetres / 10.0);
}

int TenthMillimetresFromText(std::string_view text)
{
    return TruncateToInt(ToNumber(text) * 10);
}

int WholeNumberFromText(std::string_view text)
{
    return TruncateToInt(ToNumber(text));
}

int CopiesFromText(std::string_view text)
{
    return ToInteger(text);
}

int SliderPositionForCount(std::string_view countText)
{
    return TruncateToInt(ToNumber(countText) * 4);
}

int CountForSliderPosition(int position)
{
    return position / 4;
}

bool PaperSizeUsable(std::string_view widthText, std::string_view heightText)
{
    // An empty, zero or negative size would lay pages out on no paper at all.
    return !widthText.empty() && !heightText.empty() && TenthMillimetresFromText(widthText) > 0
           && TenthMillimetresFromText(heightText) > 0;
}

} // namespace quillet

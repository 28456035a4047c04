#pragma once
// How the settings window turns the texts of its boxes into record values and
// back: millimetre boxes hold the record's tenths of a millimetre divided by
// ten, counts and gaps are shown as they are stored, and every box is read
// the way atof / atoi read it (full-width digits included).

#include <string>
#include <string_view>

namespace quillet {

// A length of the record (0.1 mm) as its millimetre box shows it ("%.13g"):
// 2100 shows as "210", 205 as "20.5".
std::string MillimetreText(int tenthMillimetres);

// A millimetre box read back into tenths, cut toward zero: "20.57" is 205.
int TenthMillimetresFromText(std::string_view text);

// A count or gap box: the leading number, cut toward zero.
int WholeNumberFromText(std::string_view text);

// The copies box, read the way atoi reads it.
int CopiesFromText(std::string_view text);

// The row and column sliders move in quarter steps of their count box: a
// count n puts the slider at trunc(4n); a slider position p shows as p / 4,
// truncated (positions 1..3 give 0, 61 gives 15).
int SliderPositionForCount(std::string_view countText);
int CountForSliderPosition(int position);

// A paper size that OK can store: both boxes filled and both sizes above
// zero once read into tenths of a millimetre.
bool PaperSizeUsable(std::string_view widthText, std::string_view heightText);

} // namespace quillet

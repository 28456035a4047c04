#pragma once
// Conversions between texts and numbers, as the program shows and reads them
// everywhere: numbers are shown with "%.13g" and read like atof / atoi after
// full-width characters have been turned into ASCII.  All of it is
// independent of the process locale.

#include <QString>
#include <QStringConverter>

#include <string>
#include <string_view>

namespace quillet {

std::string ToText(int value);
std::string ToText(double value); // "%.13g": 20.0 -> "20", 1.0/3 -> "0.3333333333333"

// The leading decimal number of the text (after leading white space), 0 when
// there is none.  Full-width digits, signs and points count as ASCII.
double ToNumber(std::string_view text);

// The leading decimal digits with their sign, 0 when there are none.  Values
// beyond the integer range stop at its ends.
int ToInteger(std::string_view text);

// Truncated toward zero; values beyond the integer range stop at its ends and
// NaN gives 0.
int TruncateToInt(double value);

// Turns the full-width forms that have an ASCII twin into it: U+FF01..U+FF5E
// become 0x21..0x7E, the ideographic space a space, the stars U+2605 and U+2606
// an asterisk, U+FFE5 (yuan sign) '$' and U+FFE3 (full-width macron) '~'.
std::string FullWidthToAscii(std::string_view text);

// The program's texts are UTF-8 byte strings; widgets and Qt's classes take
// QString.  This is the one way over; the way back is QString::toStdString.
QString ToQString(std::string_view text);

// Whether the bytes are well-formed UTF-8 (the empty text is).
bool IsValidUtf8(std::string_view bytes);

// Decodes text that came from outside (files, other programs): a text that
// starts with a UTF-16 byte-order mark (either byte order) is UTF-16; valid
// UTF-8 is taken as it is, without a leading byte-order mark; anything else
// is read as GB18030 (which covers GBK), with U+FFFD for bytes that are not.
std::string ToUtf8FromOutside(std::string_view bytes);

// The single decoders, for callers that know the encoding already.  Bytes
// that are not UTF-8 in a UTF-8 text become U+FFFD.
std::string Utf8WithoutByteOrderMark(std::string_view bytes);
std::string Utf16ToUtf8(std::string_view bytes, QStringConverter::Encoding byteOrder);
std::string Gb18030ToUtf8(std::string_view bytes);

// The way back: UTF-8 text as GB18030 bytes (GBK for every character GBK
// has), for reaching files whose names were written in GBK.
std::string ToGb18030FromUtf8(std::string_view text);

} // namespace quillet

#pragma once
// Whole texts that arrive from outside (the clipboard, table files, the text
// lists of the capture program `Vistrel`): which encoding they were written
// in, recognised over the whole text, and the text they hold.  Spreadsheets
// and editors on this system write UTF-8, older Windows programs GBK, and a
// few UTF-16.
//
// A text ends at its first zero character: what follows is not read, and
// the reader learns from which line on.

#include <string>
#include <string_view>

namespace quillet {

enum class TextEncoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Gb18030 };

// As people name it: "UTF-8", "UTF-16", "GBK" (GB18030 is a superset of it).
std::string_view TextEncodingName(TextEncoding encoding);

// ICU's charset detection limited to the three encodings, with a byte-order
// mark deciding first.  ICU takes any valid UTF-8 for UTF-8, so a GBK text
// whose few Chinese characters happen to form valid UTF-8 (山水 as "ɽˮ") is
// told apart here: its UTF-8 reading holds only two-byte characters, not
// all of them accented Latin letters, where its GBK reading is all common
// Chinese characters (GB2312).
TextEncoding DetectTextEncoding(std::string_view bytes);

struct OutsideText {
    std::string text; // UTF-8, without a byte-order mark
    TextEncoding encoding = TextEncoding::Utf8;
    // The 1-based line holding the zero character that ended the text, 0
    // when there was none.
    int endedAtLine = 0;
};

OutsideText DecodeOutsideText(std::string_view bytes);

// The same for text that is UTF-8 already (Qt decoded it): only the end.
OutsideText EndAtZero(std::string text, TextEncoding encoding);

} // namespace quillet

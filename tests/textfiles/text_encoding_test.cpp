// Whole texts from outside: the encoding recognised, the text decoded, and
// where a zero character ended it.
#include "textfiles/text_encoding.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct EncodingCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    std::string text;
    int endedAtLine = 0;
};

class DecodeOutsideTextTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(DecodeOutsideTextTest, RecognisesTheEncodingAndTheEnd)
{
    const OutsideText decoded = DecodeOutsideText(GetParam().bytes);
    EXPECT_EQ(TextEncodingName(decoded.encoding), TextEncodingName(GetParam().encoding));
    EXPECT_EQ(decoded.encoding, GetParam().encoding);
    EXPECT_EQ(decoded.text, GetParam().text);
    EXPECT_EQ(decoded.endedAtLine, GetParam().endedAtLine);
}

const std::string kUtf8Table = "图片名全称\t图片类别\t图片说明\r\n/p/a.jpg\t旅行\t海边日落\r\n";
// The same table in GBK.
const std::string kGbkTable = "\xCD\xBC\xC6\xAC\xC3\xFB\xC8\xAB\xB3\xC6\t\xCD\xBC\xC6\xAC\xC0\xE0"
                              "\xB1\xF0\t\xCD\xBC\xC6\xAC\xCB\xB5\xC3\xF7\r\n/p/a.jpg\t\xC2\xC3"
                              "\xD0\xD0\t\xBA\xA3\xB1\xDF\xC8\xD5\xC2\xE4\r\n";

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, DecodeOutsideTextTest,
    ::testing::Values(
        EncodingCase{"PureUtf8", kUtf8Table, TextEncoding::Utf8, kUtf8Table},
        EncodingCase{"PureGbk", kGbkTable, TextEncoding::Gb18030, kUtf8Table},
        // One Latin-1 byte must not send a UTF-8 table through GB18030.
        EncodingCase{"Utf8WithOneLatin1Byte", kUtf8Table + "/p/b.jpg\t旅行\tCaf\xE9\r\n",
                     TextEncoding::Utf8, kUtf8Table + "/p/b.jpg\t旅行\tCaf\uFFFD\r\n"},
        // 山水, 同学, 爷爷 in GBK are valid UTF-8 too (ɽˮ, ͬѧ, үү).
        EncodingCase{"GbkThatIsValidUtf8",
                     "path\tcaption\r\n/p/a.jpg\t\xC9\xBD\xCB\xAE\r\n/p/b.jpg\t\xCD\xAC\xD1\xA7\r\n"
                     "/p/c.jpg\t\xD2\xAF\xD2\xAF\r\n",
                     TextEncoding::Gb18030,
                     "path\tcaption\r\n/p/a.jpg\t山水\r\n/p/b.jpg\t同学\r\n/p/c.jpg\t爷爷\r\n"},
        EncodingCase{"AccentedLatinStaysUtf8", "a\tCafé Müller\r\n", TextEncoding::Utf8,
                     "a\tCafé Müller\r\n"},
        EncodingCase{"Ascii", "a\tb\r\n", TextEncoding::Utf8, "a\tb\r\n"},
        EncodingCase{"Empty", "", TextEncoding::Utf8, ""},
        EncodingCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF山水", TextEncoding::Utf8, "山水"},
        EncodingCase{"Utf16LittleEndian",
                     std::string("\xFF\xFE\x2D\x4E"
                                 "a\0\t\0",
                                 8),
                     TextEncoding::Utf16LittleEndian, "中a\t"},
        EncodingCase{"Utf16BigEndian", std::string("\xFE\xFF\x4E\x2D\0a", 6),
                     TextEncoding::Utf16BigEndian, "中a"},
        // Without a mark, told by the zero bytes of its ASCII characters.
        EncodingCase{"Utf16WithoutAMark",
                     std::string("a\0\t\0b\0\r\0\n\0/\0p\0/\0-\x4E\r\0\n\0", 22),
                     TextEncoding::Utf16LittleEndian, "a\tb\r\n/p/中\r\n"},
        // The junk after the end must not turn valid UTF-8 into GB18030.
        EncodingCase{"Utf8ThenJunk", std::string("中\0\xFF", 5), TextEncoding::Utf8, "中", 1},
        EncodingCase{"GbkThenZero", std::string("\xCD\xBC\xC6\xAC\r\n\xD6\xD0\0\xCE\xC4", 11),
                     TextEncoding::Gb18030, "图片\r\n中", 2},
        EncodingCase{"ZeroOnTheThirdLine", std::string("a\r\nb\rc\0d\ne", 10), TextEncoding::Utf8,
                     "a\r\nb\rc", 3},
        // Every ASCII character of UTF-16 holds a zero byte.
        EncodingCase{"Utf16ZeroCharacter",
                     std::string("\xFF\xFE"
                                 "a\0\n\0b\0\0\0c\0",
                                 12),
                     TextEncoding::Utf16LittleEndian, "a\nb", 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet

#include "textfiles/text_encoding.h"

#include "textfiles/convert.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

namespace quillet {
namespace {

// ICU gives every text without a byte-order mark a UTF-16 confidence of 10
// and raises it only for zero bytes where UTF-16 puts them.
constexpr int32_t kUtf16Confidence = 50;

std::optional<TextEncoding> EncodingNamed(std::string_view name)
{
    if (name == "UTF-8")
        return TextEncoding::Utf8;
    if (name == "UTF-16LE")
        return TextEncoding::Utf16LittleEndian;
    if (name == "UTF-16BE")
        return TextEncoding::Utf16BigEndian;
    if (name == "GB18030")
        return TextEncoding::Gb18030;
    return std::nullopt;
}

bool IsUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LittleEndian || encoding == TextEncoding::Utf16BigEndian;
}

// The most likely of the three encodings by ICU, nothing when ICU finds
// none of them likely at all.
std::optional<TextEncoding> IcuDetection(std::string_view bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status),
                                                                              &ucsdet_close);
    if (U_FAILURE(status))
        return std::nullopt;
    const auto length = static_cast<int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX));
    ucsdet_setText(detector.get(), bytes.data(), length, &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    // Best first.
    for (int32_t i = 0; i < count; ++i) {
        const char* name = ucsdet_getName(matches[i], &status);
        const int32_t confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_FAILURE(status) || !name || confidence <= 0)
            return std::nullopt;
        const std::optional<TextEncoding> encoding = EncodingNamed(name);
        if (encoding && (!IsUtf16(*encoding) || confidence >= kUtf16Confidence))
            return encoding;
    }
    return std::nullopt;
}

bool IsAscii(unsigned char byte)
{
    return byte < 0x80;
}

// Valid UTF-8 that GBK wrote: every non-ASCII byte pair is a two-byte UTF-8
// character and a GB2312 Chinese character (lead 0xB0..0xF7, trail
// 0xA1..0xFE) at once, and the UTF-8 reading is not just accented Latin
// letters (é is C3 A9, a Chinese character too).
bool ReadsBetterAsGbk(std::string_view bytes)
{
    bool anyPair = false;
    bool onlyLatinLetters = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (IsAscii(lead))
            continue;
        if (i + 1 == bytes.size())
            return false;
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        const bool utf8Pair = lead >= 0xC2 && lead <= 0xDF && trail >= 0x80 && trail <= 0xBF;
        const bool gb2312Hanzi = lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
        if (!utf8Pair || !gb2312Hanzi)
            return false;
        const int codePoint = ((lead & 0x1F) << 6) | (trail & 0x3F);
        onlyLatinLetters = onlyLatinLetters && codePoint >= 0xC0 && codePoint <= 0x24F;
        anyPair = true;
    }
    return anyPair && !onlyLatinLetters;
}

int LineOfEnd(std::string_view text)
{
    int line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

} // namespace

std::string_view TextEncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian: return "UTF-16";
    case TextEncoding::Gb18030: return "GBK";
    }
    return {};
}

TextEncoding DetectTextEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (bytes.starts_with("\xFF\xFE"))
        return TextEncoding::Utf16LittleEndian;
    if (bytes.starts_with("\xFE\xFF"))
        return TextEncoding::Utf16BigEndian;
    const bool validUtf8 = IsValidUtf8(bytes);
    const TextEncoding detected =
        IcuDetection(bytes).value_or(validUtf8 ? TextEncoding::Utf8 : TextEncoding::Gb18030);
    if (detected == TextEncoding::Utf8 && validUtf8 && ReadsBetterAsGbk(bytes))
        return TextEncoding::Gb18030;
    return detected;
}

OutsideText EndAtZero(std::string text, TextEncoding encoding)
{
    OutsideText result{std::move(text), encoding, 0};
    if (const std::size_t end = result.text.find('\0'); end != std::string::npos) {
        result.text.resize(end);
        result.endedAtLine = LineOfEnd(result.text);
    }
    return result;
}

OutsideText DecodeOutsideText(std::string_view bytes)
{
    const TextEncoding whole = DetectTextEncoding(bytes);
    if (IsUtf16(whole)) {
        // Every ASCII character of UTF-16 holds a zero byte: the end is
        // looked for after decoding.
        if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
            bytes.remove_prefix(2);
        const auto byteOrder = whole == TextEncoding::Utf16LittleEndian ? QStringConverter::Utf16LE
                                                                        : QStringConverter::Utf16BE;
        return EndAtZero(Utf16ToUtf8(bytes, byteOrder), whole);
    }
    // UTF-8 and GBK never hold a zero byte inside a character; cutting first
    // keeps the bytes after the end from deciding the encoding.
    const std::size_t end = bytes.find('\0');
    const std::string_view kept = bytes.substr(0, end);
    const TextEncoding encoding = end == std::string_view::npos ? whole : DetectTextEncoding(kept);
    std::string text =
        encoding == TextEncoding::Gb18030 ? Gb18030ToUtf8(kept) : Utf8WithoutByteOrderMark(kept);
    OutsideText result{std::move(text), encoding, 0};
    if (end != std::string_view::npos)
        result.endedAtLine = LineOfEnd(result.text);
    return result;
}

} // namespace quillet

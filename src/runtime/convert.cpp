#include "runtime/convert.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iconv.h>
#include <locale.h>
#include <memory>
#include <optional>

namespace quillet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

std::string FormatGeneral(double value, int precision)
{
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::general, precision);
    if (error != std::errc())
        return {};
    return std::string(buffer.data(), end);
}

bool IsAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The C locale, so that a user locale with a decimal comma cannot change how
// "1.5" is read.
locale_t ClassicLocale()
{
    struct Holder {
        locale_t handle = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        ~Holder()
        {
            if (handle)
                freelocale(handle);
        }
    };
    static const Holder holder;
    return holder.handle;
}

// The code point of the three-byte UTF-8 sequence at the index, or 0.
char32_t ThreeByteCodePointAt(std::string_view text, std::size_t index)
{
    if (index + 2 >= text.size())
        return 0;
    const auto b0 = static_cast<unsigned char>(text[index]);
    const auto b1 = static_cast<unsigned char>(text[index + 1]);
    const auto b2 = static_cast<unsigned char>(text[index + 2]);
    if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80)
        return 0;
    return static_cast<char32_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
}

char AsciiTwin(char32_t codePoint)
{
    if (codePoint >= 0xFF01 && codePoint <= 0xFF5E)
        return static_cast<char>(codePoint - 0xFF01 + 0x21);
    switch (codePoint) {
    case 0x3000: return ' ';
    case 0x2605:
    case 0x2606: return '*';
    case 0xFFE5: return '$';
    case 0xFFE3: return '~';
    default: return '\0';
    }
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// The byte order a UTF-16 text announces with its byte-order mark.
std::optional<QStringConverter::Encoding> Utf16ByteOrder(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (bytes.starts_with("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

// Converts with iconv; a sequence the source encoding cannot hold becomes
// the replacement (U+FFFD in UTF-8, "?" otherwise) and conversion goes on.
std::string Recode(std::string_view bytes, const char* from, const char* to,
                   std::string_view replacement)
{
    const auto opened = iconv_open(to, from);
    if (opened == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    const IconvHandle converter(opened);

    std::string result;
    std::string chunk(4096, '\0');
    char* in = const_cast<char*>(bytes.data()); // iconv's signature; it never writes there
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t status =
            iconv(static_cast<iconv_t>(converter.get()), &in, &inLeft, &out, &outLeft);
        result.append(chunk.data(), chunk.size() - outLeft);
        if (status != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // An invalid or cut-off sequence: mark it and go on with the next byte.
        result += replacement;
        ++in;
        --inLeft;
    }
    return result;
}

std::string Gb18030ToUtf8(std::string_view bytes)
{
    return Recode(bytes, "GB18030", "UTF-8", kReplacementCharacter);
}

} // namespace

std::string ToText(int value)
{
    return std::to_string(value);
}

std::string ToText(double value)
{
    return FormatGeneral(value, 13);
}

double ToNumber(std::string_view text)
{
    const std::string ascii = FullWidthToAscii(text);
    std::size_t i = 0;
    while (i < ascii.size() && IsAsciiSpace(ascii[i]))
        ++i;
    const std::size_t begin = i;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; i < ascii.size() && IsDigit(ascii[i]); ++i)
        ++digits;
    if (i < ascii.size() && ascii[i] == '.')
        for (++i; i < ascii.size() && IsDigit(ascii[i]); ++i)
            ++digits;
    if (digits == 0)
        return 0.0;
    if (i < ascii.size() && (ascii[i] == 'e' || ascii[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < ascii.size() && (ascii[j] == '+' || ascii[j] == '-'))
            ++j;
        if (j < ascii.size() && IsDigit(ascii[j])) {
            while (j < ascii.size() && IsDigit(ascii[j]))
                ++j;
            i = j;
        }
    }
    // Only a plain decimal number reaches strtod: no "inf", "nan" or hex.
    const std::string number = ascii.substr(begin, i - begin);
    return strtod_l(number.c_str(), nullptr, ClassicLocale());
}

int ToInteger(std::string_view text)
{
    const std::string ascii = FullWidthToAscii(text);
    std::size_t i = 0;
    while (i < ascii.size() && IsAsciiSpace(ascii[i]))
        ++i;
    bool negative = false;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-'))
        negative = ascii[i++] == '-';
    std::int64_t magnitude = 0;
    constexpr std::int64_t kBeyondRange = std::int64_t{INT_MAX} + 2;
    for (; i < ascii.size() && IsDigit(ascii[i]); ++i)
        magnitude = std::min(magnitude * 10 + (ascii[i] - '0'), kBeyondRange);
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

int TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

std::string FullWidthToAscii(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const char twin = AsciiTwin(ThreeByteCodePointAt(text, i)); twin != '\0') {
            result += twin;
            i += 3;
        } else {
            result += text[i++];
        }
    }
    return result;
}

std::string ToUtf8FromOutside(std::string_view bytes)
{
    if (const std::optional<QStringConverter::Encoding> utf16 = Utf16ByteOrder(bytes)) {
        bytes.remove_prefix(2);
        // The mark is gone already; a second one would be text.
        QStringDecoder decoder(*utf16, QStringConverter::Flag::ConvertInitialBom);
        const QString text =
            decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        return text.toStdString();
    }
    if (QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8()) {
        if (bytes.starts_with(kByteOrderMark))
            bytes.remove_prefix(kByteOrderMark.size());
        return std::string(bytes);
    }
    return Gb18030ToUtf8(bytes);
}

std::string TextFromOutside(std::string_view bytes)
{
    // In UTF-16 every ASCII character carries a zero byte, so the end is
    // looked for after decoding; GBK and UTF-8 never use a zero byte inside a
    // character, and cutting first keeps bytes after the end from deciding
    // the encoding.
    std::string text = Utf16ByteOrder(bytes) ? ToUtf8FromOutside(bytes)
                                             : ToUtf8FromOutside(bytes.substr(0, bytes.find('\0')));
    if (const std::size_t end = text.find('\0'); end != std::string::npos)
        text.resize(end);
    return text;
}

std::string ToGb18030FromUtf8(std::string_view text)
{
    return Recode(text, "UTF-8", "GB18030", "?");
}

} // namespace quillet

#include "textfiles/convert.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <optional>

namespace quillet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// The byte order a UTF-16 text announces with its byte-order mark.
std::optional<QStringConverter::Encoding> Utf16ByteOrder(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (bytes.starts_with("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QByteArrayView View(std::string_view bytes)
{
    return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

constexpr char kGb18030[] = "GB18030";

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

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsValidUtf8(std::string_view bytes)
{
    return View(bytes).isValidUtf8();
}

std::string ToUtf8FromOutside(std::string_view bytes)
{
    if (const std::optional<QStringConverter::Encoding> utf16 = Utf16ByteOrder(bytes))
        return Utf16ToUtf8(bytes.substr(2), *utf16);
    if (IsValidUtf8(bytes))
        return Utf8WithoutByteOrderMark(bytes);
    return Gb18030ToUtf8(bytes);
}

std::string Utf8WithoutByteOrderMark(std::string_view bytes)
{
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    if (View(bytes).isValidUtf8())
        return std::string(bytes);
    return QString::fromUtf8(View(bytes)).toStdString();
}

std::string Utf16ToUtf8(std::string_view bytes, QStringConverter::Encoding byteOrder)
{
    // Any byte-order mark is gone already; a second one would be text.
    QStringDecoder decoder(byteOrder, QStringConverter::Flag::ConvertInitialBom);
    return QString(decoder(View(bytes))).toStdString();
}

std::string Gb18030ToUtf8(std::string_view bytes)
{
    // ICU holds a sequence cut off at the end back, waiting for the rest; a
    // line end, never part of a GB18030 character, makes it a U+FFFD.
    QByteArray input(bytes.data(), static_cast<qsizetype>(bytes.size()));
    input += '\n';
    QStringDecoder decoder(kGb18030);
    QString text = decoder(input);
    text.chop(1);
    return text.toStdString();
}

std::string ToGb18030FromUtf8(std::string_view text)
{
    QStringEncoder encoder(kGb18030);
    const QByteArray bytes = encoder(QString::fromUtf8(View(text)));
    return bytes.toStdString();
}

} // namespace quillet

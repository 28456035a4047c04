#include "runtime/text.h"

#include <algorithm>
#include <climits>

namespace quillet {
namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

char LowerAsciiByte(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperAsciiByte(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameByte(char a, char b, bool ignoreCase)
{
    return ignoreCase ? LowerAsciiByte(a) == LowerAsciiByte(b) : a == b;
}

bool MatchesAt(std::string_view text, std::size_t index, std::string_view sought, bool ignoreCase)
{
    if (sought.size() > text.size() - index)
        return false;
    for (std::size_t k = 0; k < sought.size(); ++k)
        if (!SameByte(text[index + k], sought[k], ignoreCase))
            return false;
    return true;
}

int ToPosition(std::size_t index)
{
    return static_cast<int>(index + 1);
}

} // namespace

int TextLength(std::string_view text)
{
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

std::string LeftPart(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string RightPart(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(n), text.size());
    return std::string(text.substr(text.size() - count));
}

std::string MiddlePart(std::string_view text, int start, int n)
{
    if (n <= 0 || start < 1 || static_cast<std::size_t>(start) > text.size())
        return {};
    return std::string(
        text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

int FindText(std::string_view text, std::string_view sought, int start, bool ignoreCase)
{
    if (text.empty())
        return -1;
    if (sought.empty())
        return 1;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size())
        return -1;
    if (!ignoreCase) {
        const std::size_t found = text.find(sought, from);
        return found == std::string_view::npos ? -1 : ToPosition(found);
    }
    for (std::size_t i = from; i + sought.size() <= text.size(); ++i)
        if (MatchesAt(text, i, sought, true))
            return ToPosition(i);
    return -1;
}

int FindTextFromEnd(std::string_view text, std::string_view sought, std::optional<int> end,
                    bool ignoreCase)
{
    if (text.empty())
        return -1;
    if (sought.empty())
        return 1;
    std::size_t limit = text.size();
    if (end) {
        if (*end <= 1)
            return -1;
        limit = std::min<std::size_t>(limit, static_cast<std::size_t>(*end) - 1);
    }
    if (sought.size() > limit)
        return -1;
    for (std::size_t i = limit - sought.size() + 1; i-- > 0;)
        if (MatchesAt(text, i, sought, ignoreCase))
            return ToPosition(i);
    return -1;
}

std::string ToUpperAscii(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), UpperAsciiByte);
    return result;
}

std::string ToLowerAscii(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerAsciiByte);
    return result;
}

std::string TrimBoth(std::string_view text)
{
    for (;;) {
        if (text.starts_with(' '))
            text.remove_prefix(1);
        else if (text.starts_with(kIdeographicSpace))
            text.remove_prefix(kIdeographicSpace.size());
        else
            break;
    }
    for (;;) {
        if (text.ends_with(' '))
            text.remove_suffix(1);
        else if (text.ends_with(kIdeographicSpace))
            text.remove_suffix(kIdeographicSpace.size());
        else
            break;
    }
    return std::string(text);
}

std::size_t CharacterLengthAt(std::string_view text, std::size_t index)
{
    const auto lead = static_cast<unsigned char>(text[index]);
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < expected && index + length < text.size()
           && (static_cast<unsigned char>(text[index + length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

std::string ReplaceSubstring(std::string_view text, std::string_view sought,
                             std::string_view replacement, int start, int count, bool caseSensitive)
{
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (text.empty() || sought.empty() || count == 0 || from >= text.size())
        return std::string(text);

    std::string result(text.substr(0, from));
    result.reserve(text.size());
    int replaced = 0;
    std::size_t i = from;
    while (i < text.size()) {
        if (count >= 0 && replaced >= count) {
            result += text.substr(i);
            break;
        }
        if (MatchesAt(text, i, sought, !caseSensitive)) {
            result += replacement;
            i += sought.size();
            ++replaced;
            continue;
        }
        const std::size_t step = CharacterLengthAt(text, i);
        result += text.substr(i, step);
        i += step;
    }
    return result;
}

std::string Spaces(int n)
{
    return n < 1 ? std::string() : std::string(static_cast<std::size_t>(n), ' ');
}

std::string Character(int code)
{
    const auto byte = static_cast<char>(code & 0xFF);
    return byte == '\0' ? std::string() : std::string(1, byte);
}

int CharacterCode(std::string_view text, int position)
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size())
        return 0;
    return static_cast<unsigned char>(text[static_cast<std::size_t>(position) - 1]);
}

} // namespace quillet

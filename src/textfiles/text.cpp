#include "textfiles/text.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

char LowerAsciiByte(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

} // namespace

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

} // namespace quillet

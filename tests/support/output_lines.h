#pragma once
// The lines a command printed, without their line ends.

#include <string>
#include <vector>

namespace quillet::testing {

inline std::vector<std::string> OutputLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace quillet::testing

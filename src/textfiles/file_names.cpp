#include "textfiles/file_names.h"

#include "textfiles/convert.h"
#include "textfiles/files.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace quillet {
namespace {} // namespace

std::string DisplayName(std::string_view name)
{
    return ToUtf8FromOutside(name);
}

std::string DisplayPath(std::string_view path)
{
    if (IsValidUtf8(path))
        return std::string(path);
    std::string shown;
    shown.reserve(path.size() + path.size() / 2);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        shown += ToUtf8FromOutside(path.substr(start, slash - start));
        if (slash < path.size())
            shown += '/';
        start = slash + 1;
    }
    return shown;
}

std::string AbsolutePath(std::string_view path)
{
    std::string full;
    if (!path.starts_with('/')) {
        // getcwd(nullptr, 0) allocates a buffer as long as the folder needs.
        const std::unique_ptr<char, decltype(&std::free)> folder(getcwd(nullptr, 0), &std::free);
        if (folder)
            full = folder.get();
        full += '/';
    }
    full += path;

    std::vector<std::string_view> names;
    std::string_view rest = full;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view name = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
            continue;
        }
        names.push_back(name);
    }
    std::string clean;
    for (const std::string_view name : names)
        clean.append("/").append(name);
    return clean.empty() ? "/" : clean;
}

std::string ExistingSpelling(const std::string& path)
{
    if (path.empty() || FileExists(path) || !IsValidUtf8(path))
        return path;
    std::string gbk = ToGb18030FromUtf8(path);
    return gbk != path && FileExists(gbk) ? gbk : path;
}

} // namespace quillet

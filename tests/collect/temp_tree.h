#pragma once
// A folder tree made on the real file system for one test, removed after it.

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace quillet::testing {

class TempTree {
public:
    TempTree() : root_(dir_.path().toStdString()) {}
    // Qt cannot remove names that are not UTF-8; this can, before Qt tries.
    ~TempTree()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The tree's root folder, without a trailing "/".
    const std::string& Root() const { return root_; }
    std::string Path(std::string_view relative) const
    {
        return root_ + "/" + std::string(relative);
    }

    // Creates an (empty unless given) file, with its folders.
    void File(std::string_view relative, std::string_view content = "") const
    {
        const std::filesystem::path path = Path(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    void Folder(std::string_view relative) const
    {
        std::filesystem::create_directories(Path(relative));
    }

    void Link(std::string_view relative, std::string_view target) const
    {
        std::filesystem::create_directory_symlink(target, Path(relative));
    }

private:
    QTemporaryDir dir_;
    std::string root_;
};

} // namespace quillet::testing

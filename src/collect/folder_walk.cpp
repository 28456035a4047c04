#include "collect/folder_walk.h"

#include "collect/mount_table.h"
#include "textfiles/file_names.h"
#include "textfiles/files.h"
#include "textfiles/name_order.h"
#include "textfiles/text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

namespace quillet {
namespace {

// What a listed entry is, as far as the walk cares.  Links are resolved only
// when the answer matters, so a plain folder of pictures costs no stat calls.
enum class EntryKind { File, Folder, FolderLink };

EntryKind KindOf(const std::string& fullPath, unsigned char listedType)
{
    if (listedType == DT_DIR)
        return EntryKind::Folder;
    if (listedType != DT_LNK && listedType != DT_UNKNOWN)
        return EntryKind::File;
    struct stat own {};
    if (lstat(fullPath.c_str(), &own) != 0)
        return EntryKind::File;
    if (S_ISDIR(own.st_mode))
        return EntryKind::Folder;
    if (!S_ISLNK(own.st_mode))
        return EntryKind::File;
    struct stat target {};
    // A dangling link is no folder; it is listed like any other file.
    if (stat(fullPath.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
        return EntryKind::FolderLink;
    return EntryKind::File;
}

bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

std::string WithoutTrailingSlash(std::string_view folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return std::string(folder);
}

struct PendingFolder {
    std::string parentPath;
    std::string name;
    FolderAccess access = FolderAccess::Walk;
};

// What one folder holds, as far as the walk cares: names as raw bytes.
struct FolderListing {
    std::vector<std::string> pictures;
    std::vector<std::string> subfolders;
};

// Reads one folder's pictures and (when asked) its sub-folders; errno's
// reason when the folder cannot be opened or listed to its end, 0 when it
// was.
int ListFolder(const std::string& folder, bool includeSubfolders, FolderListing& listing)
{
    listing.pictures.clear();
    listing.subfolders.clear();
    DirectoryHandle directory = OpenDirectory(folder);
    if (!directory)
        return errno;
    std::string entryPath;
    while (true) {
        // readdir tells an error from the end only through errno.
        errno = 0;
        const dirent* entry = readdir(directory.get());
        if (!entry)
            return errno;
        const std::string_view name = entry->d_name;
        if (IsDotEntry(name))
            continue;
        const bool maybePicture = IsPictureExtension(SplitPictureName(name).extension);
        if (!maybePicture && !includeSubfolders)
            continue;
        // A link is never walked into, so only a picture's link needs a look.
        if (!maybePicture && entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;
        entryPath.assign(folder).append(name);
        const EntryKind kind = KindOf(entryPath, entry->d_type);
        if (kind == EntryKind::File) {
            if (maybePicture)
                listing.pictures.emplace_back(name);
        } else if (kind == EntryKind::Folder && includeSubfolders) {
            listing.subfolders.emplace_back(name);
        }
    }
}

} // namespace

std::string JoinFolderPath(std::string_view parentPath, std::string_view folderName)
{
    std::string joined;
    joined.reserve(parentPath.size() + folderName.size() + 2);
    auto appendCollapsed = [&joined](std::string_view part) {
        for (char c : part)
            if (c != '/' || joined.empty() || joined.back() != '/')
                joined.push_back(c);
    };
    appendCollapsed(parentPath);
    appendCollapsed("/");
    appendCollapsed(folderName);
    appendCollapsed("/");
    return joined;
}

SearchStart SplitSearchStart(std::string_view chosenFolder)
{
    // Append one slash, collapse doubled ones, drop the last character: the
    // chosen folder without its trailing slash ("/" becomes empty).
    std::string normalised = JoinFolderPath(chosenFolder, "");
    normalised.pop_back();
    const std::size_t lastSlash = normalised.rfind('/');
    if (lastSlash == std::string::npos)
        return {normalised, ""};
    return {normalised.substr(0, lastSlash), normalised.substr(lastSlash + 1)};
}

PictureNameParts SplitPictureName(std::string_view fileName)
{
    // A UTF-8 continuation byte is never '.', so a byte search from the end
    // never splits a character.
    const std::size_t lastDot = fileName.rfind('.');
    if (lastDot == std::string_view::npos)
        return {"", std::string(fileName)};
    return {std::string(fileName.substr(0, lastDot)), std::string(fileName.substr(lastDot + 1))};
}

bool IsPictureExtension(std::string_view extension)
{
    const std::string lower = ToLowerAscii(extension);
    for (const char* known : kPictureExtensions)
        if (lower == known)
            return true;
    return false;
}

FoundPicture FoundPictureAt(const std::string& absolutePath, int number)
{
    const std::size_t slash = absolutePath.rfind('/');
    const std::string_view folder = std::string_view(absolutePath).substr(0, slash);
    const std::string_view folderName = folder.substr(folder.rfind('/') + 1);
    return {
        number, absolutePath, DisplayName(folderName),
        DisplayName(SplitPictureName(std::string_view(absolutePath).substr(slash + 1)).caption)};
}

FolderWalkResult SearchFolder(std::string_view parentPath, std::string_view folderName,
                              bool includeSubfolders, const FolderWalkCallbacks& callbacks)
{
    // Without sub-folders nothing below the chosen folder is entered, and
    // the mount table need not be read.
    return SearchFolderWithin(parentPath, folderName, includeSubfolders, callbacks,
                              includeSubfolders ? WalkBoundaries::OfThisMachine()
                                                : WalkBoundaries());
}

FolderWalkResult SearchFolderWithin(std::string_view parentPath, std::string_view folderName,
                                    bool includeSubfolders, const FolderWalkCallbacks& callbacks,
                                    const WalkBoundaries& boundaries)
{
    FolderWalkResult result;

    // An explicit stack instead of recursion: a deep tree cannot exhaust the
    // call stack, and no directory stays open while its sub-folders are
    // walked.  Sub-folders are pushed in reverse, so they pop in name order.
    std::vector<PendingFolder> pending;
    pending.push_back({std::string(parentPath), std::string(folderName), FolderAccess::Walk});
    FolderListing listing;

    while (!pending.empty()) {
        const PendingFolder current = std::move(pending.back());
        pending.pop_back();

        const std::string folder = JoinFolderPath(current.parentPath, current.name);
        if (callbacks.enteringFolder)
            callbacks.enteringFolder(folder);
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            result.stopped = true;
            break;
        }
        if (const int error = ListFolder(folder, includeSubfolders, listing); error != 0) {
            // A folder only passed through holds no pictures of the walk.
            if (current.access == FolderAccess::Walk) {
                ++result.unreadableFolders;
                if (callbacks.folderUnreadable)
                    callbacks.folderUnreadable(folder, error);
            }
            continue;
        }

        // A folder passed through on the way to a volume is no user data.
        if (current.access == FolderAccess::Walk) {
            SortNames(listing.pictures);
            const std::string category = DisplayName(current.name);
            for (const std::string& name : listing.pictures) {
                ++result.pictureCount;
                std::string caption = DisplayName(SplitPictureName(name).caption);
                if (callbacks.picture)
                    callbacks.picture(
                        {result.pictureCount, folder + name, category, std::move(caption)});
            }
        }

        SortNames(listing.subfolders);
        for (auto it = listing.subfolders.rbegin(); it != listing.subfolders.rend(); ++it) {
            const FolderAccess access =
                boundaries.SubfolderAccess(WithoutTrailingSlash(folder + *it), current.access);
            if (access != FolderAccess::Skip)
                pending.push_back({folder, std::move(*it), access});
        }
    }
    return result;
}

FolderWalkResult WalkChosenFolder(std::string_view chosenFolder, bool includeSubfolders,
                                  const FolderWalkCallbacks& callbacks)
{
    const SearchStart start = SplitSearchStart(chosenFolder);
    return SearchFolder(start.parentPath, start.folderName, includeSubfolders, callbacks);
}

} // namespace quillet

#pragma once
// The folder search as plain logic: walks a folder (and, when asked, every
// folder below it) depth first and hands each picture it finds to a sink.
// The result list of the main window is one sink; anything else that wants
// the same rows in the same order (a command without windows) is another.

#include <functional>
#include <string>
#include <string_view>

namespace quillet {

class WalkBoundaries;

// One picture as the search reports it.  The path keeps the bytes of the
// directory entries, so that it opens whatever the names' encoding; the
// category and caption are for people to read (UTF-8, GBK names decoded).
struct FoundPicture {
    int number = 0; // 1-based, in the order the walk finds pictures
    std::string path; // folder path with its trailing "/" + file name
    std::string category; // name of the folder that directly holds the file
    std::string caption; // file name without its extension
};

struct FolderWalkCallbacks {
    // Receives every picture, in walk order.
    std::function<void(const FoundPicture&)> picture;
    // Called each time the walk enters a folder, before the stop flag is
    // read: the place to pump window messages (so a stop button works).
    std::function<void(const std::string& folder)> enteringFolder;
    // Polled each time the walk enters a folder.
    std::function<bool()> stopRequested;
    // Told of each folder the walk could not list whole (no permission, a
    // path past the system's limit, a read error), with errno's reason; its
    // pictures and sub-folders are missing from the walk.
    std::function<void(const std::string& folder, int error)> folderUnreadable;
};

struct FolderWalkResult {
    int pictureCount = 0;
    bool stopped = false;
    int unreadableFolders = 0; // folders not listed whole, each told
};

// The chosen folder split as the search starts: "/a/Photos/" and
// "/a/Photos" give parent "/a" and name "Photos"; "/" (and the empty text)
// gives an empty parent and an empty name, the root folder, whose own files
// have an empty category.
struct SearchStart {
    std::string parentPath;
    std::string folderName;
};
SearchStart SplitSearchStart(std::string_view chosenFolder);

// parent + "/" + name + "/" with every run of slashes made one.
std::string JoinFolderPath(std::string_view parentPath, std::string_view folderName);

// A file name split at its last ".": the caption before it, the extension
// after it.  A name without "." has an empty caption and is all extension.
struct PictureNameParts {
    std::string caption;
    std::string extension;
};
PictureNameParts SplitPictureName(std::string_view fileName);

// The extensions of the files a search lists and the command takes, in
// lower case.
inline constexpr const char* kPictureExtensions[] = {"jpg",  "jpeg", "bmp",  "gif",  "png", "tif",
                                                     "tiff", "webp", "heic", "heif", "avif"};

// True for the picture extensions in any letter case (ASCII letters only).
bool IsPictureExtension(std::string_view extension);

// A picture named by its absolute path, described as a search that found it
// would: its folder's name the category, its name without the extension
// the caption (both decoded for reading), the path's bytes kept.
FoundPicture FoundPictureAt(const std::string& absolutePath, int number);

// Walks the folder named by parent path and folder name: its own pictures
// first, then (when includeSubfolders) each sub-folder with everything below
// it; pictures and sub-folders each in name order (runtime/name_order).
// Symbolic links to folders are never followed and pseudo file systems
// (proc, sysfs, devices, the run-time state under /run) are not entered, so
// a walk always ends; volumes mounted below them are reached all the same.
// A folder that cannot be read is skipped, and told.
FolderWalkResult SearchFolder(std::string_view parentPath, std::string_view folderName,
                              bool includeSubfolders, const FolderWalkCallbacks& callbacks);

// SearchFolder within the given boundaries; SearchFolder uses this
// machine's mount table.  The starting folder itself is always walked:
// whoever chose it meant it.
FolderWalkResult SearchFolderWithin(std::string_view parentPath, std::string_view folderName,
                                    bool includeSubfolders, const FolderWalkCallbacks& callbacks,
                                    const WalkBoundaries& boundaries);

// The whole search over a chosen folder: SplitSearchStart, then SearchFolder.
FolderWalkResult WalkChosenFolder(std::string_view chosenFolder, bool includeSubfolders,
                                  const FolderWalkCallbacks& callbacks);

} // namespace quillet

#pragma once
// Why a picture file gave no picture, or not its true colours.  A page keeps
// the cell of a picture that did not load empty, and draws one whose colour
// profile could not be used with its numbers as stored; a caller that wants
// to tell someone (the command without windows names every such file)
// listens while its pages are made.  The loader reports from worker threads
// too, so listening is serialised.

#include <functional>
#include <string>

namespace quillet {

enum class PictureLoadProblem {
    Missing, // no such file
    NotAFile, // a folder, device or the like
    Unreadable, // no permission, or a read error
    Damaged, // not a picture the program reads, or cut off or corrupt
    TooLarge, // its declared size is refused before any memory is taken
    FileTooLarge, // the file is larger than any picture taken (kMaxPictureFileBytes)
    OutOfMemory, // a picture the program takes, but memory ran out decoding it
    // The picture loaded, but its colour profile is cut off, corrupt,
    // absurd or refused by LittleCMS, so its colours are shown unconverted.
    UnusableColourProfile,
};

using PictureLoadListener =
    std::function<void(const std::string& path, PictureLoadProblem problem)>;

// Hears of every picture that fails to load while it lives; calls come one
// at a time, from whatever thread loaded the picture.  One listener at a
// time: a second one replaces the first until it ends.
class PictureLoadProblemWatch {
public:
    explicit PictureLoadProblemWatch(PictureLoadListener listener);
    ~PictureLoadProblemWatch();
    PictureLoadProblemWatch(const PictureLoadProblemWatch&) = delete;
    PictureLoadProblemWatch& operator=(const PictureLoadProblemWatch&) = delete;

private:
    PictureLoadListener previous_;
};

// Called by the loader.
void ReportPictureLoadProblem(const std::string& path, PictureLoadProblem problem);

} // namespace quillet

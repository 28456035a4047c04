#pragma once
// The program's one way of writing a file: the bytes go to a temporary file
// beside the target, which takes its final name only once it is complete and
// on disk.  A failed or interrupted write never leaves a partial file under
// the real name, and never spoils the file that was there.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace quillet {

class PendingFile {
public:
    // Creates the temporary file, empty, in the target's folder (a hidden
    // name made from the target's); IsOpen is false when the folder takes none.
    explicit PendingFile(const std::string& target);
    // Removes the temporary file unless it was put in place.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Where a writer that opens files by name (the PDF engine) writes.
    const std::string& TemporaryPath() const { return temporary_; }

    // Appends the bytes; a failed write makes every later step fail too.
    bool Write(std::span<const std::uint8_t> bytes);

    // Puts the file under the target's name, replacing what is there.
    bool Replace();

    struct Placed {
        int number = 0;
        std::string name;
    };
    // Puts the file under the first of name(1), name(2), ... that no entry
    // has, each claimed atomically: a name another process takes at the same
    // moment is never overwritten, the next one is taken instead.  The name
    // it got, or nothing when the file could not be written.
    std::optional<Placed> PlaceUnderFreeName(const std::function<std::string(int)>& name);

    // Everything written is on disk and the file closed: false on any error,
    // including one that a writer filling the file by name did not see.
    // Placing the file finishes it first.
    bool Finish();

    // The target's name for number 1, then "stem_2.ext", "stem_3.ext", ...
    // ("stem-2.ext" with separator '-').
    static std::string NumberedName(const std::string& target, int number, char separator);

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool failed_ = false;
    bool finished_ = false;
    bool placed_ = false;
};

} // namespace quillet

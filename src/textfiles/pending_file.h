#pragma once
// The program's one way of writing a file: the bytes go to an unnamed file
// in the target's folder (O_TMPFILE), which takes its final name only once it
// is complete and on disk.  A failed or interrupted write, even one ended by
// SIGKILL, leaves nothing behind and never spoils the file that was there.
// Where the file system has no unnamed files, a hidden temporary name beside
// the target stands in, removed on failure and on SIGINT, SIGTERM, SIGHUP
// and SIGQUIT.

#include "textfiles/signal_cleanup.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace quillet {

// How an attempt to give the file a name ended.
enum class NameClaim { Placed, Taken, Failed };

class PendingFile {
public:
    // Creates the temporary file, empty, in the target's folder; IsOpen is
    // false when the folder takes none.
    explicit PendingFile(const std::string& target);
    // Removes the temporary file unless it was put in place.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Where a writer that opens files by name (the PDF engine) writes, and
    // a reader reads it back: /proc/self/fd/N of the unnamed file.
    const std::string& TemporaryPath() const { return temporary_; }
    // errno's reason for the first step that failed; 0 while none has.
    int Error() const { return error_; }

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

    // Everything written is on disk: false on any error, including one that
    // a writer filling the file by name did not see.  Placing the file
    // finishes it first; an unnamed file stays open until it is placed.
    bool Finish();

    // The target's name for number 1, then "stem_2.ext", "stem_3.ext", ...
    // ("stem-2.ext" with separator '-').
    static std::string NumberedName(const std::string& target, int number, char separator);

private:
    void Fail(int error);
    NameClaim ClaimAs(const std::string& name);

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool unnamed_ = false;
    SignalCleanUp cleanUp_; // the named temporary, removed on a signal
    int error_ = 0;
    bool failed_ = false;
    bool finished_ = false;
    bool placed_ = false;
};

} // namespace quillet

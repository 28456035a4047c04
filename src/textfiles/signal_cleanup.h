#pragma once
// A temporary file that the usual ways of stopping a program (Ctrl-C,
// SIGTERM, a closed terminal, SIGQUIT) remove before the process ends.
// Only for files that must have a name while they are written; nothing can
// remove a file after SIGKILL, which is why such files are the exception.

#include <string>

namespace quillet {

class SignalCleanUp {
public:
    SignalCleanUp() = default;
    // Removes path if one of those signals ends the process while this lives.
    explicit SignalCleanUp(const std::string& path);
    ~SignalCleanUp();
    SignalCleanUp(SignalCleanUp&& other) noexcept;
    SignalCleanUp& operator=(SignalCleanUp&& other) noexcept;

private:
    int slot_ = -1;
};

} // namespace quillet

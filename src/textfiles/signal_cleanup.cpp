#include "textfiles/signal_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace quillet {
namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The paths, reachable from a signal handler without a lock: each slot holds
// a path of its own (made before it is published) or nothing.  More files
// being written at once than slots only go without the clean-up.
std::array<std::atomic<char*>, 64> paths{};
std::array<struct sigaction, kSignals.size()> previous{};

// Only async-signal-safe calls: unlink, sigaction, raise.
void RemoveAndPassOn(int signal)
{
    for (std::atomic<char*>& slot : paths)
        if (const char* path = slot.load())
            ::unlink(path);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        if (kSignals[i] == signal)
            ::sigaction(signal, &previous[i], nullptr);
    // Whatever the signal would have done without us (ending the process,
    // or a handler of the program's own) happens now.
    ::raise(signal);
}

void InstallHandlers()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = RemoveAndPassOn;
        sigemptyset(&action.sa_mask);
        ::sigaction(kSignals[i], nullptr, &previous[i]);
        // A signal the process ignores ends nothing: it is left ignored.
        if (previous[i].sa_handler != SIG_IGN)
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

} // namespace

SignalCleanUp::SignalCleanUp(const std::string& path)
{
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);
    char* copy = ::strdup(path.c_str());
    if (!copy)
        return;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        char* empty = nullptr;
        if (paths[i].compare_exchange_strong(empty, copy)) {
            slot_ = static_cast<int>(i);
            return;
        }
    }
    std::free(copy);
}

SignalCleanUp::~SignalCleanUp()
{
    if (slot_ >= 0)
        std::free(paths[static_cast<std::size_t>(slot_)].exchange(nullptr));
}

SignalCleanUp::SignalCleanUp(SignalCleanUp&& other) noexcept : slot_(std::exchange(other.slot_, -1))
{}

SignalCleanUp& SignalCleanUp::operator=(SignalCleanUp&& other) noexcept
{
    std::swap(slot_, other.slot_);
    return *this;
}

} // namespace quillet

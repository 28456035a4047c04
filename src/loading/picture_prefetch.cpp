#include "loading/picture_prefetch.h"

#include "loading/load_picture_for_page.h"
#include "loading/picture_load_problems.h"

#include <algorithm>

namespace quillet {
namespace {

// A picture is never claimed further ahead than this, whatever its size.
constexpr int kMostAhead = 16;

} // namespace

int PicturePrefetcher::DefaultWorkers()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

PicturePrefetcher::PicturePrefetcher(std::vector<std::string> paths, int level, int workers,
                                     std::size_t byteBudget)
    : paths_(std::move(paths)), level_(level), byteBudget_(byteBudget)
{
    const int count = std::min<int>(std::max(workers, 1), static_cast<int>(paths_.size()));
    try {
        for (int i = 0; i < count; ++i)
            workers_.emplace_back([this] { Work(); });
    } catch (...) {
        Stop();
        throw;
    }
}

PicturePrefetcher::~PicturePrefetcher()
{
    Stop();
}

void PicturePrefetcher::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        if (worker.joinable())
            worker.join();
}

bool PicturePrefetcher::MayClaim() const
{
    if (nextToClaim_ >= static_cast<int>(paths_.size()))
        return false;
    // The picture the loop waits for (or will take next) is always decoded;
    // beyond it, only while the held pictures stay within the budget.
    if (nextToClaim_ == nextToTake_)
        return true;
    // Until a picture has come back nothing tells how large they are: a
    // full-size photo per worker could be several times the budget.
    if (lastDecodedBytes_ == 0 && inFlight_ > 0)
        return false;
    const std::size_t expected =
        heldBytes_ + static_cast<std::size_t>(inFlight_) * lastDecodedBytes_;
    return nextToClaim_ < nextToTake_ + kMostAhead && expected < byteBudget_;
}

void PicturePrefetcher::Work()
{
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] {
            return stopping_ || MayClaim() || nextToClaim_ >= static_cast<int>(paths_.size());
        });
        if (stopping_ || nextToClaim_ >= static_cast<int>(paths_.size()))
            return;
        const int index = nextToClaim_++;
        ++inFlight_;
        lock.unlock();
        QImage picture;
        try {
            picture = DecodePictureForPage(paths_[index], level_);
        } catch (...) {
            // Memory ran out even for telling why: this cell stays empty,
            // and its picture is named all the same.
            picture = QImage();
            ReportPictureLoadProblem(paths_[index], PictureLoadProblem::OutOfMemory);
        }
        lock.lock();
        --inFlight_;
        const auto bytes = static_cast<std::size_t>(picture.sizeInBytes());
        if (!picture.isNull())
            lastDecodedBytes_ = bytes;
        // A picture the loop has already gone past is not kept.
        if (index >= nextToTake_) {
            heldBytes_ += bytes;
            decoded_.emplace(index, std::move(picture));
        }
        changed_.notify_all();
    }
}

QImage PicturePrefetcher::Take(int index, const std::function<void()>& whileWaiting,
                               std::chrono::milliseconds interval)
{
    std::unique_lock lock(mutex_);
    if (index < nextToTake_ || index >= static_cast<int>(paths_.size()))
        return {};
    // Pictures skipped over are dropped, so that their slots free the budget.
    nextToTake_ = index;
    for (auto it = decoded_.begin(); it != decoded_.end() && it->first < index;) {
        heldBytes_ -= static_cast<std::size_t>(it->second.sizeInBytes());
        it = decoded_.erase(it);
    }
    if (nextToClaim_ < index)
        nextToClaim_ = index;
    changed_.notify_all();
    const auto ready = [&] { return decoded_.count(index) != 0; };
    if (whileWaiting) {
        while (!changed_.wait_for(lock, interval, ready)) {
            // Unlocked, so that the workers go on meanwhile.
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
    } else {
        changed_.wait(lock, ready);
    }
    QImage picture = std::move(decoded_[index]);
    decoded_.erase(index);
    heldBytes_ -= static_cast<std::size_t>(picture.sizeInBytes());
    nextToTake_ = index + 1;
    changed_.notify_all();
    return picture;
}

} // namespace quillet

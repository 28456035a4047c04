#pragma once
// Decodes the pictures of a job ahead of the page loop on worker threads, so
// that drawing and writing one page overlaps with decoding the next pictures.
// The page loop still takes the pictures one by one, in order, and sees
// exactly what DecodePictureForPage would have given it.

#include <QImage>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillet {

class PicturePrefetcher {
public:
    // level is the optimisation level of DecodePictureForPage.  Decoded
    // pictures waiting to be taken are held to about byteBudget (at least
    // the one the loop waits for is always decoded).
    PicturePrefetcher(std::vector<std::string> paths, int level, int workers = DefaultWorkers(),
                      std::size_t byteBudget = std::size_t(48) << 20);
    // Stops the workers; a decode under way is finished and dropped.
    // A picture that cannot be decoded (even for want of memory) is a null
    // image, never an exception on a worker.
    ~PicturePrefetcher();
    PicturePrefetcher(const PicturePrefetcher&) = delete;
    PicturePrefetcher& operator=(const PicturePrefetcher&) = delete;

    // The picture at index (a null image when there is none), waiting for
    // it if needed, and calling whileWaiting (when given) every interval
    // meanwhile.  Indexes are taken in increasing order, each once.
    QImage Take(int index, const std::function<void()>& whileWaiting = {},
                std::chrono::milliseconds interval = {});

    static int DefaultWorkers();

private:
    void Work();
    void Stop();
    bool MayClaim() const;

    const std::vector<std::string> paths_;
    const int level_;
    const std::size_t byteBudget_;

    std::mutex mutex_;
    std::condition_variable changed_;
    int nextToClaim_ = 0;
    int nextToTake_ = 0;
    std::size_t heldBytes_ = 0;
    // Decodes under way, counted at the size of the last decoded picture so
    // that workers starting together cannot all overshoot the budget.
    int inFlight_ = 0;
    std::size_t lastDecodedBytes_ = 0;
    std::map<int, QImage> decoded_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace quillet

#pragma once
// Small pictures for the live page preview, kept between redraws so that a
// change of layout redraws from memory.  Each is made from the cheapest
// source that is still sharp enough (see miniature_source.h), on the calling
// thread or ahead of time on one worker thread, and the pictures held are
// bounded by a byte budget, the least recently used going first.

#include <QImage>
#include <QSize>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillet {

struct Miniature {
    QImage image; // upright (EXIF orientation applied); null when the file cannot be read
    QSize fullSize; // the picture's own size in pixels, upright
    // The size DecodePictureForPage(path, 1) gives the picture, which is how
    // the preview loads its pictures: its natural-size fit mode measures this.
    QSize loadedSize;
};

class MiniatureCache {
public:
    explicit MiniatureCache(std::size_t byteBudget = 64u << 20);
    ~MiniatureCache(); // stops and joins the worker
    MiniatureCache(const MiniatureCache&) = delete;
    MiniatureCache& operator=(const MiniatureCache&) = delete;

    // The picture for a cell needing at least `need` pixels: as small as
    // still covers `need` with the picture's proportions kept (never larger
    // than the picture itself).  Blocks only if it is not decoded yet; while
    // it waits for the worker, the calling thread decodes queued pictures.
    Miniature Get(const std::string& path, QSize need);

    // Decodes these ahead, in order, on the worker thread.  Replaces what an
    // earlier call left queued: a new redraw makes the old one's wishes moot.
    void Prefetch(const std::vector<std::pair<std::string, QSize>>& wanted);

    // Forgets every picture and the queue; decodes under way are dropped.
    void Clear();

    std::size_t BytesHeld() const;

private:
    struct Entry {
        QImage held; // covers twice the need it was made for, or is the whole picture
        QImage served; // the last answer, so that an unchanged cell costs nothing
        QSize fullSize;
        QSize loadedSize;
        std::size_t bytes = 0;
        std::list<std::string>::iterator recency;
    };
    enum class Outcome { Picture, Unreadable, OutOfMemory };
    struct Made {
        Outcome outcome = Outcome::Unreadable;
        QImage held;
        QImage served;
        QSize fullSize;
        QSize loadedSize;
    };

    static Made Make(const std::string& path, QSize need);
    Miniature ServeLocked(std::unique_lock<std::mutex>& lock, const std::string& path, QSize need);
    Miniature DecodeLocked(std::unique_lock<std::mutex>& lock, const std::string& path, QSize need);
    void DecodeNextQueuedLocked(std::unique_lock<std::mutex>& lock);
    void InsertLocked(const std::string& path, Made made);
    void Forget(std::unordered_map<std::string, Entry>::iterator it);
    void EvictOverBudgetLocked();
    void Work();

    const std::size_t budget_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::unordered_map<std::string, Entry> entries_;
    std::list<std::string> recency_; // most recently used first
    std::size_t bytes_ = 0;
    std::deque<std::pair<std::string, QSize>> queue_;
    std::set<std::string> inFlight_;
    std::uint64_t generation_ = 0; // advanced by Clear, so late decodes are dropped
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace quillet

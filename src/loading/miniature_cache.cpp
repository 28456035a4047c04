#include "loading/miniature_cache.h"

#include "codecs/image_decode.h"
#include "codecs/resample.h"
#include "loading/load_picture_for_page.h"
#include "loading/miniature_source.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace quillet {
namespace {

// A picture is held large enough for cells up to this many times the size
// it was made for, so that a changed margin, gap or grid redraws from memory
// rather than from the files.
constexpr int kHeadroom = 2;

// The preview loads its pictures at the 50K optimisation level, whatever the
// settings say; its natural-size fit mode measures pictures loaded so.
constexpr int kPreviewLevel = 1;

std::size_t ImageBytes(const QImage& image)
{
    return image.isNull() ? 0 : static_cast<std::size_t>(image.sizeInBytes());
}

bool SameData(const QImage& a, const QImage& b)
{
    return !a.isNull() && a.cacheKey() == b.cacheKey();
}

// The image made as small as still covers need (never enlarged).
QImage ShrunkToCover(const QImage& image, QSize full, QSize need)
{
    const QSize target = CoverSize(full, need).boundedTo(image.size());
    if (target == image.size())
        return image;
    return ResampleToSize(image, target.width(), target.height());
}

// A held picture serves every need it covers; a file that does not decode
// (a null picture) stays so whatever the need.
bool HeldCovers(const QImage& held, QSize full, QSize need)
{
    if (held.isNull())
        return true;
    const QSize cover = CoverSize(full, need);
    return held.width() >= cover.width() && held.height() >= cover.height();
}

QSize LoadedSize(const std::string& path, const MiniatureSource& source)
{
    const int factor = ShrinkFactorPerMille(path, source.fileBytes, kPreviewLevel);
    if (factor == 0)
        return source.fullSize;
    return QSize(ScaledSide(source.fullSize.width(), factor),
                 ScaledSide(source.fullSize.height(), factor));
}

} // namespace

MiniatureCache::MiniatureCache(std::size_t byteBudget) : budget_(byteBudget)
{}

MiniatureCache::~MiniatureCache()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

MiniatureCache::Made MiniatureCache::Make(const std::string& path, QSize need)
{
    Made made;
    try {
        const MiniatureSource source = LoadMiniatureSource(path, need);
        if (source.image.isNull())
            return made;
        made.fullSize = source.fullSize;
        made.loadedSize = LoadedSize(path, source);
        made.held = ShrunkToCover(source.image, source.fullSize, need * kHeadroom);
        made.served = ShrunkToCover(made.held, source.fullSize, need);
        // Resampling gives a null image only when memory ran out.
        made.outcome = made.served.isNull() ? Outcome::OutOfMemory : Outcome::Picture;
    } catch (...) {
        // Out of memory (the only thing that throws here): not remembered,
        // so that the next redraw tries again.
        made = Made();
        made.outcome = Outcome::OutOfMemory;
    }
    return made;
}

Miniature MiniatureCache::Get(const std::string& path, QSize need)
{
    if (path.empty())
        return {};
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto it = entries_.find(path);
        if (it != entries_.end() && HeldCovers(it->second.held, it->second.fullSize, need))
            return ServeLocked(lock, path, need);
        if (!inFlight_.contains(path))
            break;
        // The worker is decoding it: decode queued pictures meanwhile rather
        // than idle, so that both cores work through the page.
        if (!queue_.empty())
            DecodeNextQueuedLocked(lock);
        else
            changed_.wait(lock);
    }
    std::erase_if(queue_, [&](const auto& wanted) { return wanted.first == path; });
    return DecodeLocked(lock, path, need);
}

Miniature MiniatureCache::ServeLocked(std::unique_lock<std::mutex>& lock, const std::string& path,
                                      QSize need)
{
    Entry& entry = entries_.find(path)->second;
    recency_.splice(recency_.begin(), recency_, entry.recency);
    if (entry.held.isNull())
        return {};
    Miniature result{QImage(), entry.fullSize, entry.loadedSize};
    if (entry.served.size() == CoverSize(entry.fullSize, need).boundedTo(entry.held.size())) {
        result.image = entry.served;
        return result;
    }
    const QImage held = entry.held;
    lock.unlock();
    result.image = ShrunkToCover(held, result.fullSize, need);
    lock.lock();
    // Remembered for the next redraw, unless the entry went meanwhile.
    const auto it = entries_.find(path);
    if (it != entries_.end() && SameData(it->second.held, held) && !result.image.isNull()) {
        Entry& same = it->second;
        bytes_ -= same.bytes;
        same.served = result.image;
        same.bytes = ImageBytes(same.held)
                     + (SameData(same.served, same.held) ? 0 : ImageBytes(same.served));
        bytes_ += same.bytes;
        EvictOverBudgetLocked();
    }
    return result;
}

Miniature MiniatureCache::DecodeLocked(std::unique_lock<std::mutex>& lock, const std::string& path,
                                       QSize need)
{
    inFlight_.insert(path);
    const std::uint64_t generation = generation_;
    lock.unlock();
    Made made = Make(path, need);
    lock.lock();
    inFlight_.erase(path);
    Miniature result{made.served, made.fullSize, made.loadedSize};
    if (made.outcome != Outcome::OutOfMemory && generation == generation_)
        InsertLocked(path, std::move(made));
    changed_.notify_all();
    return result;
}

void MiniatureCache::DecodeNextQueuedLocked(std::unique_lock<std::mutex>& lock)
{
    const auto [path, need] = std::move(queue_.front());
    queue_.pop_front();
    if (inFlight_.contains(path))
        return;
    const auto it = entries_.find(path);
    if (it != entries_.end() && HeldCovers(it->second.held, it->second.fullSize, need)) {
        // Wanted again soon: keep it from being evicted first.
        recency_.splice(recency_.begin(), recency_, it->second.recency);
        return;
    }
    DecodeLocked(lock, path, need);
}

void MiniatureCache::InsertLocked(const std::string& path, Made made)
{
    if (const auto old = entries_.find(path); old != entries_.end())
        Forget(old);
    Entry entry;
    entry.held = std::move(made.held);
    entry.served = std::move(made.served);
    entry.fullSize = made.fullSize;
    entry.loadedSize = made.loadedSize;
    entry.bytes = ImageBytes(entry.held)
                  + (SameData(entry.served, entry.held) ? 0 : ImageBytes(entry.served));
    // A picture larger than the whole budget is handed out but not kept.
    if (entry.bytes > budget_)
        return;
    recency_.push_front(path);
    entry.recency = recency_.begin();
    bytes_ += entry.bytes;
    entries_.emplace(path, std::move(entry));
    EvictOverBudgetLocked();
}

void MiniatureCache::Forget(std::unordered_map<std::string, Entry>::iterator it)
{
    bytes_ -= it->second.bytes;
    recency_.erase(it->second.recency);
    entries_.erase(it);
}

void MiniatureCache::EvictOverBudgetLocked()
{
    while (bytes_ > budget_ && !recency_.empty())
        Forget(entries_.find(recency_.back()));
}

void MiniatureCache::Prefetch(const std::vector<std::pair<std::string, QSize>>& wanted)
{
    std::lock_guard lock(mutex_);
    queue_.clear();
    for (const auto& item : wanted)
        if (!item.first.empty())
            queue_.push_back(item);
    if (!worker_.joinable() && !queue_.empty()) {
        try {
            worker_ = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            queue_.clear(); // no thread to be had: Get decodes each picture itself
        }
    }
    changed_.notify_all();
}

void MiniatureCache::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        DecodeNextQueuedLocked(lock);
    }
}

void MiniatureCache::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
    recency_.clear();
    bytes_ = 0;
    queue_.clear();
    ++generation_;
}

std::size_t MiniatureCache::BytesHeld() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

} // namespace quillet

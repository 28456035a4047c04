#include "loading/picture_load_problems.h"

#include <mutex>
#include <utility>

namespace quillet {
namespace {

std::mutex listenerMutex;
PictureLoadListener currentListener;

} // namespace

PictureLoadProblemWatch::PictureLoadProblemWatch(PictureLoadListener listener)
{
    const std::lock_guard lock(listenerMutex);
    previous_ = std::exchange(currentListener, std::move(listener));
}

PictureLoadProblemWatch::~PictureLoadProblemWatch()
{
    const std::lock_guard lock(listenerMutex);
    currentListener = std::move(previous_);
}

void ReportPictureLoadProblem(const std::string& path, PictureLoadProblem problem)
{
    const std::lock_guard lock(listenerMutex);
    if (currentListener)
        currentListener(path, problem);
}

} // namespace quillet

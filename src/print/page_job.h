#pragma once
// One album job as the page engines take it: the settings it is laid out
// and drawn with (layout, fonts, alignments, optimisation level), its
// pictures and its two templates, plus what it reports while it runs.

#include "settings/picture_list.h"
#include "settings/print_settings.h"

#include <functional>
#include <string>

namespace quillet {

struct PageJob {
    PrintSettings settings;
    PictureList pictures;
    std::string headerTemplate;  // "&f" already replaced by the job's category
    std::string footerTemplate;
};

// What a job reports while it runs (the progress window, a terminal, a test).
// Every member may be left empty.
struct PageProgress {
    std::function<void(int cellCount)> started;
    std::function<void(int cellsDone)> advanced;
    // Polled after every picture; true ends the job with the current page.
    std::function<bool()> cancelRequested;
};

} // namespace quillet

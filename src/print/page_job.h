#pragma once
// One album job as the page engines take it: the settings it is laid out
// and drawn with (layout, fonts, alignments, optimisation level), its
// pictures, its two templates and the time it started, plus what it reports
// while it runs.

#include "settings/picture_list.h"
#include "settings/print_settings.h"

#include "textfiles/datetime.h"

#include <chrono>
#include <functional>
#include <string>

namespace quillet {

struct PageJob {
    PrintSettings settings;
    PictureList pictures;
    std::string headerTemplate; // "&f" already replaced by the job's category
    std::string footerTemplate;
    // Read once when the job is made: every header and footer and the
    // printer document name of the job show this time.
    ClockReading clock = ReadClock();
    // Read as each page file is saved, for its name: the pages of a long job
    // carry the times they were written.
    std::function<ClockReading()> pageFileClock = ReadClock;
};

// What a job reports while it runs (the progress window, a terminal, a test).
// Every member may be left empty.
struct PageProgress {
    std::function<void(int cellCount)> started;
    std::function<void(int cellsDone)> advanced;
    // Polled after every picture; true ends the job with the current page.
    std::function<bool()> cancelRequested;
    // Called every kWaitingInterval while the job waits for its workers (a
    // picture still decoding, a page file still being written), so that a
    // window can keep answering.
    std::function<void()> waiting;
};

inline constexpr std::chrono::milliseconds kWaitingInterval{50};

// The layout as typed into the settings window's boxes, read as numbers:
// page size, margins and offsets in millimetres, gaps in tenths.
struct TypedLayoutValues {
    double paperWidth = 0;
    double paperHeight = 0;
    double marginTop = 0;
    double marginBottom = 0;
    double marginLeft = 0;
    double marginRight = 0;
    double headerOffset = 0;
    double footerOffset = 0;
    double rows = 0;
    double columns = 0;
    double rowGap = 0;
    double columnGap = 0;
    double captionGap = 0;
    int fitMode = 0;
    bool landscape = false;
};

// The settings the miniature is drawn with, in whole millimetres: the typed
// values cut toward zero, the gaps divided by 10 before the cut (a gap of
// 5 tenths draws as 0 mm); fonts and alignments as the record holds them,
// and pictures loaded at optimisation level 1 (50K) whatever the record says.
PrintSettings MiniatureSettings(const PrintSettings& record, const TypedLayoutValues& typed);

// The pictures the miniature pages through: the list up to its last entry
// that names a picture or has a caption.  Empty entries after it (the
// preview button pads its list to a fixed length) fill no page; empty ones
// before it keep their cells, as they do in print.
PictureList MiniaturePictures(PictureList pictures);

} // namespace quillet

#pragma once
// The papers a CUPS queue says its printer takes, and the choice of the one
// a job's paper goes as.  A driverless printer refuses a job on a paper it
// does not offer after CUPS has accepted it, so the choice is made before
// anything is sent.

#include <optional>
#include <string>
#include <vector>

namespace quillet {

// A paper in 0.1 mm, by its IPP name ("iso_a4_210x297mm").
struct OfferedPaper {
    std::string name;
    int width = 0;
    int height = 0;
};

struct PrinterMedia {
    std::vector<OfferedPaper> papers;
    bool customSizes = false; // the printer takes a paper of any size in range
    int customMinWidth = 0;
    int customMinHeight = 0;
    int customMaxWidth = 0;
    int customMaxHeight = 0;
};

// The queue's media as the scheduler reports them, asked in bounded time;
// nothing with the reason when the queue cannot be asked.
std::optional<PrinterMedia> QueueMedia(const std::string& queue, std::string& failure);

// Papers closer than this to an offered one go as that one: 1 mm.
inline constexpr int kPaperMatchTolerance = 10;

struct PaperChoice {
    bool fits = false;
    std::string media; // the offered paper it goes as; empty: as a custom size
};

// The paper of width × height (0.1 mm, either way round) on the printer: the
// nearest offered paper within the tolerance, else a custom size the
// printer takes, else it does not fit.
PaperChoice ChoosePaper(const PrinterMedia& media, int width, int height);

// The offered papers as the user knows them ("A4、4x6、Letter").
std::string OfferedPaperNames(const PrinterMedia& media);

} // namespace quillet

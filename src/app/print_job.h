#pragma once
// One job of a print run: the job's data stored for the settings window's
// preview, the settings window opened until the settings are confirmed, then
// the job printed, written to a PDF file or rendered to page images.

#include "settings/picture_list.h"
#include "settings/print_settings.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// What lasts from one job of a run to the next.  A run is one click of a
// print button; its jobs run one after the other inside the click.
struct PrintRun {
    std::string pdfFile; // chosen at the run's first job that writes a PDF file
    int nextPdfNumber = 2; // further jobs write "-2", "-3", ... beside it
    std::string imageFolder; // the folder last chosen for page images
    int failedJobs = 0;
    std::vector<std::string> cupsJobs; // "QUEUE-12": the jobs CUPS took
    bool stopped = false; // the user ended the whole run (save dialog cancelled)
    // Jobs CUPS took that still wait in its queue, and why: "QUEUE-12（…）".
    std::vector<std::string> waitingJobs;
    // Tells the user how a job CUPS took is getting on, while it is followed.
    std::function<void(const std::string&)> tell;
};

// Names the job in messages and says which page of the album it starts on.
struct JobLabel {
    std::string name; // "分类“风景”的打印作业", "第2页的打印作业"
    std::string category; // proposes the name of the run's PDF file
    int firstPage = 1;
};

// Shows the settings window modally for the program's record and returns
// when it is closed: OK leaves `confirmed` 1 and the fields stored, Cancel
// and the close box leave `confirmed` 0.  Replaced in tests, which answer it
// the way they answer the other modal dialogs.
std::function<void()>& SettingsWindowForJob();

// The settings window for the program's record and the job snapshot; the
// record it leaves becomes the program's, and `previewBusy` follows its
// miniature while it is open.
void ShowSettingsWindowModal();

// Stores deep copies of the job as the snapshot the live preview draws.
void StoreJobSnapshot(const PictureList& job, const std::string& headerText,
                      const std::string& footerText);

// Stores the job when asked to or when it has pictures, shows the settings
// window and returns a copy of the record as the window left it.
PrintSettings OpenSettingsForJob(const PictureList& job, bool store, const std::string& headerText,
                                 const std::string& footerText);

// The timed question: the system's results (OK 1, Cancel 2), 32000 when the
// time ran out.  Without the style flag the style is 0.
int ConfirmWithTimeout(std::string_view caption, std::string_view text, int milliseconds, int style,
                       bool styleGiven);

// The job's question before it starts; false only when the user cancelled
// (left alone, the question goes on like OK).
bool AskBeforeJob();

// Runs one job; 1 when it was printed or rendered, 0 otherwise.  A job whose
// output failed is told to the user and counted in the run; a cancelled
// save dialog stops the run.
int RunPrintJob(const PictureList& job, const std::string& headerText,
                const std::string& footerText, const JobLabel& label, PrintRun& run);

} // namespace quillet

#pragma once
// Program-wide state: the one place that holds what every part of the program
// reaches.  Created at start-up in its start-up state, released by the exit
// clean-up; nothing of it is ever persisted.

#include "collect/collection_state.h"
#include "settings/print_settings.h"

#include <string>
#include <vector>

namespace quillet {

// The collection part (SelectedFolderPath, SearchFinished, DesktopPath,
// DocumentsPath) is handed to the folder tree and search as it is.
struct Globals : CollectionState {
    // The settings record and the snapshot of the job that last opened the
    // settings window (drawn by the live preview).
    PrintSettings printSettings;
    std::string jobHeaderText;
    std::string jobFooterText;
    std::vector<std::string> jobPicturePaths;
    std::vector<float> jobAspectRatios;
    std::vector<std::string> jobCaptions;
    bool previewBusy = false;
};

// The program's one instance.
Globals& App();

// Puts the whole state back to its start-up values (start-up, and tests).
void ResetGlobals();

// The exit clean-up: releases everything the state owns.
void ReleaseGlobals();

} // namespace quillet

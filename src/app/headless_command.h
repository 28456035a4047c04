#pragma once
// `quillet render` and `quillet print`: an album rendered to page files or
// printed without a window, for scripts and benchmarks.

#include "app/command_options.h"
#include "table/picture_table.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

// Exit codes of the command.
inline constexpr int kCommandSucceeded = 0;
inline constexpr int kCommandOutputFailed = 1;
inline constexpr int kCommandUsageError = 2;

struct CollectedRows {
    std::vector<AlbumRow> rows;
    // A folder named (or one below it) could not be walked whole.
    bool incomplete = false;
};

// The pictures named by the inputs: a folder is searched as the folder page
// searches it (sub-folders with recursive), a file is taken as it is, with
// its folder's name as category and its name without extension as caption.
// Empty with a message in error when an input does not exist or a table
// cannot be read; what was read only in part (each folder that could not be
// read, by name) is told on warnings.
std::optional<CollectedRows> CollectAlbumRows(const CommandOptions& options, std::string& error,
                                              std::ostream& warnings);

// Runs the command (a QApplication must exist).  Writes the path of every
// page file or PDF on out, one a line (or each ended by a NUL); failures and
// usage errors on err.
int RunHeadlessCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The process around it: Qt on its offscreen platform (no display needed),
// the Chinese font substitutions, then the command on stdout and stderr.
int RunHeadlessProgram(int& argc, char** argv);

} // namespace quillet

#pragma once
// The headless command: `quillet render` and `quillet print` render or print
// an album without a window.  This file parses its arguments into plain values.

#include "settings/print_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

enum class CommandKind { Render, Print, Help };

struct CommandOptions {
    CommandKind kind = CommandKind::Help;
    std::string outDir; // render: where the page files go
    std::string printer; // print: a CUPS queue ...
    std::string pdfFile; // ... or a PDF file
    bool recursive = false;
    bool waitForPrinter = true; // follow each CUPS job until CUPS is done with it
    std::string tableFile; // a TAB-separated picture table instead of inputs
    bool byCategory = false;
    bool captions = true;
    char pathEnd = '\n'; // what ends each path written on stdout (--print0: NUL)
    std::string headerText;
    std::string footerText;
    // Starts as the layout a first OK in the settings window stores.
    PrintSettings settings = FirstConfirmedPrintSettings();
    std::vector<std::string> inputs;
};

struct ParsedCommand {
    std::optional<CommandOptions> options; // empty on a usage error
    std::string error; // the usage error, in Chinese and English
};

// True when the arguments ask for the headless command rather than the window.
bool IsHeadlessCommand(const std::vector<std::string>& args);

// args are the arguments after the program name.
ParsedCommand ParseCommandLine(const std::vector<std::string>& args);

// --help, in Chinese and English.
std::string CommandHelpText();

} // namespace quillet

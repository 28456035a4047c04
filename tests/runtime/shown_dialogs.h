#pragma once
// Death tests run their statement in a child process, so what the child's
// dialogs showed can only come back through its error output.  The child
// installs ReportDialogsToStderr; the parent matches ShownDialogPattern.

#include "runtime/scripted_dialogs.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace quillet {

// CR and LF written as \r and \n, so a whole text stays on one line.
inline std::string EscapeLineBreaks(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

// A regular expression that matches the report of a dialog with exactly this
// title and text.
inline std::string ShownDialogPattern(std::string_view title, std::string_view text)
{
    std::string pattern;
    for (const char c :
         "[dialog] " + std::string(title) + " | " + EscapeLineBreaks(text) + " [end]") {
        if (std::string_view(".[]{}()\\*+?^$|").find(c) != std::string_view::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern;
}

inline void ReportDialogsToStderr(ScriptedDialogProvider& provider)
{
    provider.SetOnRequest([](const DialogRequest& request) {
        std::fprintf(stderr, "[dialog] %s | %s [end]\n", request.title.c_str(),
                     EscapeLineBreaks(request.text).c_str());
        std::fflush(stderr);
    });
}

} // namespace quillet

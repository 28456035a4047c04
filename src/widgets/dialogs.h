#pragma once
// The standard dialogs.  Every modal dialog of the program goes through one
// provider: the real Qt dialogs by default, or one that a test installs for
// a scope with ScopedDialogProvider to script the answers.

#include "widgets/font_spec.h"
#include "widgets/message_box_style.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

class DialogProvider {
public:
    virtual ~DialogProvider() = default;

    // Style bits as in message_box_style.h.
    virtual MessageBoxAnswer MessageBox(std::string_view text, int style,
                                        std::string_view title) = 0;
    // The entered text of a box that asks for a whole number, or nothing
    // when cancelled.
    virtual std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                                std::string_view initialText) = 0;
    // The chosen folder without a trailing '/' (except the root), or empty.
    // A non-zero flag lets the browser show files as well.  The browser
    // opens at the initial folder when one is given.
    virtual std::string BrowseForFolder(std::string_view prompt, int flag,
                                        std::string_view initialFolder) = 0;
    // The chosen existing file, or empty.  The filter is "description|pattern"
    // pairs joined by '|'.
    virtual std::string OpenFileDialog(std::string_view title, std::string_view filter,
                                       std::string_view initialFolder) = 0;
    // The file to write, or empty.  The dialog proposes the given path and
    // asks before an existing file is chosen for replacing.
    virtual std::string SaveFileDialog(std::string_view title, std::string_view filter,
                                       std::string_view proposedPath) = 0;
    // The font is the initial choice and, when confirmed, receives the result.
    virtual bool FontDialog(FontSpec& font) = 0;
    // The answer, or nothing when the box closed itself after its time.
    virtual std::optional<MessageBoxAnswer>
    TimedMessageBox(std::string_view text, std::string_view title, int style, int milliseconds) = 0;
};

// The provider the free functions below use.
DialogProvider& CurrentDialogProvider();

// Installs a provider for its own lifetime and puts the previous one back.
class ScopedDialogProvider {
public:
    explicit ScopedDialogProvider(DialogProvider& provider);
    ~ScopedDialogProvider();
    ScopedDialogProvider(const ScopedDialogProvider&) = delete;
    ScopedDialogProvider& operator=(const ScopedDialogProvider&) = delete;

private:
    DialogProvider* previous_;
};

MessageBoxAnswer MessageBox(std::string_view text, int style = 0,
                            std::string_view title = "信息：");

// On OK the entered text, read by ToInteger, goes into the variable and the
// result is true; Cancel leaves the variable alone.
bool InputBox(std::string_view prompt, std::string_view title, std::string_view initialText,
              int& variable);

std::string BrowseForFolder(std::string_view prompt, int flag = 0,
                            std::string_view initialFolder = "");
std::string OpenFileDialog(std::string_view title, std::string_view filter,
                           std::string_view initialFolder = "");
std::string SaveFileDialog(std::string_view title, std::string_view filter,
                           std::string_view proposedPath = "");
bool FontDialog(FontSpec& font);
std::optional<MessageBoxAnswer> TimedMessageBox(std::string_view text, std::string_view title,
                                                int style, int milliseconds);

// "文本文件（*.txt）|*.txt" becomes the Qt filter "文本文件（*.txt） (*.txt)";
// pairs become lines, ';' between patterns a space.
std::string QtFileFilter(std::string_view filter);

} // namespace quillet

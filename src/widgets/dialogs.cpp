#include "widgets/dialogs.h"

#include "textfiles/convert.h"
#include "widgets/qt_dialogs.h"

#include <algorithm>
#include <utility>

namespace quillet {
namespace {

DialogProvider*& InstalledProvider()
{
    static DialogProvider* provider = nullptr;
    return provider;
}

} // namespace

DialogProvider& CurrentDialogProvider()
{
    if (DialogProvider* installed = InstalledProvider())
        return *installed;
    static QtDialogProvider real;
    return real;
}

ScopedDialogProvider::ScopedDialogProvider(DialogProvider& provider)
    : previous_(std::exchange(InstalledProvider(), &provider))
{}

ScopedDialogProvider::~ScopedDialogProvider()
{
    InstalledProvider() = previous_;
}

MessageBoxAnswer MessageBox(std::string_view text, int style, std::string_view title)
{
    return CurrentDialogProvider().MessageBox(text, style, title);
}

bool InputBox(std::string_view prompt, std::string_view title, std::string_view initialText,
              int& variable)
{
    const auto entered = CurrentDialogProvider().InputBox(prompt, title, initialText);
    if (!entered)
        return false;
    variable = ToInteger(*entered);
    return true;
}

std::string BrowseForFolder(std::string_view prompt, int flag, std::string_view initialFolder)
{
    return CurrentDialogProvider().BrowseForFolder(prompt, flag, initialFolder);
}

std::string OpenFileDialog(std::string_view title, std::string_view filter,
                           std::string_view initialFolder)
{
    return CurrentDialogProvider().OpenFileDialog(title, filter, initialFolder);
}

std::string SaveFileDialog(std::string_view title, std::string_view filter,
                           std::string_view proposedPath)
{
    return CurrentDialogProvider().SaveFileDialog(title, filter, proposedPath);
}

bool FontDialog(FontSpec& font)
{
    return CurrentDialogProvider().FontDialog(font);
}

std::optional<MessageBoxAnswer> TimedMessageBox(std::string_view text, std::string_view title,
                                                int style, int milliseconds)
{
    return CurrentDialogProvider().TimedMessageBox(text, title, style, milliseconds);
}

std::string QtFileFilter(std::string_view filter)
{
    std::string result;
    while (!filter.empty()) {
        const std::size_t descriptionEnd = std::min(filter.find('|'), filter.size());
        const std::string_view description = filter.substr(0, descriptionEnd);
        filter.remove_prefix(std::min(descriptionEnd + 1, filter.size()));
        const std::size_t patternEnd = std::min(filter.find('|'), filter.size());
        std::string patterns(filter.substr(0, patternEnd));
        filter.remove_prefix(std::min(patternEnd + 1, filter.size()));

        std::ranges::replace(patterns, ';', ' ');
        if (patterns.empty())
            patterns.push_back('*');
        if (!result.empty())
            result += ";;";
        result += std::string(description) + " (" + patterns + ")";
    }
    return result;
}

} // namespace quillet

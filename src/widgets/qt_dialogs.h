#pragma once
// The real dialogs: Qt's standard message box, input dialog, file dialogs and
// font dialog, application-modal.

#include "widgets/dialogs.h"

namespace quillet {

class QtDialogProvider final : public DialogProvider {
public:
    MessageBoxAnswer MessageBox(std::string_view text, int style, std::string_view title) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initialText) override;
    std::string BrowseForFolder(std::string_view prompt, int flag,
                                std::string_view initialFolder) override;
    std::string OpenFileDialog(std::string_view title, std::string_view filter,
                               std::string_view initialFolder) override;
    std::string SaveFileDialog(std::string_view title, std::string_view filter,
                               std::string_view proposedPath) override;
    bool FontDialog(FontSpec& font) override;
    std::optional<MessageBoxAnswer> TimedMessageBox(std::string_view text, std::string_view title,
                                                    int style, int milliseconds) override;
};

} // namespace quillet

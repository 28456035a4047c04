#pragma once
// A dialog provider for tests: records every dialog that was asked for and
// answers from queues filled beforehand, one queue per kind of dialog.  A
// dialog without a queued answer is answered as if the user pressed Enter or
// Esc (default button, Cancel, time-out) and counted as unanswered, so that a
// test never hangs and can still tell that it asked more than it expected.

#include "widgets/dialogs.h"

#include <deque>
#include <functional>
#include <vector>

namespace quillet {

enum class DialogKind {
    MessageBox,
    InputBox,
    BrowseForFolder,
    OpenFileDialog,
    SaveFileDialog,
    FontDialog,
    TimedMessageBox,
};

struct DialogRequest {
    DialogKind kind = DialogKind::MessageBox;
    std::string text; // message text or prompt
    std::string title;
    int style = 0; // message box style, or the browse flag
    std::string initialText; // input box text, the file dialogs' folder or proposed
                             // path, or the folder the browser opens at
    std::string filter;
    int milliseconds = 0;
    FontSpec font; // what the font dialog was opened with
};

class ScriptedDialogProvider final : public DialogProvider {
public:
    void AnswerMessageBox(MessageBoxAnswer answer) { messageBoxAnswers_.push_back(answer); }
    void AnswerInputBox(std::optional<std::string> text)
    {
        inputAnswers_.push_back(std::move(text));
    }
    void AnswerBrowseForFolder(std::string path) { folderAnswers_.push_back(std::move(path)); }
    void AnswerOpenFileDialog(std::string path) { fileAnswers_.push_back(std::move(path)); }
    void AnswerSaveFileDialog(std::string path) { saveAnswers_.push_back(std::move(path)); }
    void AnswerFontDialog(std::optional<FontSpec> font) { fontAnswers_.push_back(std::move(font)); }
    // Nothing stands for the box closing itself after its time.
    void AnswerTimedMessageBox(std::optional<MessageBoxAnswer> answer)
    {
        timedAnswers_.push_back(answer);
    }

    // Runs when a dialog is asked for, before it is answered: what a user
    // could do while the dialog is open (the request is already recorded).
    void SetOnRequest(std::function<void(const DialogRequest&)> onRequest)
    {
        onRequest_ = std::move(onRequest);
    }

    const std::vector<DialogRequest>& Requests() const { return requests_; }
    int UnansweredCount() const { return unanswered_; }
    // Queued answers that no dialog took.
    std::size_t PendingAnswerCount() const;

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

private:
    void Record(DialogRequest request);
    template <typename T>
    std::optional<T> Take(std::deque<T>& answers);

    std::deque<MessageBoxAnswer> messageBoxAnswers_;
    std::deque<std::optional<std::string>> inputAnswers_;
    std::deque<std::string> folderAnswers_;
    std::deque<std::string> fileAnswers_;
    std::deque<std::string> saveAnswers_;
    std::deque<std::optional<FontSpec>> fontAnswers_;
    std::deque<std::optional<MessageBoxAnswer>> timedAnswers_;
    std::vector<DialogRequest> requests_;
    std::function<void(const DialogRequest&)> onRequest_;
    int unanswered_ = 0;
};

} // namespace quillet

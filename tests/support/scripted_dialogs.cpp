#include "support/scripted_dialogs.h"

namespace quillet {

std::size_t ScriptedDialogProvider::PendingAnswerCount() const
{
    return messageBoxAnswers_.size() + inputAnswers_.size() + folderAnswers_.size()
           + fileAnswers_.size() + saveAnswers_.size() + fontAnswers_.size() + timedAnswers_.size();
}

namespace {

DialogRequest MakeRequest(DialogKind kind, std::string_view text = {}, std::string_view title = {})
{
    DialogRequest request;
    request.kind = kind;
    request.text = std::string(text);
    request.title = std::string(title);
    return request;
}

} // namespace

void ScriptedDialogProvider::Record(DialogRequest request)
{
    requests_.push_back(std::move(request));
    if (onRequest_)
        onRequest_(requests_.back());
}

template <typename T>
std::optional<T> ScriptedDialogProvider::Take(std::deque<T>& answers)
{
    if (answers.empty()) {
        ++unanswered_;
        return std::nullopt;
    }
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

MessageBoxAnswer ScriptedDialogProvider::MessageBox(std::string_view text, int style,
                                                    std::string_view title)
{
    DialogRequest request = MakeRequest(DialogKind::MessageBox, text, title);
    request.style = style;
    Record(std::move(request));
    return Take(messageBoxAnswers_).value_or(DescribeMessageBox(style).defaultButton);
}

std::optional<std::string> ScriptedDialogProvider::InputBox(std::string_view prompt,
                                                            std::string_view title,
                                                            std::string_view initialText)
{
    DialogRequest request = MakeRequest(DialogKind::InputBox, prompt, title);
    request.initialText = std::string(initialText);
    Record(std::move(request));
    return Take(inputAnswers_).value_or(std::nullopt);
}

std::string ScriptedDialogProvider::BrowseForFolder(std::string_view prompt, int flag,
                                                    std::string_view initialFolder)
{
    DialogRequest request = MakeRequest(DialogKind::BrowseForFolder, prompt);
    request.style = flag;
    request.initialText = std::string(initialFolder);
    Record(std::move(request));
    return Take(folderAnswers_).value_or(std::string());
}

std::string ScriptedDialogProvider::OpenFileDialog(std::string_view title, std::string_view filter,
                                                   std::string_view initialFolder)
{
    DialogRequest request = MakeRequest(DialogKind::OpenFileDialog, {}, title);
    request.initialText = std::string(initialFolder);
    request.filter = std::string(filter);
    Record(std::move(request));
    return Take(fileAnswers_).value_or(std::string());
}

std::string ScriptedDialogProvider::SaveFileDialog(std::string_view title, std::string_view filter,
                                                   std::string_view proposedPath)
{
    DialogRequest request = MakeRequest(DialogKind::SaveFileDialog, {}, title);
    request.initialText = std::string(proposedPath);
    request.filter = std::string(filter);
    Record(std::move(request));
    return Take(saveAnswers_).value_or(std::string());
}

bool ScriptedDialogProvider::FontDialog(FontSpec& font)
{
    DialogRequest request = MakeRequest(DialogKind::FontDialog);
    request.font = font;
    Record(std::move(request));
    const std::optional<FontSpec> chosen = Take(fontAnswers_).value_or(std::nullopt);
    if (!chosen)
        return false;
    font = *chosen;
    return true;
}

std::optional<MessageBoxAnswer> ScriptedDialogProvider::TimedMessageBox(std::string_view text,
                                                                        std::string_view title,
                                                                        int style, int milliseconds)
{
    DialogRequest request = MakeRequest(DialogKind::TimedMessageBox, text, title);
    request.style = style;
    request.milliseconds = milliseconds;
    Record(std::move(request));
    return Take(timedAnswers_).value_or(std::nullopt);
}

} // namespace quillet

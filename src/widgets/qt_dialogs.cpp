#include "widgets/qt_dialogs.h"

#include "textfiles/convert.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <map>

namespace quillet {
namespace {

QMessageBox::Icon ToQtIcon(MessageBoxIcon icon)
{
    switch (icon) {
    case MessageBoxIcon::Stop: return QMessageBox::Critical;
    case MessageBoxIcon::Question: return QMessageBox::Question;
    case MessageBoxIcon::Exclamation: return QMessageBox::Warning;
    case MessageBoxIcon::Information: return QMessageBox::Information;
    case MessageBoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole RoleOf(int result)
{
    switch (result) {
    case kResultOk:
    case kResultYes:
    case kResultRetry: return QMessageBox::AcceptRole;
    case kResultNo: return QMessageBox::NoRole;
    case kResultCancel:
    case kResultAbort: return QMessageBox::RejectRole;
    default: return QMessageBox::ActionRole;
    }
}

// Shows the box and returns the result of the pressed button, or nothing when
// the time-out closed it first.
std::optional<int> RunMessageBox(std::string_view text, int style, std::string_view title,
                                 std::optional<int> timeoutMilliseconds)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return DescribeMessageBox(style).defaultButton;

    const MessageBoxLayout layout = DescribeMessageBox(style);
    QMessageBox box;
    box.setWindowTitle(ToQString(title));
    box.setText(ToQString(text));
    box.setIcon(ToQtIcon(layout.icon));
    box.setWindowModality(Qt::ApplicationModal);
    if (layout.systemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);

    std::map<QAbstractButton*, int> results;
    for (const int result : layout.buttons) {
        QPushButton* button = box.addButton(ToQString(ButtonCaption(result)), RoleOf(result));
        results[button] = result;
        if (result == layout.defaultButton)
            box.setDefaultButton(button);
        if (layout.escapeResult == result)
            box.setEscapeButton(button);
    }

    bool timedOut = false;
    if (timeoutMilliseconds) {
        QTimer::singleShot(std::max(0, *timeoutMilliseconds), &box, [&box, &timedOut] {
            timedOut = true;
            box.done(0);
        });
    }
    box.exec();
    if (timedOut)
        return std::nullopt;
    if (const auto found = results.find(box.clickedButton()); found != results.end())
        return found->second;
    // Closed without a button (only possible when Esc has an answer).
    return layout.escapeResult.value_or(layout.defaultButton);
}

} // namespace

int QtDialogProvider::MessageBox(std::string_view text, int style, std::string_view title)
{
    return RunMessageBox(text, style, title, std::nullopt).value_or(kResultCancel);
}

int QtDialogProvider::TimedMessageBox(std::string_view text, std::string_view title, int style,
                                      int milliseconds)
{
    const std::optional<int> result = RunMessageBox(text, style, title, milliseconds);
    return result ? ToSystemResult(*result) : kTimedOut;
}

std::optional<std::string> QtDialogProvider::InputBox(std::string_view prompt,
                                                      std::string_view title,
                                                      std::string_view initialText)
{
    QInputDialog dialog;
    dialog.setWindowTitle(ToQString(title));
    dialog.setLabelText(ToQString(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(ToQString(initialText));
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

std::string QtDialogProvider::BrowseForFolder(std::string_view prompt, int flag,
                                              std::string_view initialFolder)
{
    const QFileDialog::Options options =
        flag != 0 ? QFileDialog::Options() : QFileDialog::ShowDirsOnly;
    return QFileDialog::getExistingDirectory(nullptr, ToQString(prompt), ToQString(initialFolder),
                                             options)
        .toStdString();
}

std::string QtDialogProvider::SaveFileDialog(std::string_view title, std::string_view filter,
                                             std::string_view proposedPath)
{
    // Qt's save dialog asks before an existing file is replaced.
    return QFileDialog::getSaveFileName(nullptr, ToQString(title), ToQString(proposedPath),
                                        ToQString(QtFileFilter(filter)))
        .toStdString();
}

std::string QtDialogProvider::OpenFileDialog(std::string_view title, std::string_view filter,
                                             std::string_view initialFolder)
{
    return QFileDialog::getOpenFileName(nullptr, ToQString(title), ToQString(initialFolder),
                                        ToQString(QtFileFilter(filter)))
        .toStdString();
}

bool QtDialogProvider::FontDialog(FontSpec& font)
{
    QFont initial(QString::fromStdString(font.name));
    if (font.size > 0)
        initial.setPointSize(font.size);
    initial.setBold(font.bold != 0);
    initial.setItalic(font.italic != 0);
    initial.setStrikeOut(font.strikeout != 0);
    initial.setUnderline(font.underline != 0);

    bool confirmed = false;
    const QFont chosen = QFontDialog::getFont(&confirmed, initial, nullptr);
    if (!confirmed)
        return false;
    font.bold = chosen.weight() >= QFont::Bold ? 1 : 0;
    font.italic = chosen.italic() ? 1 : 0;
    font.strikeout = chosen.strikeOut() ? 1 : 0;
    font.underline = chosen.underline() ? 1 : 0;
    font.size = chosen.pointSize() > 0 ? chosen.pointSize() : qRound(chosen.pointSizeF());
    font.name = chosen.family().toStdString();
    return true;
}

} // namespace quillet

#include "widgets/qt_dialogs.h"

#include "textfiles/convert.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
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

QMessageBox::ButtonRole RoleOf(MessageBoxAnswer answer)
{
    switch (answer) {
    case MessageBoxAnswer::Ok:
    case MessageBoxAnswer::Yes:
    case MessageBoxAnswer::Retry: return QMessageBox::AcceptRole;
    case MessageBoxAnswer::No: return QMessageBox::NoRole;
    case MessageBoxAnswer::Cancel:
    case MessageBoxAnswer::Abort: return QMessageBox::RejectRole;
    case MessageBoxAnswer::Ignore: break;
    }
    return QMessageBox::ActionRole;
}

// Shows the box and returns the answer of the pressed button, or nothing when
// the time-out closed it first.
std::optional<MessageBoxAnswer> RunMessageBox(std::string_view text, int style,
                                              std::string_view title,
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

    std::map<QAbstractButton*, MessageBoxAnswer> results;
    for (const MessageBoxAnswer result : layout.buttons) {
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

MessageBoxAnswer QtDialogProvider::MessageBox(std::string_view text, int style,
                                              std::string_view title)
{
    return RunMessageBox(text, style, title, std::nullopt).value_or(MessageBoxAnswer::Cancel);
}

std::optional<MessageBoxAnswer> QtDialogProvider::TimedMessageBox(std::string_view text,
                                                                  std::string_view title, int style,
                                                                  int milliseconds)
{
    return RunMessageBox(text, style, title, milliseconds);
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
    // A designed name ("宋体") stands for an installed face and is not in
    // the dialog's list of faces: the dialog starts on the face it draws
    // with, and a face left as it was keeps the designed name.
    const QString face = QFontInfo(QFont(QString::fromStdString(font.name))).family();
    QFont initial(face);
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
    if (chosen.family() != face)
        font.name = chosen.family().toStdString();
    return true;
}

} // namespace quillet

#include "runtime/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace quillet {
namespace {

QClipboard* Clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                         : nullptr;
}

} // namespace

std::string GetClipboardText()
{
    QClipboard* clipboard = Clipboard();
    return clipboard ? clipboard->text().toStdString() : std::string();
}

bool SetClipboardText(std::string_view text)
{
    QClipboard* clipboard = Clipboard();
    if (!clipboard)
        return false;
    text = text.substr(0, text.find('\0'));
    clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

} // namespace quillet

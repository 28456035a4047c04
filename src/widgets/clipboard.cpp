#include "widgets/clipboard.h"

#include "textfiles/convert.h"
#include "textfiles/text_encoding.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quillet {
namespace {

QClipboard* Clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

} // namespace

std::optional<OutsideText> ReadClipboardText()
{
    QClipboard* clipboard = Clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data)
        return std::nullopt;
    const QString plain = QStringLiteral("text/plain");
    if (data->hasFormat(plain)) {
        const QByteArray bytes = data->data(plain);
        return DecodeOutsideText(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    // Offered only under another text type (with a charset, say): Qt has
    // decoded it already.
    if (data->hasText())
        return EndAtZero(data->text().toStdString(), TextEncoding::Utf8);
    return std::nullopt;
}

bool SetClipboardText(std::string_view text)
{
    QClipboard* clipboard = Clipboard();
    if (!clipboard)
        return false;
    text = text.substr(0, text.find('\0'));
    clipboard->setText(ToQString(text));
    return true;
}

} // namespace quillet

#include "printing/standard_paper.h"

#include "textfiles/convert.h"

#include <QPageSize>
#include <QSizeF>

namespace quillet {
namespace {

std::vector<QPageSize> StandardSizes()
{
    std::vector<QPageSize> sizes{QPageSize(QPageSize::A4)};
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto pageId = static_cast<QPageSize::PageSizeId>(id);
        if (pageId != QPageSize::A4 && pageId != QPageSize::Custom)
            sizes.emplace_back(pageId);
    }
    return sizes;
}

} // namespace

std::vector<std::string> StandardPaperFormNames()
{
    std::vector<std::string> names;
    for (const QPageSize& size : StandardSizes())
        names.push_back(size.name().toStdString());
    return names;
}

bool StandardPaperFormSize(std::string_view formName, PaperForm& form)
{
    form = PaperForm{};
    const QString wanted = ToQString(formName);
    if (wanted.isEmpty())
        return false;
    for (const QPageSize& size : StandardSizes()) {
        if (size.name() != wanted)
            continue;
        const QSizeF millimetres = size.size(QPageSize::Millimeter);
        form.width = TruncateToInt(millimetres.width() * 10);
        form.height = TruncateToInt(millimetres.height() * 10);
        return true;
    }
    return false;
}

} // namespace quillet

#include "widgets/select_by_text.h"

#include "textfiles/convert.h"

#include <QComboBox>
#include <QListWidget>

namespace quillet {
int FindItemByPrefix(const QStringList& items, const QString& prefix)
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].startsWith(prefix, Qt::CaseInsensitive))
            return static_cast<int>(i);
    }
    return -1;
}

int SelectByText(QComboBox& list, std::string_view prefix)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items.append(list.itemText(i));
    const int index = FindItemByPrefix(items, ToQString(prefix));
    if (index >= 0)
        list.setCurrentIndex(index);
    return index;
}

int SelectByText(QListWidget& list, std::string_view prefix)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items.append(list.item(i)->text());
    const int index = FindItemByPrefix(items, ToQString(prefix));
    if (index >= 0)
        list.setCurrentRow(index);
    return index;
}

} // namespace quillet

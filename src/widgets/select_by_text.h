#pragma once
// "Select by text" in a list box or drop-down list: the first item whose
// text begins with the given text, letter case ignored.  Qt's own findText
// matches whole texts and respects case, so it cannot stand in for this.

#include <QString>
#include <QStringList>

#include <string_view>

class QComboBox;
class QListWidget;

namespace quillet {

// Index of the first item that begins with prefix (case ignored), or -1.
// An empty prefix begins every text, so it finds the first item.
int FindItemByPrefix(const QStringList& items, const QString& prefix);

// Selects that item and returns its index; -1 leaves the selection as it was.
int SelectByText(QComboBox& list, std::string_view prefix);
int SelectByText(QListWidget& list, std::string_view prefix);

} // namespace quillet

#pragma once
// The horizontal alignment a list's header gives the cells of a column.

#include <QTreeWidget>

namespace quillet::testing {

inline Qt::Alignment HeaderAlignment(const QTreeWidget& list, int column)
{
    return Qt::Alignment(list.headerItem()->data(column, Qt::TextAlignmentRole).toInt())
           & Qt::AlignHorizontal_Mask;
}

} // namespace quillet::testing

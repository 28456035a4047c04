#pragma once
// Readable failure messages for Qt values in GoogleTest assertions.  Include
// it in a test file that compares QStrings or QStringLists.

#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

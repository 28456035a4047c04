#pragma once
// The order in which desktop file managers list a folder, in the user's
// locale: QCollator in numeric mode, letter case ignored (pinyin order under
// zh_CN.UTF-8, IMG_2 before IMG_10).  The C locale has no numeric collation,
// so there runs of digits compare by their value and everything else by code
// point without regard to letter case.  Names that still tie (A.jpg and
// a.jpg, 01.jpg and 1.jpg) go by their raw bytes, so the order is total.
// Names that are not UTF-8 sort as they are shown (read as GB18030), so a
// GBK 照片001 sorts next to a UTF-8 照片002.

#include <QCollator>
#include <QLocale>

#include <optional>
#include <string>
#include <vector>

namespace quillet {

class NameOrder {
public:
    // The collation of that locale (see QLocale::collation).
    explicit NameOrder(const QLocale& locale);

    const QLocale& Locale() const { return locale_; }

    // Sorts names (raw bytes) into this order.  Each name is decoded and
    // keyed once, not once per comparison.
    void Sort(std::vector<std::string>& names) const;

private:
    QLocale locale_;
    std::optional<QCollator> collator_; // none for the C locale
};

// NameOrder::Sort in the collation of the default locale (the user's, unless
// the program set another), whose collator is made once, not per folder.
void SortNames(std::vector<std::string>& names);

} // namespace quillet

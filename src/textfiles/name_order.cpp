#include "textfiles/name_order.h"

#include "textfiles/convert.h"
#include "textfiles/file_names.h"

#include <QChar>
#include <QCollatorSortKey>

#include <algorithm>
#include <memory>
#include <numeric>

namespace quillet {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads one code point of valid UTF-8 at index and moves past it.
char32_t NextCodePoint(std::string_view text, std::size_t& index)
{
    const auto lead = static_cast<unsigned char>(text[index++]);
    if (lead < 0x80)
        return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra && index < text.size(); ++i)
        code = (code << 6) | (static_cast<unsigned char>(text[index++]) & 0x3F);
    return code;
}

char32_t Folded(char32_t code)
{
    if (code < 0x80)
        return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
    return QChar::toCaseFolded(code);
}

// The digit run starting at index, without its leading zeros; moves index
// past the whole run.
std::string_view DigitRun(std::string_view text, std::size_t& index)
{
    const std::size_t start = index;
    while (index < text.size() && IsDigit(text[index]))
        ++index;
    std::size_t significant = start;
    while (significant + 1 < index && text[significant] == '0')
        ++significant;
    return text.substr(significant, index - significant);
}

// The C locale's comparison of two valid UTF-8 texts, without the byte
// tie-break.
int CompareByCodePoint(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string_view x = DigitRun(a, i);
            const std::string_view y = DigitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0)
                return c;
            continue;
        }
        const char32_t x = Folded(NextCodePoint(a, i));
        const char32_t y = Folded(NextCodePoint(b, j));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

// A name as it is compared: its shown form (UTF-8) and, with a collator,
// that form's sort key.
struct NameKey {
    std::string decoded; // only for a name that is not UTF-8
    std::string_view shown; // the name itself or its decoded form
    std::optional<QCollatorSortKey> collation;
};

} // namespace

NameOrder::NameOrder(const QLocale& locale) : locale_(locale)
{
    const QLocale collation(locale.collation());
    if (collation.language() == QLocale::C)
        return;
    collator_.emplace(collation);
    collator_->setNumericMode(true);
    collator_->setCaseSensitivity(Qt::CaseInsensitive);
}

void NameOrder::Sort(std::vector<std::string>& names) const
{
    if (names.size() < 2)
        return;
    // Decoded forms only for the names that need one; most folders have none.
    std::vector<NameKey> keys(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        NameKey& key = keys[i];
        if (IsValidUtf8(names[i])) {
            key.shown = names[i];
        } else {
            key.decoded = DisplayName(names[i]);
            key.shown = key.decoded;
        }
        // ICU's sort keys compare as plain bytes: a folder is keyed once
        // instead of collated name against name at every step of the sort.
        if (collator_)
            key.collation = collator_->sortKey(ToQString(key.shown));
    }
    auto compare = [&](std::size_t x, std::size_t y) {
        const int c = collator_ ? keys[x].collation->compare(*keys[y].collation)
                                : CompareByCodePoint(keys[x].shown, keys[y].shown);
        // char_traits<char> compares as unsigned char: plain byte order.
        return c != 0 ? c < 0 : names[x].compare(names[y]) < 0;
    };
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), compare);
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

void SortNames(std::vector<std::string>& names)
{
    // One collator per thread, made again only when the default locale
    // changes: opening an ICU collator costs more than sorting a folder.
    thread_local std::unique_ptr<NameOrder> order;
    const QLocale locale;
    if (!order || order->Locale() != locale)
        order = std::make_unique<NameOrder>(locale);
    order->Sort(names);
}

} // namespace quillet

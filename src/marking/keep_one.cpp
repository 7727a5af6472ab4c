#include "marking/keep_one.h"

#include "core/format.h"
#include "core/text_compare.h"
#include "core/window_model.h"
#include "marking/mark_writer.h"
#include "scan/file_mask.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace twinsift {
namespace {

template <class T> int compareValues(T a, T b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// A version text made of decimal components, "10.0.2.1"; "N/A", an empty
// text and anything with other characters are not versions.
bool isVersion(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.')
        return false;
    char previous = '.';
    for (const char c : text) {
        if (c == '.' ? previous == '.' : (c < '0' || c > '9'))
            return false;
        previous = c;
    }
    return true;
}

// The next "."-separated component of `text`, consumed; "0" once it is used up.
std::string_view nextComponent(std::string_view& text) {
    if (text.empty())
        return "0";
    const auto dot = text.find('.');
    const std::string_view component = text.substr(0, dot);
    text.remove_prefix(dot == std::string_view::npos ? text.size() : dot + 1);
    return component;
}

// Digit runs of any length by their value.
int compareDigits(std::string_view a, std::string_view b) {
    auto significant = [](std::string_view digits) {
        const auto first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size())
        return compareValues(a.size(), b.size());
    return compareBinary(a, b);
}

// Versions by their numeric components, missing ones counting 0, so "10.0"
// comes after "9.2" and "1.2" equals "1.2.0.0". A text that is no version
// ranks below every version, and such texts among themselves as text.
int compareVersions(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    const bool aIsVersion = isVersion(a);
    const bool bIsVersion = isVersion(b);
    if (aIsVersion != bIsVersion)
        return aIsVersion ? 1 : -1;
    if (!aIsVersion)
        return compareText(a, b);
    while (!a.empty() || !b.empty()) {
        const std::string_view componentA = nextComponent(a);
        const std::string_view componentB = nextComponent(b);
        if (const int order = compareDigits(componentA, componentB))
            return order;
    }
    return 0;
}

std::uint64_t powerOfTen(int exponent) {
    std::uint64_t power = 1;
    while (exponent-- > 0)
        power *= 10;
    return power;
}

int decimalDigits(std::uint64_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// The order of the decimal texts of two row numbers ("12" before "9"),
// without writing them: the shorter number is scaled to the other's length
// and compared by value; when that ties, it is a prefix and comes first.
int compareNumberTexts(std::uint64_t a, std::uint64_t b) {
    const int digitsA = decimalDigits(a);
    const int digitsB = decimalDigits(b);
    const int length = std::max(digitsA, digitsB);
    const std::uint64_t scaledA = a * powerOfTen(length - digitsA);
    const std::uint64_t scaledB = b * powerOfTen(length - digitsB);
    if (scaledA != scaledB)
        return compareValues(scaledA, scaledB);
    return compareValues(digitsA, digitsB);
}

class Ranking {
public:
    Ranking(const WindowModel& model, const KeepRule& rule) : m_rows(model.rows), m_rule(rule) {}

    // Whether row `candidate` is kept rather than row `kept`: the higher (or
    // lower) key; on equal keys the row whose 1-based number text sorts
    // last (or first), as the rows' keys sorted as text used to decide.
    bool keptOver(std::size_t candidate, std::size_t kept) const {
        int order = compareKeys(m_rows[candidate], m_rows[kept]);
        if (order == 0)
            order = compareNumberTexts(candidate + 1, kept + 1);
        return m_rule.keepHighest ? order > 0 : order < 0;
    }

private:
    // Typed keys: the time to the second the user sees, sizes of any size.
    int compareKeys(const ResultRow& a, const ResultRow& b) const {
        switch (m_rule.key) {
        case KeepRule::Key::LastWrite:
            return compareValues(a.facts.lastWriteSeconds, b.facts.lastWriteSeconds);
        case KeepRule::Key::Size:
            return compareValues(a.facts.size, b.facts.size);
        case KeepRule::Key::Version:
            return compareVersions(a.text(ColFileVersion), b.text(ColFileVersion));
        }
        return 0;
    }

    const std::vector<ResultRow>& m_rows;
    KeepRule m_rule;
};

} // namespace

MarkedTotals markAllButOnePerGroup(WindowModel& model, const KeepRule& rule, const FileMask& mask,
                                   std::int64_t limitBytes) {
    const Ranking ranking(model, rule);
    MarkWriter writer(model);
    MarkedTotals totals;
    std::vector<std::size_t> marked; // the accepted rows of the group under way
    std::size_t kept = 0;
    auto settle = [&] {
        if (marked.empty())
            return;
        --totals.count;
        totals.bytes -= model.rows[kept].facts.size;
        for (const std::size_t row : marked)
            writer.set(row, row != kept);
        marked.clear();
    };
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const ResultRow& row = model.rows[r];
        if (startsGroup(model.rows, r))
            settle();
        if (!mask.matches(row.name()))
            continue;
        if (limitBytes > 0 && totals.bytes > limitBytes)
            break;
        ++totals.count;
        totals.bytes += row.facts.size;
        if (marked.empty() || ranking.keptOver(r, kept))
            kept = r;
        marked.push_back(r);
    }
    settle();
    writer.flush();
    return totals;
}

} // namespace twinsift

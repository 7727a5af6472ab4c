#include "core/sorting_lib.h"

#include "core/text_compare.h"

#include <cstddef>
#include <utility>

namespace twinsift {
namespace detail {
namespace {

using Index = std::ptrdiff_t;

// The largest hi - lo that goes to the insertion sort.
constexpr Index insertionSortSpan = 60;

// "Out of order" means: the comparison yields exactly the direction (+1
// ascending, -1 descending), so one code path serves both directions.
template <typename Compare> struct Sorter {
    std::span<std::string> list;
    int direction;
    Compare compare;

    bool after(const std::string& a, const std::string& b) const {
        return compare(a, b) == direction;
    }

    void insertionSort(Index lo, Index hi) {
        for (Index k = lo + 1; k <= hi; ++k) {
            if (!after(list[k - 1], list[k]))
                continue;
            std::string held = std::move(list[k]);
            Index m = k - 1;
            while (m >= lo && after(list[m], held)) {
                list[m + 1] = std::move(list[m]);
                --m;
            }
            list[m + 1] = std::move(held);
        }
    }

    // Leaves the pivot at its final index and returns that index.
    Index partition(Index lo, Index hi) {
        const Index mid = lo + (hi - lo) / 2;
        std::string pivot = std::move(list[mid]);
        list[mid] = std::move(list[lo]);
        Index i = lo + 1;
        Index j = hi;
        for (;;) {
            while (i < j && after(pivot, list[i]))
                ++i;
            while (j >= i && after(list[j], pivot))
                --j;
            if (i >= j) {
                // j can be lo itself, whose text was moved to mid: then the
                // slot is empty and only the pivot goes there.
                if (j != lo)
                    list[lo] = std::move(list[j]);
                list[j] = std::move(pivot);
                return j;
            }
            std::swap(list[i], list[j]);
            ++i;
            --j;
        }
    }

    void quickSort(Index lo, Index hi) {
        while (hi - lo > insertionSortSpan) {
            const Index p = partition(lo, hi);
            if (p - lo <= hi - p) {
                quickSort(lo, p - 1);
                lo = p + 1;
            } else {
                quickSort(p + 1, hi);
                hi = p - 1;
            }
        }
        insertionSort(lo, hi);
    }
};

template <typename Compare>
void sortWith(std::span<std::string> list, int direction, Compare compare) {
    Sorter<Compare> sorter{list, direction, compare};
    sorter.quickSort(0, static_cast<Index>(list.size()) - 1);
}

} // namespace
} // namespace detail

void SortStrings(std::span<std::string> list, bool ascending, bool binaryCompare) {
    if (list.size() < 2)
        return;
    const int direction = ascending ? 1 : -1;
    if (binaryCompare)
        detail::sortWith(list, direction, [](const std::string& a, const std::string& b) {
            return compareBinary(a, b);
        });
    else
        detail::sortWith(list, direction, [](const std::string& a, const std::string& b) {
            return compareText(a, b);
        });
}

} // namespace twinsift

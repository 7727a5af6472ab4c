#pragma once

#include <span>
#include <string>

namespace twinsift {

// Sorts the texts in place (pass a whole vector or any sub-range as a span).
// Text mode (binaryCompare false) orders case-insensitively by compareText;
// binary mode by bytes. A quick sort with the pivot in the middle that hands
// ranges of at most 61 texts to an insertion sort; it recurses only into the
// shorter part, so the stack stays logarithmic. Texts are moved, never copied.
// Equal texts keep their order within an insertion-sorted range only; the
// partitioning makes no such promise.
void SortStrings(std::span<std::string> list, bool ascending, bool binaryCompare);

} // namespace twinsift

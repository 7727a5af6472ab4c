#pragma once

#include "marking/quick_marks.h"

#include <cstdint>

namespace twinsift {

struct WindowModel;
class FileMask;

// Which row of a group a keep rule leaves unmarked: the one with the highest
// (newer, larger, newer version) or the lowest key.
struct KeepRule {
    enum class Key { LastWrite, Size, Version };
    Key key = Key::LastWrite;
    bool keepHighest = true;
};

// Walks the rows in list order, which must hold each group's rows together:
// marks every row that `mask` accepts and, when its group is over, unmarks
// the one `rule` keeps. Once the marked bytes exceed `limitBytes` (0: no
// limit) the walk stops at the next accepted row, settling the group under
// way. Returns the totals of the rows this walk left marked.
MarkedTotals markAllButOnePerGroup(WindowModel& model, const KeepRule& rule, const FileMask& mask,
                                   std::int64_t limitBytes);

} // namespace twinsift

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace twinsift {

// Something a scan left out for a reason other than its filters.
struct SkippedItem {
    std::string path;
    std::string reason;

    friend bool operator==(const SkippedItem&, const SkippedItem&) = default;
};

// What a scan left out: every item counted, the first kKept kept with their
// reasons, so that a tree of a million unreadable files cannot fill the memory.
class SkipList {
public:
    static constexpr std::size_t kKept = 10000;

    void add(std::string path, std::string reason);
    void clear() { *this = {}; }
    const std::vector<SkippedItem>& items() const { return m_items; }
    std::int64_t count() const { return m_count; }

private:
    std::vector<SkippedItem> m_items;
    std::int64_t m_count = 0;
};

} // namespace twinsift

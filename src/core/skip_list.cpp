#include "core/skip_list.h"

#include <utility>

namespace twinsift {

void SkipList::add(std::string path, std::string reason) {
    if (m_items.size() < kKept)
        m_items.push_back({std::move(path), std::move(reason)});
    ++m_count;
}

} // namespace twinsift

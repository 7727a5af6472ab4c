#include "core/chive.h"

#include "core/text_compare.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace twinsift {

namespace {

constexpr std::int32_t kInitialCapacity = 100;
constexpr std::uint8_t kRed = 1;
constexpr std::uint8_t kBlack = 0;
constexpr std::uint8_t kPending = 2;
// The position index reaches two past the node table.
constexpr std::int32_t kLargestBound = std::numeric_limits<std::int32_t>::max() - 3;

// The upper bound a table grows to: bound × growth rounded half to even, and
// at least one more, so that a factor near 1 (or a table of size 0) still grows.
std::int32_t grownBound(std::int32_t bound, float growth) {
    const double wanted = std::nearbyint(bound * static_cast<double>(growth));
    if (!(wanted > bound))
        return bound + 1;
    return static_cast<std::int32_t>(std::min(wanted, static_cast<double>(kLargestBound)));
}

// Resizes without the slack that vector's own growth would add: these tables
// grow by their own factor.
template <class T> void resizeExactly(std::vector<T>& table, std::size_t size) {
    table.reserve(size);
    table.resize(size);
}

// The first eight bytes that a comparison would see, big-endian, zero-padded.
std::uint64_t comparisonPrefix(std::string_view text, bool folded) {
    if (folded)
        return foldedPrefix(text);
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return prefix;
}

int compareBytes(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return (order > 0) - (order < 0);
}

// Not-a-number sorts after every number and equals itself, so that the tree
// keeps a total order.
int compareNumbers(double x, double y) {
    if (std::isnan(x) || std::isnan(y))
        return static_cast<int>(std::isnan(x)) - static_cast<int>(std::isnan(y));
    return (x > y) - (x < y);
}

double keyNumber(const Variant& key) {
    if (const auto* date = key.get<Date>())
        return date->serial;
    return *key.get<double>();
}

const char* errorDescription(std::int32_t code) {
    switch (code) {
    case CHive::InvalidIndex:
        return "Invalid Index.";
    case CHive::KeyNotFound:
        return "Key not Found in the Hive.";
    case CHive::WholeNumberKey:
        return "Key cannot be Integer or Long or Byte or any kind of Fixed Digit.";
    case CHive::DuplicateKey:
        return "Duplicate Key.";
    case CHive::InvalidParameter:
        return "Invalid Parameter.";
    default:
        return "";
    }
}

std::mt19937_64 seededGenerator() {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(),
                       device(), device(), device(), device()};
    return std::mt19937_64(seed);
}

} // namespace

// ---- CErrorCollection ----

void CErrorCollection::Clear() {
    m_entries.clear();
}

void CErrorCollection::Add(std::int32_t number, std::string source, std::string description,
                           std::int32_t helpContext, std::string helpFile) {
    m_entries.push_back(
        {number, std::move(source), std::move(description), helpContext, std::move(helpFile)});
}

void CErrorCollection::Remove(std::optional<std::int32_t> index) {
    if (entry(index))
        m_entries.erase(m_entries.begin() + (index ? *index : Count() - 1));
}

const CErrorCollection::Entry* CErrorCollection::entry(std::optional<std::int32_t> index) const {
    const std::int32_t at = index ? *index : Count() - 1;
    return at >= 0 && at < Count() ? &m_entries[static_cast<std::size_t>(at)] : nullptr;
}

std::int32_t CErrorCollection::ErrNumber(std::optional<std::int32_t> index) const {
    const Entry* found = entry(index);
    return found ? found->Number : 0;
}

std::string CErrorCollection::Source(std::optional<std::int32_t> index) const {
    const Entry* found = entry(index);
    return found ? found->Source : std::string();
}

std::string CErrorCollection::Description(std::optional<std::int32_t> index) const {
    const Entry* found = entry(index);
    return found ? found->Description : std::string();
}

std::int32_t CErrorCollection::HelpContext(std::optional<std::int32_t> index) const {
    const Entry* found = entry(index);
    return found ? found->HelpContext : 0;
}

std::string CErrorCollection::HelpFile(std::optional<std::int32_t> index) const {
    const Entry* found = entry(index);
    return found ? found->HelpFile : std::string();
}

// ---- CNode ----

void CNode::Init(std::int32_t size, float growth) {
    size = std::max(size, 0);
    m_nextFree = std::vector<std::int32_t>(static_cast<std::size_t>(size) + 1);
    for (std::int32_t node = 1; node < size; ++node)
        m_nextFree[static_cast<std::size_t>(node)] = node + 1;
    m_firstFree = size > 0 ? 1 : 0;
    m_growth = growth;
}

std::int32_t CNode::Alloc() {
    if (m_firstFree == 0) {
        const auto bound = static_cast<std::int32_t>(m_nextFree.size()) - 1;
        const std::int32_t grown = grownBound(bound, m_growth);
        resizeExactly(m_nextFree, static_cast<std::size_t>(grown) + 1);
        for (std::int32_t node = bound + 1; node < grown; ++node)
            m_nextFree[static_cast<std::size_t>(node)] = node + 1;
        m_nextFree[static_cast<std::size_t>(grown)] = 0;
        m_firstFree = bound + 1;
    }
    const std::int32_t node = m_firstFree;
    m_firstFree = m_nextFree[static_cast<std::size_t>(node)];
    return node;
}

void CNode::Free(std::int32_t node) {
    if (node < 1 || static_cast<std::size_t>(node) >= m_nextFree.size())
        return;
    m_nextFree[static_cast<std::size_t>(node)] = m_firstFree;
    m_firstFree = node;
}

// ---- CHive: public operations ----

std::string CHive::CreateGUIDKey() {
    thread_local std::mt19937_64 generator = seededGenerator();
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint64_t high = (generator() & ~0xF000ull) | 0x4000ull;    // version 4
    const std::uint64_t low = (generator() >> 2) | 0x8000000000000000ull; // variant 10xx

    std::string key(38, '-');
    key.front() = '{';
    key.back() = '}';
    std::size_t place = 1;
    for (int digit = 0; digit < 32; ++digit) {
        if (digit == 8 || digit == 12 || digit == 16 || digit == 20)
            ++place; // past a hyphen
        const std::uint64_t word = digit < 16 ? high : low;
        key[place++] = kHex[(word >> (60 - 4 * (digit % 16))) & 0xF];
    }
    return key;
}

void CHive::Add(Variant item, Variant item1, Variant item2, Variant item3, Variant item4,
                Variant item5, std::optional<Variant> key, const std::optional<Variant>& before,
                const std::optional<Variant>& after) {
    const bool keyless = !key;
    if (keyless) {
        key = CreateGUIDKey();
    } else if (const std::int32_t code = keyRefusal(*key)) {
        RaiseError(code, "Add");
        return;
    }
    if (!m_allocator)
        allocate(kInitialCapacity, m_growth);

    Descent place;
    if (!keyless) {
        place = descend(*key);
        if (place.order == 0) {
            RaiseError(DuplicateKey, "Add");
            return;
        }
    }
    std::int32_t position = 0; // 0: after the last element
    if (before || after) {
        const Resolved neighbour = GetIndex(before ? *before : *after);
        if (neighbour.node == 0) {
            RaiseError(KeyNotFound, "Add");
            return;
        }
        position = neighbour.position ? neighbour.position : PositionOf(neighbour.node);
        if (!before)
            ++position;
    }

    const std::int32_t node = m_allocator->Alloc();
    growTables(node);
    ++m_count;
    if (position == 0)
        position = m_count;
    else
        OpenGap(position);
    m_positions[static_cast<std::size_t>(position)] = node;

    Element& element = m_elements[node];
    element.key = std::move(*key);
    element.items = {std::move(item),  std::move(item1), std::move(item2),
                     std::move(item3), std::move(item4), std::move(item5)};
    if (keyless)
        holdBack(node);
    else
        linkNode(node, place);
}

void CHive::Remove(const Variant& index) {
    const Resolved target = GetIndex(index);
    if (target.node == 0) {
        RaiseError(InvalidIndex, "Remove");
        return;
    }
    if (m_links[target.node].color == kPending)
        dropPending(target.node);
    else
        unlinkNode(target.node);
    m_elements[target.node] = Element{};
    CloseGap(target.position ? target.position : PositionOf(target.node));
    m_positions[static_cast<std::size_t>(m_count)] = 0;
    --m_count;
    m_allocator->Free(target.node);
}

Variant CHive::FindFirst(Variant& key) {
    settlePending();
    m_cursor = m_root;
    m_stack.clear();
    return report(GetNextNode(), key);
}

Variant CHive::FindNext(Variant& key) {
    return report(GetNextNode(), key);
}

void CHive::Init(std::int32_t capacity, float growth) {
    allocate(capacity, growth);
    m_errors.Clear();
}

void CHive::Clear() {
    if (!m_allocator)
        return;
    m_links = {};
    m_elements = {};
    m_positions = {};
    m_root = 0;
    m_firstPending = 0;
    m_lastPending = 0;
    m_count = 0;
    m_cursor = 0;
    m_stack = {};
    m_allocator.reset();
    m_errors.Clear();
}

bool CHive::Exist(const Variant& index) {
    return GetIndex(index).node >= 1;
}

void CHive::setItem(const Variant& index, Variant value) {
    const Resolved target = GetIndex(index);
    if (target.node != 0)
        m_elements[target.node].items[0] = std::move(value);
}

Variant CHive::Key(std::int32_t position) {
    if (position < 1 || position > m_count) {
        RaiseError(InvalidIndex, "Key[Read]");
        return {};
    }
    return m_elements[nodeAt(position)].key;
}

void CHive::setKey(std::int32_t position, Variant key) {
    if (position < 1 || position > m_count) {
        RaiseError(InvalidIndex, "Key[Assign]");
        return;
    }
    if (const std::int32_t code = keyRefusal(key)) {
        RaiseError(code, "Key[Assign]");
        return;
    }
    const std::int32_t node = nodeAt(position);
    const Descent existing = descend(key);
    if (existing.order == 0 && existing.node != node) {
        RaiseError(DuplicateKey, "Key[Assign]");
        return;
    }
    unlinkNode(node);
    Element& element = m_elements[node];
    element.key = std::move(key);
    linkNode(node, descend(element.key));
}

void CHive::setCompareMode(std::int32_t mode) {
    if (m_count > 0 && (mode != 0) != (m_compareMode != 0)) {
        RaiseError(InvalidParameter, "CompareMode");
        return;
    }
    m_compareMode = mode;
}

std::int32_t CHive::nodeCapacity() const {
    return std::max(m_links.size() - 1, 0);
}

std::int32_t CHive::nodeAt(std::int32_t position) const {
    return position >= 1 && position <= m_count ? m_positions[static_cast<std::size_t>(position)]
                                                : 0;
}

// ---- CHive: lookup ----

Variant CHive::slot(const Variant& index, int slotNumber) {
    const Resolved target = GetIndex(index);
    if (target.node == 0) {
        RaiseError(KeyNotFound, "Item");
        return {};
    }
    return m_elements[target.node].items[static_cast<std::size_t>(slotNumber)];
}

Variant CHive::report(std::int32_t node, Variant& key) const {
    if (node == 0) {
        key = Variant();
        return {};
    }
    const Element& element = m_elements[node];
    key = element.key;
    return element.items[0];
}

CHive::Resolved CHive::GetIndex(const Variant& index) {
    if (const auto position = index.wholeNumber()) {
        if (*position < 1 || *position > m_count) {
            RaiseError(InvalidIndex, "GetIndex");
            return {};
        }
        const auto at = static_cast<std::int32_t>(*position);
        return {nodeAt(at), at};
    }
    return {FindNode(index), 0};
}

std::int32_t CHive::FindNode(const Variant& key) {
    if (keyRefusal(key) == 0) {
        const Descent found = descend(key);
        if (found.order == 0)
            return found.node;
    }
    RaiseError(KeyNotFound, "FindNode");
    return 0;
}

std::int32_t CHive::GetNextNode() {
    if (m_cursor == 0 && m_stack.empty()) {
        RaiseError(KeyNotFound, "GetNextNode");
        return 0;
    }
    settlePending(); // as if they had been in the tree all along
    while (m_cursor != 0) {
        m_stack.push_back(m_cursor);
        m_cursor = m_links[m_cursor].left;
    }
    const std::int32_t node = m_stack.back();
    m_stack.pop_back();
    m_cursor = m_links[node].right;
    return node;
}

void CHive::RaiseError(std::int32_t code, const char* procedure) {
    m_errors.Add(kErrorBase + code, procedure, errorDescription(code));
}

std::int32_t CHive::PositionOf(std::int32_t node) const {
    const auto first = m_positions.begin() + 1;
    const auto found = std::find(first, first + m_count, node);
    return static_cast<std::int32_t>(found - first) + 1;
}

int CHive::compareKeys(const Variant& a, const Variant& b) const {
    const auto* textA = a.get<std::string>();
    const auto* textB = b.get<std::string>();
    if (textA && textB)
        return m_compareMode != 0 ? compareText(*textA, *textB) : compareBytes(*textA, *textB);
    if (textA || textB)
        return textA ? 1 : -1; // numbers before texts
    return compareNumbers(keyNumber(a), keyNumber(b));
}

std::int32_t CHive::keyRefusal(const Variant& key) const {
    switch (key.type()) {
    case Variant::Type::String:
        return key.text().empty() ? EmptyKey : 0;
    case Variant::Type::Double:
    case Variant::Type::Date:
        return 0;
    case Variant::Type::Empty:
        return EmptyKey;
    case Variant::Type::Object:
        return InvalidParameter;
    default:
        return WholeNumberKey;
    }
}

CHive::Probe CHive::probe(const Variant& key) const {
    const auto* text = key.get<std::string>();
    return {key, text != nullptr, text ? comparisonPrefix(*text, m_compareMode != 0) : 0};
}

// Two texts whose prefixes differ compare as their prefixes do; only equal
// prefixes need the full comparison.
int CHive::compareWith(const Probe& probe, std::int32_t node) const {
    const Links& links = m_links[node];
    if (probe.textKey && links.textKey && probe.keyPrefix != links.keyPrefix)
        return probe.keyPrefix < links.keyPrefix ? -1 : 1;
    return compareKeys(probe.key, m_elements[node].key);
}

CHive::Descent CHive::descend(const Variant& key) {
    settlePending();
    return descendTree(key);
}

CHive::Descent CHive::descendTree(const Variant& key) const {
    const Probe search = probe(key);
    Descent place{0, 1, search.textKey, search.keyPrefix};
    for (std::int32_t node = m_root; node != 0;) {
        place.node = node;
        place.order = compareWith(search, node);
        if (place.order == 0)
            break;
        const Links& links = m_links[node];
        node = place.order < 0 ? links.left : links.right;
    }
    return place;
}

// ---- CHive: storage ----

void CHive::allocate(std::int32_t capacity, float growth) {
    capacity = std::max(capacity, 0);
    const auto size = static_cast<std::size_t>(capacity) + 1;
    m_growth = growth;
    m_links = {};
    m_links.resize(capacity + 1);
    m_elements = {};
    m_elements.resize(capacity + 1);
    m_positions = std::vector<std::int32_t>(size + 1);
    m_root = 0;
    m_firstPending = 0;
    m_lastPending = 0;
    m_count = 0;
    m_cursor = 0;
    m_stack.clear();
    m_allocator.emplace();
    m_allocator->Init(capacity, growth);
}

void CHive::growTables(std::int32_t node) {
    const std::int32_t bound = nodeCapacity();
    if (node > bound) {
        const std::int32_t grown = std::max(grownBound(bound, m_growth), node);
        m_links.resize(grown + 1);
        m_elements.resize(grown + 1);
        resizeExactly(m_positions, static_cast<std::size_t>(grown) + 3);
    }
    m_links.reach(node);
    m_elements.reach(node);
}

void CHive::OpenGap(std::int32_t position) {
    std::int32_t* at = m_positions.data() + position;
    std::memmove(at + 1, at, static_cast<std::size_t>(m_count - position) * sizeof(std::int32_t));
}

void CHive::CloseGap(std::int32_t position) {
    std::int32_t* at = m_positions.data() + position;
    std::memmove(at, at + 1, static_cast<std::size_t>(m_count - position) * sizeof(std::int32_t));
}

// ---- CHive: red-black tree ----

void CHive::holdBack(std::int32_t node) {
    m_links[node] = Links{m_lastPending, 0, 0, kPending};
    if (m_lastPending == 0)
        m_firstPending = node;
    else
        m_links[m_lastPending].right = node;
    m_lastPending = node;
}

void CHive::dropPending(std::int32_t node) {
    const Links links = m_links[node];
    if (links.left == 0)
        m_firstPending = links.right;
    else
        m_links[links.left].right = links.right;
    if (links.right == 0)
        m_lastPending = links.left;
    else
        m_links[links.right].left = links.left;
    m_links[node] = Links{};
}

// Inserts the held-back elements in the order they were added: unless an
// element was removed from the tree meanwhile, this builds the very tree that
// inserting each at its Add would have built.
void CHive::settlePending() {
    while (m_firstPending != 0) {
        const std::int32_t node = m_firstPending;
        m_firstPending = m_links[node].right;
        Element& element = m_elements[node];
        Descent place = descendTree(element.key);
        while (place.order == 0) { // two random keys alike: draw another
            element.key = CreateGUIDKey();
            place = descendTree(element.key);
        }
        linkNode(node, place);
    }
    m_lastPending = 0;
}

void CHive::linkNode(std::int32_t node, Descent place) {
    m_links[node] = Links{0, 0, place.node, kRed, place.textKey, place.keyPrefix};
    if (place.node == 0)
        m_root = node;
    else if (place.order < 0)
        m_links[place.node].left = node;
    else
        m_links[place.node].right = node;
    InsertFixup(node);
}

// Removes `node` from the tree by relinking, so that every other element
// keeps its node number.
void CHive::unlinkNode(std::int32_t node) {
    auto link = [this](std::int32_t n) -> Links& { return m_links[n]; };
    std::uint8_t removedColor = link(node).color;
    std::int32_t child = 0;
    if (link(node).left == 0) {
        child = link(node).right;
        transplant(node, child);
    } else if (link(node).right == 0) {
        child = link(node).left;
        transplant(node, child);
    } else {
        std::int32_t successor = link(node).right;
        while (link(successor).left != 0)
            successor = link(successor).left;
        removedColor = link(successor).color;
        child = link(successor).right;
        if (link(successor).parent == node) {
            link(child).parent = successor;
        } else {
            transplant(successor, child);
            link(successor).right = link(node).right;
            link(link(successor).right).parent = successor;
        }
        transplant(node, successor);
        link(successor).left = link(node).left;
        link(link(successor).left).parent = successor;
        link(successor).color = link(node).color;
    }
    if (removedColor == kBlack)
        DeleteFixup(child);
    link(0) = Links{};
    link(node) = Links{};
}

// Puts `to` (possibly the sentinel) where `from` hangs.
void CHive::transplant(std::int32_t from, std::int32_t to) {
    const std::int32_t parent = m_links[from].parent;
    if (parent == 0)
        m_root = to;
    else if (m_links[parent].left == from)
        m_links[parent].left = to;
    else
        m_links[parent].right = to;
    m_links[to].parent = parent;
}

void CHive::RotateLeft(std::int32_t x) {
    auto link = [this](std::int32_t n) -> Links& { return m_links[n]; };
    const std::int32_t y = link(x).right;
    link(x).right = link(y).left;
    if (link(y).left != 0)
        link(link(y).left).parent = x;
    link(y).parent = link(x).parent;
    if (link(x).parent == 0)
        m_root = y;
    else if (link(link(x).parent).left == x)
        link(link(x).parent).left = y;
    else
        link(link(x).parent).right = y;
    link(y).left = x;
    link(x).parent = y;
}

void CHive::RotateRight(std::int32_t x) {
    auto link = [this](std::int32_t n) -> Links& { return m_links[n]; };
    const std::int32_t y = link(x).left;
    link(x).left = link(y).right;
    if (link(y).right != 0)
        link(link(y).right).parent = x;
    link(y).parent = link(x).parent;
    if (link(x).parent == 0)
        m_root = y;
    else if (link(link(x).parent).right == x)
        link(link(x).parent).right = y;
    else
        link(link(x).parent).left = y;
    link(y).right = x;
    link(x).parent = y;
}

void CHive::InsertFixup(std::int32_t node) {
    auto link = [this](std::int32_t n) -> Links& { return m_links[n]; };
    while (node != m_root && link(link(node).parent).color == kRed) {
        std::int32_t parent = link(node).parent;
        const std::int32_t grandparent = link(parent).parent;
        const bool parentIsLeft = link(grandparent).left == parent;
        const std::int32_t uncle = parentIsLeft ? link(grandparent).right : link(grandparent).left;
        if (link(uncle).color == kRed) {
            link(parent).color = kBlack;
            link(uncle).color = kBlack;
            link(grandparent).color = kRed;
            node = grandparent;
            continue;
        }
        if (parentIsLeft && node == link(parent).right) {
            node = parent;
            RotateLeft(node);
        } else if (!parentIsLeft && node == link(parent).left) {
            node = parent;
            RotateRight(node);
        }
        parent = link(node).parent;
        link(parent).color = kBlack;
        link(grandparent).color = kRed;
        if (parentIsLeft)
            RotateRight(grandparent);
        else
            RotateLeft(grandparent);
    }
    link(m_root).color = kBlack;
}

void CHive::DeleteFixup(std::int32_t node) {
    auto link = [this](std::int32_t n) -> Links& { return m_links[n]; };
    auto color = [&](std::int32_t n) { return link(n).color; };
    while (node != m_root && color(node) == kBlack) {
        const std::int32_t parent = link(node).parent;
        const bool isLeft = link(parent).left == node;
        auto near = [&](std::int32_t n) { return isLeft ? link(n).left : link(n).right; };
        auto far = [&](std::int32_t n) { return isLeft ? link(n).right : link(n).left; };
        auto rotateToward = [&](std::int32_t n) { isLeft ? RotateLeft(n) : RotateRight(n); };
        auto rotateAway = [&](std::int32_t n) { isLeft ? RotateRight(n) : RotateLeft(n); };

        std::int32_t sibling = far(parent);
        if (color(sibling) == kRed) {
            link(sibling).color = kBlack;
            link(parent).color = kRed;
            rotateToward(parent);
            sibling = far(parent);
        }
        if (color(near(sibling)) == kBlack && color(far(sibling)) == kBlack) {
            link(sibling).color = kRed;
            node = parent;
            continue;
        }
        if (color(far(sibling)) == kBlack) {
            link(near(sibling)).color = kBlack;
            link(sibling).color = kRed;
            rotateAway(sibling);
            sibling = far(parent);
        }
        link(sibling).color = color(parent);
        link(parent).color = kBlack;
        link(far(sibling)).color = kBlack;
        rotateToward(parent);
        node = m_root;
    }
    link(node).color = kBlack;
}

} // namespace twinsift

#pragma once

#include "core/variant.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace twinsift {

namespace detail {

// A table indexed by node number whose entries live in fixed blocks, so that
// growing a large table never moves them: a store of a million elements
// neither copies them nor needs room for twice as many while it grows. The
// first block grows to its full size by moving, which keeps small stores small.
// Blocks past the first are allocated only when an entry in them is reached,
// so the capacity held in reserve after a growth costs no memory.
template <class T> class BlockTable {
public:
    T& operator[](std::int32_t index) { return m_blocks[block(index)][offset(index)]; }
    const T& operator[](std::int32_t index) const { return m_blocks[block(index)][offset(index)]; }

    std::int32_t size() const { return m_size; }
    void resize(std::int32_t size) {
        const std::int32_t firstBlockSize = std::min(size, kBlockSize);
        if (firstBlockSize > m_firstBlockSize) {
            auto grown = std::make_unique<T[]>(static_cast<std::size_t>(firstBlockSize));
            if (m_blocks.empty())
                m_blocks.push_back(nullptr);
            else
                std::move(m_blocks[0].get(), m_blocks[0].get() + m_firstBlockSize, grown.get());
            m_blocks[0] = std::move(grown);
            m_firstBlockSize = firstBlockSize;
        }
        m_size = size;
    }
    // Makes entries 0..index usable; index must lie below size().
    void reach(std::int32_t index) {
        while (m_blocks.size() <= block(index))
            m_blocks.push_back(std::make_unique<T[]>(kBlockSize));
    }

private:
    static constexpr int kBlockBits = 10;
    static constexpr std::int32_t kBlockSize = 1 << kBlockBits;
    static std::size_t block(std::int32_t index) {
        return static_cast<std::size_t>(index) >> kBlockBits;
    }
    static std::size_t offset(std::int32_t index) {
        return static_cast<std::size_t>(index) & (kBlockSize - 1);
    }

    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::int32_t m_firstBlockSize = 0;
    std::int32_t m_size = 0;
};

} // namespace detail

// The log in which a store records its failures instead of throwing them.
class CErrorCollection {
public:
    struct Entry {
        std::int32_t Number = 0;
        std::string Source;
        std::string Description;
        std::int32_t HelpContext = 0;
        std::string HelpFile;
    };

    void Clear();
    void Add(std::int32_t number, std::string source, std::string description,
             std::int32_t helpContext = 0, std::string helpFile = {});
    // Without an index the last entry goes; with one, that entry goes and the
    // later ones move down. An index outside the log changes nothing.
    void Remove(std::optional<std::int32_t> index = std::nullopt);

    // The fields of the last entry, or of the entry at `index` (from 0). An
    // index outside the log reads as 0 or an empty text.
    std::int32_t ErrNumber(std::optional<std::int32_t> index = std::nullopt) const;
    std::string Source(std::optional<std::int32_t> index = std::nullopt) const;
    std::string Description(std::optional<std::int32_t> index = std::nullopt) const;
    std::int32_t HelpContext(std::optional<std::int32_t> index = std::nullopt) const;
    std::string HelpFile(std::optional<std::int32_t> index = std::nullopt) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(m_entries.size()); }

private:
    const Entry* entry(std::optional<std::int32_t> index) const;

    std::vector<Entry> m_entries;
};

// Hands out node numbers from a free list; the most recently freed number
// comes back first, and the list grows by a factor when it runs dry.
class CNode {
public:
    void Init(std::int32_t size, float growth);
    std::int32_t Alloc();
    void Free(std::int32_t node);

private:
    std::vector<std::int32_t> m_nextFree; // index 0 unused
    std::int32_t m_firstFree = 0;
    float m_growth = 1.5f;
};

// An ordered, keyed collection: each element has a key and six value slots,
// and is reached by key (red-black tree) or by position 1..Count (insertion
// order, or the place given by Before/After). Failures are recorded in
// errors() and the operation returns its neutral result.
//
// Integers of any width (Byte, Integer, Long, LongLong) given as an index are
// positions; any other type is a key. A key is a non-empty text, a Double or a
// Date; numbers order before texts.
class CHive {
public:
    static constexpr std::int32_t kErrorBase = static_cast<std::int32_t>(0x80041388u);
    enum ErrorCode : std::int32_t {
        InvalidIndex = 1,
        KeyNotFound = 2,
        WholeNumberKey = 4,
        DuplicateKey = 8,
        InvalidParameter = 256,
        EmptyKey = 4096,
    };

    struct Links {
        std::int32_t left = 0;
        std::int32_t right = 0;
        std::int32_t parent = 0;
        // 1 = red, 0 = black; 2 = not yet in the tree, with left and right
        // linking to the elements added without a key just before and after.
        std::uint8_t color = 0;
        // A text key's first eight bytes as compared, so that a descent
        // seldom has to reach for the key itself.
        bool textKey = false;
        std::uint64_t keyPrefix = 0;
    };

    CHive() = default;
    // A member-wise move would leave the source with its counts but without
    // its tables; nothing needs to move a store, so none can.
    CHive(CHive&&) = delete;
    CHive& operator=(CHive&&) = delete;

    // "{XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX}": a random version-4 GUID in
    // upper-case hexadecimal.
    static std::string CreateGUIDKey();

    // Without a key the element gets a fresh GUID key. Before (which wins)
    // or After place it next to an existing element; otherwise it goes last.
    void Add(Variant item, Variant item1, Variant item2, Variant item3, Variant item4,
             Variant item5, std::optional<Variant> key = std::nullopt,
             const std::optional<Variant>& before = std::nullopt,
             const std::optional<Variant>& after = std::nullopt);
    void Remove(const Variant& index);

    // Key-order walk: the element's Item, with its key in `key`; Empty for
    // both past the last element.
    Variant FindFirst(Variant& key);
    Variant FindNext(Variant& key);

    void Init(std::int32_t capacity, float growth);
    void Clear();
    bool Exist(const Variant& index);

    Variant Item(const Variant& index) { return slot(index, 0); }
    Variant Item1(const Variant& index) { return slot(index, 1); }
    Variant Item2(const Variant& index) { return slot(index, 2); }
    Variant Item3(const Variant& index) { return slot(index, 3); }
    Variant Item4(const Variant& index) { return slot(index, 4); }
    Variant Item5(const Variant& index) { return slot(index, 5); }
    void setItem(const Variant& index, Variant value);

    Variant Key(std::int32_t position);
    // Re-keys the element at `position` and moves it to its new place in key
    // order; its position does not change.
    void setKey(std::int32_t position, Variant key);

    std::int32_t Count() const { return m_count; }
    std::int32_t CompareMode() const { return m_compareMode; }
    // 0 compares keys byte by byte, anything else ignores letter case. The
    // mode fixes the tree's order, so it can change only while the store is
    // empty.
    void setCompareMode(std::int32_t mode);

    CErrorCollection& errors() { return m_errors; }

    // Read-only views of the structure, for measures of its growth and checks
    // of its invariants. Looking at the tree puts every element into it first.
    std::int32_t nodeCapacity() const;
    std::int32_t nodeAt(std::int32_t position) const;
    std::int32_t root() {
        settlePending();
        return m_root;
    }
    const Links& links(std::int32_t node) {
        settlePending();
        return m_links[node];
    }

private:
    struct Element {
        Variant key;
        std::array<Variant, 6> items;
    };
    // A resolved index: the node, and its position when the index gave one.
    struct Resolved {
        std::int32_t node = 0;
        std::int32_t position = 0;
    };
    // Where a key sits in the tree: the node holding it (order 0), or the node
    // it would hang under, left for a negative order and right for a positive;
    // with the key's prefix for the links of a node that takes it.
    struct Descent {
        std::int32_t node = 0;
        int order = 1;
        bool textKey = false;
        std::uint64_t keyPrefix = 0;
    };

    Variant slot(const Variant& index, int slotNumber);
    Variant report(std::int32_t node, Variant& key) const;
    Resolved GetIndex(const Variant& index);
    std::int32_t FindNode(const Variant& key);
    std::int32_t GetNextNode();
    void RaiseError(std::int32_t code, const char* procedure);
    std::int32_t PositionOf(std::int32_t node) const;

    int compareKeys(const Variant& a, const Variant& b) const;
    std::int32_t keyRefusal(const Variant& key) const;
    // A key about to be compared with many nodes, with its prefix worked out once.
    struct Probe {
        const Variant& key;
        bool textKey;
        std::uint64_t keyPrefix;
    };

    Probe probe(const Variant& key) const;
    int compareWith(const Probe& probe, std::int32_t node) const;
    Descent descend(const Variant& key);
    Descent descendTree(const Variant& key) const;
    void allocate(std::int32_t capacity, float growth);
    void growTables(std::int32_t node);
    // Elements added without a key wait outside the tree until something
    // needs it: a scan adds one per file and never looks them up, and random
    // keys make every insertion a cache miss.
    void holdBack(std::int32_t node);
    void dropPending(std::int32_t node);
    void settlePending();
    void linkNode(std::int32_t node, Descent place);
    void unlinkNode(std::int32_t node);
    void transplant(std::int32_t from, std::int32_t to);
    void RotateLeft(std::int32_t x);
    void RotateRight(std::int32_t x);
    void InsertFixup(std::int32_t node);
    void DeleteFixup(std::int32_t node);
    void OpenGap(std::int32_t position);
    void CloseGap(std::int32_t position);

    detail::BlockTable<Links> m_links;      // node table, tree part: 0..N
    detail::BlockTable<Element> m_elements; // node table, data part: 0..N
    std::vector<std::int32_t> m_positions;  // node numbers at 1..Count (index 0 unused)
    std::int32_t m_root = 0;
    std::int32_t m_firstPending = 0; // the elements held back, in the order added
    std::int32_t m_lastPending = 0;
    std::int32_t m_count = 0;
    std::int32_t m_compareMode = 1;
    float m_growth = 1.5f;
    std::int32_t m_cursor = 0;
    std::vector<std::int32_t> m_stack;
    std::optional<CNode> m_allocator;
    CErrorCollection m_errors;
};

} // namespace twinsift

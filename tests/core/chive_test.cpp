#include "core/chive.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <random>
#include <regex>
#include <set>
#include <type_traits>
#include <vector>

namespace twinsift {

void PrintTo(const Variant& value, std::ostream* out) {
    if (const auto* text = value.get<std::string>())
        *out << '"' << *text << '"';
    else if (const auto number = value.wholeNumber())
        *out << *number;
    else if (const auto* real = value.get<double>())
        *out << *real;
    else
        *out << "<type " << static_cast<int>(value.type()) << '>';
}

namespace {

// Built by appending: `"e" + std::to_string(n)` trips a false -Wrestrict in GCC 12 at -O3.
std::string numbered(std::string prefix, long number) {
    prefix += std::to_string(number);
    return prefix;
}

void addText(CHive& hive, const std::string& item, std::optional<Variant> key = std::nullopt) {
    hive.Add(item, {}, {}, {}, {}, {}, std::move(key));
}

std::vector<std::string> itemsInPositionOrder(CHive& hive) {
    std::vector<std::string> items;
    for (std::int32_t position = 1; position <= hive.Count(); ++position)
        items.emplace_back(hive.Item(position).text());
    return items;
}

// Expects the log to hold exactly these (source, code) entries, oldest first.
void expectErrors(CHive& hive, const std::vector<std::pair<std::string, std::int32_t>>& expected) {
    CErrorCollection& log = hive.errors();
    ASSERT_EQ(log.Count(), static_cast<std::int32_t>(expected.size()));
    for (std::int32_t i = 0; i < log.Count(); ++i) {
        EXPECT_EQ(log.Source(i), expected[static_cast<std::size_t>(i)].first) << "entry " << i;
        EXPECT_EQ(log.ErrNumber(i),
                  CHive::kErrorBase + expected[static_cast<std::size_t>(i)].second)
            << "entry " << i;
    }
}

// Checks the red-black rules, parent links, key order (binary-mode keys) and
// that tree and position index hold the same elements.
class TreeChecker {
public:
    explicit TreeChecker(CHive& hive) : m_hive(hive) {}

    void check() {
        for (std::int32_t position = 1; position <= m_hive.Count(); ++position) {
            const bool fresh = m_positionOf.emplace(m_hive.nodeAt(position), position).second;
            EXPECT_TRUE(fresh) << "node listed at two positions";
        }
        EXPECT_EQ(m_hive.links(0).color, 0) << "sentinel must stay black";
        if (m_hive.root() != 0) {
            EXPECT_EQ(m_hive.links(m_hive.root()).parent, 0);
            EXPECT_EQ(m_hive.links(m_hive.root()).color, 0) << "root must be black";
        }
        walk(m_hive.root());
        EXPECT_EQ(m_inOrderKeys.size(), static_cast<std::size_t>(m_hive.Count()));
        EXPECT_TRUE(std::is_sorted(m_inOrderKeys.begin(), m_inOrderKeys.end()));
        EXPECT_EQ(std::adjacent_find(m_inOrderKeys.begin(), m_inOrderKeys.end()),
                  m_inOrderKeys.end());
    }

private:
    int walk(std::int32_t node) {
        if (node == 0)
            return 1;
        const CHive::Links& links = m_hive.links(node);
        for (const std::int32_t child : {links.left, links.right}) {
            if (child == 0)
                continue;
            EXPECT_EQ(m_hive.links(child).parent, node) << "broken parent link";
            if (links.color == 1) {
                EXPECT_EQ(m_hive.links(child).color, 0) << "red node with red child " << node;
            }
        }
        const int leftHeight = walk(links.left);
        const auto position = m_positionOf.find(node);
        EXPECT_NE(position, m_positionOf.end()) << "tree node " << node << " has no position";
        if (position != m_positionOf.end())
            m_inOrderKeys.emplace_back(m_hive.Key(position->second).text());
        const int rightHeight = walk(links.right);
        EXPECT_EQ(leftHeight, rightHeight) << "unequal black heights under " << node;
        return leftHeight + (links.color == 0 ? 1 : 0);
    }

    CHive& m_hive;
    std::map<std::int32_t, std::int32_t> m_positionOf;
    std::vector<std::string> m_inOrderKeys;
};

// Tables whose factor would not grow them must grow all the same; growth
// with the default factor is the random run's.
TEST(CHiveGrowth, keepsElementsWhenTablesWithAUselessFactorGrow) {
    CHive hive;
    hive.Init(0, 1.0f);
    for (int i = 1; i <= 101; ++i)
        addText(hive, numbered("e", i));
    for (std::int32_t position = 1; position <= 101; ++position)
        EXPECT_EQ(hive.Item(position), Variant(numbered("e", position)));
    EXPECT_EQ(hive.errors().Count(), 0);
    TreeChecker(hive).check();
}

// Text-mode keys are equal exactly when compareText calls them equal: simple
// case folding ("ſ" is "s", "ς" is "σ"), broken bytes compared as they are.
TEST(CHiveKeys, textModeFoldsCaseAndBinaryModeDoesNot) {
    const struct {
        const char* first;
        const char* second;
        bool sameKey;
        int compareMode;
    } cases[] = {
        {"ABC", "abc", true, 1},
        {"ABC", "abc", false, 0},
        {"\xC5\xBF", "S", true, 1},
        {"\xCF\x82", "\xCE\xA3", true, 1},
        {"\xC3\x84rger", "\xC3\xA4RGER", true, 1},
        {"A\xFF\xC3", "a\xFF\xC3", true, 1},
        {"a\xFF\xC3", "a\xFE\xC3", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.first << " / " << c.second << " mode " << c.compareMode);
        CHive hive;
        hive.setCompareMode(c.compareMode);
        addText(hive, "first", c.first);
        addText(hive, "second", c.second);
        EXPECT_EQ(hive.Count(), c.sameKey ? 1 : 2);
        EXPECT_EQ(hive.Item(c.second), Variant(c.sameKey ? "first" : "second"));
        if (c.sameKey) {
            expectErrors(hive, {{"Add", CHive::DuplicateKey}});
            EXPECT_EQ(hive.errors().Description(), "Duplicate Key.");
        }
        TreeChecker(hive).check();
    }
}

TEST(CHiveKeys, refusesWholeNumberEmptyAndObjectKeys) {
    CHive hive;
    for (const Variant& key :
         {Variant(7), Variant(std::int16_t{7}), Variant(std::uint8_t{7}), Variant(std::int64_t{7}),
          Variant(""), Variant(std::make_shared<int>(1))})
        addText(hive, "x", key);
    EXPECT_EQ(hive.Count(), 0);
    expectErrors(hive, {{"Add", CHive::WholeNumberKey},
                        {"Add", CHive::WholeNumberKey},
                        {"Add", CHive::WholeNumberKey},
                        {"Add", CHive::WholeNumberKey},
                        {"Add", CHive::EmptyKey},
                        {"Add", CHive::InvalidParameter}});
    EXPECT_EQ(hive.errors().Description(0),
              "Key cannot be Integer or Long or Byte or any kind of Fixed Digit.");
    EXPECT_EQ(hive.errors().Description(4), "");
}

TEST(CHiveKeys, floatingPointAndDateArgumentsAreKeysNeverPositions) {
    CHive hive;
    addText(hive, "one");
    addText(hive, "two");
    addText(hive, "keyed by 1.0", 1.0);
    addText(hive, "keyed by date", Date{45000.25});
    EXPECT_EQ(hive.Item(1.0), Variant("keyed by 1.0"));
    EXPECT_EQ(hive.Item(1), Variant("one"));
    EXPECT_EQ(hive.Item(Date{45000.25}), Variant("keyed by date"));
    hive.errors().Clear();
    EXPECT_TRUE(hive.Item(2.0).isEmpty());
    expectErrors(hive, {{"FindNode", CHive::KeyNotFound}, {"Item", CHive::KeyNotFound}});
    addText(hive, "same number as a date", Date{1.0});
    EXPECT_EQ(hive.Count(), 4);
}

TEST(CHiveKeys, compareModeCannotChangeUnderExistingKeys) {
    CHive hive;
    addText(hive, "a", "Key");
    hive.setCompareMode(0);
    EXPECT_EQ(hive.CompareMode(), 1);
    expectErrors(hive, {{"CompareMode", CHive::InvalidParameter}});
    hive.setCompareMode(2); // still text comparison
    EXPECT_EQ(hive.CompareMode(), 2);
    hive.Remove(1);
    hive.setCompareMode(0);
    EXPECT_EQ(hive.CompareMode(), 0);
}

bool isVersionFourGuidText(std::string_view key) {
    static const std::regex form(
        "\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    return std::regex_match(key.begin(), key.end(), form);
}

TEST(CHiveKeys, guidKeysAreBracedUpperCaseVersionFourAndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string key = CHive::CreateGUIDKey();
        ASSERT_TRUE(isVersionFourGuidText(key)) << key;
        seen.insert(key);
    }
    EXPECT_EQ(seen.size(), 2000u);
    CHive hive; // an element added without a key gets one
    addText(hive, "keyless");
    EXPECT_TRUE(isVersionFourGuidText(hive.Key(1).text()));
}

TEST(CHiveKeys, assigningAKeyReordersTheTreeButNotThePositions) {
    CHive hive;
    hive.setCompareMode(0);
    for (const char* key : {"m", "c", "t"})
        addText(hive, key, key);
    hive.setKey(2, "z");
    EXPECT_EQ(hive.Item("z"), Variant("c"));
    EXPECT_FALSE(hive.Exist("c"));
    EXPECT_EQ(hive.Key(2), Variant("z"));
    TreeChecker(hive).check(); // "z" moved to the tree's end

    hive.errors().Clear();
    hive.setKey(1, "t");
    hive.setKey(4, "q");
    hive.setKey(1, 5);
    expectErrors(hive, {{"Key[Assign]", CHive::DuplicateKey},
                        {"Key[Assign]", CHive::InvalidIndex},
                        {"Key[Assign]", CHive::WholeNumberKey}});
    EXPECT_EQ(hive.Key(1), Variant("m"));
    TreeChecker(hive).check();
}

TEST(CHiveIndexing, outOfRangePositionsLogResolutionThenOperation) {
    CHive hive;
    addText(hive, "a");
    addText(hive, "b");
    EXPECT_TRUE(hive.Item(0).isEmpty());
    EXPECT_TRUE(hive.Item3(3).isEmpty());
    expectErrors(hive, {{"GetIndex", CHive::InvalidIndex},
                        {"Item", CHive::KeyNotFound},
                        {"GetIndex", CHive::InvalidIndex},
                        {"Item", CHive::KeyNotFound}});
    EXPECT_EQ(hive.errors().Description(0), "Invalid Index.");
    EXPECT_EQ(hive.errors().Description(1), "Key not Found in the Hive.");

    hive.errors().Clear();
    EXPECT_FALSE(hive.Exist(3));
    EXPECT_TRUE(hive.Key(0).isEmpty());
    hive.Remove(3);
    hive.setItem("nowhere", "value");
    expectErrors(hive, {{"GetIndex", CHive::InvalidIndex},
                        {"Key[Read]", CHive::InvalidIndex},
                        {"GetIndex", CHive::InvalidIndex},
                        {"Remove", CHive::InvalidIndex},
                        {"FindNode", CHive::KeyNotFound}});
    EXPECT_EQ(hive.Count(), 2);
}

TEST(CHiveSlots, storesValuesAndSharesObjectReferences) {
    CHive hive;
    auto object = std::make_shared<std::string>("shared");
    hive.Add(object, "one", std::int64_t{5'000'000'000}, Date{2.5}, 1, 2, "k");
    EXPECT_EQ(hive.Item("k").get<ObjectRef>()->get(), object.get());
    EXPECT_EQ(hive.Item1(1), Variant("one"));
    EXPECT_EQ(hive.Item2(1), Variant(std::int64_t{5'000'000'000}));
    EXPECT_EQ(hive.Item3(1), Variant(Date{2.5}));
    EXPECT_EQ(hive.Item5("K"), Variant(2));

    hive.setItem(1, "replaced");
    EXPECT_EQ(hive.Item(1), Variant("replaced"));
    EXPECT_EQ(object.use_count(), 1);
}

TEST(CHiveOrder, beforeAndAfterPlaceTheNewElement) {
    CHive hive;
    addText(hive, "b", "b");
    addText(hive, "d", "d");
    hive.Add("a", {}, {}, {}, {}, {}, std::nullopt, 1);
    hive.Add("c", {}, {}, {}, {}, {}, std::nullopt, std::nullopt, "b");
    hive.Add("e", {}, {}, {}, {}, {}, std::nullopt, std::nullopt, 4);
    hive.Add("0", {}, {}, {}, {}, {}, std::nullopt, 1, "d"); // Before wins
    EXPECT_EQ(itemsInPositionOrder(hive), (std::vector<std::string>{"0", "a", "b", "c", "d", "e"}));

    hive.errors().Clear();
    hive.Add("lost", {}, {}, {}, {}, {}, std::nullopt, "missing");
    hive.Add("lost", {}, {}, {}, {}, {}, std::nullopt, std::nullopt, 7);
    EXPECT_EQ(hive.Count(), 6);
    expectErrors(hive, {{"FindNode", CHive::KeyNotFound},
                        {"Add", CHive::KeyNotFound},
                        {"GetIndex", CHive::InvalidIndex},
                        {"Add", CHive::KeyNotFound}});
}

TEST(CHiveOrder, enumeratesInKeyOrderAndRestartsAfterTheEnd) {
    CHive hive;
    for (const char* key : {"pear", "Apple", "fig", "banana"})
        addText(hive, std::string("item ") + key, key);
    Variant key;
    std::vector<std::string> keys;
    for (Variant item = hive.FindFirst(key); !item.isEmpty(); item = hive.FindNext(key)) {
        EXPECT_EQ(item, Variant("item " + std::string(key.text())));
        keys.emplace_back(key.text());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Apple", "banana", "fig", "pear"}));
    EXPECT_TRUE(key.isEmpty());
    expectErrors(hive, {{"GetNextNode", CHive::KeyNotFound}});

    EXPECT_EQ(hive.FindFirst(key), Variant("item Apple"));
    EXPECT_EQ(key, Variant("Apple"));
}

// A defaulted move kept Count() in the source while taking its tables, so
// that Item(1) on the source read freed memory.
static_assert(!std::is_move_constructible_v<CHive> && !std::is_move_assignable_v<CHive>);

TEST(CHiveLifecycle, clearLeavesAnEmptyStoreReadyForUse) {
    CHive unused;
    unused.Clear();
    EXPECT_EQ(unused.Count(), 0);

    CHive hive;
    hive.Init(10, 2.0f);
    for (int i = 0; i < 30; ++i)
        addText(hive, std::to_string(i));
    hive.Item(0);
    hive.Clear();
    EXPECT_EQ(hive.errors().Count(), 0);
    EXPECT_FALSE(hive.Exist(1));
    Variant key;
    EXPECT_TRUE(hive.FindFirst(key).isEmpty());

    addText(hive, "again");
    EXPECT_EQ(hive.Item(1), Variant("again"));
}

// Keyless elements (as a scan adds them) mixed with keyed ones and everything
// that needs the key tree; the model holds each element's key and item. Random
// removals take leaves and inner nodes, whose nodes the next Add must reuse.
TEST(CHiveTree, keylessElementsBehaveLikeKeyedOnesUnderRandomChanges) {
    struct Entry {
        std::string key;
        std::string item;
    };
    CHive hive;
    hive.setCompareMode(0);
    std::mt19937 random(20261206);
    std::vector<Entry> model;
    std::int32_t expectedErrors = 0;
    std::int32_t freedNode = 0; // the node the next Add must reuse
    auto randomPosition = [&] { return static_cast<std::int32_t>(random() % model.size()) + 1; };
    auto entryAt = [&](std::int32_t position) -> Entry& {
        return model[static_cast<std::size_t>(position - 1)];
    };
    auto expectReused = [&](std::int32_t position) {
        if (freedNode != 0) {
            EXPECT_EQ(hive.nodeAt(position), freedNode);
        }
        freedNode = 0;
    };

    for (int step = 0; step < 5000; ++step) {
        const std::string item = numbered("i", step);
        // Tree operations are rare enough that keyless elements pile up between them.
        const unsigned choice = model.empty() ? 0 : random() % 20;
        if (choice < 9) {
            const std::int32_t position = choice == 8 ? randomPosition() : hive.Count() + 1;
            if (choice == 8)
                hive.Add(item, {}, {}, {}, {}, {}, std::nullopt, position);
            else
                addText(hive, item);
            model.insert(model.begin() + (position - 1),
                         {std::string(hive.Key(position).text()), item});
            expectReused(position);
        } else if (choice < 11) {
            const std::string key = numbered("k", random() % 400);
            const bool fresh = std::none_of(model.begin(), model.end(),
                                            [&](const Entry& entry) { return entry.key == key; });
            const std::int32_t position = choice == 10 ? randomPosition() : hive.Count() + 1;
            if (choice == 10) // before an element named by its key, keyless ones included
                hive.Add(item, {}, {}, {}, {}, {}, key, entryAt(position).key);
            else
                addText(hive, item, key);
            if (fresh) {
                model.insert(model.begin() + (position - 1), {key, item});
                expectReused(position);
            } else {
                ++expectedErrors;
            }
        } else if (choice < 12) {
            const Entry& entry = entryAt(randomPosition());
            EXPECT_EQ(hive.Item(entry.key), Variant(entry.item));
            EXPECT_FALSE(hive.Exist(numbered("{missing", step)));
            ++expectedErrors;
        } else if (choice < 18) {
            // Often among the last few, where the latest keyless elements are.
            const std::int32_t position =
                random() % 2
                    ? randomPosition()
                    : hive.Count() - static_cast<std::int32_t>(
                                         random() % std::min<std::size_t>(model.size(), 4));
            freedNode = hive.nodeAt(position);
            if (choice == 17)
                hive.Remove(entryAt(position).key);
            else
                hive.Remove(position);
            model.erase(model.begin() + (position - 1));
        } else {
            std::vector<std::string> expectedKeys;
            for (const Entry& entry : model)
                expectedKeys.push_back(entry.key);
            std::sort(expectedKeys.begin(), expectedKeys.end());
            std::vector<std::string> keys;
            Variant key;
            for (Variant found = hive.FindFirst(key); !found.isEmpty(); found = hive.FindNext(key))
                keys.emplace_back(key.text());
            EXPECT_EQ(keys, expectedKeys);
            ++expectedErrors; // the walk ends with "GetNextNode"
        }

        ASSERT_EQ(hive.Count(), static_cast<std::int32_t>(model.size()));
        ASSERT_EQ(hive.errors().Count(), expectedErrors) << "after step " << step;
        if (step % 250 == 0) {
            for (std::int32_t position = 1; position <= hive.Count(); ++position) {
                EXPECT_EQ(hive.Key(position), Variant(entryAt(position).key));
                EXPECT_EQ(hive.Item(position), Variant(entryAt(position).item));
            }
            TreeChecker(hive).check();
            ASSERT_FALSE(testing::Test::HasFailure()) << "after step " << step;
        }
    }
    TreeChecker(hive).check();
}

TEST(CErrorCollectionTest, removesAndReadsEntriesByIndexOrLast) {
    CErrorCollection log;
    EXPECT_EQ(log.ErrNumber(), 0);
    log.Remove(); // nothing to remove
    log.Add(1, "first", "one", 10, "a.hlp");
    log.Add(2, "second", "two");
    log.Add(3, "third", "three");
    EXPECT_EQ(log.Source(), "third");
    EXPECT_EQ(log.HelpContext(0), 10);
    EXPECT_EQ(log.HelpFile(0), "a.hlp");

    log.Remove(0);
    EXPECT_EQ(log.Count(), 2);
    EXPECT_EQ(log.ErrNumber(0), 2);
    log.Remove();
    EXPECT_EQ(log.Description(), "two");
    log.Remove(5);
    EXPECT_EQ(log.Count(), 1);
    EXPECT_EQ(log.Description(-1), "");
}

} // namespace
} // namespace twinsift

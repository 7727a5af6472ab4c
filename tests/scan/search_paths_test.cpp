#include "scan/search_paths.h"

#include "support/memory_settings.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::MemorySettings;

FolderForm form(std::string minimum, std::string maximum, std::string from = {},
                std::string to = {}) {
    FolderForm f;
    f.folder = "/data/photos";
    f.mask = kAllFilesMask;
    f.minimumKB = std::move(minimum);
    f.maximumKB = std::move(maximum);
    f.minimumDate = std::move(from);
    f.maximumDate = std::move(to);
    return f;
}

TEST(FolderFormValidation, theFirstRefusedCheckIsNamedWithItsField) {
    const std::string notGreater = "Maximum size must be greater then minimum size";
    using enum FolderField;
    struct Case {
        const char* minimum;
        const char* maximum;
        const char* from;
        const char* to;
        std::string refusal; // empty: accepted
        FolderField focus = MaximumSize;
    };
    const std::vector<Case> cases = {
        // The maximum must exceed the minimum as whole KB, also beyond 32 bits.
        {"10", "10", "", "", notGreater},
        {"10", "10.4", "", "", notGreater},
        {"10", "11", "", "", ""},
        {"10", "", "", "", ""},
        {"3000000", "", "", "", ""},
        {"3000000", "2999999", "", "", notGreater},
        {"4294967296", "4294967297", "", "", ""},
        // A minimum that is no size is corrected first, then compared.
        {"x", "10", "", "", notGreater},
        {"x", "11", "", "", ""},
        // Dates are checked in order: an unreadable one is named before a
        // missing minimum.
        {"10", "", "13/01/2024", "02/30/2024", "13/01/2024 is not a valid date", MinimumDate},
        {"10", "", "01/01/2024", "02/30/2024", "02/30/2024 is not a valid date", MaximumDate},
        {"10", "", "", "tomorrow", "tomorrow is not a valid date", MaximumDate},
        {"10", "", "", "02/01/2024", "You cannot enter Max-Date until Min-Date is valid",
         MinimumDate},
        {"10", "", "02/01/2024", "01/31/2024", "Max-Date must be greater than Min-Date",
         MaximumDate},
        // Date bounds are inclusive and compare as dates, not as texts.
        {"10", "", "02/01/2024", "02/01/2024", ""},
        {"10", "", "12/31/2023", "1/1/2024", ""},
        {"10", "", "   ", "  ", ""},
        // The size check comes first.
        {"10", "5", "bad", "", notGreater},
    };
    for (const Case& c : cases) {
        FolderForm f = form(c.minimum, c.maximum, c.from, c.to);
        const auto error = validateFolderForm(f);
        const std::string label =
            std::string(c.minimum) + "|" + c.maximum + "|" + c.from + "|" + c.to;
        EXPECT_EQ(error ? error->message : "", c.refusal) << label;
        if (error) {
            EXPECT_EQ(error->focus, c.focus) << label;
        }
    }
}

TEST(FolderFormValidation, sizesThatAreNotSizesAreCorrectedSilently) {
    // Each of these would overflow the byte count or make no sense as a size.
    for (const char* bad : {"", "abc", "12abc", "-5", "-0.4", "1e300", "9007199254740992"}) {
        FolderForm f = form(bad, bad);
        EXPECT_FALSE(validateFolderForm(f)) << bad;
        EXPECT_EQ(f.minimumKB, "10") << bad;
        EXPECT_EQ(f.maximumKB, "") << bad;
    }
    // What the scan uses is the typed number × 1024, rounded, up to the largest.
    EXPECT_EQ(sizeInKB("9007199254740991"), 9007199254740991);
    EXPECT_EQ(sizeBoundBytes("0.4"), 410);
    EXPECT_EQ(sizeBoundBytes("9e15"), 9000000000000000LL * 1024);
    EXPECT_EQ(sizeBoundBytes("9007199254740991"), 9007199254740991LL * 1024);
}

TEST(SearchPathRows, acceptedFormBecomesRowWithPaddedDates) {
    FolderForm f = form("0", "5000000000", "1/2/2024", "12/31/2024");
    f.subFolders = false;
    const auto row = std::get<SearchPathRow>(makeSearchPathRow(f));
    EXPECT_EQ(row.text, "/data/photos");
    EXPECT_EQ(row.subItems, (std::array<std::string, 6>{"No", kAllFilesMask, "0", "5000000000",
                                                        "01/02/2024", "12/31/2024"}));
    EXPECT_EQ(row.icon, image::SearchPath);

    // Typed folders and masks are kept as they are; a blank mask takes all files.
    f.folder = "/home/me/Photos, 2019 ";
    for (const auto& [typed, kept] : std::vector<std::pair<std::string, std::string>>{
             {"Mine (*.a, *.b", "Mine (*.a, *.b"}, {"  ", kAllFilesMask}}) {
        f.mask = typed;
        const auto typedRow = std::get<SearchPathRow>(makeSearchPathRow(f));
        EXPECT_EQ(typedRow.text, "/home/me/Photos, 2019 ");
        EXPECT_EQ(typedRow.subItems[SearchPathRow::FileType], kept) << typed;
    }
}

TEST(RememberedMasks, firstUseOffersPresetsThenNewMaskComesFirst) {
    MemorySettings settings;
    auto masks = loadFileMasks(settings);
    EXPECT_EQ(masks[3], "Images  (*.bmp *.gif *.jpg *.jpeg *.pcx *.png *.psd *.tif *.wmf)");

    EXPECT_TRUE(rememberFileMask(masks, settings, "Raw (*.cr2 *.nef)"));
    EXPECT_FALSE(rememberFileMask(masks, settings, "Raw (*.cr2 *.nef)"));
    EXPECT_FALSE(rememberFileMask(masks, settings, "All files(*.*)"));
    EXPECT_FALSE(rememberFileMask(masks, settings, "   "));
    EXPECT_TRUE(rememberFileMask(masks, settings, "raw (*.cr2 *.nef)"));

    const auto reloaded = loadFileMasks(settings);
    EXPECT_EQ(reloaded, masks);
    ASSERT_EQ(reloaded.size(), 12u);
    EXPECT_EQ(reloaded[0], "raw (*.cr2 *.nef)");
    EXPECT_EQ(reloaded[1], "Raw (*.cr2 *.nef)");
}

TEST(RememberedMasks, storedListIsRewrittenWholeWithoutEmptyValues) {
    MemorySettings settings;
    settings.saveSetting("FileMask", "0", "A (*.a)");
    settings.saveSetting("FileMask", "1", "");
    settings.saveSetting("FileMask", "2", "B (*.b)");
    auto masks = loadFileMasks(settings);
    rememberFileMask(masks, settings, "C (*.c)");
    EXPECT_EQ(settings.getAllSettings("FileMask"),
              (std::vector<std::pair<std::string, std::string>>{
                  {"0", "C (*.c)"}, {"1", "A (*.a)"}, {"2", "B (*.b)"}}));
}

TEST(RememberedChoices, confirmedValuesAreTheNextDefaults) {
    MemorySettings settings;
    const FolderForm fresh = newFolderDefaults(settings);
    EXPECT_EQ(fresh.mask + "|" + fresh.minimumKB + "|" + fresh.maximumKB, "All files(*.*)|10|");
    EXPECT_TRUE(fresh.subFolders && !fresh.exclude);

    FolderForm f = form("0", "500", "01/01/2024", "");
    f.mask = "Text files  (*.txt *.bak)";
    saveFolderChoices(settings, f);
    EXPECT_EQ(settings.getSetting("Options", "MinFileDate", "?"), "01/01/2024");
    EXPECT_EQ(settings.getSetting("Options", "MaxFileDate", "?"), "");

    // Excluding a folder leaves the mask and sizes chosen for searching alone.
    FolderForm excluded = form("", "", "02/02/2024", "");
    excluded.exclude = true;
    acceptFolderForm(excluded);
    saveFolderChoices(settings, excluded);

    const FolderForm next = newFolderDefaults(settings);
    EXPECT_EQ(next.mask + "|" + next.minimumKB + "|" + next.maximumKB,
              "Text files  (*.txt *.bak)|0|500");
    EXPECT_EQ(settings.getSetting("Options", "MinFileDate", "?"), "02/02/2024");
}

SearchPathRow rowFor(const std::string& path, const std::string& minimum = "10") {
    FolderForm f = form(minimum, "");
    f.folder = path;
    return searchPathRow(f);
}

// The listed folders with their minimum sizes, the selected row and whether
// Remove is offered.
std::string listState(const WindowModel& model) {
    std::string text;
    for (const SearchPathRow& row : model.SearchList)
        text += row.text + "(" + row.subItems[SearchPathRow::MinSize] + ") ";
    return text + "selected " + std::to_string(model.selectedSearchPath) +
           (model.cmdRemoveEnabled ? " removable" : "");
}

TEST(SearchListCommands, addUpdatesSamePathExactlyAndRemoveDropsTheSelectedRow) {
    WindowModel model;
    addSearchPath(model, rowFor("/data/a"));
    addSearchPath(model, rowFor("/data/b"));
    EXPECT_EQ(listState(model), "/data/a(10) /data/b(10) selected 1 removable");
    addSearchPath(model, rowFor("/data/a", "99"));
    EXPECT_EQ(listState(model), "/data/a(99) /data/b(10) selected 0 removable");
    addSearchPath(model, rowFor("/data/A"));
    EXPECT_EQ(listState(model), "/data/a(99) /data/b(10) /data/A(10) selected 2 removable");

    removeSelectedSearchPath(model);
    EXPECT_EQ(listState(model), "/data/a(99) /data/b(10) selected 1 removable");
    model.selectedSearchPath = 0;
    removeSelectedSearchPath(model);
    EXPECT_EQ(listState(model), "/data/b(10) selected 0 removable");
    removeSelectedSearchPath(model);
    removeSelectedSearchPath(model); // nothing left: harmless
    EXPECT_EQ(listState(model), "selected -1");
}

} // namespace
} // namespace twinsift

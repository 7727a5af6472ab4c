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

// The message of the first refused check, or "" when all pass.
std::string refusal(FolderForm f) {
    const auto error = validateFolderForm(f);
    return error ? error->message : std::string();
}

TEST(FolderFormValidation, maximumMustExceedMinimumAsWholeKB) {
    EXPECT_EQ(refusal(form("10", "10")), "Maximum size must be greater then minimum size");
    EXPECT_EQ(refusal(form("10", "9")), "Maximum size must be greater then minimum size");
    EXPECT_EQ(refusal(form("10", "11")), "");
    EXPECT_EQ(refusal(form("10", "10.4")), "Maximum size must be greater then minimum size");
    EXPECT_EQ(refusal(form("10", "")), "");

    FolderForm f = form("10", "10");
    EXPECT_EQ(validateFolderForm(f)->focus, FolderField::MaximumSize);
}

TEST(FolderFormValidation, sizesBeyond32BitsWork) {
    EXPECT_EQ(refusal(form("3000000", "")), "");
    EXPECT_EQ(refusal(form("3000000", "2999999")),
              "Maximum size must be greater then minimum size");
    EXPECT_EQ(refusal(form("4294967296", "4294967297")), "");
    EXPECT_EQ(sizeInKB("9007199254740991"), 9007199254740991);
    // What the scan uses is the typed number × 1024, rounded.
    EXPECT_EQ(sizeBoundBytes("0.4"), 410);
    EXPECT_EQ(sizeBoundBytes("9e15"), 9000000000000000LL * 1024);
    EXPECT_EQ(sizeBoundBytes("9007199254740991"), 9007199254740991LL * 1024);
    const auto row = std::get<SearchPathRow>(makeSearchPathRow(form("3000000", "5000000000")));
    EXPECT_EQ(row.subItems[SearchPathRow::MinSize], "3000000");
    EXPECT_EQ(row.subItems[SearchPathRow::MaxSize], "5000000000");
}

TEST(FolderFormValidation, sizesThatAreNotSizesAreCorrectedSilently) {
    // Each of these would overflow the byte count or make no sense as a size.
    for (const char* bad : {"", "abc", "12abc", "-5", "-0.4", "1e300", "9007199254740992"}) {
        FolderForm f = form(bad, bad);
        EXPECT_FALSE(validateFolderForm(f)) << bad;
        EXPECT_EQ(f.minimumKB, "10") << bad;
        EXPECT_EQ(f.maximumKB, "") << bad;
    }
    // The corrected minimum is what the maximum is compared with.
    EXPECT_EQ(refusal(form("x", "10")), "Maximum size must be greater then minimum size");
    EXPECT_EQ(refusal(form("x", "11")), "");
}

TEST(FolderFormValidation, datesAreCheckedInOrderWithTheirMessages) {
    FolderForm f = form("10", "", "13/01/2024", "02/30/2024");
    auto error = validateFolderForm(f);
    EXPECT_EQ(error->message, "13/01/2024 is not a valid date");
    EXPECT_EQ(error->focus, FolderField::MinimumDate);

    f = form("10", "", "01/01/2024", "02/30/2024");
    error = validateFolderForm(f);
    EXPECT_EQ(error->message, "02/30/2024 is not a valid date");
    EXPECT_EQ(error->focus, FolderField::MaximumDate);

    // An unreadable maximum is named before the missing minimum.
    EXPECT_EQ(refusal(form("10", "", "", "tomorrow")), "tomorrow is not a valid date");

    f = form("10", "", "", "02/01/2024");
    error = validateFolderForm(f);
    EXPECT_EQ(error->message, "You cannot enter Max-Date until Min-Date is valid");
    EXPECT_EQ(error->focus, FolderField::MinimumDate);

    f = form("10", "", "02/01/2024", "01/31/2024");
    error = validateFolderForm(f);
    EXPECT_EQ(error->message, "Max-Date must be greater than Min-Date");
    EXPECT_EQ(error->focus, FolderField::MaximumDate);

    // Bounds are inclusive and compare as dates, not as texts.
    EXPECT_EQ(refusal(form("10", "", "02/01/2024", "02/01/2024")), "");
    EXPECT_EQ(refusal(form("10", "", "12/31/2023", "1/1/2024")), "");
    EXPECT_EQ(refusal(form("10", "", "   ", "  ")), "");

    // The size check comes first.
    EXPECT_EQ(refusal(form("10", "5", "bad", "")),
              "Maximum size must be greater then minimum size");
}

TEST(SearchPathRows, acceptedFormBecomesRowWithPaddedDates) {
    FolderForm f = form("0", "250", "1/2/2024", "12/31/2024");
    f.subFolders = false;
    const auto row = std::get<SearchPathRow>(makeSearchPathRow(f));
    EXPECT_EQ(row.text, "/data/photos");
    EXPECT_EQ(row.subItems, (std::array<std::string, 6>{"No", kAllFilesMask, "0", "250",
                                                        "01/02/2024", "12/31/2024"}));
    EXPECT_EQ(row.icon, image::SearchPath);
}

TEST(SearchPathRows, typedTextsAreKeptAsTheyAre) {
    FolderForm f = form("10", "");
    f.folder = "/home/me/Photos, 2019 ";
    f.mask = "*.dat";
    auto row = std::get<SearchPathRow>(makeSearchPathRow(f));
    EXPECT_EQ(row.text, "/home/me/Photos, 2019 ");
    EXPECT_EQ(row.subItems[SearchPathRow::FileType], "*.dat");

    f.mask = "Mine (*.a, *.b";
    row = std::get<SearchPathRow>(makeSearchPathRow(f));
    EXPECT_EQ(row.subItems[SearchPathRow::FileType], "Mine (*.a, *.b");

    f.mask = "  ";
    row = std::get<SearchPathRow>(makeSearchPathRow(f));
    EXPECT_EQ(row.subItems[SearchPathRow::FileType], kAllFilesMask);
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
    EXPECT_EQ(settings.getSetting("FileMask", "0", ""), "raw (*.cr2 *.nef)");
    EXPECT_EQ(settings.getSetting("FileMask", "11", ""), masks.back());
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
    FolderForm fresh = newFolderDefaults(settings);
    EXPECT_EQ(fresh.mask, "All files(*.*)");
    EXPECT_EQ(fresh.minimumKB, "10");
    EXPECT_EQ(fresh.maximumKB, "");
    EXPECT_TRUE(fresh.subFolders);
    EXPECT_FALSE(fresh.exclude);

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
    EXPECT_EQ(next.mask, "Text files  (*.txt *.bak)");
    EXPECT_EQ(next.minimumKB, "0");
    EXPECT_EQ(next.maximumKB, "500");
    EXPECT_EQ(settings.getSetting("Options", "MinFileDate", "?"), "02/02/2024");
}

SearchPathRow rowFor(const std::string& path, const std::string& minimum = "10") {
    FolderForm f = form(minimum, "");
    f.folder = path;
    return searchPathRow(f);
}

TEST(SearchListCommands, addUpdatesSamePathExactlyAndAppendsOthers) {
    WindowModel model;
    addSearchPath(model, rowFor("/data/a"));
    addSearchPath(model, rowFor("/data/b"));
    EXPECT_TRUE(model.cmdRemoveEnabled);
    EXPECT_EQ(model.selectedSearchPath, 1);

    addSearchPath(model, rowFor("/data/a", "99"));
    ASSERT_EQ(model.SearchList.size(), 2u);
    EXPECT_EQ(model.SearchList[0].subItems[SearchPathRow::MinSize], "99");
    EXPECT_EQ(model.selectedSearchPath, 0);

    addSearchPath(model, rowFor("/data/A"));
    ASSERT_EQ(model.SearchList.size(), 3u);
    EXPECT_EQ(model.SearchList[2].text, "/data/A");
}

TEST(SearchListCommands, removeDropsSelectedRowAndDisablesWhenEmpty) {
    WindowModel model;
    for (const char* path : {"/a", "/b", "/c"})
        addSearchPath(model, rowFor(path));
    model.selectedSearchPath = 2;
    removeSelectedSearchPath(model);
    ASSERT_EQ(model.SearchList.size(), 2u);
    EXPECT_EQ(model.selectedSearchPath, 1);

    model.selectedSearchPath = 0;
    removeSelectedSearchPath(model);
    EXPECT_EQ(model.SearchList[0].text, "/b");
    EXPECT_EQ(model.selectedSearchPath, 0);
    EXPECT_TRUE(model.cmdRemoveEnabled);

    removeSelectedSearchPath(model);
    EXPECT_TRUE(model.SearchList.empty());
    EXPECT_EQ(model.selectedSearchPath, -1);
    EXPECT_FALSE(model.cmdRemoveEnabled);
    removeSelectedSearchPath(model); // nothing left: harmless
    EXPECT_FALSE(model.cmdRemoveEnabled);
}

} // namespace
} // namespace twinsift

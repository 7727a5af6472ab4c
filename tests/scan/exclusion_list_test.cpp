#include "scan/exclusion_list.h"

#include "core/runtime_error.h"
#include "core/text_file.h"
#include "scan/file_mask.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::readFile;
using test::TempDir;

ExclusionList listOf(std::vector<ExclusionEntry> folders, std::vector<ExclusionEntry> extensions) {
    ExclusionList list;
    list.folders = std::move(folders);
    list.extensions = std::move(extensions);
    return list;
}

TEST(ExclusionListFile, writesMarkersEntriesAndTruthWordsWithCrLf) {
    const TempDir dir;
    const auto list = listOf({{"/data/Temp", true}, {"/", false}}, {{"*.tmp", false}});
    list.save(dir.path() + "exclusion.lst");
    EXPECT_EQ(readFile(dir.path() + "exclusion.lst"),
              "<<Folder List Start Here>>\r\n/data/Temp,True\r\n/,False\r\n"
              "<<Extension List Start Here>>\r\n*.tmp,False\r\n");

    ExclusionList().save(dir.path() + "empty.lst");
    EXPECT_EQ(readFile(dir.path() + "empty.lst"),
              "<<Folder List Start Here>>\r\n<<Extension List Start Here>>\r\n");
    // A failed save is reported, never taken for success.
    EXPECT_THROW(list.save(dir.path() + "missing/exclusion.lst"), RuntimeError);
}

TEST(ExclusionListFile, awkwardNamesAndCheckedStatesReadBackUnchanged) {
    const TempDir dir;
    const auto list = listOf(
        {
            {"/home/me/Photos, 2019", true},
            {"/data/a,True", false},
            {"/data/with spaces ", true},
            {"/data/\xff\xfe-latin1-\xe9", true},
            {"/data/line\nbreak\rand CR", true},
            {"/data/100%0A literal %25 and %", true},
            {",", true},
        },
        {{"*.tmp", true}, {"*.BAK", false}, {"*.7z", true}});
    list.save(dir.path() + "exclusion.lst");
    ExclusionList back;
    back.load(dir.path() + "exclusion.lst");
    EXPECT_EQ(back.folders, list.folders);
    EXPECT_EQ(back.extensions, list.extensions);
}

TEST(ExclusionListFile, readsWhatAHandWrittenOrOlderFileHolds) {
    const TempDir dir;
    // No extension marker, LF line ends, truth words in any case, blank lines.
    const std::string path =
        dir.write("exclusion.lst", "<<Folder List Start Here>>\nC:\\,true\n\n/srv/x, FALSE \n");
    ExclusionList list;
    list.extensions.push_back({"*.old", true}); // a load replaces what was there
    list.load(path);
    EXPECT_EQ(list.folders, (std::vector<ExclusionEntry>{{"C:\\", true}, {"/srv/x", false}}));
    EXPECT_TRUE(list.extensions.empty());

    // Lines before any marker belong to the folder list.
    list.load(dir.write("nomarker.lst", "/a,True\r\n<<Extension List Start Here>>\r\n*.x,True"));
    EXPECT_EQ(list.folders, (std::vector<ExclusionEntry>{{"/a", true}}));
    EXPECT_EQ(list.extensions, (std::vector<ExclusionEntry>{{"*.x", true}}));

    // A missing file leaves two empty lists.
    list.load(dir.path() + "none.lst");
    EXPECT_TRUE(list.folders.empty() && list.extensions.empty());
}

TEST(ExclusionListFile, damagedLinesAreCountedAndEveryOtherLineIsKept) {
    const TempDir dir;
    std::string text = "/kept,True\r\n" + std::string(kTextLineLimit + 1, 'x') + ",True\r\n";
    for (int i = 0; i < 12; ++i)
        text += "damaged\r\n";
    text += "<<Extension List Start Here>>\r\n*.tmp,maybe\r\n*.log,True\r\n";
    const std::string path = dir.write("exclusion.lst", text);
    ExclusionList list;
    const DamagedLines damaged = list.loadReadable(path);
    EXPECT_EQ(damaged.count, 14) << "an over-long line and an unknown truth word are damaged too";
    EXPECT_EQ(damaged.first, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(list.folders, (std::vector<ExclusionEntry>{{"/kept", true}}));
    EXPECT_EQ(list.extensions, (std::vector<ExclusionEntry>{{"*.log", true}}));
    EXPECT_EQ(damagedLinesText(damaged, path),
              "Cannot read lines 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 and 4 more of '" + path +
                  "': an entry line ends in a comma and True or False.");
}

TEST(ExclusionListRules, addingRefusesDuplicatesInAnyLetterCase) {
    ExclusionList list;
    EXPECT_TRUE(list.addFolder("/data/Temp"));
    EXPECT_FALSE(list.addFolder("/DATA/temp"));
    EXPECT_FALSE(list.addFolder("")); // the folder browser was cancelled
    EXPECT_TRUE(list.addFolder("/data/Temp2"));
    EXPECT_EQ(list.folders,
              (std::vector<ExclusionEntry>{{"/data/Temp", true}, {"/data/Temp2", true}}));

    // An extension given any way becomes one entry; one naming none is refused.
    for (const char* given : {"tmp", ".tmp", "*.tmp", " *.tmp "})
        EXPECT_EQ(extensionEntry(given), "*.tmp") << given;
    for (const char* given : {"", "*", ".", "*.", "  "})
        EXPECT_EQ(extensionEntry(given), "") << given;
    EXPECT_TRUE(list.addExtension("tmp"));
    EXPECT_FALSE(list.addExtension("*.Tmp"));
    EXPECT_FALSE(list.addExtension("*."));
    EXPECT_TRUE(list.addExtension("*.bak")); // the prefix is not doubled
    EXPECT_EQ(list.extensions, (std::vector<ExclusionEntry>{{"*.tmp", true}, {"*.bak", true}}));
}

TEST(ExclusionListHandOver, onlyCheckedEntriesInListOrder) {
    const auto list = listOf({{"/b", true}, {"/a", false}, {"/data/semi;colon", true}},
                             {{"*.tmp", false}, {"*.log", true}, {"*.bak", true}});
    EXPECT_EQ(list.checkedFolders(), (std::vector<std::string>{"/b", "/data/semi;colon"}));
    EXPECT_EQ(list.excludedExtensionsText(), "*.log;*.bak;");
    EXPECT_EQ(ExclusionList().excludedExtensionsText(), "");
}

TEST(KeptExclusionList, damagedFileIsReportedOnceAndItsReadableLinesStayInUse) {
    const TempDir dir;
    KeptExclusionList kept(dir.write("exclusion.lst", "/a,True\r\n/b\r\n/c,True\r\n"));
    try {
        kept.inUse();
        ADD_FAILURE() << "a damaged file was put in use without a report";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::TypeMismatch);
    }
    EXPECT_EQ(kept.inUse().checkedFolders(), (std::vector<std::string>{"/a", "/c"}));

    // A list put in use by hand never reads the file.
    KeptExclusionList given(dir.path() + "exclusion.lst");
    given.keep(listOf({{"/given", true}}, {}));
    EXPECT_EQ(given.inUse().checkedFolders(), std::vector<std::string>{"/given"});
}

} // namespace
} // namespace twinsift

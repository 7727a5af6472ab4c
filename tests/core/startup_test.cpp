#include "core/runtime_error.h"
#include "core/startup.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>
#include <set>

namespace twinsift {
namespace {

using test::MemorySettings;
using test::ScriptedAnswerer;

TEST(WindowGeometryTest, defaultsToTwelveThousandByEightThousandAtTheCorner) {
    MemorySettings settings;
    const WindowGeometry g = savedWindowGeometry(settings);
    EXPECT_EQ(g.width, 12000);
    EXPECT_EQ(g.height, 8000);
    EXPECT_EQ(g.top, 0);
    EXPECT_EQ(g.left, 0);
}

TEST(WindowGeometryTest, bringsBackAWindowSavedWhileMinimisedAndKeepsNearEdges) {
    MemorySettings settings;
    settings.saveSetting("WindowSize", "T", "-1000");
    settings.saveSetting("WindowSize", "L", "-501");
    EXPECT_EQ(savedWindowGeometry(settings).top, 100);
    EXPECT_EQ(savedWindowGeometry(settings).left, 100);

    settings.saveSetting("WindowSize", "T", "-150");
    settings.saveSetting("WindowSize", "L", "-500");
    EXPECT_EQ(savedWindowGeometry(settings).top, -150);
    EXPECT_EQ(savedWindowGeometry(settings).left, -500);
}

TEST(WindowGeometryTest, storedTextThatIsNoNumberIsATypeMismatch) {
    MemorySettings settings;
    settings.saveSetting("WindowSize", "H", "12000px");
    try {
        savedWindowGeometry(settings);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::TypeMismatch);
    }
}

TEST(WindowGeometryTest, roundTripsAsPlainNumberTexts) {
    MemorySettings settings;
    saveWindowGeometry(settings, {-45, 675.5, 15000000, 8010});
    EXPECT_EQ(settings.getSetting("WindowSize", "W", ""), "15000000");
    EXPECT_EQ(settings.getSetting("WindowSize", "T", ""), "675.5");
    EXPECT_EQ(settings.getSetting("WindowSize", "L", ""), "-45");
    const WindowGeometry back = savedWindowGeometry(settings);
    EXPECT_EQ(back.width, 15000000);
    EXPECT_EQ(back.height, 8010);
}

TEST(CommandLineTest, takesTheFirstArgumentWithoutQuotesAsTheSession) {
    EXPECT_EQ(parseCommandLine({"\"/home/me/my search.tsf\""}).sessionPath,
              "/home/me/my search.tsf");
    EXPECT_FALSE(parseCommandLine({"\"/home/me/my search.tsf\""}).noWindow);
    EXPECT_EQ(parseCommandLine({}).sessionPath, "");
    EXPECT_TRUE(parseCommandLine({"a.tsf", "-un"}).noWindow);
    EXPECT_TRUE(parseCommandLine({"-un"}).noWindow);
}

TEST(CommandLineTest, sessionWhoseNameHoldsTheSwitchLettersStillOpens) {
    const CommandLine line = parseCommandLine({"/data/2024-uni/re-run-under.tsf"});
    EXPECT_FALSE(line.noWindow);
    EXPECT_EQ(line.sessionPath, "/data/2024-uni/re-run-under.tsf");
}

TEST(StartupStateTest, readsTheTogglesAndWritesTheFirstStatusTexts) {
    MemorySettings settings;
    WindowModel model;
    applyStartupState(model, settings);
    EXPECT_TRUE(model.pictureViewerOn());
    EXPECT_TRUE(model.sendsToRecycleBin());
    EXPECT_EQ(model.statusPanels[1].text, "Duplicates : 0");
    EXPECT_EQ(model.statusPanels[2].text, "Files : 0");
    EXPECT_EQ(model.statusPanels[3].text, "Folders : 0");

    settings.saveSetting("Options", "Display", "9");
    settings.saveSetting("Options", "RecycleBin", "11");
    applyStartupState(model, settings);
    EXPECT_FALSE(model.pictureViewerOn());
    EXPECT_FALSE(model.sendsToRecycleBin());
}

TEST(StartupStateTest, aCorruptRecycleBinSettingNeverTurnsOnPermanentDeletion) {
    MemorySettings settings;
    settings.saveSetting("Options", "RecycleBin", "trash");
    WindowModel model;
    EXPECT_THROW(applyStartupState(model, settings), RuntimeError);
    EXPECT_TRUE(model.sendsToRecycleBin());
}

TEST(CommandLineSessionTest, missingSessionIsReportedWithTheQuotedPath) {
    ScriptedAnswerer ui;
    ui.expectMessage({"\"/x/gone.tsf\"", "File Not Found", MsgIcon::Critical, MsgButtons::OK, 1},
                     MsgAnswer::OK);
    WindowModel model;
    int scans = 0;
    model.OpenParametersFile = [](WindowModel&, const std::string&) { return false; };
    model.Scan = [&](WindowModel&) { ++scans; };
    openCommandLineSession(model, "/x/gone.tsf", ui);
    EXPECT_EQ(scans, 0);
}

TEST(CommandLineSessionTest, openedSessionIsScannedAtOnce) {
    ScriptedAnswerer ui;
    WindowModel model;
    int scans = 0;
    model.OpenParametersFile = [](WindowModel&, const std::string&) { return true; };
    model.Scan = [&](WindowModel&) { ++scans; };
    openCommandLineSession(model, "/x/here.tsf", ui);
    EXPECT_EQ(scans, 1);
}

TEST(NewSessionTest, keepsCountersAndStoresButEmptiesTheWindow) {
    WindowModel model;
    model.SearchList.push_back({"/a/", {}});
    model.rows.resize(4);
    model.RowShades = {1, 1, 2, 2};
    model.GroupSizes = {0, 2, 2};
    model.DuplicateCount = 2;
    selectEngine(model, Engine::SameNames);
    model.chkFuzzy.checked = true;
    model.chkProtect.checked = false;
    model.chkIncludeHidden.checked = true;
    model.statusPanels[2].text = "Files : 9";

    newSession(model);

    EXPECT_TRUE(model.SearchList.empty());
    EXPECT_TRUE(model.rows.empty());
    EXPECT_FALSE(rowIsShaded(model, 0));
    EXPECT_EQ(model.engine, Engine::ByteByByte);
    EXPECT_TRUE(model.chkFuzzy.enabled);
    EXPECT_FALSE(model.chkFuzzy.checked);
    EXPECT_TRUE(model.chkProtect.checked);
    EXPECT_FALSE(model.chkIncludeHidden.checked);
    EXPECT_FALSE(model.statusPanels[1].visible);
    EXPECT_FALSE(model.statusPanels[3].visible);
    EXPECT_TRUE(model.statusPanels[0].visible);
    EXPECT_EQ(model.statusPanels[2].text, "Files : 9"); // hidden, not rewritten
    EXPECT_EQ(model.DuplicateCount, 2);
    EXPECT_EQ(model.GroupSizes.size(), 3u);
}

TEST(TogglesTest, recycleBinAsksOnlyWhenLeavingIt) {
    MemorySettings settings;
    ScriptedAnswerer ui;
    WindowModel model;
    ui.expectMessage("This will delete the files permanently i.e., they are not sent to the "
                     "recycle bin.\r\nDo you want to proceed? (not recommended)",
                     MsgAnswer::Yes);
    toggleRecycleBin(model, settings, ui);
    EXPECT_EQ(settings.getSetting("Options", "RecycleBin", ""), "11");
    toggleRecycleBin(model, settings, ui);
    EXPECT_EQ(settings.getSetting("Options", "RecycleBin", ""), "12");
    EXPECT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].message.defaultButton, 2);
}

TEST(TogglesTest, strangeStoredValuesShownAsOffAreSwitchedOn) {
    MemorySettings settings;
    ScriptedAnswerer ui; // going back to the recycle bin asks nothing
    WindowModel model;
    model.display = 4;
    model.recycleBin = 0;
    togglePictureViewer(model, settings);
    toggleRecycleBin(model, settings, ui);
    EXPECT_TRUE(model.pictureViewerOn());
    EXPECT_TRUE(model.sendsToRecycleBin());
    EXPECT_EQ(settings.getSetting("Options", "Display", ""), "10");
    EXPECT_EQ(settings.getSetting("Options", "RecycleBin", ""), "12");
    EXPECT_TRUE(ui.asked().empty());
}

TEST(TipsTest, thirteenTipsChosenEvenlyAndTheSettingReadAsANumber) {
    EXPECT_EQ(tipTexts().size(), 13u);
    EXPECT_TRUE(tipTexts()[10].starts_with("Welcome to Twinsift."));
    std::mt19937 random(7);
    std::set<std::size_t> seen;
    for (int i = 0; i < 500; ++i)
        seen.insert(randomTipIndex(random));
    EXPECT_EQ(seen.size(), 13u);

    MemorySettings settings;
    EXPECT_TRUE(showTipsAtStartup(settings));
    settings.saveSetting("Options", "Show Tips at Startup", " 1 ");
    EXPECT_TRUE(showTipsAtStartup(settings));
    setShowTipsAtStartup(settings, false);
    EXPECT_FALSE(showTipsAtStartup(settings));
    settings.saveSetting("Options", "Show Tips at Startup", "yes");
    EXPECT_FALSE(showTipsAtStartup(settings));
}

TEST(VistaWarningTest, onlyOnWindowsNT6UntilDismissed) {
    MemorySettings settings;
    EXPECT_FALSE(vistaWarningWanted("OS : Linux 6.1.0", settings));
    EXPECT_TRUE(vistaWarningWanted("OS : Windows NT 6.1 Build 7601", settings));
    setVistaWarningDismissed(settings, true);
    EXPECT_FALSE(vistaWarningWanted("OS : Windows NT 6.1 Build 7601", settings));
}

} // namespace
} // namespace twinsift

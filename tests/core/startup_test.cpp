#include "core/runtime_error.h"
#include "core/startup.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::MemorySettings;
using test::ScriptedAnswerer;

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

TEST(StartupStateTest, aCorruptRecycleBinSettingNeverTurnsOnPermanentDeletion) {
    MemorySettings settings;
    settings.saveSetting("Options", "RecycleBin", "trash");
    WindowModel model;
    EXPECT_THROW(applyStartupState(model, settings), RuntimeError);
    EXPECT_TRUE(model.sendsToRecycleBin());
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

TEST(TipsTest, showTipsSettingIsReadAsANumber) {
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

#include "core/startup.h"
#include "core/window_commands.h"
#include "support/memory_settings.h"

#include <gtest/gtest.h>
#include <sstream>

namespace twinsift {
namespace {

using test::MemorySettings;

std::string text(const WindowGeometry& g) {
    std::ostringstream out;
    out.precision(15);
    out << g.left << ',' << g.top << ' ' << g.width << 'x' << g.height;
    return out.str();
}

// "left,top widthxheight" of the saved geometry, all read.
std::string saved(const MemorySettings& settings) {
    std::vector<UnreadableSetting> unreadable;
    const std::string geometry = text(savedWindowGeometry(settings, unreadable));
    EXPECT_TRUE(unreadable.empty());
    return geometry;
}

TEST(WindowGeometryTest, bringsBackAWindowSavedWhileMinimisedAndKeepsNearEdges) {
    MemorySettings settings;
    settings.saveSetting("WindowSize", "T", "-1000");
    settings.saveSetting("WindowSize", "L", "-501");
    EXPECT_EQ(saved(settings), "100,100 12000x8000");
    settings.saveSetting("WindowSize", "T", "-150");
    settings.saveSetting("WindowSize", "L", "-500");
    EXPECT_EQ(saved(settings), "-500,-150 12000x8000");
}

TEST(WindowGeometryTest, storedTextThatIsNoNumberFallsBackToItsDefaultAndIsTold) {
    MemorySettings settings;
    settings.saveSetting("WindowSize", "H", "12000px");
    settings.saveSetting("WindowSize", "L", "left");
    settings.saveSetting("WindowSize", "W", "9000");
    std::vector<UnreadableSetting> unreadable;
    EXPECT_EQ(text(savedWindowGeometry(settings, unreadable)), "0,0 9000x8000");
    const MessageBoxRequest message = unreadableSettingsMessage(unreadable);
    EXPECT_EQ(message.text, "These saved settings could not be read; their defaults are used:\r\n"
                            "WindowSize/H = \"12000px\" (default 8000)\r\n"
                            "WindowSize/L = \"left\" (default 0)");
    EXPECT_EQ(message.icon, MsgIcon::Exclamation);
}

TEST(WindowGeometryTest, roundTripsAsPlainNumberTexts) {
    MemorySettings settings;
    saveWindowGeometry(settings, {-45, 675.5, 15000000, 8010});
    EXPECT_EQ(settings.getSetting("WindowSize", "W", ""), "15000000");
    EXPECT_EQ(settings.getSetting("WindowSize", "T", ""), "675.5");
    EXPECT_EQ(settings.getSetting("WindowSize", "L", ""), "-45");
    EXPECT_EQ(saved(settings), "-45,675.5 15000000x8010");
}

TEST(WindowGeometryTest, isClampedIntoTheWorkArea) {
    const WindowGeometry area{1500, 300, 28800, 16200}; // 1920 x 1080 px at (100, 20)
    EXPECT_EQ(text(clampToWorkArea({3000, 1500, 12000, 8000}, area)), "3000,1500 12000x8000");
    EXPECT_EQ(text(clampToWorkArea({1e300, 3e7, 1e300, 1e300}, area)), "1500,300 28800x16200");
    // Pushed back to the bottom edge.
    EXPECT_EQ(text(clampToWorkArea({-1e300, 3e7, 12000, 8000}, area)), "1500,8500 12000x8000");
    EXPECT_EQ(text(clampToWorkArea({2000, 400, 10, -5}, area)), "2000,400 10350x5000");
    // A screen smaller than the minimum window: the minimum wins, from the area's corner.
    EXPECT_EQ(text(clampToWorkArea({900, 900, 12000, 8000}, {0, 0, 9000, 4500})), "0,0 10350x5000");
}

// A session whose name holds the switch letters still opens in a window.
TEST(CommandLineTest, takesTheFirstArgumentWithoutQuotesAsTheSession) {
    EXPECT_EQ(parseCommandLine({"\"/home/me/my search.tsf\""}).sessionPath,
              "/home/me/my search.tsf");
    const CommandLine line = parseCommandLine({"/data/2024-uni/re-run-under.tsf"});
    EXPECT_FALSE(line.noWindow);
    EXPECT_EQ(line.sessionPath, "/data/2024-uni/re-run-under.tsf");
    EXPECT_TRUE(parseCommandLine({"a.tsf", "-un"}).noWindow);
    EXPECT_TRUE(parseCommandLine({"-un"}).noWindow);
    const CommandLine asked = parseCommandLine({"--help", "--version"});
    EXPECT_TRUE(asked.help && asked.version && asked.sessionPath.empty());
    EXPECT_TRUE(parseCommandLine({"-h"}).help);
}

TEST(StartupStateTest, onlyAStoredElevenTurnsOnPermanentDeletion) {
    const auto startWith = [](const char* stored, std::size_t unreadableExpected = 0) {
        MemorySettings settings;
        settings.saveSetting("Options", "RecycleBin", stored);
        WindowModel model;
        std::vector<UnreadableSetting> unreadable;
        applyStartupState(model, settings, unreadable);
        EXPECT_EQ(unreadable.size(), unreadableExpected) << stored;
        return model.sendsToRecycleBin();
    };
    EXPECT_FALSE(startWith("11"));
    for (const char* stored : {"12", "0", "1", "13", "11.0", " 11", "-11", "1e1"})
        EXPECT_TRUE(startWith(stored)) << stored;
    EXPECT_TRUE(startWith("trash", 1));
}

TEST(StartupStateTest, aDisplayThatIsNoNumberKeepsThePreviewOn) {
    MemorySettings settings;
    settings.saveSetting("Options", "Display", "off");
    WindowModel model;
    std::vector<UnreadableSetting> unreadable;
    applyStartupState(model, settings, unreadable);
    EXPECT_TRUE(model.pictureViewerOn());
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0].defaultValue, "10");
    EXPECT_EQ(model.statusPanels[2].text, "Files : 0"); // the rest of the state is set
}

TEST(TogglesTest, strangeDisplayIsSwitchedOnAndTipsAndWarningSettingsAreKept) {
    MemorySettings settings;
    WindowModel model;
    model.display = 4; // shown as off
    togglePictureViewer(model, settings);
    EXPECT_TRUE(model.pictureViewerOn());
    EXPECT_EQ(settings.getSetting("Options", "Display", ""), "10");

    EXPECT_TRUE(showTipsAtStartup(settings));
    settings.saveSetting("Options", "Show Tips at Startup", " 1 ");
    EXPECT_TRUE(showTipsAtStartup(settings));
    setShowTipsAtStartup(settings, false);
    EXPECT_FALSE(showTipsAtStartup(settings));
    settings.saveSetting("Options", "Show Tips at Startup", "yes");
    EXPECT_FALSE(showTipsAtStartup(settings));

    EXPECT_FALSE(vistaWarningWanted("OS : Linux 6.1.0", settings));
    EXPECT_TRUE(vistaWarningWanted("OS : Windows NT 6.1 Build 7601", settings));
    setVistaWarningDismissed(settings, true);
    EXPECT_FALSE(vistaWarningWanted("OS : Windows NT 6.1 Build 7601", settings));
}

} // namespace
} // namespace twinsift

#include "fileops/single_file.h"

#include "core/file_info.h"
#include "core/window_model.h"
#include "platform/shell_services.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

// The file manager's properties sheet is not part of these commands.
class FileShell : public FileShellServices {
public:
    bool ShowProperties(const std::string&) override { return false; }
};

const MessageBoxRequest kForbidden{
    "A file name cannot contain any of the following characters:\r\n\\ / : * ? \" <> |", "Error",
    MsgIcon::None, MsgButtons::OK, 1};

// One listed file, focused, with another file beside it.
struct RenameSetup {
    TempDir dir;
    WindowModel model;
    ScriptedAnswerer user;
    FileShell shell;

    explicit RenameSetup(const std::string& name) {
        dir.write(name, "picture");
        dir.write("keep.txt", "other");
        RowFacts facts;
        facts.size = 7;
        facts.group = 1;
        model.rows.push_back(makeResultRow(name, dir.path(), "N/A", "2024-03-05 14:07", facts));
        model.rows[0].icon = image::Marked;
        model.focusedRow = 0;
    }
    ScriptedAnswerer& asks(const std::string& current, std::optional<std::string> answer) {
        return user.expectInput("Please type new name for\r\n" + current, std::move(answer));
    }
    void rename() { renameFocusedFile(model, user, shell); }
};

TEST(Rename, refusesTheNineCharactersAndAsksAgainWithTheCurrentName) {
    RenameSetup s("photo.JPG");
    test::NoticeRecorder notices(s.model);
    s.asks("photo.JPG", "a/b.jpg").expectMessage(kForbidden, MsgAnswer::OK);
    s.asks("photo.JPG", "what?").expectMessage(kForbidden, MsgAnswer::OK);
    // Only the case differs, and that is a new name.
    s.asks("photo.JPG", "photo.jpg");
    s.rename();

    for (const test::Question& asked : s.user.asked())
        if (asked.kind == test::Question::InputBox) {
            EXPECT_EQ(asked.title, "Rename");
            EXPECT_EQ(asked.defaultText, "photo.JPG");
        }
    EXPECT_EQ(test::readFile(s.dir.path() + "photo.jpg"), "picture");
    EXPECT_FALSE(FileExists(s.dir.path() + "photo.JPG"));
    const ResultRow& row = s.model.rows[0];
    EXPECT_EQ(row.name(), "photo.jpg");
    EXPECT_EQ(row.folder(), s.dir.path());
    EXPECT_TRUE(row.marked());
    EXPECT_EQ(row.facts.size, 7);
    EXPECT_EQ(row.text(ColLastModified), "2024-03-05 14:07");
    // The extension is the file's, as a fresh search would show it.
    EXPECT_EQ(row.text(ColExt), "jpg");
    EXPECT_EQ(notices.rowNotices, std::vector<std::string>{"changed 0-0"});
}

TEST(Rename, leavesTheFileForTheSameNameBlanksOrCancel) {
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>("a.txt"), std::optional<std::string>("   "),
          std::optional<std::string>()}) {
        RenameSetup s("a.txt");
        s.asks("a.txt", answer);
        s.rename();
        EXPECT_EQ(test::readFile(s.dir.path() + "a.txt"), "picture");
        EXPECT_EQ(s.model.rows[0].name(), "a.txt");
    }
}

TEST(Rename, neverReplacesAnExistingFileAndAsksAgain) {
    RenameSetup s("a.txt");
    s.asks("a.txt", "keep.txt")
        .expectMessage({"\"keep.txt\" already exists in this folder.\r\nPlease type another name.",
                        "Rename", MsgIcon::Exclamation, MsgButtons::OK, 1},
                       MsgAnswer::OK);
    // Blanks around a name are no part of it.
    s.asks("a.txt", "  b.txt ");
    s.rename();
    EXPECT_EQ(test::readFile(s.dir.path() + "keep.txt"), "other");
    EXPECT_EQ(test::readFile(s.dir.path() + "b.txt"), "picture");
    EXPECT_EQ(s.model.rows[0].name(), "b.txt");
}

TEST(Rename, reportsAFailureWithItsReasonAndKeepsTheRow) {
    RenameSetup s("a.txt");
    ASSERT_EQ(::unlink((s.dir.path() + "a.txt").c_str()), 0);
    s.asks("a.txt", "b.txt")
        .expectMessage("cannot rename '" + s.dir.path() + "a.txt' to '" + s.dir.path() +
                           "b.txt': No such file or directory",
                       MsgAnswer::OK);
    s.rename();
    EXPECT_EQ(s.model.rows[0].name(), "a.txt");
}

TEST(PictureNames, areTheViewerTypesAndWhatTheImageReadersAdd) {
    const std::pair<const char*, bool> cases[] = {
        {"photo.jpg", true},     {"PHOTO.JPG", true}, {"scan.Bmp", true},   {"icon.ico", true},
        {"cursor.cur", true},    {"shot.png", true},  {"photo.JPEG", true}, {"a.webp", true},
        {"page.tif", true},      {"page.TIFF", true}, {"logo.svg", true},   {"notes.txt", false},
        {"archive.zip", false},  {"jpg", true},       {"x", false},         {"png", false},
        {"photo.jpg.txt", false}};
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(isPictureName(name), shown) << name;
}

TEST(FileProperties, tellWhatTheFileIsAndWhyNotWhenItIsGone) {
    TempDir dir;
    const std::string path = dir.write("a \"b\".txt", std::string(2048, 'x'));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const auto shown = fileProperties(path);
    ASSERT_EQ(shown.size(), 9u);
    EXPECT_EQ(shown[0], (std::pair<std::string, std::string>{"Name", "a \"b\".txt"}));
    EXPECT_EQ(shown[1].second, dir.path());
    EXPECT_EQ(shown[2].second, "2.00 KB (2048 bytes)");
    EXPECT_EQ(shown[6].second, "-rw-r----- (0640)");
    EXPECT_EQ(shown[8].second, "N/A");

    const auto gone = fileProperties(dir.path() + "gone.txt");
    ASSERT_EQ(gone.size(), 3u);
    EXPECT_EQ(gone[2].second,
              "cannot examine '" + dir.path() + "gone.txt': No such file or directory");
}

} // namespace
} // namespace twinsift

// Whole tasks as a user does them, from adding a folder to the file on disk,
// through the real main window and its dialogs.
#include "app/desktop_services.h"
#include "app/main_frm.h"
#include "gui_support.h"
#include "platform/app_paths.h"
#include "support/scratch_volume.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

const MessageBoxRequest kCancelQuestion{"Are you sure to cancel searching?", "Cancel Search",
                                        MsgIcon::None, MsgButtons::YesNo, 2};

template <class T> T& in(QWidget& parent, const char* name) {
    auto* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return *found;
}

bool exists(const std::string& path) {
    return fs::exists(fs::symlink_status(path));
}

std::string trash() {
    return std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/";
}

// Every test function shares the one Trash.
void emptyTrash() {
    fs::remove_all(trash() + "files");
    fs::remove_all(trash() + "info");
}

std::string fileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// `folder` holds the files of `whole` (path to content) by name, each whole,
// and nothing else: no part of a file stopped half-way.
void expectHoldsExactly(const std::string& folder,
                        const std::map<std::string, std::string>& whole) {
    std::vector<std::string> names;
    for (const auto& [path, content] : whole) {
        names.push_back(fileName(path));
        QCOMPARE(test::readFile(folder + names.back()), content);
    }
    std::sort(names.begin(), names.end());
    QCOMPARE(test::namesIn(folder), names);
}

// Every row as "path|group|*" (the star when marked).
QStringList listed(const WindowModel& model) {
    QStringList rows;
    for (const ResultRow& row : model.rows)
        rows << QString::fromStdString(row.fullPath() + "|" + row.text(ColGroup) +
                                       (row.marked() ? "|*" : "|"));
    return rows;
}

std::vector<std::string> markedPaths(const WindowModel& model) {
    std::vector<std::string> paths;
    for (const ResultRow& row : model.rows)
        if (row.marked())
            paths.push_back(row.fullPath());
    return paths;
}

// The main window over a tree of its own, shown.
struct Flow : test::TreeWindowHarness {
    Flow() { start(); }

    // Adds `folder` as the user does: the Add button, the folder chooser,
    // then the folder dialog with no minimum size.
    void addFolder(const std::string& folder) {
        ui.expectBrowseFolder(folder);
        const auto seen = test::whenModalShown("FolderFrm", [](QWidget& dialog) {
            in<QLineEdit>(dialog, "txtMin").setText("0");
            test::clickButton(dialog, "cmdOK");
        });
        QTest::mouseClick(child<QWidget>("cmdAdd"), Qt::LeftButton);
        QVERIFY(*seen);
        QCOMPARE(model().SearchList.size(), std::size_t{1});
    }
    void addSearchPath(const std::string& folder) {
        model().SearchList.push_back({folder, {"Yes", "All files(*.*)", "0", "", "", ""}});
        model().notices().searchPathsChanged();
    }
    void scan() {
        action("MScan")->trigger();
        QCOMPARE(panel(1), "Search Completed.");
    }
    // Triggers `command` and lets `act` work the modal dialog `dialog` it opens.
    void through(const char* command, const char* dialog,
                 const std::function<void(QWidget&)>& act) {
        const auto seen = test::whenModalShown(dialog, act);
        action(command)->trigger();
        QVERIFY2(*seen, dialog);
        QVERIFY(!QApplication::activeModalWidget());
    }
    // Saves or loads the session at `path`, `choose` setting the dialog's options.
    void session(const char* command, const std::string& path,
                 const std::function<void(QWidget&)>& choose = {}) {
        through(command, "SaveFrm", [&](QWidget& dialog) {
            if (choose)
                choose(dialog);
            in<QLineEdit>(dialog, "txtPath").setText(QString::fromStdString(path));
            test::clickButton(dialog, "Command1");
            // A stopped load leaves the dialog open.
            if (dialog.isVisible())
                test::clickButton(dialog, "Command2");
        });
    }
    // Exports every row in `format` to `path` through the wizard.
    void exportAs(const char* format, const std::string& path) {
        through("MExport", "frmExport", [&](QWidget& wizard) {
            in<QRadioButton>(wizard, "optAllFiles").setChecked(true);
            in<QRadioButton>(wizard, format).setChecked(true);
            in<QCheckBox>(wizard, "openafter").setChecked(false);
            test::clickButton(wizard, "btn");
            if (in<QRadioButton>(wizard, "optComma").isEnabled())
                in<QRadioButton>(wizard, "optComma").setChecked(true);
            in<QLineEdit>(wizard, "txtPath").setText(QString::fromStdString(path));
            test::clickButton(wizard, "btn");
            test::clickButton(wizard, "Command2");
        });
    }
    // Marks with the advanced marking's folder page: the folders named, below
    // the tree, in `folders`.
    void markFolders(const std::set<std::string>& folders) {
        through("mnuAdvMarkForm", "AdvMarkFrm", [&](QWidget& dialog) {
            in<QTabWidget>(dialog, "TabStrip1").setCurrentIndex(1);
            auto& list = in<QTreeWidget>(dialog, "lvFolders");
            for (int i = 0; i < list.topLevelItemCount(); ++i) {
                const std::string folder = list.topLevelItem(i)->text(0).toStdString();
                const bool chosen = folders.count(folder.substr(tree.path().size()));
                list.topLevelItem(i)->setCheckState(0, chosen ? Qt::Checked : Qt::Unchecked);
            }
            test::clickButton(dialog, "cmdOK");
        });
    }

    // The window is idle, takes every command, and what it counts agrees
    // with the rows it lists.
    void expectIdleAndConsistent() {
        QVERIFY(!model().scanning && !QApplication::activeModalWidget());
        for (const char* menu : {"MnuFile", "MAction"})
            QVERIFY2(child<QMenu>(menu)->isEnabled(), menu);
        for (const char* name : {"MScan", "MLoadSession", "MSaveSession", "MExport", "MDelete",
                                 "MMoveSelected", "Toolbar1Button1", "Toolbar1Button7"})
            QVERIFY2(action(name)->isEnabled(), name);
        QVERIFY(!action("MCancel")->isEnabled() && !action("Toolbar1Button2")->isEnabled());
        QVERIFY(child<QWidget>("RLV")->isEnabled() && child<QWidget>("SearchList")->isEnabled());
        QCOMPARE(child<QTableView>("RLV")->model()->rowCount(), int(model().rows.size()));
        std::map<std::int32_t, std::int32_t> members;
        std::size_t marked = 0;
        for (const ResultRow& row : model().rows) {
            ++members[row.facts.group];
            marked += row.marked();
        }
        for (const auto& [group, count] : members) {
            QVERIFY2(count >= 2, qPrintable(QStringLiteral("group %1 has one row").arg(group)));
            QCOMPARE(model().GroupSizes.at(std::size_t(group)), count);
        }
        if (panel(1).startsWith("Total Files Marked "))
            QVERIFY(panel(1).startsWith(QStringLiteral("Total Files Marked %1 ").arg(marked)));
    }
};

// A tree of 600 groups, each of content of its own, spread over a few
// folders: a copy under a*/ and one under b*/, and the first group a third
// copy, so that groups do not all end at an even row.
constexpr int kGroupedFiles = 1201;

void makeGroups(const test::TempDir& tree) {
    for (int i = 0; i < kGroupedFiles / 2; ++i) {
        const std::string n = std::to_string(1000 + i);
        const std::string folder = std::to_string(i % 6);
        tree.write("data/a" + folder + "/p" + n + "a", "content " + n);
        tree.write("data/b" + folder + "/p" + n + "b", "content " + n);
    }
    tree.write("data/c/p1000c", "content 1000");
}

// Splits one line of delimited text, quoted fields allowed.
QStringList splitDelimited(const QString& line, QChar separator) {
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            fields << QString();
        else
            fields.back() += c;
    }
    return fields;
}

// The seven exported values of every row, as the list shows them.
QList<QStringList> shownValues(const WindowModel& model) {
    QList<QStringList> rows;
    for (const ResultRow& row : model.rows)
        rows << QStringList{QString::fromStdString(row.name()),
                            QString::fromStdString(row.text(ColExt)),
                            QString::fromStdString(row.text(ColSize)),
                            QString::fromStdString(row.text(ColLastModified)),
                            QString::fromStdString(row.text(ColFileVersion)),
                            QString::fromStdString(row.text(ColGroup)),
                            QString::fromStdString(row.folder())};
    return rows;
}

QList<QStringList> parsedXml(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<QStringList> rows;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("Files"))
            continue;
        QStringList values;
        while (xml.readNextStartElement())
            values << xml.readElementText();
        rows << values;
    }
    if (xml.hasError())
        qWarning("%s", qPrintable(xml.errorString()));
    return xml.hasError() ? QList<QStringList>{} : rows;
}

// `page` as a browser builds it: headless Chromium's dump of the parsed
// document; empty, with the reason logged, when there is none.
QString renderedDom(const std::string& page) {
    const QString browser = QStandardPaths::findExecutable("chromium");
    if (browser.isEmpty()) {
        qWarning("chromium is not installed (scripts/install-deps.sh installs it)");
        return {};
    }
    const test::TempDir profile;
    QProcess chromium;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(profile.path()));
    chromium.setProcessEnvironment(environment);
    // As root Chromium runs only without its sandbox.
    chromium.start(browser,
                   {"--headless", "--no-sandbox", "--disable-gpu",
                    QString::fromStdString("--user-data-dir=" + profile.path() + "p"), "--dump-dom",
                    QUrl::fromLocalFile(QString::fromStdString(page)).toString()});
    if (!chromium.waitForFinished(60000) || chromium.exitCode() != 0) {
        chromium.kill();
        qWarning("chromium failed: %s", chromium.readAllStandardError().constData());
        return {};
    }
    return QString::fromUtf8(chromium.readAllStandardOutput());
}

// The text of every data row of the table headed "File Name" in a dumped
// DOM. A cell holding an element comes back as its markup, so that it
// cannot pass for text.
QList<QStringList> resultRows(const QString& dom) {
    const qsizetype head = dom.indexOf(">File Name</th>");
    if (head < 0)
        return {};
    const QString table = dom.mid(head, dom.indexOf("</table>", head) - head);
    static const QRegularExpression row("<tr[^>]*>(.*?)</tr>",
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cell("<td[^>]*>(.*?)</td>",
                                         QRegularExpression::DotMatchesEverythingOption);
    QList<QStringList> rows;
    for (const auto& r : row.globalMatch(table)) {
        QStringList values;
        for (const auto& c : cell.globalMatch(r.captured(1))) {
            QString text = c.captured(1);
            if (!text.contains('<'))
                text.replace("&lt;", "<")
                    .replace("&gt;", ">")
                    .replace("&quot;", "\"")
                    .replace("&#39;", "'")
                    .replace("&amp;", "&");
            values << text;
        }
        if (!values.isEmpty())
            rows << values;
    }
    return rows;
}

} // namespace

class WholeTasksTest : public QObject {
    Q_OBJECT
public:
    // GIO reads $HOME and $XDG_DATA_HOME once: the Trash is a fresh one, on
    // the file system of the test's files, set before anything asks.
    static void initMain() {
        static test::TempDir home;
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home.path() + "data").c_str(), 1);
    }

private slots:
    void scanMarkAllDuplicatesAndDeleteToTheTrash() {
        emptyTrash();
        Flow h;
        const std::vector<std::vector<std::string>> groups{
            {h.tree.write("data/a/x.txt", "three copies"),
             h.tree.write("data/b/x.txt", "three copies"),
             h.tree.write("data/c/x.txt", "three copies")},
            {h.tree.write("data/a/y.bin", "a pair"), h.tree.write("data/b/y copy.bin", "a pair")}};
        h.tree.write("data/a/unique.txt", "only one");
        h.addFolder(h.tree.path() + "data");
        h.scan();
        QCOMPARE(h.model().rows.size(), std::size_t{5});

        h.action("MMarkAllDuplicates")->trigger();
        const std::vector<std::string> doomed = markedPaths(h.model());
        QCOMPARE(doomed.size(), std::size_t{3});
        h.through("MDelete", "fileDelFrm", [](QWidget& dialog) {
            QVERIFY(in<QCheckBox>(dialog, "chkSentTo").isChecked());
            test::clickButton(dialog, "cmdOK");
            test::clickButton(dialog, "cmdClose");
        });

        QVERIFY(h.model().rows.empty());
        QCOMPARE(h.child<QTableView>("RLV")->model()->rowCount(), 0);
        for (const auto& group : groups)
            QCOMPARE(std::count_if(group.begin(), group.end(), exists), 1);
        // Each deleted file sits in the Trash with the record of where it came from.
        std::set<std::string> trashedFrom;
        for (const std::string& name : test::namesIn(trash() + "files")) {
            const std::string info = test::readFile(trash() + "info/" + name + ".trashinfo");
            const std::size_t at = info.find("Path=");
            QVERIFY2(at != std::string::npos, name.c_str());
            const std::string encoded = info.substr(at + 5, info.find('\n', at) - at - 5);
            trashedFrom.insert(QUrl::fromPercentEncoding(encoded.c_str()).toStdString());
        }
        QCOMPARE(trashedFrom, std::set<std::string>(doomed.begin(), doomed.end()));
        h.expectIdleAndConsistent();
    }

    void markByFoldersAndMoveWithStructureToAnotherFileSystem() {
        const test::ScratchVolume volume = test::ScratchVolume::tmpfs("8m");
        if (!volume.mounted())
            QSKIP("needs root to mount a second file system (tmpfs) for the destination");
        Flow h;
        h.tree.write("data/keep/one.txt", "first");
        h.tree.write("data/keep/two.txt", "second");
        h.tree.write("data/keep/three.txt", "third");
        h.tree.write("data/b/one.txt", "first");
        h.tree.write("data/b/three.txt", "third");
        h.tree.write("data/c/two.txt", "second");
        h.addFolder(h.tree.path() + "data");
        h.scan();
        h.markFolders({"data/b/", "data/c/"});
        QCOMPARE(markedPaths(h.model()).size(), std::size_t{3});

        h.ui.expectBrowseFolder(volume.path());
        h.through("MMoveSelected", "FileCMFrm", [](QWidget& dialog) {
            in<QCheckBox>(dialog, "chk2").setChecked(true);
            QVERIFY(in<QCheckBox>(dialog, "chkEmptyFolders").isChecked());
            test::clickButton(dialog, "cmdOK");
            QCOMPARE(in<QTreeWidget>(dialog, "ErrList").topLevelItemCount(), 0);
            test::clickButton(dialog, "cmdClose");
        });
        h.ui.verify();

        // Below the destination, the whole path of the folder each came from.
        const std::string structure = volume.path() + h.tree.path().substr(1) + "data/";
        for (const char* name : {"b/one.txt", "b/three.txt", "c/two.txt"}) {
            QVERIFY2(!exists(h.tree.path() + "data/" + name) && exists(structure + name), name);
            QCOMPARE(test::readFile(structure + name),
                     test::readFile(h.tree.path() + "data/keep/" + fileName(name)));
        }
        // The folders the move emptied are gone, the others stay.
        QCOMPARE(test::namesIn(h.tree.path() + "data"), std::vector<std::string>{"keep"});
        QVERIFY(h.model().rows.empty());
        h.expectIdleAndConsistent();
    }

    void sessionsComeBackWholeRescannedAndRechecked() {
        Flow h;
        h.tree.write("data/a/one.txt", "first pair");
        h.tree.write("data/b/one.txt", "first pair");
        h.tree.write("data/a/two.dat", "a group of three");
        h.tree.write("data/b/two.dat", "a group of three");
        h.tree.write("data/c/two.dat", "a group of three");
        h.addFolder(h.tree.path() + "data");
        h.scan();
        h.action("MMarkAllDuplicates")->trigger();
        const QStringList scanned = listed(h.model());
        const std::string file = h.tree.path() + "search.tsf";
        h.session("MSaveSession", file);
        QVERIFY(exists(file));

        h.action("MNewSession")->trigger();
        QVERIFY(h.model().rows.empty());
        h.session("MLoadSession", file);
        QCOMPARE(listed(h.model()), scanned);
        QVERIFY(h.panel(1).startsWith("Total Files Marked 3 Size "));
        h.expectIdleAndConsistent();

        // Deleted behind the program's back: the row goes, and so does the
        // copy it leaves alone.
        fs::remove(h.tree.path() + "data/a/one.txt");
        h.session("MLoadSession", file,
                  [](QWidget& dialog) { in<QCheckBox>(dialog, "ReCheckc").setChecked(true); });
        QStringList rechecked = scanned;
        rechecked.removeIf([](const QString& row) { return row.contains("one.txt"); });
        QCOMPARE(listed(h.model()), rechecked);
        h.expectIdleAndConsistent();

        // Changed behind its back, the same size: only a new comparison sees it.
        h.tree.write("data/c/two.dat", "A group of three");
        h.session("MLoadSession", file,
                  [](QWidget& dialog) { in<QCheckBox>(dialog, "ReScanc").setChecked(true); });
        QStringList rescanned = listed(h.model());
        rescanned.sort();
        const QString data = QString::fromStdString(h.tree.path() + "data/");
        QCOMPARE(rescanned, QStringList({data + "a/two.dat|1|", data + "b/two.dat|1|"}));
        h.expectIdleAndConsistent();
        h.ui.verify();
    }

    void exportsReadBackAsTheListShowsThem() {
        Flow h;
        for (const char* folder : {"data/a/", "data/b/"}) {
            h.tree.write(std::string(folder) + "say \"hi\", ok.txt", "quoted, with a comma");
            h.tree.write(std::string(folder) + "<img src=x> <b>&amp;;.v1.dat",
                         "markup in the name");
        }
        h.addFolder(h.tree.path() + "data");
        h.scan();
        const QList<QStringList> shown = shownValues(h.model());
        QCOMPARE(shown.size(), 4);

        const std::string xml = h.tree.path() + "out.xml";
        h.exportAs("optXml", xml);
        QCOMPARE(parsedXml(xml), shown);

        const std::string csv = h.tree.path() + "out.csv";
        h.exportAs("OptDeli", csv);
        QStringList lines = QString::fromStdString(test::readFile(csv)).split("\r\n");
        QCOMPARE(lines.takeFirst(), "File Name,File Extension,Size(Bytes),Last Modified,Version,"
                                    "Group,Path");
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.takeLast(), QString());
        QList<QStringList> parsed;
        for (const QString& line : lines)
            parsed << splitDelimited(line, ',');
        QCOMPARE(parsed, shown);

        const std::string html = h.tree.path() + "out.htm";
        h.exportAs("optHtml", html);
        const QString dom = renderedDom(html);
        QVERIFY2(!dom.isEmpty(), "headless chromium rendered no page");
        QCOMPARE(resultRows(dom), shown);
        QVERIFY(!dom.contains("<img"));
        QCOMPARE(h.launcher.opened.size(), std::size_t{0});
        h.expectIdleAndConsistent();
        h.ui.verify();
    }

    // Each long step stopped half-way, as a user would: the window is idle
    // and whole again, and no file is left half-done or lost.
    void cancelAtEachLongStep() {
        struct Step {
            const char* name;
            bool scanFirst;
            std::function<void(Flow&)> cancelHalfWay;
        };
        const auto walkCancelled = [](Flow& h) {
            h.ui.expectMessage(kCancelQuestion, MsgAnswer::Yes);
            bool pressed = false;
            h.duringScan = [&] {
                if (h.model().FilesFound >= 100 && !std::exchange(pressed, true))
                    QTest::keyClick(h.window.get(), Qt::Key_Escape);
            };
            h.action("MScan")->trigger();
            h.duringScan = {};
            QCOMPARE(h.panel(1), "Search Terminated.");
            QVERIFY(h.model().FilesFound < kGroupedFiles && h.model().rows.empty());
        };
        const auto comparisonCancelled = [](Flow& h) {
            h.ui.expectMessage(kCancelQuestion, MsgAnswer::Yes);
            bool pressed = false;
            h.duringScan = [&] {
                if (h.panel(1) == "Starting search engine, please wait..." &&
                    !std::exchange(pressed, true))
                    h.action("Toolbar1Button2")->trigger();
            };
            h.action("MScan")->trigger();
            h.duringScan = {};
            QVERIFY(pressed);
            QCOMPARE(h.panel(1), "Search Terminated.");
            QCOMPARE(h.model().FilesFound, kGroupedFiles);
            QVERIFY(h.model().rows.size() < std::size_t{kGroupedFiles});
            std::set<std::int32_t> groups;
            for (const ResultRow& row : h.model().rows)
                groups.insert(row.facts.group);
            QCOMPARE(h.panel(2).section(' ', 2, 2).toLongLong(),
                     qint64(h.model().rows.size() - groups.size()));
        };
        // Stops the run of `dialog` once one marked file has left its place;
        // every marked file is then in place and unchanged, and `expectLanded`
        // gets those that left, with their contents.
        const auto runCancelled =
            [](Flow& h, const char* command, const char* dialog,
               const std::function<void(const std::map<std::string, std::string>&)>& expectLanded) {
                h.action("MMarkAllDuplicates")->trigger();
                const std::vector<std::string> marked = markedPaths(h.model());
                std::map<std::string, std::string> contents;
                for (const std::string& path : marked)
                    contents[path] = test::readFile(path);
                QWidget* running = nullptr;
                h.duringScan = [&] {
                    if (running && !exists(marked.front()))
                        test::clickButton(*std::exchange(running, nullptr), "cmdOK");
                };
                h.through(command, dialog, [&](QWidget& shown) {
                    running = &shown;
                    test::clickButton(shown, "cmdOK");
                    QVERIFY(!running);
                    test::clickButton(shown, "cmdClose");
                });
                h.duringScan = {};
                std::map<std::string, std::string> left;
                for (const auto& [path, content] : contents) {
                    if (exists(path))
                        QCOMPARE(test::readFile(path), content);
                    else
                        left[path] = content;
                }
                QVERIFY(!left.empty() && left.size() < marked.size());
                QCOMPARE(markedPaths(h.model()).size(), marked.size() - left.size());
                expectLanded(left);
            };
        // Each file that left is in the Trash with its record, and the Trash
        // holds no file without a record nor a record without its file.
        const auto deleteCancelled = [runCancelled](Flow& h) {
            emptyTrash();
            runCancelled(h, "MDelete", "fileDelFrm", [](const auto& left) {
                expectHoldsExactly(trash() + "files/", left);
                std::vector<std::string> records;
                for (const std::string& name : test::namesIn(trash() + "files"))
                    records.push_back(name + ".trashinfo");
                std::sort(records.begin(), records.end());
                QCOMPARE(test::namesIn(trash() + "info"), records);
            });
        };
        // To another file system, where a move is a copy and a delete.
        const auto moveCancelled = [runCancelled](Flow& h) {
            const test::ScratchVolume volume = test::ScratchVolume::tmpfs("8m");
            if (!volume.mounted())
                QSKIP("needs root to mount a second file system (tmpfs) for the destination");
            h.ui.expectBrowseFolder(volume.path());
            runCancelled(h, "MMoveSelected", "FileCMFrm",
                         [&](const auto& left) { expectHoldsExactly(volume.path(), left); });
        };
        const auto loadCancelled = [](Flow& h) {
            const std::string file = h.tree.path() + "search.tsf";
            h.session("MSaveSession", file);
            const std::string saved = test::readFile(file);
            h.ui.expectMessage(kCancelQuestion.text, MsgAnswer::Yes);
            bool pressed = false;
            h.duringScan = [&] {
                if (QWidget* dialog = QApplication::activeModalWidget();
                    dialog && !std::exchange(pressed, true))
                    test::clickButton(*dialog, "Command2");
            };
            h.session("MLoadSession", file);
            h.duringScan = {};
            QVERIFY(pressed);
            QCOMPARE(h.panel(1), "Search Terminated.");
            QVERIFY(h.model().rows.size() < std::size_t{kGroupedFiles});
            QCOMPARE(test::readFile(file), saved);
        };
        // Saves and exports cannot be stopped: Escape and Cancel are refused
        // until the file is whole, and it appears only then.
        const auto refusedUntilWhole = [](Flow& h, const std::string& path,
                                          const std::function<void()>& write) {
            bool tried = false;
            h.duringScan = [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (!dialog || std::exchange(tried, true))
                    return;
                QVERIFY(!exists(path));
                QTest::keyClick(dialog, Qt::Key_Escape);
                test::clickButton(*dialog, "Command2");
                dialog->close();
                QVERIFY(dialog->isVisible());
            };
            write();
            h.duringScan = {};
            QVERIFY(tried);
        };
        const auto saveRefused = [refusedUntilWhole](Flow& h) {
            const std::string file = h.tree.mkdir("saved") + "search.tsf";
            refusedUntilWhole(h, file, [&] { h.session("MSaveSession", file); });
            QCOMPARE(test::namesIn(h.tree.path() + "saved"),
                     std::vector<std::string>{"search.tsf"});
            const QStringList before = listed(h.model());
            h.session("MLoadSession", file);
            QCOMPARE(listed(h.model()), before);
        };
        const auto exportRefused = [refusedUntilWhole](Flow& h) {
            const std::string file = h.tree.mkdir("export") + "out.xml";
            refusedUntilWhole(h, file, [&] { h.exportAs("optXml", file); });
            QCOMPARE(test::namesIn(h.tree.path() + "export"), std::vector<std::string>{"out.xml"});
            QCOMPARE(parsedXml(file), shownValues(h.model()));
        };

        // The move run skips without a second file system, so it comes last.
        const Step steps[] = {
            {"walk", false, walkCancelled},        {"comparison", false, comparisonCancelled},
            {"delete run", true, deleteCancelled}, {"session load", true, loadCancelled},
            {"session save", true, saveRefused},   {"export", true, exportRefused},
            {"move run", true, moveCancelled}};
        for (const Step& step : steps) {
            qInfo("step: %s", step.name);
            Flow h;
            makeGroups(h.tree);
            h.addSearchPath(h.tree.path() + "data");
            if (step.scanFirst)
                h.scan();
            step.cancelHalfWay(h);
            if (QTest::currentTestFailed())
                return;
            h.duringScan = {};
            h.expectIdleAndConsistent();
            h.ui.verify();
            if (QTest::currentTestFailed())
                return;
        }
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::WholeTasksTest)
#include "whole_tasks_test.moc"

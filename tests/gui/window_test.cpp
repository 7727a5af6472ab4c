#include "app/desktop_services.h"
#include "gui_support.h"
#include "platform/app_paths.h"
#include "support/temp_dir.h"

#include <QTableView>
#include <QTest>

#include <filesystem>

namespace twinsift {
namespace {

// A main window that scans a tree of its own.
struct TreeHarness : test::WindowHarness {
    test::TempDir tree;

    TreeHarness() {
        std::filesystem::remove(userDataFolder() + "default.tsf");
        create();
        window->exclusions() = KeptExclusionList(tree.path() + "exclusion.lst");
        model().yield = DesktopYield();
    }
    void scan(const std::string& folder) {
        model().SearchList.push_back({folder, {"Yes", "All files(*.*)", "0", "", "", ""}});
        model().notices().searchPathsChanged();
        action("MScan")->trigger();
    }
    QModelIndex cell(int row, int column) {
        const QAbstractItemModel& rlv = *child<QTableView>("RLV")->model();
        return rlv.index(row, column);
    }
};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlCharactersInNamesShowAsSymbols() {
        TreeHarness h;
        h.start();
        h.tree.write("a\nb\x7f.txt", "same");
        h.tree.write("c\td.txt", "same");
        h.scan(h.tree.path());

        QStringList names;
        for (int row = 0; row < 2; ++row) {
            names << h.cell(row, ColFileName).data().toString();
            QVERIFY(h.cell(row, ColInFolder)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .endsWith(names.back() + "</p>"));
        }
        names.sort();
        QCOMPARE(names, QStringList({QStringLiteral("a\u240Ab\u2421.txt"),
                                     QStringLiteral("c\u2409d.txt")}));
        // Only the sight of the name changes: the row still leads to the file.
        for (const ResultRow& row : h.model().rows)
            QVERIFY(std::filesystem::exists(row.fullPath()));
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::WindowTest)
#include "window_test.moc"

#include "app/desktop_services.h"
#include "gui_support.h"
#include "platform/app_paths.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QProgressBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>

namespace twinsift {
namespace {

// A main window that scans a tree of its own, with a hook into every yield.
struct TreeHarness : test::TreeWindowHarness {
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

QHeaderView& columns(test::WindowHarness& h) {
    return *h.child<QTableView>("RLV")->horizontalHeader();
}

QSplitter& split(test::WindowHarness& h) {
    return *qobject_cast<QSplitter*>(h.window->centralWidget());
}

// Offers `urls` to the search list as a file manager's drag would, and drops
// them there; whether the list took the drag.
bool dropOnSearchList(test::WindowHarness& h, const QList<QUrl>& urls) {
    QWidget* target = h.child<QTreeWidget>("SearchList")->viewport();
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return true;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlCharactersInNamesShowAsSymbols() {
        TreeHarness h;
        h.start();
        const std::string folder = h.tree.path() + "x\ny/";
        h.tree.write("x\ny/a\nb\x7f.txt", "same");
        h.tree.write("x\ny/c\td.txt", "same");
        // Enough folders for the walk to name where it is.
        for (int i = 0; i < 60; ++i)
            std::filesystem::create_directory(folder + std::to_string(i));
        QStringList walking;
        h.duringScan = [&] { walking << h.panel(1); };
        h.scan(folder);

        const QString shownFolder = QString::fromStdString(h.tree.path()) + "x\u240Ay";
        QVERIFY(
            h.child<QTreeWidget>("SearchList")->topLevelItem(0)->text(0).startsWith(shownFolder));
        QVERIFY(walking.filter(QStringLiteral("Scanning... ") + shownFolder).size() > 0);

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

    void firstStartPlacesTheWindowOnceWithTheIdleHint() {
        test::WindowHarness h(std::nullopt); // empty settings: the tip shows
        QPoint movedByUser;
        const auto tipSeen = test::whenModalShown("frmTip", [&](QWidget& tip) {
            movedByUser = h.window->pos() + QPoint(40, 30);
            h.window->move(movedByUser);
            tip.close();
        });
        h.start();
        QTRY_VERIFY(*tipSeen);
        QTest::qWait(20);
        QCOMPARE(h.window->pos(), movedByUser);
        QCOMPARE(h.panel(1), status_text::NewSessionHint);
    }

    void columnsAndSplitAreKeptBetweenRuns() {
        test::WindowHarness h;
        h.start();
        // At the first start's size every column is in sight, and they fill the list.
        const QHeaderView& built = columns(h);
        const int listWidth = h.child<QTableView>("RLV")->viewport()->width();
        QCOMPARE(built.length(), listWidth);
        for (int column = 0; column < kResultColumnCount; ++column)
            QVERIFY(built.isSectionHidden(column) ||
                    built.sectionViewportPosition(column) + built.sectionSize(column) <= listWidth);
        const int builtNameWidth = built.sectionSize(ColFileName);
        const int builtGroupPlace = built.visualIndex(ColGroup);
        // A wider window widens the folders alone, and gives the room back.
        const int builtGroupWidth = built.sectionSize(ColGroup);
        const int builtFolderWidth = built.sectionSize(ColInFolder);
        const QSize builtSize = h.window->size();
        h.window->resize(builtSize + QSize(200, 0));
        QTRY_COMPARE(built.sectionSize(ColInFolder), builtFolderWidth + 200);
        QCOMPARE(built.sectionSize(ColGroup), builtGroupWidth);
        h.window->resize(builtSize);
        QTRY_COMPARE(built.sectionSize(ColInFolder), builtFolderWidth);

        columns(h).moveSection(builtGroupPlace, 0);
        columns(h).resizeSection(ColFileName, builtNameWidth + 40);
        columns(h).resizeSection(ColInFolder, builtFolderWidth + 100);
        split(h).setSizes({90, 300});
        const QList<int> sizes = split(h).sizes();
        h.window->close();
        h.window.reset();
        h.start();
        QCOMPARE(columns(h).visualIndex(ColGroup), 0);
        QCOMPARE(columns(h).sectionSize(ColFileName), builtNameWidth + 40);
        h.window->resize(builtSize + QSize(1, 0));
        QTRY_COMPARE(columns(h).sectionSize(ColInFolder), builtFolderWidth + 100);
        QCOMPARE(split(h).sizes(), sizes);

        // A damaged value, or a header of another list, leaves the layout as built.
        QStandardItemModel threeColumns(1, 3);
        QHeaderView other(Qt::Horizontal);
        other.setModel(&threeColumns);
        for (const QByteArray& columnsState : {QByteArray("garbage"), other.saveState()}) {
            h.window->close();
            h.settings.saveSetting("Layout", "ResultColumns",
                                   columnsState.toBase64().toStdString());
            h.settings.saveSetting("Layout", "Splitter", "%%not base64%%");
            h.window.reset();
            h.start();
            QCOMPARE(columns(h).visualIndex(ColGroup), builtGroupPlace);
            QCOMPARE(columns(h).sectionSize(ColFileName), builtNameWidth);
            QVERIFY(columns(h).isSectionHidden(ColSortDate));
        }

        // A stored header that would freeze or hide columns: its order is
        // kept but not its behaviour, and a column narrower than the window
        // allows undoes it whole.
        const int builtMinimum = columns(h).minimumSectionSize();
        const int builtHandle = split(h).handleWidth();
        for (const int nameWidth : {builtNameWidth, 0}) {
            columns(h).moveSection(builtGroupPlace, 0);
            columns(h).setMinimumSectionSize(0);
            columns(h).resizeSection(ColFileName, nameWidth);
            columns(h).setSectionsClickable(false);
            columns(h).setSectionsMovable(false);
            split(h).setHandleWidth(0);
            h.window->close();
            h.window.reset();
            h.start();
            QCOMPARE(columns(h).visualIndex(ColGroup), nameWidth ? 0 : builtGroupPlace);
            QCOMPARE(columns(h).sectionSize(ColFileName), builtNameWidth);
            QCOMPARE(columns(h).minimumSectionSize(), builtMinimum);
            QVERIFY(columns(h).sectionsClickable() && columns(h).sectionsMovable());
            QCOMPARE(split(h).handleWidth(), builtHandle);
        }
    }

    void droppedFoldersBecomeSearchPaths() {
        TreeHarness h;
        h.start();
        const std::string one = h.tree.mkdir("one");
        const std::string odd = h.tree.mkdir("odd\xff name");
        const std::string file = h.tree.write("file.txt", "x");
        const auto url = [](const std::string& path) {
            return QUrl::fromEncoded("file://" +
                                     QByteArray::fromStdString(path).toPercentEncoding("/"));
        };
        // Files and what is not on this machine are passed over; nothing but
        // those is refused at once.
        QVERIFY(!dropOnSearchList(h, {url(file), QUrl("https://example.org/one/")}));
        // A folder of that name here is not the one on the other machine.
        const std::string remote = h.tree.mkdir("remote");
        const QList<QUrl> dropped = {url(one), url(file), url(odd),
                                     QUrl("file://elsewhere" + url(remote).path())};
        QVERIFY(dropOnSearchList(h, dropped));
        QVERIFY(dropOnSearchList(h, dropped)); // already listed: no second row

        const auto& list = h.model().SearchList;
        QCOMPARE(list.size(), std::size_t{2});
        QCOMPARE(list[0].text, one.substr(0, one.size() - 1));
        QCOMPARE(list[1].text, odd.substr(0, odd.size() - 1));
        // The filters a new folder gets in the Add dialog.
        QCOMPARE(list[1].subItems[SearchPathRow::SubFolders], "Yes");
        QCOMPARE(list[1].subItems[SearchPathRow::FileType], "All files(*.*)");
        QCOMPARE(list[1].subItems[SearchPathRow::MinSize], "10");
        QCOMPARE(h.child<QTreeWidget>("SearchList")->topLevelItemCount(), 2);
    }

    void progressBarShowsWhileScanning() {
        TreeHarness h;
        h.start();
        for (int i = 1; i <= 20; ++i) {
            const std::string content(static_cast<std::size_t>(i), 'q');
            h.tree.write("a/" + std::to_string(i), content);
            h.tree.write("b/" + std::to_string(i), content);
        }
        auto* bar = h.child<QProgressBar>("StatusProgress");
        QVERIFY(bar->isHidden());
        bool busy = false;
        bool partWay = false;
        h.duringScan = [&] {
            if (bar->isHidden())
                return;
            busy = busy || bar->maximum() == 0;
            partWay = partWay || (bar->value() > 0 && bar->value() < bar->maximum());
        };
        h.scan(h.tree.path());
        QVERIFY(busy);
        QVERIFY(partWay);
        QVERIFY(bar->isHidden());
        QCOMPARE(h.model().rows.size(), std::size_t{40});
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::WindowTest)
#include "window_test.moc"

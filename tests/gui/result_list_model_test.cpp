#include "app/result_list_model.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QIcon>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace twinsift {
namespace {

ResultRow row(const std::string& name, int group, const std::string& folder,
              std::int64_t size = 1234) {
    RowFacts facts;
    facts.size = size;
    facts.group = group;
    return makeResultRow(name, folder, "N/A", "2024-03-01 10:00", facts);
}

bool shaded(const ResultListModel& model, int r) {
    return model.data(model.index(r, ColFileName), Qt::BackgroundRole).isValid();
}

} // namespace

class ResultListModelTest : public QObject {
    Q_OBJECT
private slots:
    void behavesAsAnItemModel() {
        WindowModel window;
        ResultListModel model(window);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        window.rows = {row("a.txt", 1, "/x/"), row("b.txt", 1, "/y/")};
        model.listReplaced();
        QCOMPARE(model.columnCount(), 10);
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Size(Bytes)");
        QCOMPARE(model.data(model.index(1, ColInFolder), Qt::DisplayRole).toString(), "/y/");

        // Every notice keeps the model consistent for the tester, and rows
        // appended but not yet announced stay out of sight.
        window.listener = &model;
        for (int i = 0; i < 8; ++i)
            window.rows.push_back(row("n" + std::to_string(i), 2, "/z/"));
        QCOMPARE(model.rowCount(), 2);
        announceAppendedRows(window, 2);
        QCOMPARE(model.rowCount(), 10);
        markRows(window, {3, 4}, true);
        QPersistentModelIndex kept = model.index(9, ColFileName); // n7
        sortResultRows(window, ColFileName, true);
        QCOMPARE(kept.row(), 0);
        removeResultRows(window, [](const ResultRow& r) { return r.name() == "n6"; });
        removeResultRows(window, [](const ResultRow& r) { return r.name().ends_with("txt"); });
        QCOMPARE(model.rowCount(), 7);
        QCOMPARE(kept.row(), 0);
        QCOMPARE(kept.data().toString(), "n7");

        // Rows that went away behind the view's back read as empty, never out of bounds.
        window.rows.clear();
        QVERIFY(!model.data(model.index(1, ColInFolder), Qt::DisplayRole).isValid());
        clearResultRows(window);
        QCOMPARE(model.rowCount(), 0);
    }

    void marksShowTheirImageInTheNameColumn() {
        WindowModel window;
        ResultListModel model(window);
        window.rows = {row("a.txt", 1, "/x/"), row("b.txt", 1, "/y/")};
        window.rows[1].icon = image::Marked;
        model.listReplaced();
        const auto icon = [&](int r, int c) {
            return model.data(model.index(r, c), Qt::DecorationRole).value<QIcon>();
        };
        QVERIFY(!icon(0, ColFileName).isNull());
        QVERIFY(icon(0, ColFileName).cacheKey() != icon(1, ColFileName).cacheKey());
        QVERIFY(!model.data(model.index(0, ColSize), Qt::DecorationRole).isValid());
    }

    // Which runs are shaded is the window model's rule; here only that it shows.
    void shadedRowsAreLightBlueUnlessSuspended() {
        WindowModel window;
        ResultListModel model(window);
        window.rows = {row("a", 1, "/a/"), row("b", 2, "/a/")};
        computeRowShades(window);
        model.listReplaced();
        QVERIFY(!shaded(model, 0));
        QCOMPARE(model.data(model.index(1, ColSize), Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(213, 233, 249));
        window.ShadingSuspended = true;
        QVERIFY(!shaded(model, 1));
    }

    void tenThousandRowsFillScrollAndSortWithoutItems() {
        WindowModel window;
        ResultListModel model(window);
        QTableView view;
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.setModel(&model);
        view.resize(800, 600);
        view.show();

        constexpr int count = 10'000;
        window.rows.reserve(count);
        for (int i = 0; i < count; ++i)
            window.rows.push_back(row("file" + std::to_string(i) + ".txt", i / 2 + 1, "/data/set/",
                                      static_cast<std::uint64_t>(i) * 7919 % count));
        computeRowShades(window);
        model.listReplaced();
        QCOMPARE(model.rowCount(), count);

        // A mark repaints its row and nothing else.
        window.listener = &model;
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy relaid(&model, &QAbstractItemModel::layoutChanged);
        markRows(window, {count / 2, count / 2}, true);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model.index(count / 2, 0));
        QCOMPARE(changed[0][1].toModelIndex(), model.index(count / 2, kResultColumnCount - 1));
        QCOMPARE(reset.size() + relaid.size(), 0);

        view.scrollToBottom();
        QTest::qWait(10);
        QCOMPARE(view.rowAt(view.viewport()->height() - 2) >= count - 40, true);

        sortResultRows(window, ColSortSize, true);
        computeRowShades(window);
        QCOMPARE(model.data(model.index(0, ColSortSize), Qt::DisplayRole).toString(),
                 "000000009999");
        QCOMPARE(model.data(model.index(count - 1, ColSortSize), Qt::DisplayRole).toString(),
                 "000000000000");
        view.scrollToTop();
        QTest::qWait(10);
        QCOMPARE(view.rowAt(1), 0);
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::ResultListModelTest)
#include "result_list_model_test.moc"

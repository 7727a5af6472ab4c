#include "app/file_info_frm.h"
#include "gui_support.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

namespace twinsift {

using Harness = test::WindowHarness;

namespace {

// Lists the files of `dir` named `names` in that order, those named in
// `marked` marked.
void listFiles(WindowModel& model, const test::TempDir& dir, const std::vector<std::string>& names,
               const std::vector<std::string>& marked = {}) {
    for (const std::string& name : names) {
        RowFacts facts;
        facts.group = 1;
        model.rows.push_back(makeResultRow(name, dir.path(), "N/A", "2024-01-01 10:00", facts));
        if (std::find(marked.begin(), marked.end(), name) != marked.end())
            model.rows.back().icon = image::Marked;
    }
    announceAppendedRows(model, 0);
}

void savePicture(const test::TempDir& dir, const char* name, QSize size, Qt::GlobalColor color) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(color);
    QVERIFY(picture.save(QString::fromStdString(dir.path() + name)));
}

QWidget* windowNamed(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name))
            return window;
    return nullptr;
}

FileInfoFrm* viewer() {
    return static_cast<FileInfoFrm*>(windowNamed("FileInfoFrm"));
}

QString viewerName() {
    return viewer()->findChild<QLabel*>(QStringLiteral("StbarPanel1"))->text();
}

QSize viewerPicture() {
    return viewer()->findChild<PictureBox*>(QStringLiteral("pic"))->image().size();
}

// What the user's close box does to the window.
void closeBox(QWidget& window) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    // As the window system delivers it: sendEvent() would take the flag away.
    qApp->notify(&window, &close);
    window.close();
}

} // namespace

class SingleFileTest : public QObject {
    Q_OBJECT

private slots:
    void viewerFollowsTheFocusedPictureAndHidesForOtherFiles() {
        test::TempDir dir;
        savePicture(dir, "a.png", {40, 30}, Qt::red);
        savePicture(dir, "b.BMP", {20, 20}, Qt::blue);
        dir.write("c.txt", "text");
        dir.write("d.jpg", "no picture in here");
        Harness h;
        h.start();
        listFiles(h.model(), dir, {"a.png", "b.BMP", "c.txt", "d.jpg"});
        auto& rlv = *h.child<QTableView>("RLV");
        rlv.setFocus();
        rlv.setCurrentIndex(rlv.model()->index(0, ColFileName));

        QTest::keyClick(&rlv, Qt::Key_Down);
        QVERIFY(viewer() && viewer()->isVisible());
        QCOMPARE(viewerName(), QStringLiteral("b.BMP"));
        QCOMPARE(viewerPicture(), QSize(20, 20));
        QVERIFY(!viewer()->isActiveWindow());
        QTest::keyClick(&rlv, Qt::Key_Up);
        QCOMPARE(viewerPicture(), QSize(40, 30));
        QTest::keyClick(&rlv, Qt::Key_Down);
        QTest::keyClick(&rlv, Qt::Key_Down);
        QVERIFY(!viewer()->isVisible());
        // A file that holds no picture shows its name over an empty box,
        // never over the picture before it.
        QTest::keyClick(&rlv, Qt::Key_Down);
        QVERIFY(viewer()->isVisible());
        QCOMPARE(viewerName(), QStringLiteral("d.jpg"));
        QVERIFY(viewerPicture().isEmpty());

        const QRect first = rlv.visualRect(rlv.model()->index(0, ColFileName));
        QTest::mouseClick(rlv.viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(viewerName(), QStringLiteral("a.png"));

        // The switch closes the window without a question; off, nothing shows.
        h.action("Toolbar1Button11")->trigger();
        QTRY_VERIFY(!viewer());
        QTest::keyClick(&rlv, Qt::Key_Down);
        QVERIFY(!viewer());
        QCOMPARE(h.settings.getSetting("Options", "Display", ""), "9");
    }

    void largePictureIsScaledDownKeepingItsShape() {
        QImage wide(4000, 1000, QImage::Format_RGB32);
        wide.fill(Qt::red);
        PictureBox box;
        box.setImage(wide);
        box.resize(200, 200);
        const QImage shown = box.grab().toImage();
        const auto red = [&](int x, int y) { return shown.pixelColor(x, y) == QColor(Qt::red); };
        // 200 wide, 50 high, in the middle.
        QVERIFY(red(0, 100) && red(199, 100));
        QVERIFY(red(100, 76) && red(100, 123));
        QVERIFY(!red(100, 70) && !red(100, 130));
    }

    void closeBoxAsksWhetherToSwitchTheViewerOff() {
        for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
            test::TempDir dir;
            savePicture(dir, "a.jpg", {10, 10}, Qt::green);
            Harness h;
            h.settings.saveSetting("PicWindowSize", "L", "1500");
            h.settings.saveSetting("PicWindowSize", "T", "3000");
            h.start();
            listFiles(h.model(), dir, {"a.jpg"});
            auto& rlv = *h.child<QTableView>("RLV");
            const QRect row = rlv.visualRect(rlv.model()->index(0, ColFileName));
            QTest::mouseClick(rlv.viewport(), Qt::LeftButton, {}, row.center());
            QCOMPARE(QRect(viewer()->frameGeometry().topLeft(), viewer()->size()),
                     QRect(100, 200, 133, 167));
            viewer()->move(300, 150);

            h.ui.expectMessage({"Do you want to disable picture viewer?", "Confirm",
                                MsgIcon::Question, MsgButtons::YesNo, 2},
                               answer);
            closeBox(*viewer());
            QTRY_VERIFY(!viewer());
            QCOMPARE(h.settings.getSetting("PicWindowSize", "L", ""), "4500");
            QCOMPARE(h.settings.getSetting("PicWindowSize", "T", ""), "2250");
            QCOMPARE(h.settings.getSetting("PicWindowSize", "W", ""), "1995");
            const bool stillOn = answer == MsgAnswer::No;
            QCOMPARE(h.action("MPicViewer")->isChecked(), stillOn);
            QCOMPARE(h.settings.contains("Options", "Display"), !stillOn);
            QTest::mouseClick(rlv.viewport(), Qt::LeftButton, {}, row.center());
            QCOMPARE(viewer() != nullptr, stillOn);
        }
    }

    void commandsActOnTheFocusedAndMarkedRows() {
        test::TempDir dir;
        // A name that would be markup, were it shown as anything but plain text.
        const std::string b = "<i>b&amp;\n.txt";
        for (const std::string& name : {std::string("a.txt"), b, std::string("c.txt")})
            dir.write(name, "12345");
        Harness h;
        h.start();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        // Without rows every one of them leaves things as they are.
        for (const char* command : {"MCopyPath", "mnuOpenAllMarkFiles", "MOpenFolder", "MOpenFile",
                                    "MFileProperties", "MRename"})
            h.action(QString::fromLatin1(command))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QVERIFY(h.launcher.opened.empty() && h.shell.properties.empty());

        listFiles(h.model(), dir, {"a.txt", b, "c.txt"}, {"c.txt", "a.txt"});
        h.action("mnuOpenAllMarkFiles")->trigger();
        QCOMPARE(h.launcher.opened,
                 (std::vector<std::string>{dir.path() + "a.txt", dir.path() + "c.txt"}));
        // Files nothing can open are told once for the command, not once a file.
        h.launcher.opens = false;
        h.ui.expectMessage({"There is no program associated with the specified type of file.",
                            "Error", MsgIcon::None, MsgButtons::OK, 1},
                           MsgAnswer::OK);
        h.action("mnuOpenAllMarkFiles")->trigger();
        h.ui.verify();
        h.launcher.opens = true;
        auto& rlv = *h.child<QTableView>("RLV");
        rlv.setCurrentIndex(rlv.model()->index(1, ColFileName));
        const std::string path = dir.path() + b;
        h.action("MCopyPath")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(path));
        h.launcher.opened.clear();
        h.action("MOpenFolder")->trigger();
        h.action("MOpenFile")->trigger();
        QCOMPARE(h.launcher.opened, (std::vector<std::string>{path, path}));

        // No file manager shows the properties here: our own window does.
        h.action("MFileProperties")->trigger();
        QCOMPARE(h.shell.properties, std::vector<std::string>{path});
        QWidget* window = windowNamed("FilePropertiesFrm");
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("File Properties"));
        auto* shownName = window->findChild<QLabel*>(QStringLiteral("Name"));
        // Markup stays text, and the newline shows as its picture.
        QCOMPARE(shownName->text(), QStringLiteral("<i>b&amp;\u240A.txt"));
        QCOMPARE(shownName->textFormat(), Qt::PlainText);
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::SingleFileTest)
#include "single_file_test.moc"

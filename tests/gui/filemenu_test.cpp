// The frame's text exchange and Close commands: when they are offered, and what the frame shows
// after them.

#include "framefixture.h"
#include "modaldriver.h"

#include "files/datafile.h"
#include "shell/mainframe.h"
#include "support/fixture.h"

#include <QAction>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

class FileMenuTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFixture(const QString &name)
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}, 4).event("ENG", {"T2"}, 2);
        f.allocate("MATH", 1, 2, 2).place("MATH", 1, 1, 1, 2);
        f.finish();
        const QString path = m_dir.filePath(name);
        if (!writeDataFile(*d, path.toStdString()))
            qFatal("cannot write the fixture");
        return path;
    }

    static bool enabled(TFrameForm &frame, const char *id) { return frame.action(id)->isEnabled(); }

private slots:
    // Import replaces whatever is open, so it is offered in an empty frame; the others work on
    // an open data set.
    void offeredWithAndWithoutAFile()
    {
        FrameFixture f(SettingsPaths{m_dir.filePath("offered").toStdString(), {}, {}});
        TFrameForm &frame = f.frame;
        const char *needFile[] = {"file.add",      "file.split",  "file.remove",
                                  "file.precheck", "file.export", "file.close"};
        QVERIFY(enabled(frame, "file.import"));
        for (const char *id : needFile)
            QVERIFY2(!enabled(frame, id), id);
        QVERIFY(f.open(writeFixture("offered.qvf")));
        QVERIFY(enabled(frame, "file.import"));
        for (const char *id : needFile)
            QVERIFY2(enabled(frame, id), id);
    }

    // Export, Close, then Import of what was exported: Close leaves an empty frame, and the
    // import brings the views back with the data.
    void exportCloseImport()
    {
        FrameFixture f(SettingsPaths{m_dir.filePath("round").toStdString(), {}, {}});
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("round.qvf")));
        frame.show();
        const QString text = m_dir.filePath("round.qvx");

        ModalDriver driver;
        driver.file(text).message("was converted to text file", "OK");
        frame.action("file.export")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(QFile::exists(text));

        frame.action("file.close")->trigger();
        QVERIFY(!frame.viewsExist());
        QVERIFY(frame.mdiArea()->subWindowList().isEmpty());
        QVERIFY(!enabled(frame, "file.save"));
        QVERIFY(!enabled(frame, "file.export"));
        QCOMPARE(f.d->codeCount, 0);
        QVERIFY(!frame.windowTitle().contains("round.qvf"));

        driver.file(text)
            .message("Do you want to replace your Quivra data", "Yes")
            .message("was imported", "OK");
        frame.action("file.import")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 4);
        QCOMPARE(frame.view(ViewTag::Events)->windowTitle(), QString("Events: 2"));
        QVERIFY(enabled(frame, "file.save"));
        QVERIFY(f.d->modified);
    }
};

QTEST_MAIN(FileMenuTest)
#include "filemenu_test.moc"

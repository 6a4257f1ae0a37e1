// The system clipboard on the offscreen platform: a copy's code-page text reaches other
// programs as Unicode and comes back byte for byte; text another program put there (LF line
// ends, characters outside the code page) reads as the same cells; the Events view copies to it
// and pastes from it.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "files/datafile.h"
#include "reports/clipboardtext.h"
#include "shell/qtports.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/viewcommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

class ClipboardTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QAction *action(ViewForm *view, const char *id)
    {
        updateViewCommands(*view);
        auto *a = view->findChild<QAction *>(QString::fromLatin1(id));
        if (!a)
            qFatal("no action %s", id);
        return a;
    }

private slots:
    void aCopyComesBackByteForByte()
    {
        QtClipboard clipboard;
        const std::string copied = "A1\tAlg\xE8"
                                   "bre \xE9t\xE9\t2\t40\r\n";
        clipboard.setText(copied);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromUtf8("A1\tAlgèbre été\t2\t40\r\n"));
        const std::string back = clipboard.text();
        QCOMPARE(back.size(), copied.size());
        QVERIFY(back == copied);
        QVERIFY(back.find('\0') == std::string::npos);
    }

    void anotherProgramsTextReadsAsTheSameCells()
    {
        QApplication::clipboard()->setText(QString::fromUtf8("B2\tCafé\t1\nC3\t€ 5\t2"));
        QtClipboard clipboard;
        const std::vector<ClipLine> lines = readClipLines(clipboard.text());
        QCOMPARE(lines.size(), std::size_t(2));
        QVERIFY(lines[0] == (ClipLine{"B2", "Caf\xE9", "1"}));
        QVERIFY(lines[1] == (ClipLine{"C3", "\x80 5", "2"}));
    }

    void theEventsViewCopiesAndPastesThroughTheClipboard()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 4).resources('G', {"G1"}).event("A1", {"G1"}, 4, 2);
        f.event("B2", {"G1"}, 2);
        f.finish();
        d->codes[f.id("A1")].name.assign("Alg\xE8"
                                         "bre");
        const QString path = m_dir.filePath("clip.qvf");
        QVERIFY(writeDataFile(*d, path.toStdString()));
        FrameFixture frame;
        QVERIFY(frame.open(path));
        ViewForm *view = frame.frame.view(ViewTag::Events);
        QVERIFY(view);

        ModalDriver driver;
        driver.expect("codePicker", {}, [](QDialog *dialog) {
            auto *all = dialog->findChild<QAbstractButton *>("allButton");
            if (all)
                all->click();
            ModalDriver::press(dialog, "OK");
        });
        driver.message("copied to the Clipboard", "OK");
        QAction *copy = action(view, "events.copy2");
        QVERIFY(copy->isEnabled());
        copy->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromUtf8("A1\tAlgèbre\t2\t4\r\nB2\tName of B2\t1\t2\r\n"));

        QApplication::clipboard()->setText(QString::fromUtf8("B2\tBiologie élève\n"));
        driver.message("0 codes added, 1 updated and 0 omitted.", "OK");
        driver.message("Summary", "OK");
        action(view, "events.paste1")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(std::string(frame.d->codes[findCode(*frame.d, "B2")].name.view()),
                 std::string("Biologie \xE9l\xE8ve"));
        QVERIFY(frame.d->modified);
    }
};

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"

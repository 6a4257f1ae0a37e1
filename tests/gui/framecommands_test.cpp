// The frame's last commands: the help window over the shipped pages, the Help menu, the Help
// buttons of questions and option lists (their page opens while the question stays open), and
// the abort box of long work, whose Stop asks first.

#include "engine/codetable.h"
#include "files/datafile.h"
#include "framefixture.h"
#include "shell/helpwindow.h"
#include "shell/qtdialogs.h"
#include "shell/qtports.h"
#include "support/fixture.h"
#include "ui/helptopics.h"
#include "ui/prompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quivra;

namespace {

const QString Pages = QStringLiteral(QUIVRA_SOURCE_DIR "/data/help");

// Runs `act` on the next modal dialog other than `after` once it is shown.
void whenModal(std::function<void(QWidget *)> act, QWidget *after = nullptr)
{
    auto attempt = std::make_shared<std::function<void()>>();
    *attempt = [act, attempt, after] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != after)
            act(modal);
        else
            QTimer::singleShot(10, *attempt);
    };
    QTimer::singleShot(0, *attempt);
}

void click(QWidget *dialog, const QString &caption)
{
    for (auto *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->text().remove('&') == caption) {
            button->click();
            return;
        }
    }
    QFAIL(qPrintable("no button " + caption));
}

// The page the help window of `owner` shows, as "file#anchor"; empty without a window.
QString shownPage(QWidget *owner)
{
    auto *help = owner->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly);
    if (!help || !help->isVisible())
        return {};
    const QUrl url = help->browser()->source();
    const QString file = url.fileName();
    return url.hasFragment() ? file + "#" + url.fragment() : file;
}

} // namespace

class FrameCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void windowShowsTheTopicsPageOrSaysWhereItLooked()
    {
        QWidget owner;
        owner.setProperty("helpFolder", Pages);
        HelpWindow *help = showHelp(&owner, 1210);
        QCOMPARE(shownPage(&owner), QStringLiteral("eventtools.html#split"));
        QVERIFY(help->windowTitle().contains("Split event"));
        // A second Help reuses the window.
        QCOMPARE(showHelp(&owner, HelpTopic::Contents), help);
        QCOMPARE(shownPage(&owner), QStringLiteral("index.html"));

        QWidget elsewhere;
        elsewhere.setProperty("helpFolder", QStringLiteral("/nonexistent/help"));
        HelpWindow *missing = showHelp(&elsewhere, HelpTopic::Contents);
        QVERIFY(missing->browser()->toPlainText().contains("/nonexistent/help"));
    }

    void questionsHelpOpensItsPageAndTheQuestionWaits()
    {
        auto d = makeScheduleData();
        QWidget parent;
        parent.setProperty("helpFolder", Pages);
        QtDialogs dialogs(*d, &parent);
        Prompter p(dialogs);
        QString page;
        whenModal([&](QWidget *box) {
            click(box, "Help");
            // The same question is still there to answer, its page beside it.
            QTimer::singleShot(50, [&, box] {
                page = shownPage(box);
                click(box, "Yes");
            });
        });
        QVERIFY(p.sureDlg("to clear all 3 memo lines", 0, 1225));
        QCOMPARE(page, QStringLiteral("events.html#duplicate-many"));
    }

    void optionListsHelpButtonOpensItsPage()
    {
        auto d = makeScheduleData();
        QWidget parent;
        parent.setProperty("helpFolder", Pages);
        QtDialogs dialogs(*d, &parent);
        Prompter p(dialogs);
        QString page;
        whenModal([&](QWidget *dialog) {
            click(dialog, "Help");
            page = shownPage(dialog);
            click(dialog, "OK");
        });
        QCOMPARE(p.choice("Select the copy option:", 1235, 2, "Copy$Erase$"), 2);
        QCOMPARE(page, QStringLiteral("events.html#daily-schedules"));
    }

    void helpMenuOpensTheContentsTheTutorialAndThePageOfTheViewInFront()
    {
        FrameFixture f;
        f.frame.setProperty("helpFolder", Pages);
        f.frame.action("help.html")->trigger();
        QCOMPARE(shownPage(&f.frame), QStringLiteral("index.html"));
        f.frame.action("help.tutorial")->trigger();
        QCOMPARE(shownPage(&f.frame), QStringLiteral("tutorial.html"));

        auto d = makeScheduleData();
        FixtureBuilder school(*d);
        school.calendar(2, 5, 6).resources('T', {"T1"}).event("MATH", {"T1"}, 2);
        school.finish();
        QTemporaryDir folder;
        const QString path = folder.filePath("school.qvf");
        QVERIFY(writeDataFile(*d, path.toStdString()).has_value());
        QVERIFY(f.open(path));
        f.frame.show();
        f.frame.showView(ViewTag::Weeks);
        f.frame.action("help.html")->trigger();
        QCOMPARE(shownPage(&f.frame), QStringLiteral("weeks.html"));
        f.frame.action("help.contents")->trigger();
        QCOMPARE(shownPage(&f.frame), QStringLiteral("index.html"));
    }

    // Resource info steps through the list and leaves without a change; its Edit? opens the
    // code in the Collections editor.
    void infoWindowStepsThroughTheListAndEditOpensTheEditor()
    {
        FrameFixture f;
        auto d = makeScheduleData();
        FixtureBuilder school(*d);
        school.calendar(2, 5, 6).resources('T', {"T1", "T2"}).event("MATH", {"T1"}, 2);
        school.finish();
        QTemporaryDir folder;
        const QString path = folder.filePath("school.qvf");
        QVERIFY(writeDataFile(*d, path.toStdString()).has_value());
        QVERIFY(f.open(path));
        f.frame.show();
        f.frame.showView(ViewTag::Resources);
        f.frame.pickCode(findCode(*f.d, "T1"));
        QAction *info = f.frame.view(ViewTag::Resources)->findChild<QAction *>("resources.info");
        QVERIFY(info);

        QStringList shown;
        whenModal([&shown](QWidget *dialog) {
            auto *outline = dialog->findChild<QTreeWidget *>("infoOutline");
            shown << dialog->windowTitle() << outline->topLevelItem(0)->text(0);
            click(dialog, "Next");
            shown << outline->topLevelItem(0)->text(0);
            static_cast<QDialog *>(dialog)->reject(); // Escape
        });
        info->trigger();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0], QStringLiteral("Resource info"));
        QVERIFY(shown[1].startsWith("T1"));
        QVERIFY(shown[2].startsWith("T2"));
        QVERIFY(!f.d->modified);

        QString editor;
        whenModal([&editor](QWidget *dialog) {
            click(dialog, "Edit?");
            whenModal(
                [&editor](QWidget *next) {
                    editor = next->objectName();
                    click(next, "Cancel");
                },
                dialog);
        });
        info->trigger();
        QCOMPARE(editor, QStringLiteral("TCourseDualBox"));
        QVERIFY(!f.d->modified);
    }

    void stopOfLongWorkAsksAndNoGoesOn()
    {
        FrameFixture f;
        f.frame.show();
        auto &progress = static_cast<QtProgress &>(f.frame.progress());
        progress.begin("Publishing", 10);
        QProgressDialog *box = progress.dialog();
        QString question;
        for (const char *answer : {"No", "Yes"}) {
            whenModal(
                [&question, answer](QWidget *modal) {
                    question = static_cast<QMessageBox *>(modal)->text();
                    click(modal, answer);
                },
                box);
            click(box, "Stop");
            if (QString(answer) == "No") {
                QVERIFY(!progress.stopRequested());
                QVERIFY(box->isVisible());
            }
        }
        QVERIFY(question.contains("Are you sure you want to cancel this process?"));
        QVERIFY(progress.stopRequested());
        progress.end();
        QVERIFY(f.frame.isEnabled());
    }
};

QTEST_MAIN(FrameCommandsTest)
#include "framecommands_test.moc"

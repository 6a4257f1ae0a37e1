// The command tables of the frame and the views as a whole: every key bound once where it is
// live, the listing the program prints, the views' actions and pop-up menus, and what every
// window the frame opens looks like (its icon, its size, its close key).

#include "framefixture.h"
#include "modaldriver.h"

#include "commands/optimisecommands.h"
#include "commands/session.h"
#include "engine/codetable.h"
#include "files/datafile.h"
#include "shell/commandlisting.h"
#include "shell/mainframe.h"
#include "shell/optimisationdialog.h"
#include "shell/optionsdialog.h"
#include "shell/viewwindow.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/timetablesview.h"
#include "views/viewcommands.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace quivra;

namespace {

constexpr std::array<ViewTag, 4> Views = {ViewTag::Resources, ViewTag::Events, ViewTag::Weeks,
                                          ViewTag::Timetables};

QString keyText(const QKeySequence &key)
{
    return key.toString(QKeySequence::PortableText);
}

// The screen every window must fit, less a title bar.
constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 800;
constexpr int TitleBar = 40;

// Answers every question of the optimisation tools with what changes nothing.
class QuietTools final : public ToolDialogue
{
public:
    void inform(const std::string &) override {}
    bool askYesNo(const std::string &) override { return false; }
    Answer askYesNoCancel(const std::string &) override { return Answer::Cancel; }
    std::optional<std::vector<CodeId>> pickEvents(const std::string &,
                                                  const std::vector<CodeId> &offered) override
    {
        return offered;
    }
    std::optional<CodeId> pickEvent(const std::string &, const std::vector<CodeId> &,
                                    const std::vector<std::string> &) override
    {
        return std::nullopt;
    }
    std::optional<int> pickWeek(const std::string &, int, int, int) override
    {
        return std::nullopt;
    }
    std::optional<int> pickCategory(const std::string &, bool, int) override
    {
        return std::nullopt;
    }
};

bool fitsTheScreen(const QSize &size)
{
    return size.width() <= ScreenWidth && size.height() + TitleBar <= ScreenHeight;
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

} // namespace

class CommandListingTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Three timetables, two events, three weeks.
    QString writeFixture(const QString &name)
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"G1", "T1"}, 4).event("ENG", {"G1", "T2"}, 2);
        f.allocate("MATH", 1, 2, 2).place("MATH", 1, 1, 1, 2);
        f.finish();
        const QString path = m_dir.filePath(name);
        if (!writeDataFile(*d, path.toStdString()))
            qFatal("cannot write the fixture");
        return path;
    }

private slots:
    // Qt fires neither of two live actions that share a key, so within the frame and within
    // the frame plus any one view (both are live together) a key may be bound once.
    void noKeyIsTakenTwiceInOneContext()
    {
        FrameFixture f;
        std::map<QString, QString> frameKeys;
        for (const FrameCommand &row : f.frame.commands()) {
            if (row.shortcut.isEmpty())
                continue;
            const auto [it, inserted] = frameKeys.emplace(keyText(row.shortcut), row.id);
            QVERIFY2(inserted, qPrintable(keyText(row.shortcut) + " is bound to " + it->second +
                                          " and " + row.id));
        }
        for (const ViewTag tag : Views) {
            std::map<QString, QString> keys = frameKeys;
            for (const ViewCommand &row : viewCommands(tag)) {
                QCOMPARE(row.window, tag);
                for (const QKeySequence &key : row.shortcuts) {
                    const auto [it, inserted] = keys.emplace(keyText(key), row.id);
                    QVERIFY2(inserted, qPrintable(keyText(key) + " is bound to " + it->second +
                                                  " and " + row.id));
                }
            }
        }
        // The keys each view is known by stay with it.
        const auto hasKey = [](ViewTag tag, const QString &id, const QString &key) {
            for (const ViewCommand &row : viewCommands(tag)) {
                if (row.id == id)
                    return !row.shortcuts.isEmpty() && keyText(row.shortcuts.front()) == key;
            }
            return false;
        };
        QVERIFY(hasKey(ViewTag::Resources, "resources.weekly", "Ctrl+W"));
        QVERIFY(hasKey(ViewTag::Events, "events.weekly", "Ctrl+W"));
        QVERIFY(hasKey(ViewTag::Events, "events.bestMatches", "Ctrl+B"));
        QVERIFY(hasKey(ViewTag::Timetables, "timetables.bookingType", "Ctrl+O"));
        QVERIFY(hasKey(ViewTag::Weeks, "weeks.nextMarked", "Ctrl+N"));
        QVERIFY(frameKeys.count("Ctrl+S") == 1 && frameKeys.count("Ctrl+R") == 1);
    }

    // The views' windows neither take a view's key (Ctrl+W closed the active view) nor do
    // they close on it; Close stays on Ctrl+F4.
    void ctrlWLeavesTheViewOpen()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("ctrlw.qvf")));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        for (QMdiSubWindow *window : frame.mdiArea()->subWindowList()) {
            bool closesOnF4 = false;
            for (QAction *action : window->findChildren<QAction *>()) {
                if (qobject_cast<QWidget *>(action->parent()) != window &&
                    action->parent() != window->systemMenu())
                    continue; // the view's own actions
                for (const QKeySequence &key : action->shortcuts()) {
                    QVERIFY2(keyText(key) != "Ctrl+W", qPrintable(action->text()));
                    closesOnF4 = closesOnF4 || keyText(key) == "Ctrl+F4";
                }
            }
            QVERIFY(closesOnF4);
        }
        // Where the desktop binds Close to Ctrl+W as well (most Linux desktops do), the
        // window gives it up.
        QMdiSubWindow spare;
        QAction *close = nullptr;
        for (QAction *action : spare.systemMenu()->actions()) {
            if (action->text().remove('&') == "Close")
                close = action;
        }
        QVERIFY(close);
        close->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)});
        prepareViewWindow(spare);
        QCOMPARE(close->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_F4)});

        frame.showView(ViewTag::Resources);
        auto *resources = static_cast<TRefForm *>(frame.view(ViewTag::Resources));
        QMdiSubWindow *window = frame.mdiArea()->activeSubWindow();
        QVERIFY(window && window->widget() == resources);
        resources->table()->setFocus();
        QTest::keyClick(resources->table(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(window->isVisible());
        QCOMPARE(frame.mdiArea()->activeSubWindow(), window);
    }

    // Every command appears once in the listing, with exactly the keys the JSON form promises,
    // and "wired" says whether it runs.
    void listingHasEveryCommandOnce()
    {
        FrameFixture f;
        const std::vector<ListedCommand> listed = listCommands(f.frame.commands());
        std::size_t rows = f.frame.commands().size();
        for (const ViewTag tag : Views)
            rows += viewCommands(tag).size();
        QCOMPARE(listed.size(), rows);

        const QJsonDocument json = QJsonDocument::fromJson(commandsJson(listed));
        QVERIFY(json.isArray());
        const QJsonArray array = json.array();
        QCOMPARE(std::size_t(array.size()), rows);
        QSet<QString> ids;
        const QStringList keys = {"caption", "id", "menu", "shortcut", "shown", "window", "wired"};
        for (const QJsonValue &value : array) {
            const QJsonObject object = value.toObject();
            QCOMPARE(object.keys(), keys);
            const QString id = object["id"].toString();
            QVERIFY2(!ids.contains(id), qPrintable(id + " is listed twice"));
            ids.insert(id);
            QVERIFY2(!object["caption"].toString().contains('&'), qPrintable(id));
        }
        const auto find = [&](const QString &id) {
            for (const QJsonValue &value : array) {
                if (value.toObject()["id"].toString() == id)
                    return value.toObject();
            }
            return QJsonObject{};
        };
        const QJsonObject saveAs = find("file.saveAs");
        QCOMPARE(saveAs["window"].toString(), QString("Frame"));
        QCOMPARE(saveAs["shortcut"].toString(), QString("Ctrl+Shift+S"));
        QVERIFY(saveAs["wired"].toBool());
        const QJsonObject clear = find("tools.clear7");
        QCOMPARE(clear["menu"].toString(), QString("Tools > Clear"));
        const QJsonObject newEvent = find("events.new");
        QCOMPARE(newEvent["window"].toString(), QString("Events"));
        QCOMPARE(newEvent["caption"].toString(), QString("New event"));
        QCOMPARE(newEvent["shortcut"].toString(), QString("Ins, +"));
        QVERIFY(newEvent["wired"].toBool());
        QVERIFY(find("resources.copyBookings")["wired"].toBool());
        QVERIFY(find("timetables.nextTimetable")["wired"].toBool());
        QCOMPARE(find("weeks.duplicate")["menu"].toString(), ContextMenu);

        // The readable table has a line per command under its heading.
        QCOMPARE(commandsText(listed).count('\n'), qsizetype(rows + 1));
    }

    // The campus exchange's menu is there only where the OEM setting names PeopleSoft: the
    // listing and the menus hide it by default and show it with the setting.
    void peopleSoftMenuFollowsTheOemSetting()
    {
        FrameFixture f;
        const QStringList ids = {"file.campusAdd", "file.campusExport", "file.campusCategories"};
        const auto shownInListing = [&f](const QString &id) {
            for (const ListedCommand &c : listCommands(f.frame.commands())) {
                if (c.id == id)
                    return c.shown;
            }
            return false;
        };
        QMenu *peopleSoft = nullptr;
        for (QObject *holder : f.frame.action("file.campusAdd")->associatedObjects()) {
            if (auto *menu = qobject_cast<QMenu *>(holder))
                peopleSoft = menu;
        }
        QVERIFY(peopleSoft && peopleSoft->title() == "PeopleSoft");
        for (const char *oem : {"", "PeopleSoft Campus Solutions", "Campus"}) {
            f.frame.session().settings.preferences.oem = oem;
            f.frame.updateCommands();
            const bool expected = QString(oem).contains("PeopleSoft");
            for (const QString &id : ids) {
                QCOMPARE(shownInListing(id), expected);
                QCOMPARE(f.frame.action(id)->isVisible(), expected);
            }
            QCOMPARE(peopleSoft->menuAction()->isVisible(), expected);
        }
        // Other menus keep their items.
        QVERIFY(shownInListing("file.networkWrite"));
        QVERIFY(commandsMarkdown(listCommands(f.frame.commands()))
                    .contains("| Add text file ... |  | yes, shown when the OEM setting names "
                              "PeopleSoft |"));
    }

    // A command that does not run yet says what it waits for; one that runs waits for nothing.
    void everyCommandRunsOrNamesWhatItWaitsFor()
    {
        FrameFixture f;
        for (const ListedCommand &c : listCommands(f.frame.commands()))
            QVERIFY2(c.wired == c.later.isEmpty(), qPrintable(c.window + " " + c.id));
        const std::vector<ListedCommand> listed = listCommands(f.frame.commands());
        const QString text = commandsMarkdown(listed);
        for (const ListedCommand &c : listed) {
            if (!c.wired)
                QVERIFY2(text.contains("| " + c.caption + " | " + c.shortcut + " | not yet (" +
                                       c.later + ") |"),
                         qPrintable(c.id));
        }
    }

    // Each view holds one action per row, with its keys scoped to the view, and a pop-up menu
    // with the view's own items first and its menus after them.
    void viewsInstallTheirRows()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("rows.qvf")));
        for (const ViewTag tag : Views) {
            ViewForm *view = frame.view(tag);
            const std::vector<ViewCommand> &rows = viewCommands(tag);
            QCOMPARE(std::size_t(view->actions().size()), rows.size());
            for (const ViewCommand &row : rows) {
                auto *action = view->findChild<QAction *>(row.id);
                QVERIFY2(action, qPrintable(row.id));
                QCOMPARE(action->shortcuts(), row.shortcuts);
                QCOMPARE(action->shortcutContext(), Qt::WidgetWithChildrenShortcut);
                // A row not offered yet is disabled; an offered one as its rule says.
                QCOMPARE(action->isEnabled(),
                         static_cast<bool>(row.run) && (!row.enabled || row.enabled(*view)));
            }
            QMenu *menu = view->contextMenu();
            QVERIFY(menu);
            QStringList submenus;
            for (QAction *item : menu->actions()) {
                if (item->menu())
                    submenus << item->text();
            }
            QVERIFY2(submenus.contains("Edit") && submenus.contains("View"),
                     qPrintable(submenus.join(',')));
        }
        // A right click in the Weeks grid pops up the grid's own items.
        auto *weeks = frame.view(ViewTag::Weeks);
        frame.show();
        frame.showView(ViewTag::Weeks);
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto *grid = weeks->findChild<QTableView *>("weeksGrid");
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                grid->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(grid->viewport(), &click);
        QTRY_VERIFY(weeks->contextMenu()->isVisible());
        QCOMPARE(weeks->contextMenu()->actions().front()->objectName(), QString("weeks.duplicate"));
        weeks->contextMenu()->hide();
    }

    // The timetable steps of the Timetables view run, within the timetables offered, and the
    // other views follow the timetable chosen.
    void timetableStepsRun()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("steps.qvf")));
        auto *timetables = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
        QCOMPARE(timetables->timetableCount(), 3);
        const auto trigger = [&](const char *id) {
            auto *action = timetables->findChild<QAction *>(QString("timetables.") + id);
            QVERIFY(action && action->isEnabled());
            action->trigger();
        };
        trigger("firstTimetable");
        QCOMPARE(timetables->timetableIndex(), 0);
        trigger("previousTimetable");
        QCOMPARE(timetables->timetableIndex(), 0);
        trigger("nextTimetable");
        QCOMPARE(timetables->timetableIndex(), 1);
        QCOMPARE(f.d->currentCode, timetables->resource());
        trigger("lastTimetable");
        QCOMPARE(timetables->timetableIndex(), 2);
        trigger("nextTimetable");
        QCOMPARE(timetables->timetableIndex(), 2);
        QCOMPARE(f.d->currentCode, timetables->resource());
    }

    // An empty list tells how to make the first code with controls that exist.
    void emptyListsNameRealControls()
    {
        auto d = makeScheduleData();
        ViewOptions options;
        TRefForm resources(*d, options);
        TCodesForm events(*d, options);
        for (CodeListForm *form :
             {static_cast<CodeListForm *>(&resources), static_cast<CodeListForm *>(&events)}) {
            const bool isEvents = form == &events;
            const QString text = form->model()->index(0, 0).data().toString();
            QVERIFY2(!text.contains("[+]"), qPrintable(text));
            QVERIFY2(text.contains("[Insert]"), qPrintable(text));
            const QString caption = isEvents ? "New event" : "New resource";
            QVERIFY2(text.contains("Edit|" + caption), qPrintable(text));
            auto *action = form->findChild<QAction *>(isEvents ? "events.new" : "resources.new");
            QVERIFY(action);
            QCOMPARE(action->text().remove('&'), caption);
            QCOMPARE(keyText(action->shortcuts().front()), QString("Ins"));
            bool inEdit = false;
            for (QAction *item : form->contextMenu()->actions()) {
                if (item->menu() && item->text() == "Edit")
                    inEdit = item->menu()->actions().contains(action);
            }
            QVERIFY(inEdit);
        }
    }

    // The desktop picker of Tools|Clear|6 lists the resources alone, none checked, even after
    // an earlier picker left every code marked.
    void resourcePickerListsResourcesOnly()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("picker.qvf")));
        frame.show();
        for (int c = 1; c <= f.d->codeCount; ++c)
            f.d->codes[c].flags |= AllMarks;
        QStringList listed;
        int checked = 0;
        ModalDriver driver;
        driver.expect("codePicker", "resource(s) you want to remove", [&](QDialog *dialog) {
            auto *list = dialog->findChild<QListWidget *>();
            for (int i = 0; list && i < list->count(); ++i) {
                listed << list->item(i)->text();
                checked += list->item(i)->checkState() == Qt::Checked ? 1 : 0;
            }
            dialog->reject();
        });
        frame.action("tools.clear6")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(listed.size(), 3);
        for (const QString &line : listed)
            QVERIFY2(!line.startsWith("MATH") && !line.startsWith("ENG"), qPrintable(line));
        QCOMPARE(checked, 0);
    }

    // The frame and every view's window wear the program's icon, not the toolkit's.
    void everyWindowWearsTheProgramIcon()
    {
        const QImage expected = programIcon().pixmap(16, 16).toImage();
        QVERIFY(!expected.isNull());
        FrameFixture f;
        QVERIFY(f.open(writeFixture("icon.qvf")));
        QCOMPARE(f.frame.windowIcon().pixmap(16, 16).toImage(), expected);
        const QList<QMdiSubWindow *> windows = f.frame.mdiArea()->subWindowList();
        QCOMPARE(windows.size(), 4);
        for (QMdiSubWindow *window : windows)
            QCOMPARE(window->windowIcon().pixmap(16, 16).toImage(), expected);
    }

    // The dialogs the frame opens fit a 1280x800 screen with their title bar, so their buttons
    // can be reached.
    void dialogsFitTheScreen()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        // The demo's rooms carry capacity tags: show the seats rather than ask whether to.
        frame.session().settings.preferences.capacityCheck = true;
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        struct Opened
        {
            const char *command;
            const char *kind;
            const char *objectName;
        };
        for (const Opened &opened :
             {Opened{"tools.optimise", "quivra::TOptimisationDlg", ""},
              Opened{"options.dialog", "quivra::OptionsDialog", "optionsPages"}}) {
            QSize shown;
            QSize hint;
            QString kind;
            ModalDriver driver;
            driver.expect(opened.objectName, QString(), [&](QDialog *dialog) {
                kind = dialog->metaObject()->className();
                hint = dialog->sizeHint();
                shown = dialog->frameGeometry().size();
                dialog->reject();
            });
            frame.action(opened.command)->trigger();
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
            QCOMPARE(kind, QString(opened.kind));
            for (const QSize &size : {hint, shown})
                QVERIFY2(fitsTheScreen(size), qPrintable(kind + " is " + sizeText(size)));
        }
    }

    // The optimisation dialog grows with the groups each tool shows on its Selections page;
    // with any tool chosen it still fits, Start and Close with it.
    void optimisationDialogFitsWithEveryTool()
    {
        auto d = makeScheduleData();
        QVERIFY(readDataFile(QUIVRA_SOURCE_DIR "/examples/demo.qvf", *d));
        Settings settings;
        OptimisationSessionSettings tools = optimisationSessionSettings(*d, settings, 45901);
        QuietTools ui;
        TOptimisationDlg dialog(*d, tools, ui);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const Tool tool :
             {Tool::InitialSolution, Tool::Optimise, Tool::CopyAcrossWeeks, Tool::RemovePeriods}) {
            dialog.pages()->setCurrentIndex(TOptimisationDlg::ToolsPage);
            dialog.chooseTool(tool);
            dialog.pages()->setCurrentIndex(TOptimisationDlg::SelectionsPage);
            QApplication::processEvents();
            const QString name = QStringLiteral("tool %1: ").arg(static_cast<int>(tool));
            for (const QSize &size : {dialog.sizeHint(), dialog.minimumSizeHint(), dialog.size()})
                QVERIFY2(fitsTheScreen(size), qPrintable(name + sizeText(size)));
        }
    }
};

QTEST_MAIN(CommandListingTest)
#include "commandlisting_test.moc"

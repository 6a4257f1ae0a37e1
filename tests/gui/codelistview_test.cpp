// The Resources and Events views driven as a user does: Insert, F2 and Delete run their
// commands on the selected code, a header click sorts the codes themselves, and a cell typed
// into is checked and stored. The questions are answered by scripted dialogs.

#include "commands/codelistcommands.h"
#include "engine/codetable.h"
#include "engine/totals.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"
#include "views/codelistform.h"

#include <QAction>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

#include <memory>
#include <utility>

using namespace quivra;

namespace {

// Hosts one view the way the frame does: commands change the data set, then the view is
// rebuilt and the picked code made current.
class TestHost final : public ViewHost
{
public:
    explicit TestHost(ScheduleData &d) : m_d(d), m_prompter(ui) {}

    ScheduleData &data() override { return m_d; }
    Settings &settings() override { return m_settings; }
    Prompter &prompter() override { return m_prompter; }
    Progress &progress() override { return m_progress; }
    int activeWeek() const override { return 1; }
    void dataChanged() override
    {
        ++changes;
        allResourceTotals(m_d);
        if (view)
            view->refresh();
    }
    void pickCode(CodeId code) override
    {
        m_d.currentCode = code;
        if (view)
            view->followCurrentCode();
    }

    // The collections editor as the user works it; unset, the editor is not expected.
    void showCollections(CollectionsEditor &editor) override
    {
        if (!session)
            QFAIL("the collections editor opened");
        else
            std::exchange(session, {})(editor);
    }

    // The frame keeps the font in the options every view reads, then refreshes the views.
    void setListFont(const FontChoice &font) override
    {
        if (options)
            options->listFont = font;
        if (view)
            view->refresh();
    }

    ScriptedDialogs ui;
    CollectionsSession session;
    ViewOptions *options = nullptr;
    CodeListForm *view = nullptr;
    int changes = 0;

private:
    ScheduleData &m_d;
    Settings m_settings{};
    Prompter m_prompter;
    NullProgress m_progress;
};

std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 4).resources('T', {"T1", "T2"}).resources('G', {"G1"});
    f.event("MATH", {"G1", "T1"}, 2);
    f.finish();
    return d;
}

int columnOf(const CodeListModel &model, ListField field)
{
    for (int c = 0; c < model.columnCount(); ++c) {
        if (model.fieldAt(c) == field)
            return c;
    }
    return -1;
}

QStringList codesShown(const CodeListForm &view)
{
    const int column = columnOf(*view.model(), ListField::Code);
    QStringList codes;
    for (int row = 0; row < view.model()->codeCount(); ++row)
        codes << view.model()->index(row, column).data(Qt::EditRole).toString();
    return codes;
}

} // namespace

class CodeListViewTest : public QObject
{
    Q_OBJECT

private:
    // A shown, hosted view with the focus in its list.
    template <typename Form>
    std::unique_ptr<Form> hosted(ScheduleData &d, TestHost &host, const ViewOptions &options)
    {
        auto view = std::make_unique<Form>(d, options);
        host.view = view.get();
        view->setHost(&host);
        view->refresh();
        view->show();
        view->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(view.get())); }();
        view->table()->setFocus();
        return view;
    }

    void press(CodeListForm &view, int key)
    {
        QTest::keyClick(view.table(), static_cast<Qt::Key>(key));
        QCoreApplication::processEvents();
    }

private slots:
    // The empty list says to press Insert, and Insert does make the first code.
    void insertOnAnEmptyListCreatesTheFirstCode()
    {
        auto d = makeScheduleData();
        FixtureBuilder(*d).calendar(1, 5, 4).finish();
        TestHost host(*d);
        ViewOptions options;
        auto view = hosted<TRefForm>(*d, host, options);
        QVERIFY(view->model()->index(0, 0).data().toString().contains("[Insert]"));
        auto *edit = view->findChild<QAction *>("resources.edit");
        QVERIFY(edit && !edit->isEnabled());

        host.session = [](CollectionsEditor &e) {
            QVERIFY(e.isNew() && !e.eventMode());
            e.setCodeText("T1");
            e.setNameText("Teacher One");
            e.commit();
        };
        press(*view, Qt::Key_Insert);
        QVERIFY(!host.session);
        QVERIFY2(host.ui.finished(), host.ui.problems().c_str());
        QCOMPARE(codesShown(*view), QStringList{"T1"});
        QCOMPARE(view->windowTitle(), QString("Resources: 1"));
        QCOMPARE(view->selectedCode(), findCode(*d, "T1"));
        QVERIFY(edit->isEnabled());
    }

    // F2 opens the collections editor on the selected code; Delete asks and removes it.
    void f2EditsAndDeleteRemovesTheSelectedCode()
    {
        auto d = school();
        TestHost host(*d);
        ViewOptions options;
        auto view = hosted<TRefForm>(*d, host, options);
        view->table()->setCurrentIndex(view->model()->index(1, 0)); // T2
        QCOMPARE(view->selectedCode(), findCode(*d, "T2"));

        host.session = [&](CollectionsEditor &e) {
            QCOMPARE(e.code(), findCode(*d, "T2"));
            e.setCodeText("TA");
            e.setNameText("Teacher A");
            e.setCategory(2);
            e.commit();
        };
        press(*view, Qt::Key_F2);
        QVERIFY(!host.session);
        QVERIFY2(host.ui.finished(), host.ui.problems().c_str());
        QCOMPARE(codesShown(*view), (QStringList{"T1", "TA", "G1"}));
        QCOMPARE(view->selectedCode(), findCode(*d, "TA"));

        host.ui.expect("to remove resource \"TA Teacher A\"").answer(Answer::No);
        press(*view, Qt::Key_Delete);
        QCOMPARE(codesShown(*view).size(), 3);
        host.ui.expect("to remove resource \"TA Teacher A\"").answer(Answer::Yes);
        press(*view, Qt::Key_Delete);
        QVERIFY2(host.ui.finished(), host.ui.problems().c_str());
        QCOMPARE(codesShown(*view), (QStringList{"T1", "G1"}));
        QCOMPARE(view->windowTitle(), QString("Resources: 2"));
    }

    // A header click reorders the code table (no proxy): descending first, then ascending;
    // with the sort lock on it only explains.
    void headerClickSortsTheCodesThemselves()
    {
        auto d = school();
        TestHost host(*d);
        ViewOptions options;
        auto view = hosted<TRefForm>(*d, host, options);
        QCOMPARE(view->table()->model(), view->model());
        const int codeColumn = columnOf(*view->model(), ListField::Code);
        QVERIFY(codeColumn >= 0);
        QHeaderView *header = view->table()->horizontalHeader();
        // The columns fit their contents again after every sort.
        const auto at = [&] {
            // The middle of the field: near its edges a press resizes it.
            return QPoint(header->sectionViewportPosition(codeColumn) +
                              header->sectionSize(codeColumn) / 2,
                          header->height() / 2);
        };
        // Clicks apart in time, so that two are no double click.
        const int apart = QApplication::doubleClickInterval() + 50;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at());
        QCOMPARE(codesShown(*view), (QStringList{"T2", "T1", "G1"}));
        QCOMPARE(host.changes, 1);
        QCOMPARE(d->codes[1].code.view(), "T2");
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at(), apart);
        QCOMPARE(codesShown(*view), (QStringList{"G1", "T1", "T2"}));
        QCOMPARE(d->codes[1].code.view(), "G1"); // the table itself is in the new order

        host.settings().preferences.lockSort = true;
        host.ui.expect("Automatic sorting of items is locked").answer(Answer::Ok);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at(), apart);
        QVERIFY2(host.ui.finished(), host.ui.problems().c_str());
        QCOMPARE(codesShown(*view), (QStringList{"G1", "T1", "T2"}));
    }

    // Typing into the list goes through the same checks as the dialogs.
    void cellsTypedIntoAreChecked()
    {
        auto d = school();
        TestHost host(*d);
        ViewOptions options;
        auto view = hosted<TCodesForm>(*d, host, options);
        CodeListModel &model = *view->model();
        const int codeColumn = columnOf(model, ListField::Code);
        const int plannedColumn = columnOf(model, ListField::Planned);
        QVERIFY(codeColumn >= 0 && plannedColumn >= 0);
        QVERIFY(model.flags(model.index(0, codeColumn)) & Qt::ItemIsEditable);
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        host.ui.expect("\"T1\" already exists").answer(Answer::Ok);
        QVERIFY(!model.setData(model.index(0, codeColumn), "T1"));
        QVERIFY(model.setData(model.index(0, plannedColumn), 5));
        QTRY_COMPARE(host.changes, 1);
        QCOMPARE(int(d->codes[findCode(*d, "MATH")].planned), 5);
        QVERIFY(model.setData(model.index(0, codeColumn), " ALG "));
        QTRY_COMPARE(codesShown(*view), QStringList{"ALG"});
        QVERIFY2(host.ui.finished(), host.ui.problems().c_str());
    }

    // "Select font" starts on the lists' font; a cancelled choice changes nothing, a chosen
    // one is the font of the list.
    void selectFontSetsTheListFont()
    {
        auto d = school();
        TestHost host(*d);
        ViewOptions options;
        host.options = &options;
        auto view = hosted<TCodesForm>(*d, host, options);
        auto *font = view->findChild<QAction *>("events.font");
        QVERIFY(font && font->isEnabled());
        const QFont before = view->table()->font();
        host.ui.expect("Select font").cancel();
        font->trigger();
        QCOMPARE(options.listFont, FontChoice{});
        QCOMPARE(view->table()->font(), before);
        const QString family = before.family();
        host.ui.expect("Select font").font({family.toStdString(), 17});
        font->trigger();
        QVERIFY2(host.ui.finished(), host.ui.problems().c_str());
        QCOMPARE(options.listFont, (FontChoice{family.toStdString(), 17}));
        QCOMPARE(view->table()->font().pointSize(), 17);
        QCOMPARE(view->table()->font().family(), family);
    }

    // "Show tooltips" starts checked; unchecked, neither rows nor headers give hints, in either
    // list.
    void showTooltipsSwitchesTheHintsOff()
    {
        auto d = school();
        TestHost host(*d);
        ViewOptions options;
        for (const char *prefix : {"resources.", "events."}) {
            auto view = prefix[0] == 'r'
                            ? std::unique_ptr<CodeListForm>(hosted<TRefForm>(*d, host, options))
                            : std::unique_ptr<CodeListForm>(hosted<TCodesForm>(*d, host, options));
            auto *tooltips = view->findChild<QAction *>(QString(prefix) + "tooltips");
            QVERIFY(tooltips && tooltips->isEnabled() && tooltips->isCheckable());
            QVERIFY(tooltips->isChecked());
            const QModelIndex cell = view->model()->index(0, 0);
            QVERIFY(!cell.data(Qt::ToolTipRole).toString().isEmpty());
            tooltips->trigger();
            view->refresh();
            QVERIFY(!tooltips->isChecked());
            QVERIFY(cell.data(Qt::ToolTipRole).isNull());
            QVERIFY(view->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).isNull());
            tooltips->trigger();
            QVERIFY(!cell.data(Qt::ToolTipRole).toString().isEmpty());
        }
    }
};

QTEST_MAIN(CodeListViewTest)
#include "codelistview_test.moc"

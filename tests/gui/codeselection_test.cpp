// The code selection dialog on the offscreen platform: it shows what its selection holds, each
// control reaches the selection, and the frame's Options rows leave the answer in the marks.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "shell/codeselectiondialog.h"
#include "shell/qtdialogs.h"
#include "support/fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace quivra;

namespace {

// Events 123, 1X3, 124 (Basic) and 1, 12 (Middle); 1 is locked.
void buildSchool(FixtureBuilder &f, ScheduleData &d)
{
    f.calendar(2, 5, 4).resources('T', {"T1", "T2"}).resources('R', {"R1"});
    f.event("123", {"T1", "R1"}, 4, 1);
    f.event("1X3", {"T2"}, 3, 1);
    f.event("124", {"T1"}, 2, 1);
    f.event("1", {"T2"}, 1, 2);
    f.event("12", {}, 5, 2);
    f.finish();
    d.codes[f.id("1")].flags |= LockedBit;
}

CodePickRequest eventsRequest(const ScheduleData &d, std::vector<CodeId> preset)
{
    CodePickRequest r;
    r.caption = "Select the events to test";
    for (int i = 1; i <= d.eventList[0]; ++i)
        r.offered.push_back(d.eventList[static_cast<std::size_t>(i)]);
    r.preset = std::move(preset);
    return r;
}

// The codes of the checked lines (each line starts with its code).
QStringList checkedLines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            out << list->item(i)->text().section(' ', 0, 0);
    }
    return out;
}

QString labelText(const QDialog &dialog, const char *name)
{
    auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

void click(const QDialog &dialog, const char *name)
{
    auto *button = dialog.findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    button->click();
}

} // namespace

class CodeSelectionTest : public QObject
{
    Q_OBJECT

private slots:
    void dialogShowsTheSelectionAndForwardsClicks()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        buildSchool(f, *d);
        QtDialogs ask(*d, nullptr);
        CodeSelectionDialog dialog(*d, eventsRequest(*d, {f.id("124")}), ask, nullptr);
        QListWidget *codes = dialog.codeList();
        QCOMPARE(codes->count(), 5);
        QCOMPARE(checkedLines(codes), QStringList{"124"});
        QCOMPARE(labelText(dialog, "selectedPanel"), QString("1 out of 5 selected"));
        QCOMPARE(labelText(dialog, "countPanel"), QString("5 events (5 shown)"));
        QVERIFY(codes->item(3)->font().strikeOut()); // the locked event
        QVERIFY(!codes->item(0)->font().strikeOut());
        QVERIFY(dialog.findChild<QComboBox *>("lockState"));
        // A caller that gives no way to lock gets no Lock button.
        QVERIFY(!dialog.findChild<QPushButton *>("lockButton")->isVisibleTo(&dialog));

        // A category click checks exactly the codes of the checked categories.
        QListWidget *categories = dialog.categoryList();
        QCOMPARE(categories->count(), 3);
        QCOMPARE(categories->item(1)->text(), QString("Middle (2)"));
        categories->item(1)->setCheckState(Qt::Unchecked);
        QCOMPARE(checkedLines(codes), (QStringList{"123", "1X3", "124"}));
        QVERIFY(labelText(dialog, "sumsPanel").contains("PLANNED = 9"));

        click(dialog, "clearButton");
        QCOMPARE(checkedLines(codes), QStringList{});
        QVERIFY(labelText(dialog, "sumsPanel").contains("PLANNED = 0"));
        QCOMPARE(categories->item(0)->checkState(), Qt::Unchecked);
        click(dialog, "invertButton");
        QCOMPARE(codes->count(), checkedLines(codes).size());

        // One line by hand reaches the selection and the panels.
        codes->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(!dialog.selection().isChecked(0));
        QCOMPARE(labelText(dialog, "selectedPanel"), QString("4 out of 5 selected"));

        // Mask and Links through their questions.
        ModalDriver driver;
        driver.expect("inputDialog", "use \"?\" as wildcard", [](QDialog *input) {
            input->findChild<QLineEdit *>()->setText("1?3");
            ModalDriver::press(input, "OK");
        });
        click(dialog, "maskButton");
        QCOMPARE(checkedLines(codes), (QStringList{"123", "1X3", "1", "12"}));
        driver.expect("linkPicker", "Select one or more resources", [](QDialog *links) {
            auto *list = links->findChild<QListWidget *>();
            QVERIFY(list && list->count() == 3);
            list->item(0)->setCheckState(Qt::Checked); // T1
            ModalDriver::press(links, "OK");
        });
        click(dialog, "linksButton");
        QCOMPARE(checkedLines(codes), (QStringList{"123", "1X3", "124", "1", "12"}));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));

        // Fields shows fewer fields and back.
        const QString full = codes->item(0)->text();
        click(dialog, "fieldsButton");
        QVERIFY(codes->item(0)->text().size() < full.size());
        click(dialog, "fieldsButton");
        QCOMPARE(codes->item(0)->text(), full);

        QCOMPARE(dialog.chosen().size(), std::size_t{5});
    }

    // Options | Code selection | Events marks the events checked and leaves resources alone.
    void frameRowMarksTheCheckedEvents()
    {
        FrameFixture f;
        ModalDriver driver;
        driver.message("You have used capacity tags", "No");
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        ScheduleData &d = *f.d;
        CodeId resource = 0;
        for (CodeId c = 1; c <= d.codeCount && !resource; ++c) {
            if (!d.codes[c].isEvent())
                resource = c;
        }
        QVERIFY(resource != 0);
        d.codes[resource].flags |= AllMarks;
        QAction *row = f.frame.action("options.selectEvents");
        QVERIFY(row && row->isEnabled());

        int listed = 0;
        driver.expect("codePicker", {}, [&](QDialog *dialog) {
            listed = static_cast<CodeSelectionDialog *>(dialog)->codeList()->count();
            click(*dialog, "allButton");
            ModalDriver::press(dialog, "OK");
        });
        row->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(listed, d.eventList[0]);
        for (CodeId c = 1; c <= d.codeCount; ++c) {
            if (d.codes[c].isEvent())
                QCOMPARE(d.codes[c].flags & LinkMarksMask, int{AllMarks});
        }
        QCOMPARE(d.codes[resource].flags & LinkMarksMask, int{AllMarks});
        QVERIFY(!d.modified);
    }
};

QTEST_MAIN(CodeSelectionTest)
#include "codeselection_test.moc"

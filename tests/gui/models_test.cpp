// The table models of the views over small data sets, and the text crossing between the data
// set's code page and Qt.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "support/fixture.h"
#include "views/codelistmodel.h"
#include "views/qtext.h"
#include "views/timetablemodel.h"
#include "views/weeksmodel.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QtTest>

#include <memory>

using namespace quivra;

namespace {

// Groups, teachers and a room; MATH is placed on Monday bells 1-2 of week 1 and allocated to
// weeks 1-2, ENG has no PLANNED (the totals pass gives it 1; a file may still hold 0), CLUB has no
// resources; T2 is booked on Tuesday bell 3.
std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 6).resources('G', {"G1"}).resources('T', {"T1", "T2"});
    f.resources('R', {"R1"});
    f.event("MATH", {"G1", "T1", "R1"}, 4).event("ENG", {"G1", "T2"}, 0).event("CLUB", {}, 2);
    f.allocate("MATH", 1, 2, 2).place("MATH", 1, 1, 1, 2).allocate("CLUB", 3, 3, 1);
    f.weekBooking("ENG", 2, 2, 1).book("T2", 1, 2, 3, 1);
    f.finish();
    d->codes[f.id("MATH")].colour = 0x00FF8040; // stored as 0x00BBGGRR
    d->codes[f.id("CLUB")].flags |= LockedBit;
    d->codes[f.id("ENG")].planned = 0;
    return d;
}

QString cell(const QAbstractItemModel &model, int row, int column, int role = Qt::DisplayRole)
{
    return model.data(model.index(row, column), role).toString();
}

int column(const CodeListModel &model, ListField field)
{
    for (int c = 0; c < model.columnCount(); ++c) {
        if (model.fieldAt(c) == field)
            return c;
    }
    return -1;
}

} // namespace

class ModelsTest : public QObject
{
    Q_OBJECT

private slots:
    void modelsKeepTheirContract_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::newRow("school") << false;
        QTest::newRow("new file") << true;
    }

    // Every model passes Qt's model checks on a filled and on an empty data set, before and
    // after a reload.
    void modelsKeepTheirContract()
    {
        QFETCH(bool, empty);
        auto d = empty ? makeScheduleData() : school();
        ViewOptions options;
        CodeListModel resources(*d, options, CodeKind::Resource);
        CodeListModel events(*d, options, CodeKind::Event);
        WeeksModel weeks(*d, options);
        TimetableModel timetable(*d, options);
        timetable.setCode(empty ? 0 : FixtureBuilder(*d).id("T1"));
        const std::array<QAbstractItemModel *, 4> models = {&resources, &events, &weeks,
                                                            &timetable};
        std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
        for (QAbstractItemModel *model : models)
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest));
        QVERIFY(!QTest::currentTestFailed());
        options.activeWeek = 2;
        resources.reload();
        events.reload();
        weeks.reload();
        timetable.reload();
        QVERIFY(!QTest::currentTestFailed());
    }

    void codeListShowsTheRowFields()
    {
        auto d = school();
        FixtureBuilder f(*d);
        ViewOptions options;
        CodeListModel resources(*d, options, CodeKind::Resource);
        CodeListModel events(*d, options, CodeKind::Event);

        const int t1 = resources.rowOf(f.id("T1"));
        QCOMPARE(cell(resources, t1, column(resources, ListField::Number)), QString("2:"));
        QCOMPARE(cell(resources, t1, column(resources, ListField::Category)), QString("T"));
        QCOMPARE(cell(resources, t1, column(resources, ListField::Links)), QString("1x"));
        QVERIFY(cell(resources, t1, 0, Qt::ToolTipRole).contains("--- Events (1x) ---\nMATH"));

        struct Case
        {
            const char *event;
            ListField field;
            QString text;
        };
        const Case cases[] = {
            {"MATH", ListField::Planned, "4"},  {"MATH", ListField::Allocated, "4"},
            {"MATH", ListField::Left, "+0 "},   // 2 allocated, 2 placed in week 1
            {"ENG", ListField::Allocated, "-"}, // no PLANNED: no totals yet
            {"ENG", ListField::Left, ""},       // nothing allocated to week 1
            {"CLUB", ListField::Links, "?"},    // no resources
        };
        for (const Case &c : cases) {
            const int row = events.rowOf(f.id(c.event));
            QCOMPARE(cell(events, row, column(events, c.field)), c.text);
        }

        const int math = events.rowOf(f.id("MATH"));
        QCOMPARE(events.data(events.index(math, 0), Qt::BackgroundRole).value<QColor>(),
                 QColor(0x40, 0x80, 0xFF));
        const int club = events.rowOf(f.id("CLUB"));
        QVERIFY(events.data(events.index(club, 0), Qt::FontRole).value<QFont>().strikeOut());
        QVERIFY(!events.data(events.index(math, 0), Qt::FontRole).value<QFont>().strikeOut());
    }

    // SEATS appears in the events list once the capacity check is on: the room's capacity less
    // what the other resources need, or less than nothing without a room.
    void codeListShowsSeatsWhenAsked()
    {
        auto d = school();
        FixtureBuilder f(*d);
        d->codes[f.id("G1")].name.assign("Class #28");
        d->codes[f.id("R1")].name.assign("Room #30");
        ViewOptions options;
        CodeListModel events(*d, options, CodeKind::Event);
        QCOMPARE(column(events, ListField::Seats), -1);
        options.showSeats = true;
        events.reload();
        const int seats = column(events, ListField::Seats);
        QCOMPARE(seats, column(events, ListField::Left) + 1);
        QCOMPARE(events.headerData(seats, Qt::Horizontal).toString(), QString("SEATS"));
        QCOMPARE(cell(events, events.rowOf(f.id("MATH")), seats), QString("1"));
        QCOMPARE(cell(events, events.rowOf(f.id("ENG")), seats), QString("-29"));
        CodeListModel resources(*d, options, CodeKind::Resource);
        QCOMPARE(column(resources, ListField::Seats), -1);
    }

    void emptyListsGuideTheUser()
    {
        auto d = makeScheduleData();
        ViewOptions options;
        CodeListModel resources(*d, options, CodeKind::Resource);
        QCOMPARE(resources.rowCount(), 1);
        QCOMPARE(resources.codeAt(0), CodeId(0));
        QVERIFY(cell(resources, 0, 0).startsWith("Press the [Insert] key"));
        // Without any resource attached only code, name and category are shown.
        QCOMPARE(resources.columnCount(), 3);
        WeeksModel weeks(*d, options);
        QCOMPARE(cell(weeks, 0, 0), QString("[Create your first event in Events view]"));
    }

    void weeksGridShowsAllocationsAndBookings()
    {
        auto d = school();
        FixtureBuilder f(*d);
        ViewOptions options;
        WeeksModel weeks(*d, options);
        // The weeks in use, then the calendar's later weeks, shaded.
        QCOMPARE(weeks.weekCount(), 3);
        QCOMPARE(weeks.columnCount(), weekCap(*d));
        QVERIFY(weeks.data(weeks.index(0, 3), Qt::BackgroundRole).isValid());
        QVERIFY(!weeks.data(weeks.index(0, 3)).isValid());
        int math = -1, eng = -1;
        for (int row = 0; row < weeks.rowCount(); ++row) {
            if (weeks.eventAt(row) == f.id("MATH"))
                math = row;
            if (weeks.eventAt(row) == f.id("ENG"))
                eng = row;
        }
        QCOMPARE(cell(weeks, math, 0), QString("2"));
        QCOMPARE(cell(weeks, math, 2), QString());
        QCOMPARE(cell(weeks, eng, 1), QString("/////")); // the name of booking kind 1
        // Week 2 is allocated but nothing is placed there.
        QCOMPARE(weeks.data(weeks.index(math, 1), Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::darkRed));
        QVERIFY(!weeks.data(weeks.index(math, 0), Qt::ForegroundRole).isValid());
        QCOMPARE(cell(weeks, math, 1, Qt::ToolTipRole),
                 QString("0 out of 2 h scheduled in \"[2]\""));
    }

    void timetableShowsTheActiveWeek()
    {
        auto d = school();
        FixtureBuilder f(*d);
        ViewOptions options;
        TimetableModel timetable(*d, options);
        timetable.setCode(f.id("T1"));
        QCOMPARE(timetable.rowCount(), 6);
        QCOMPARE(timetable.columnCount(), 5);
        QCOMPARE(cell(timetable, 0, 0), QString("MATH"));
        QCOMPARE(cell(timetable, 1, 0), QString("MATH"));
        QCOMPARE(cell(timetable, 2, 0), QString());
        QCOMPARE(timetable.placedCells(), 2);

        // Timetable cells follow their own code mode ("Show both"), not the lists' one.
        options.showMode = ShowCodeAndName;
        timetable.reload();
        QCOMPARE(cell(timetable, 0, 0), QString("MATH"));
        CellDisplayOptions both;
        both.codeMode = ShowCodeAndName;
        timetable.setCellOptions(both);
        QCOMPARE(cell(timetable, 0, 0), QString("MATH:Name of MATH"));

        timetable.setCode(f.id("T2"));
        QVERIFY(!cell(timetable, 2, 1).isEmpty()); // Tuesday bell 3 is booked
        QCOMPARE(timetable.placedCells(), 0);

        options.activeWeek = 2;
        timetable.setCode(f.id("T1"));
        QCOMPARE(timetable.placedCells(), 0);
    }

    // Two events in one cell of a resource: the cell shows both and is marked; the resource's
    // other cells and the events' own timetables are not.
    void timetableShowsAClashInOneCell()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 6).resources('T', {"T1"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}, 2).event("ART", {"T1"}, 2);
        f.allocate("MATH", 1, 1, 2).allocate("ART", 1, 1, 2);
        f.place("MATH", 1, 1, 1, 2).place("ART", 1, 1, 2, 3).finish();
        ViewOptions options;
        TimetableModel timetable(*d, options);
        QAbstractItemModelTester tester(&timetable,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        timetable.setCode(f.id("T1"));
        QCOMPARE(timetable.conflictCells(), 1);
        QCOMPARE(cell(timetable, 0, 0), QString("MATH"));
        const QString both = cell(timetable, 1, 0);
        QVERIFY2(both == "MATH / ART" || both == "ART / MATH", qPrintable(both));
        QCOMPARE(cell(timetable, 2, 0), QString("ART"));
        QVERIFY(timetable.data(timetable.index(1, 0), TimetableModel::ConflictRole).toBool());
        QVERIFY(!timetable.data(timetable.index(0, 0), TimetableModel::ConflictRole).toBool());
        QCOMPARE(timetable.data(timetable.index(1, 0), Qt::BackgroundRole).value<QColor>(),
                 TimetableModel::ConflictColour);
        QVERIFY(cell(timetable, 1, 0, Qt::ToolTipRole).startsWith("Conflict: "));

        timetable.setCode(f.id("R1")); // only MATH uses the room
        QCOMPARE(timetable.conflictCells(), 0);
        timetable.setCode(f.id("ART"));
        QCOMPARE(timetable.conflictCells(), 0);
        QCOMPARE(cell(timetable, 1, 0), QString("ART"));
    }

    void textCrossesTheCodePage()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all.push_back(static_cast<char>(b));
        int replaced = -1;
        QCOMPARE(fromQString(toQString(all), &replaced), all);
        QCOMPARE(replaced, 0);

        QCOMPARE(toQString("\x80 \x9F \xE9"), QString::fromUtf8("€ Ÿ é"));
        // Characters the code page lacks become "?", one byte each, and are counted.
        const QString foreign = QString::fromUtf8("Ω€😀");
        QCOMPARE(fromQString(foreign, &replaced), std::string("?\x80?"));
        QCOMPARE(replaced, 2);
        QCOMPARE(storedLength(foreign), qsizetype(3));
    }
};

QTEST_MAIN(ModelsTest)
#include "models_test.moc"

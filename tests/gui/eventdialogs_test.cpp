// The Events view's Manage roles on the offscreen platform: opened from the view on the current
// event, a role is created, given to a resource and shown, and the switch stored on Close.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/roles.h"
#include "files/datafile.h"
#include "shell/rolesdialog.h"
#include "support/fixture.h"
#include "views/viewcommands.h"
#include "views/viewform.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace quivra;

class EventDialogsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFixture()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(2, 5, 6).resources('T', {"T1"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}, 2).event("ENG", {"T1"}, 1);
        f.finish();
        const QString path = m_dir.filePath("roles.qvf");
        if (!writeDataFile(*d, path.toStdString()))
            qFatal("cannot write the fixture");
        return path;
    }

private slots:
    void rolesAreCreatedGivenAndShown()
    {
        FrameFixture f;
        QVERIFY(f.open(writeFixture()));
        ScheduleData &d = *f.d;
        f.frame.showView(ViewTag::Events);
        f.frame.pickCode(findCode(d, "MATH"));
        ViewForm *events = f.frame.view(ViewTag::Events);
        updateViewCommands(*events);
        QAction *roles = events->findChild<QAction *>("events.roles");
        QVERIFY(roles && roles->isEnabled());

        // What the dialog showed, checked once it is closed (a failed check inside would
        // leave it open).
        QString eventShown, hint, line, counter;
        bool bold = false;
        ModalDriver driver;
        driver.expect("TRolesDialog", "T: T1", [&](QDialog *dialog) {
            eventShown = static_cast<TRolesDialog *>(dialog)->eventChoice()->currentText();
            auto *add = dialog->findChild<QPushButton *>("addRole");
            QTimer::singleShot(0, add, &QPushButton::click);
        });
        driver.expect("inputDialog", "Enter the name for your 1. role:", [](QDialog *dialog) {
            dialog->findChild<QLineEdit *>()->setText("Lecturer");
            ModalDriver::press(dialog, "OK");
        });
        driver.expect("TRolesDialog", "", [&](QDialog *dialog) {
            auto *rolesDialog = static_cast<TRolesDialog *>(dialog);
            rolesDialog->roleList()->setCurrentRow(0);
            rolesDialog->resourceList()->setCurrentRow(0);
            auto *assign = dialog->findChild<QPushButton *>("assignRole");
            hint = assign->toolTip();
            assign->click();
            line = rolesDialog->resourceList()->item(0)->text();
            bold = rolesDialog->resourceList()->item(0)->font().bold();
            counter = dialog->findChild<QLabel *>("counter")->text();
            dialog->findChild<QCheckBox *>()->setChecked(false);
            dialog->accept();
        });
        roles->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(eventShown.startsWith("MATH"));
        QCOMPARE(hint, QString("Add role \"Lecturer\" to \"T1\"?"));
        QCOMPARE(line, QString("T: T1 Lecturer"));
        QVERIFY(bold);
        QCOMPARE(counter, QString("1 roles added, 1 to this event"));
        QCOMPARE(roleNameOf(d, findCode(d, "MATH"), findCode(d, "T1")), std::string("Lecturer"));
        QVERIFY(!d.rolesOn);
        QVERIFY(d.modified);
    }
};

QTEST_MAIN(EventDialogsTest)
#include "eventdialogs_test.moc"

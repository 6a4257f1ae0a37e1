// The list of changes with Accept and Reject (TSelDlg) on the offscreen platform: it shows the
// caption, the title and every line, and its buttons answer accept and reject.

#include "shell/seldlg.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace quivra;

class SelDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheListAndAnswersByButton()
    {
        const ChangeReview review{"Balance the number of students in events",
                                  "2 student swaps across events:\r\n(Click [Accept] ...)",
                                  {"S01: MATH-A -> MATH-C", "S02: MATH-A -> MATH-C"}};
        for (const bool accept : {true, false}) {
            TSelDlg dialog(review);
            QCOMPARE(dialog.windowTitle(),
                     QStringLiteral("Balance the number of students in events"));
            QCOMPARE(dialog.list()->count(), 2);
            QCOMPARE(dialog.list()->item(1)->text(), QStringLiteral("S02: MATH-A -> MATH-C"));
            QCOMPARE(dialog.acceptButton()->text(), QStringLiteral("Accept"));
            QCOMPARE(dialog.rejectButton()->text(), QStringLiteral("Reject"));
            const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
            QVERIFY(!labels.isEmpty());
            QVERIFY(!labels.first()->text().contains(QLatin1Char('\r')));
            dialog.show();
            QTest::mouseClick(accept ? dialog.acceptButton() : dialog.rejectButton(),
                              Qt::LeftButton);
            QCOMPARE(dialog.result(), accept ? int(QDialog::Accepted) : int(QDialog::Rejected));
        }
    }
};

QTEST_MAIN(SelDlgTest)
#include "seldlg_test.moc"

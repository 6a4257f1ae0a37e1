// The desktop dialogs behind Prompter, driven as a user would: each test answers the modal
// dialog that opens next.

#include "shell/qtdialogs.h"
#include "shell/qtports.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quivra;

namespace {

// Runs `act` on the next modal dialog once it is shown.
void whenModal(std::function<void(QWidget *)> act)
{
    auto attempt = std::make_shared<std::function<void()>>();
    *attempt = [act, attempt] {
        if (QWidget *modal = QApplication::activeModalWidget())
            act(modal);
        else
            QTimer::singleShot(10, *attempt);
    };
    QTimer::singleShot(0, *attempt);
}

QStringList buttonTexts(QMessageBox *box)
{
    QStringList texts;
    for (QAbstractButton *button : box->findChildren<QDialogButtonBox *>().constFirst()->buttons())
        texts << button->text();
    return texts;
}

// Types `text` a character at a time, as key presses carrying the character.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

void press(QWidget *dialog, const QString &text)
{
    for (auto *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    QFAIL(qPrintable("no button " + text));
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void messageShowsItsButtonsAndSilenceBox()
    {
        auto d = makeScheduleData();
        QtDialogs dialogs(*d, nullptr);
        Prompter prompter(dialogs);

        QStringList shown;
        QString text;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box && box->checkBox());
            shown = buttonTexts(box);
            text = box->text();
            box->checkBox()->setChecked(true);
            press(box, "Yes");
        });
        QVERIFY(prompter.sureDlg("to clear all 3 memo lines", 5));
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown.contains("Yes") && shown.contains("No"));
        QVERIFY(text.contains("Are you sure to clear all 3 memo lines?"));
        // Silenced with Yes: answered without a dialog from now on.
        QVERIFY(prompter.sureDlg("to clear all 3 memo lines", 5));
    }

    // A save dialog asks before replacing a file unless its caller asks on its own.
    void saveDialogAsksBeforeReplacingUnlessTheCallerDoes()
    {
        auto d = makeScheduleData();
        QtDialogs dialogs(*d, nullptr);
        for (const bool confirm : {true, false}) {
            FileRequest request;
            request.title = "Save file";
            request.confirmReplace = confirm;
            bool asks = !confirm;
            whenModal([&asks](QWidget *modal) {
                auto *dialog = qobject_cast<QFileDialog *>(modal);
                QVERIFY(dialog);
                asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
                dialog->reject();
            });
            QVERIFY(!dialogs.saveFile(request));
            QCOMPARE(asks, confirm);
        }
    }

    void escapeGivesTheCautiousAnswer()
    {
        auto d = makeScheduleData();
        QtDialogs dialogs(*d, nullptr);
        Prompter prompter(dialogs);
        whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(prompter.yesNoCancelDlg("Save?"), Answer::Cancel);
        whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QVERIFY(!prompter.yesNoDlg("Go on?"));
    }

    // The box takes no more than the field holds once stored, and no forbidden character; the
    // answer comes back in the code page.
    void inputIsLimitedInStoredBytes()
    {
        auto d = makeScheduleData();
        QtDialogs dialogs(*d, nullptr);
        Prompter prompter(dialogs);
        whenModal([](QWidget *modal) {
            auto *edit = modal->findChild<QLineEdit *>();
            edit->clear();
            type(edit, QString::fromUtf8("Caf\u00e9$Bar\u00e9xyz"));
            press(modal, "OK");
        });
        const auto typed = prompter.input("Rename", "New name", "", 8, "$");
        QVERIFY(typed.has_value());
        QCOMPARE(*typed, std::string("Caf\xE9") + "Bar\xE9");

        whenModal([](QWidget *modal) { press(modal, "Cancel"); });
        QVERIFY(!prompter.input("Rename", "New name", "old", 8).has_value());
    }

    void choiceAnswersWithTheListNumber()
    {
        auto d = makeScheduleData();
        QtDialogs dialogs(*d, nullptr);
        Prompter prompter(dialogs);
        QStringList shown;
        whenModal([&](QWidget *modal) {
            const auto radios = modal->findChildren<QRadioButton *>();
            for (QRadioButton *radio : radios)
                shown << radio->text();
            radios.last()->setChecked(true);
            press(modal, "OK");
        });
        // The blank item is not shown but keeps its number.
        QCOMPARE(prompter.choice("Which?", 0, 1, "Alpha$ $Gamma$"), 3);
        QCOMPARE(shown, QStringList({"Alpha", "Gamma"}));
    }

    // Previous and Next move the current row; the answer is every option in its new order and
    // the checked ones, however many there are.
    void orderedChoiceMovesRowsWithPreviousAndNext()
    {
        auto d = makeScheduleData();
        QtDialogs dialogs(*d, nullptr);
        Prompter prompter(dialogs);
        OptionsRequest request;
        request.caption = "Files to be added";
        for (int k = 1; k <= 40; ++k)
            request.options.push_back({k, "f" + std::to_string(k) + ".qvx"});
        request.checked = {40};
        int rows = 0;
        whenModal([&](QWidget *modal) {
            auto *list = modal->findChild<QListWidget *>("orderedList");
            QVERIFY(list);
            rows = list->count();
            list->setCurrentRow(39);
            press(modal, "Previous"); // 40 moves above 39
            list->setCurrentRow(0);
            press(modal, "Next"); // 1 moves below 2
            list->item(0)->setCheckState(Qt::Checked);
            press(modal, "OK");
        });
        const auto answer = prompter.orderedChoice(request);
        QCOMPARE(rows, 40);
        QVERIFY(answer.has_value());
        QCOMPARE(answer->order.size(), std::size_t(40));
        QCOMPARE(answer->order[0], 2);
        QCOMPARE(answer->order[1], 1);
        QCOMPARE(answer->order[38], 40);
        QCOMPARE(answer->order[39], 39);
        QCOMPARE(answer->checked, (std::vector<int>{2, 40}));

        whenModal([](QWidget *modal) { press(modal, "Cancel"); });
        QVERIFY(!prompter.orderedChoice(request).has_value());
    }

    void stopButtonSetsTheStopFlag()
    {
        QWidget window;
        QtProgress progress(&window, nullptr);
        progress.begin("Working", 10);
        QVERIFY(!window.isEnabled());
        QVERIFY(!progress.stopRequested());
        press(progress.dialog(), "Stop");
        QVERIFY(progress.stopRequested());
        progress.end();
        QVERIFY(window.isEnabled());
        progress.begin("Again", 0);
        QVERIFY(!progress.stopRequested());
        progress.end();
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"

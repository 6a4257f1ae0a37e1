#pragma once

// ModalDriver: answers the real modal dialogs of the desktop program in a widget test.
//
// A modal dialog runs its own event loop, so the test queues its answers before it triggers the
// command; a timer polls for the active modal widget and hands each new one to the next step.
// Every step names the dialog it expects by objectName ("messageDialog", "optionsDialog",
// "fileDialog", ...) and, optionally, a text the dialog must show. A dialog that nobody expected,
// or one of another kind, is recorded as a problem and rejected, so a test fails instead of
// hanging.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>

#include <deque>
#include <functional>

class ModalDriver : public QObject
{
public:
    using Action = std::function<void(QDialog *)>;

    ModalDriver()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start();
    }

    // The next modal dialog must be `objectName` showing `text` (empty: any); `act` answers it.
    ModalDriver &expect(const QString &objectName, const QString &text, Action act)
    {
        m_steps.push_back({objectName, text, std::move(act)});
        return *this;
    }

    // Message boxes: press the button with this caption, optionally ticking "Do not ask".
    ModalDriver &message(const QString &text, const QString &button, bool silence = false)
    {
        return expect("messageDialog", text, [button, silence](QDialog *dialog) {
            auto *box = static_cast<QMessageBox *>(dialog);
            if (silence && box->checkBox())
                box->checkBox()->setChecked(true);
            press(dialog, button);
        });
    }
    // Option lists: choose the shown option at `index` (0-based) and press OK.
    ModalDriver &option(const QString &text, int index)
    {
        return expect("optionsDialog", text, [index](QDialog *dialog) {
            if (auto *list = dialog->findChild<QListWidget *>())
                list->setCurrentRow(index);
            else
                dialog->findChildren<QRadioButton *>().at(index)->setChecked(true);
            press(dialog, "OK");
        });
    }
    // Input boxes: type `value` over what the box offers and press OK.
    ModalDriver &input(const QString &text, const QString &value)
    {
        return expect("inputDialog", text, [value](QDialog *dialog) {
            dialog->findChild<QLineEdit *>()->setText(value);
            press(dialog, "OK");
        });
    }
    // File dialogs: choose `path`, or cancel with an empty path.
    ModalDriver &file(const QString &path)
    {
        return expect("fileDialog", {}, [path](QDialog *dialog) {
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            chooseFile(static_cast<QFileDialog *>(dialog), path, 50);
        });
    }
    bool finished() const { return m_steps.empty() && m_problems.isEmpty(); }
    QString problems() const
    {
        return m_problems + (m_steps.empty() ? QString()
                                             : QString::number(m_steps.size()) +
                                                   " expected dialog(s) never shown\n");
    }

    // Presses the button whose caption (without "&") is `caption`.
    static void press(QDialog *dialog, const QString &caption)
    {
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            if (button->text().remove('&') == caption && button->isVisible()) {
                button->click();
                return;
            }
        }
        dialog->reject();
    }

    // The file dialog reads its folder in the background and may refuse a name until it has;
    // the choice is repeated until the dialog takes it.
    static void chooseFile(QFileDialog *dialog, const QString &path, int attempts)
    {
        const QFileInfo info(path);
        dialog->setDirectory(info.absolutePath());
        dialog->selectFile(info.fileName());
        // The name as a user types it: the whole path in the file name box.
        if (auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit"))
            edit->setText(info.absoluteFilePath());
        static_cast<QDialog *>(dialog)->accept();
        if (dialog->isVisible() && attempts > 0) {
            QPointer<QFileDialog> alive(dialog);
            QTimer::singleShot(100, [alive, path, attempts] {
                if (alive && alive->isVisible())
                    chooseFile(alive, path, attempts - 1);
            });
        }
    }

    // Every text a dialog shows, for matching.
    static QString textOf(QDialog *dialog)
    {
        QString text = dialog->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            text += "\n" + box->text();
        for (QLabel *label : dialog->findChildren<QLabel *>())
            text += "\n" + label->text();
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            text += "\n" + button->text();
        if (auto *list = dialog->findChild<QListWidget *>()) {
            for (int i = 0; i < list->count(); ++i)
                text += "\n" + list->item(i)->text();
        }
        return text;
    }

private:
    struct Step
    {
        QString objectName;
        QString text;
        Action act;
    };

    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog == m_current)
            return;
        m_current = dialog;
        const QString shown = dialog->objectName() + ": " + textOf(dialog).simplified();
        // MODAL_DEBUG=1 lists every dialog the driver meets.
        if (qEnvironmentVariableIsSet("MODAL_DEBUG"))
            qDebug("modal: %s", qPrintable(shown.left(200)));
        if (m_steps.empty()) {
            m_problems += "unexpected " + shown + "\n";
            dialog->reject();
            return;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (dialog->objectName() != step.objectName ||
            (!step.text.isEmpty() && !textOf(dialog).contains(step.text))) {
            m_problems +=
                "expected " + step.objectName + " \"" + step.text + "\", got " + shown + "\n";
            m_steps.clear();
            dialog->reject();
            return;
        }
        step.act(dialog);
    }

    QTimer m_timer;
    QPointer<QDialog> m_current;
    std::deque<Step> m_steps;
    QString m_problems;
};

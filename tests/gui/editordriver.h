#pragma once

// Fills the real collections editor in a widget test, as a user creating a code would.

#include "modaldriver.h"

#include "engine/limits.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QtTest>

// What the user types into the collections editor for one new code.
struct NewCode
{
    QString code, name;
    int category;       // 1..7, the place in the category box
    int planned;        // events
    QStringList linked; // chosen in the right list, in this order
};

// Fills the open collections editor with `c` and presses OK.
inline void fillEditor(QDialog *dialog, const NewCode &c)
{
    QLineEdit *code = nullptr, *name = nullptr;
    for (QLineEdit *edit : dialog->findChildren<QLineEdit *>()) {
        if (edit->maxLength() == quivra::CodeLength)
            code = edit;
        else if (edit->maxLength() == quivra::NameLength)
            name = edit;
    }
    QVERIFY(code && name);
    code->setText(c.code);
    name->setText(c.name);
    dialog->findChild<QComboBox *>()->setCurrentIndex(c.category - 1);
    if (c.planned > 0)
        dialog->findChild<QSpinBox *>()->setValue(c.planned);
    const auto lists = dialog->findChildren<QListWidget *>();
    QCOMPARE(lists.size(), 2);
    QListWidget *left = lists[0], *right = lists[1];
    for (const QString &linked : c.linked) {
        right->clearSelection();
        for (int i = 0; i < right->count(); ++i) {
            if (right->item(i)->text().section(':', 0, 0).trimmed() == linked)
                right->item(i)->setSelected(true);
        }
        left->setCurrentRow(left->count() - 1);
        dialog->findChild<QPushButton *>("add")->click();
    }
    QCOMPARE(left->count(), c.linked.size());
    ModalDriver::press(dialog, "OK");
}

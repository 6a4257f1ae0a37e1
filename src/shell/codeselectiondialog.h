#pragma once

// CodeSelectionDialog: the desktop drawing of the code selection dialog. It shows a
// CodeSelection (commands/codeselection.h) and forwards every click to it: the category list,
// All, Clear, Invert, Mask, Links, Info, Fields, the lock-state choice and the range items of
// the list's pop-up menu. The answer is the checked codes in list order.

#include "commands/codeselection.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;

namespace quivra {

class CodeSelectionDialog final : public QDialog
{
public:
    // Its own questions (the mask, the information of a line) go through `ask`.
    CodeSelectionDialog(const ScheduleData &d, const CodePickRequest &request, Dialogs &ask,
                        QWidget *parent);

    CodeSelection &selection() { return m_selection; }
    std::vector<CodeId> chosen() const { return m_selection.checkedCodes(); }

    QListWidget *codeList() const { return m_codes; }
    QListWidget *categoryList() const { return m_categories; }

    // The controls' actions, also reachable from tests without their modal questions.
    void applyMask(const QString &mask);
    void addLinked(const std::vector<CodeId> &others);
    // Shows the model anew: every check, the categories and the panels.
    void refresh();

private:
    void askMask();
    void askLinks();
    void showInfo();
    void toggleFields();
    void showListMenu(const QPoint &at);
    void onCodeItemChanged(QListWidgetItem *item);
    void onCategoryItemChanged(QListWidgetItem *item);
    void updatePanels();
    std::vector<std::string> lineCells(int row) const;
    QString lineText(int row) const;

    CodeSelection m_selection;
    Dialogs &m_ask;
    bool m_allFields = true;
    std::vector<std::size_t> m_widths; // of each field over every line
    bool m_updating = false;
    QListWidget *m_codes = nullptr;
    QListWidget *m_categories = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_selected = nullptr;
    QProgressBar *m_gauge = nullptr;
    QLabel *m_sums = nullptr;
    QComboBox *m_lockState = nullptr;
};

} // namespace quivra

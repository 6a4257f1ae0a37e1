#include "shell/viewwindow.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QMenu>

#include <algorithm>

namespace quivra {

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 64})
        icon.addFile(QStringLiteral(":/icons/quivra-%1.png").arg(size), QSize(size, size));
    return icon;
}

void prepareViewWindow(QMdiSubWindow &window)
{
    window.setWindowIcon(programIcon());
    // The system menu's Close takes the platform's close keys, Ctrl+W among them on most
    // desktops; the window keeps only the one no view uses.
    QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    closeKeys << QKeySequence(Qt::CTRL | Qt::Key_W) << QKeySequence(Qt::CTRL | Qt::Key_F4);
    if (QMenu *menu = window.systemMenu()) {
        for (QAction *action : menu->actions()) {
            const QList<QKeySequence> keys = action->shortcuts();
            const bool closes = std::any_of(keys.begin(), keys.end(), [&](const QKeySequence &k) {
                return closeKeys.contains(k);
            });
            if (closes)
                action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
        }
    }
}

} // namespace quivra

#pragma once

// ViewForm: what the main frame knows of each of its four views. A view reads the one data set
// and the frame's view options; it rebuilds itself on refresh() and tells the frame when the
// user picks another code. Views never change the data set themselves: the frame, which owns
// it, makes the picked code current, and the view's commands change it through the frame's
// ViewHost.

#include "engine/scheduledata.h"
#include "views/viewhost.h"
#include "views/viewoptions.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QWidget>

namespace quivra {

// The tags the frame names its views by.
enum class ViewTag { Resources = 1, Events = 2, Weeks = 3, Timetables = 4 };

class ViewForm : public QWidget
{
    Q_OBJECT

public:
    ViewForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr)
        : QWidget(parent), m_d(d), m_options(options)
    {}

    virtual ViewTag tag() const = 0;
    // Rebuilds everything shown from the data set, keeping the current code where it still is.
    virtual void refresh() = 0;
    // The frame's current code changed (another view picked it).
    virtual void followCurrentCode() {}

    // The window hosting the view; nullptr while the view stands alone (tests of its drawing).
    ViewHost *host() const { return m_host; }
    void setHost(ViewHost *host) { m_host = host; }

    // The pop-up menu of the view (viewcommands.h builds it); nullptr before it is installed.
    QMenu *contextMenu() const { return m_contextMenu; }
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }
    // How the frame asks the views to show the data.
    const ViewOptions &options() const { return m_options; }

signals:
    // The user picked another code; the frame makes it the current code and passes it on to
    // the other views.
    void currentCodeChanged(CodeId code);

protected:
    // A right click anywhere in the view that no child handles pops up the view's menu.
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (!m_contextMenu)
            return QWidget::contextMenuEvent(event);
        m_contextMenu->popup(event->globalPos());
        event->accept();
    }

    const ScheduleData &m_d;
    const ViewOptions &m_options;
    QMenu *m_contextMenu = nullptr;
    ViewHost *m_host = nullptr;
};

} // namespace quivra

#pragma once

// TFrameForm: the main window. It hosts the four views as child windows of an MDI area, carries
// the menus and the command buttons built from the command table (commandtable.h), the status
// and hint lines and the active week, and shows the name of the open data file in its title.
//
// The frame owns no data: it works on the one ScheduleData it is given, through the Session it
// starts over it. Every file command (New, Open, Save, Exit) runs in that session, which reads a
// file into a fresh data set first and replaces the current one only when reading succeeded, so
// a damaged file never costs the data already open. Views are created when the first file opens
// and live until the frame closes; closing a view only hides it.

#include "engine/scheduledata.h"
#include "files/settings.h"
#include "shell/commandtable.h"
#include "shell/qtdialogs.h"
#include "shell/qtports.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "views/viewform.h"
#include "views/viewoptions.h"

#include <QHash>
#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QSpinBox;
class QToolBar;

namespace quivra {

struct Session;

class TFrameForm : public QMainWindow, public ViewHost
{
    Q_OBJECT

public:
    // The frame starts the session of the file commands over `d` at once, talking to the user
    // through its own dialogs; `settings`, `clock` and everything the paths name outlive it.
    TFrameForm(ScheduleData &d, Settings &settings, SettingsPaths paths, const Clock &clock,
               QWidget *parent = nullptr);
    ~TFrameForm() override;

    // The one data set the frame and its views work on.
    ScheduleData &data() override { return m_d; }

    // The desktop ports the commands talk to the user through.
    Prompter &prompter() override { return m_prompter; }
    Progress &progress() override { return *m_progress; }

    // The session every file command runs in: New, Open, Save and Exit have one path, the
    // menus', the command line's and the tests' alike.
    Session &session() { return *m_session; }
    QString filePath() const { return m_filePath; }

    const std::vector<FrameCommand> &commands() const { return m_commands; }
    QAction *action(const QString &id) const { return m_actions.value(id); }

    // The view with `tag`, or nullptr before a file is open.
    ViewForm *view(ViewTag tag) const;
    QMdiArea *mdiArea() const { return m_mdi; }
    bool viewsExist() const { return m_views[0] != nullptr; }
    ViewTag currentView() const;

    int activeWeek() const override { return m_options.activeWeek; }
    // Holds `week` within 1..weeks in use and shows the week-bound views for it.
    void setActiveWeek(int week) override;

    // The views' commands reach the data set and the settings through the frame (ViewHost);
    // after a change every view is rebuilt, and a picked code becomes the current one.
    Settings &settings() override;
    void dataChanged() override { refreshViews(); }
    void pickCode(CodeId code) override { onCurrentCodeChanged(nullptr, code); }
    Clipboard &clipboard() override { return m_clipboard; }
    void showCollections(CollectionsEditor &editor) override;
    // The information window; its "Edit?" opens the code in the Collections editor.
    void showCodeInfo(CodeId code) override;
    bool openEventDialog(EventDialog which, CodeId event) override;
    const ViewOptions &viewOptions() const { return m_options; }
    void setListFont(const FontChoice &font) override
    {
        m_options.listFont = font;
        refreshViews();
    }

    // How the sort commands order codes; they live as long as the frame.
    struct SortOptions
    {
        bool ascending = true;
        bool categoriesFirst = false;
    };
    SortOptions &sortOptions() { return m_sort; }

    // Recomputes the resource totals and rebuilds every view; nothing while no file is open.
    void refreshViews();
    // Window|Refresh: tidies the lecture store, drops rooms given by hand that no longer hold,
    // then refreshes the views. The active week stays.
    void refreshAll();
    // Brings the view with `tag` to the front, showing it again when it was closed.
    void showView(ViewTag tag) override;
    // Re-evaluates which commands are enabled and checked.
    void updateCommands();

    // After the data set was replaced or changed as a whole: creates the views on the first
    // file and rebuilds them.
    void dataSetChanged();
    // Arranges the views as the WinMode setting says: 0 and 1 cascade, 2 tile horizontally
    // (one above the other), 3 tile vertically (side by side), 4 line up the minimised views,
    // 11..14 maximise the Resources, Events, Weeks or Timetables view. Other values count as 11.
    void arrangeViews(int winMode);
    // After File Close: the views go, and the frame is empty until a file is opened again.
    void dataSetClosed();

    // Window and display commands the table binds.
    void toggleButtonRows();
    void minimiseAll();
    void restoreAll();
    void setShowMode(int mode);
    // Whether rows and cells are filled with the codes' own colours (kept in the settings).
    void setShowColours(bool on);
    void toggleColours();
    void showAbout();

    // The panel a click on the empty frame shows or hides while no file is open.
    QWidget *startPanel() const { return m_startPanel; }

signals:
    // The views show the data set anew (after a change, a new current code, or a Close):
    // panels beside the views follow it.
    void dataShown();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildCommands();
    QMenu *menuFor(const QString &path);
    void buildButtons();
    void buildStartPanel();
    void createViews();
    void updateTitle();
    void setStatusText(const QString &text);
    // A view picked `code`: it becomes the current code and the other views follow it.
    void onCurrentCodeChanged(ViewForm *from, CodeId code);
    void hookSession();

    ScheduleData &m_d;
    QtDialogs m_dialogs;
    Prompter m_prompter;
    std::unique_ptr<QtProgress> m_progress;
    std::unique_ptr<Session> m_session;
    ViewOptions m_options;
    SortOptions m_sort;
    QString m_filePath;
    QMdiArea *m_mdi;
    std::array<ViewForm *, 4> m_views{};
    std::array<QMdiSubWindow *, 4> m_windows{};
    std::vector<FrameCommand> m_commands;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QToolBar *m_buttons = nullptr;
    QSpinBox *m_week = nullptr;
    QLabel *m_status = nullptr;
    QWidget *m_startPanel = nullptr;
    QtClipboard m_clipboard;
};

} // namespace quivra

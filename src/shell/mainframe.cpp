#include "shell/mainframe.h"

#include "commands/filecommands.h"
#include "commands/session.h"
#include "commands/startup.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/scheduling.h"
#include "shell/codeinfodialog.h"
#include "shell/optionsdialog.h"
#include "shell/viewwindow.h"
#include "ui/helptopics.h"
#include "views/codelistform.h"
#include "views/qtext.h"
#include "views/timetablesview.h"
#include "views/weeksview.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace quivra {
namespace {

int indexOf(ViewTag tag)
{
    return static_cast<int>(tag) - 1;
}

} // namespace

TFrameForm::TFrameForm(ScheduleData &d, Settings &settings, SettingsPaths paths, const Clock &clock,
                       QWidget *parent)
    : QMainWindow(parent), m_d(d), m_dialogs(d, this), m_prompter(m_dialogs),
      m_mdi(new QMdiArea(this))
{
    setObjectName("frame");
    setWindowIcon(programIcon());
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TFrameForm::updateCommands);

    m_status = new QLabel(this);
    m_status->setObjectName("statusLine");
    statusBar()->addPermanentWidget(m_status);
    m_progress = std::make_unique<QtProgress>(this, m_status);
    // The abort box: Stop asks first. The question belongs to the progress window, which stays
    // usable while the frame is disabled.
    m_progress->setStopQuestion([this] {
        QtDialogs overProgress(m_d, m_progress->dialog());
        Prompter ask(overProgress);
        return ask.sureDlg("you want to cancel this process", 0, HelpTopic::LongWork);
    });
    m_session =
        std::make_unique<Session>(d, settings, std::move(paths), m_prompter, clock, *m_progress);
    hookSession();
    // The help pages lie in the program folder, beside the language file.
    if (!m_session->paths.programFolder.empty())
        setProperty("helpFolder",
                    QFile::decodeName((m_session->paths.programFolder / "help").c_str()));

    buildCommands();
    buildButtons();
    buildStartPanel();
    updateTitle();
    updateCommands();
    resize(1100, 720);
}

TFrameForm::~TFrameForm()
{
    // A frame destroyed while shown still hides its sub-windows afterwards, in QWidget's
    // destructor, and must not hear of it any more.
    disconnect(m_mdi, nullptr, this, nullptr);
    m_mdi->viewport()->removeEventFilter(this);
    m_session->hooks = {};
}

void TFrameForm::hookSession()
{
    SessionHooks &hooks = m_session->hooks;
    hooks.refreshViews = [this] { dataSetChanged(); };
    hooks.setCaption = [this](const std::string &caption) { setWindowTitle(toQString(caption)); };
    // The welcome question talks about the limits, so it opens their page.
    hooks.showOptions = [this] { showOptionsDialog(*this, OptionsPage::Limits); };
    // A file opens in the arrangement the settings ask for, on the week it was left at; a new
    // file starts on its resources.
    hooks.fileOpened = [this](bool named) {
        arrangeViews(named ? m_session->settings.preferences.winMode : 11);
        if (const int week = openingViewWeek(m_d); week > 0)
            setActiveWeek(week);
    };
    hooks.fileClosed = [this] { dataSetClosed(); };
    // The ways to begin at the very first start: a new file, one of the sample files, or a
    // demo made step by step.
    hooks.firstStart = [this](int choice) {
        if (choice == 1)
            newFile(*m_session);
        else if (choice == 2)
            openSampleFile(*m_session);
        else if (choice == 3)
            openDemoFile(*m_session);
        else if (QAction *makeDemo = action("file.makeDemo"); choice == 4 && makeDemo)
            makeDemo->trigger();
    };
}

void TFrameForm::dataSetChanged()
{
    m_filePath = QFile::decodeName(m_session->currentFile().c_str());
    m_options.activeWeek = std::clamp(m_options.activeWeek, 1, std::max(1, usedWeeks(m_d)));
    m_options.showSeats = m_session->settings.preferences.capacityCheck;
    if (!viewsExist())
        createViews();
    refreshViews();
}

void TFrameForm::dataSetClosed()
{
    // The frame forgets the views before they go, so nothing it does meanwhile (the MDI area
    // announcing a new active window, say) reaches a view of the closed data set.
    const std::array<QMdiSubWindow *, 4> windows = m_windows;
    const std::array<ViewForm *, 4> views = m_views;
    m_views = {};
    m_windows = {};
    for (ViewForm *view : views) {
        if (view)
            disconnect(view, nullptr, this, nullptr);
    }
    for (QMdiSubWindow *window : windows) {
        if (!window)
            continue;
        window->hide();
        m_mdi->removeSubWindow(window);
        window->deleteLater();
    }
    m_filePath.clear();
    m_options.activeWeek = 1;
    m_week->setRange(1, 1);
    updateCommands();
    emit dataShown();
}

// The start panel: what a user can do in an empty frame. Each button runs a command of the
// table and is offered only while that command is.
void TFrameForm::buildStartPanel()
{
    m_startPanel = new QFrame(m_mdi->viewport());
    m_startPanel->setObjectName("startPanel");
    static_cast<QFrame *>(m_startPanel)->setFrameShape(QFrame::StyledPanel);
    m_startPanel->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(m_startPanel);
    layout->addWidget(
        new QLabel(QStringLiteral("\nYour screen looks empty.\nWhat would you like to do now?\n"),
                   m_startPanel));
    const std::array<std::pair<const char *, const char *>, 5> choices = {{
        {"Create a new file (File|New)", "file.new"},
        {"Open a sample file (File|Open a sample file)", "file.sample"},
        {"Open the demo file (File|Open the demo file)", "file.demo"},
        {"Make a demo file (File|Make a demo file)", "file.makeDemo"},
        {"Open tutorial (Help|Tutorial)", "help.tutorial"},
    }};
    for (const auto &[caption, id] : choices) {
        auto *button = new QPushButton(QString::fromLatin1(caption), m_startPanel);
        QAction *action = m_actions.value(QString::fromLatin1(id));
        button->setEnabled(action && action->isEnabled());
        if (action) {
            connect(action, &QAction::changed, button,
                    [button, action] { button->setEnabled(action->isEnabled()); });
            connect(button, &QPushButton::clicked, this, [this, action] {
                m_startPanel->hide();
                action->trigger();
            });
        }
        layout->addWidget(button);
    }
    m_startPanel->adjustSize();
    m_startPanel->move(40, 40);
    m_startPanel->hide();
    m_mdi->viewport()->installEventFilter(this);
}

bool TFrameForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mdi->viewport() && event->type() == QEvent::MouseButtonPress &&
        !viewsExist()) {
        m_startPanel->setVisible(!m_startPanel->isVisible());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrameForm::closeEvent(QCloseEvent *event)
{
    if (exitProgram(*m_session))
        event->accept();
    else
        event->ignore();
}

// ----- views ----------------------------------------------------------------------------------

void TFrameForm::createViews()
{
    m_startPanel->hide();
    // The views start as the settings last left them.
    m_options.showColours = m_session->settings.preferences.useCodeColors;
    m_views[indexOf(ViewTag::Resources)] = new TRefForm(m_d, m_options);
    m_views[indexOf(ViewTag::Events)] = new TCodesForm(m_d, m_options);
    m_views[indexOf(ViewTag::Weeks)] = new TEditForm(m_d, m_options);
    m_views[indexOf(ViewTag::Timetables)] = new TMatsForm(m_d, m_options);
    for (std::size_t i = 0; i < m_views.size(); ++i) {
        ViewForm *view = m_views[i];
        // A sub-window without WA_DeleteOnClose only hides when the user closes it, so the
        // view and its state live as long as the frame.
        auto *window = new QMdiSubWindow;
        window->setWidget(view);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        prepareViewWindow(*window);
        m_mdi->addSubWindow(window);
        m_windows[i] = window;
        view->setHost(this);
        connect(view, &ViewForm::currentCodeChanged, this,
                [this, view](CodeId code) { onCurrentCodeChanged(view, code); });
        window->show();
    }
    m_mdi->tileSubWindows();
    showView(ViewTag::Resources);
}

Settings &TFrameForm::settings()
{
    return m_session->settings;
}

void TFrameForm::arrangeViews(int winMode)
{
    if (!viewsExist())
        return;
    if (winMode < 0 || (winMode > 4 && winMode < 11) || winMode > 14)
        winMode = 11;
    if (winMode >= 11) {
        const auto tag = static_cast<ViewTag>(winMode - 10);
        showView(tag);
        m_windows[indexOf(tag)]->showMaximized();
        return;
    }
    if (winMode == 4) {
        // Minimised views line up along the bottom edge; the others stay where they are.
        int x = 0;
        for (QMdiSubWindow *window : m_mdi->subWindowList()) {
            if (!window->isMinimized())
                continue;
            window->move(x, m_mdi->viewport()->height() - window->height());
            x += window->width();
        }
        return;
    }
    QList<QMdiSubWindow *> shown;
    for (QMdiSubWindow *window : m_mdi->subWindowList()) {
        // A view the user closed stays closed.
        if (window->isHidden())
            continue;
        window->showNormal();
        shown.append(window);
    }
    if (winMode <= 1 || shown.isEmpty()) {
        m_mdi->cascadeSubWindows();
        return;
    }
    // Horizontal tiles are full-width strips one above the other, vertical ones full-height
    // columns side by side.
    const QSize area = m_mdi->viewport()->size();
    const int n = static_cast<int>(shown.size());
    for (int i = 0; i < n; ++i) {
        const QRect tile =
            winMode == 2 ? QRect(0, area.height() * i / n, area.width(),
                                 area.height() * (i + 1) / n - area.height() * i / n)
                         : QRect(area.width() * i / n, 0,
                                 area.width() * (i + 1) / n - area.width() * i / n, area.height());
        shown[i]->setGeometry(tile);
    }
}

ViewForm *TFrameForm::view(ViewTag tag) const
{
    return m_views[indexOf(tag)];
}

ViewTag TFrameForm::currentView() const
{
    QMdiSubWindow *active = m_mdi->activeSubWindow();
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (active && m_windows[i] == active)
            return m_views[i]->tag();
    }
    return ViewTag::Resources;
}

void TFrameForm::showView(ViewTag tag)
{
    QMdiSubWindow *window = m_windows[indexOf(tag)];
    if (!window)
        return;
    window->show();
    window->widget()->show();
    m_mdi->setActiveSubWindow(window);
    updateCommands();
}

void TFrameForm::refreshViews()
{
    if (!viewsExist())
        return;
    setStatusText(QStringLiteral("Refreshing - please wait ..."));
    allResourceTotals(m_d);
    m_week->setRange(1, std::max(1, usedWeeks(m_d)));
    for (ViewForm *view : m_views)
        view->refresh();
    setStatusText({});
    updateCommands();
    emit dataShown();
}

void TFrameForm::refreshAll()
{
    if (!viewsExist())
        return;
    setStatusText(QStringLiteral("Refreshing - please wait ..."));
    // Each marks the data set modified only for what changes its meaning: a renamed duplicate
    // code, a dropped room.
    tidy(m_d);
    const int last = m_d.scheduleExtent.endWeek >= m_d.scheduleExtent.startWeek
                         ? int(m_d.scheduleExtent.endWeek)
                         : 0;
    if (last > 0)
        validityCleanup(m_d, 1, last);
    refreshViews();
}

void TFrameForm::onCurrentCodeChanged(ViewForm *from, CodeId code)
{
    m_d.currentCode = code;
    for (ViewForm *view : m_views) {
        if (view != from)
            view->followCurrentCode();
    }
    // Commands on "this item" follow the current code.
    updateCommands();
    emit dataShown();
}

void TFrameForm::setActiveWeek(int week)
{
    const int clamped = std::clamp(week, 1, std::max(1, usedWeeks(m_d)));
    if (m_week->value() != clamped)
        m_week->setValue(clamped); // comes back here through valueChanged
    if (m_options.activeWeek == clamped)
        return;
    m_options.activeWeek = clamped;
    if (!viewsExist())
        return;
    view(ViewTag::Events)->refresh();
    view(ViewTag::Timetables)->refresh();
}

// ----- display commands -----------------------------------------------------------------------

void TFrameForm::toggleButtonRows()
{
    m_buttons->setVisible(!m_buttons->isVisible());
}

void TFrameForm::minimiseAll()
{
    for (QMdiSubWindow *window : m_mdi->subWindowList())
        window->showMinimized();
}

void TFrameForm::restoreAll()
{
    for (QMdiSubWindow *window : m_mdi->subWindowList())
        window->showNormal();
}

void TFrameForm::setShowMode(int mode)
{
    m_options.showMode = std::clamp(mode, int(ShowCode), int(ShowCodeAndName));
    refreshViews();
}

void TFrameForm::setShowColours(bool on)
{
    m_session->settings.preferences.useCodeColors = on;
    if (m_options.showColours == on)
        return;
    m_options.showColours = on;
    refreshViews();
}

void TFrameForm::toggleColours()
{
    setShowColours(!m_options.showColours);
}

void TFrameForm::showCodeInfo(CodeId code)
{
    if (!validCode(m_d, code))
        return;
    CodeInfoDialog info(m_d, code, true, this);
    if (info.exec() != QDialog::Accepted)
        return;
    const bool event = m_d.codes[info.code()].isEvent();
    const ViewTag tag = event ? ViewTag::Events : ViewTag::Resources;
    pickCode(info.code());
    showView(tag);
    if (ViewForm *form = view(tag)) {
        const QString edit = event ? "events.edit" : "resources.edit";
        if (auto *action = form->findChild<QAction *>(edit); action && action->isEnabled())
            action->trigger();
    }
}

void TFrameForm::showAbout()
{
    m_prompter.infoDlg("Quivra " + QApplication::applicationVersion().toStdString() +
                       "\r\n\r\nTimetabling and course scheduling for schools, colleges and "
                       "universities.");
}

// ----- commands, menus and buttons ------------------------------------------------------------

QMenu *TFrameForm::menuFor(const QString &path)
{
    if (QMenu *menu = m_menus.value(path))
        return menu;
    const qsizetype slash = path.lastIndexOf('/');
    QMenu *menu = nullptr;
    if (slash < 0) {
        menu = menuBar()->addMenu(QStringLiteral("&") + path);
    } else {
        menu = menuFor(path.left(slash))->addMenu(path.mid(slash + 1));
    }
    // A menu shows its commands as they stand when it opens.
    connect(menu, &QMenu::aboutToShow, this, &TFrameForm::updateCommands);
    m_menus.insert(path, menu);
    return menu;
}

void TFrameForm::buildCommands()
{
    // The menu bar keeps its fixed order whatever order the table names the menus in.
    for (const char *name : {"File", "Tools", "Options", "Window", "Help"})
        menuFor(QString::fromLatin1(name));

    m_commands = frameCommands(*this);
    for (const FrameCommand &command : m_commands) {
        QMenu *menu = menuFor(command.menu);
        if (command.separatorBefore)
            menu->addSeparator();
        QAction *action = menu->addAction(command.caption);
        action->setObjectName(command.id);
        action->setShortcut(command.shortcut);
        action->setStatusTip(command.hint);
        action->setToolTip(command.hint.isEmpty() ? command.caption : command.hint);
        if (!command.button.isEmpty())
            action->setIconText(command.button);
        action->setCheckable(static_cast<bool>(command.checked));
        if (command.run) {
            const auto run = command.run;
            connect(action, &QAction::triggered, this, [this, run] {
                run();
                updateCommands();
            });
        }
        // Menus of the frame are not focus widgets, so shortcuts must live on the window.
        addAction(action);
        m_actions.insert(command.id, action);
    }
}

void TFrameForm::buildButtons()
{
    // The button row repeats these commands, in this order; "Tools/Colours" is a menu.
    static constexpr std::array<const char *, 13> Row = {
        "file.new",       "file.open",      "file.save",     "file.publish",   "options.health",
        "tools.optimise", "options.dialog", "Tools/Colours", "file.webReport", "view.1",
        "view.2",         "view.3",         "view.4",
    };
    m_buttons = addToolBar(QStringLiteral("Commands"));
    m_buttons->setObjectName("commandButtons");
    m_buttons->setMovable(false);
    m_buttons->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char *id : Row) {
        if (QAction *action = m_actions.value(QString::fromLatin1(id))) {
            m_buttons->addAction(action);
        } else if (QMenu *menu = m_menus.value(QString::fromLatin1(id))) {
            auto *button = new QToolButton(m_buttons);
            button->setText(menu->title());
            button->setMenu(menu);
            button->setPopupMode(QToolButton::InstantPopup);
            m_buttons->addWidget(button);
        }
    }
    m_buttons->addSeparator();
    m_buttons->addWidget(new QLabel(QStringLiteral(" Active week "), m_buttons));
    m_week = new QSpinBox(m_buttons);
    m_week->setObjectName("activeWeek");
    m_week->setToolTip(QStringLiteral("Active week"));
    m_week->setRange(1, 1);
    m_buttons->addWidget(m_week);
    connect(m_week, &QSpinBox::valueChanged, this, &TFrameForm::setActiveWeek);
}

void TFrameForm::updateCommands()
{
    for (const FrameCommand &command : m_commands) {
        QAction *action = m_actions.value(command.id);
        if (!action)
            continue;
        const bool offered = static_cast<bool>(command.run);
        action->setEnabled(offered && (!command.enabled || command.enabled()));
        if (command.currentCaption) {
            const QString caption = command.currentCaption();
            action->setText(caption);
            action->setVisible(!caption.isEmpty());
        }
        if (command.checked)
            action->setChecked(command.checked());
    }
    // A submenu with no item shown is hidden too; deeper menus first, as they count for the
    // menus that hold them.
    QStringList paths = m_menus.keys();
    std::ranges::sort(paths, std::greater<>{}, [](const QString &path) { return path.count('/'); });
    for (const QString &path : paths) {
        QMenu *menu = m_menus.value(path);
        if (path.contains('/'))
            menu->menuAction()->setVisible(std::ranges::any_of(
                menu->actions(), [](QAction *a) { return a->isVisible() && !a->isSeparator(); }));
    }
    if (m_week)
        m_week->setEnabled(viewsExist());
}

void TFrameForm::updateTitle()
{
    QString title = QStringLiteral("Quivra");
    if (!m_filePath.isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(m_filePath).fileName();
    setWindowTitle(title);
}

void TFrameForm::setStatusText(const QString &text)
{
    m_status->setText(text);
}

} // namespace quivra

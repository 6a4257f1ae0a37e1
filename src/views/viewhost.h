#pragma once

// ViewHost: what a view's commands reach through the window that hosts the views (the main
// frame). Views only read the data set; a command run from a view's menu or keys changes it
// through the host, which owns it, and the host then rebuilds every view.

#include "commands/clipboardcommands.h"
#include "commands/codelistcommands.h"
#include "commands/collectionseditor.h"
#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "files/settings.h"
#include "ui/ports.h"
#include "ui/prompter.h"

#include <string>

namespace quivra {

enum class ViewTag; // viewform.h

class ViewHost
{
public:
    virtual ~ViewHost() = default;

    // The data set the views show, for commands to change.
    virtual ScheduleData &data() = 0;
    virtual Settings &settings() = 0;
    virtual Prompter &prompter() = 0;
    virtual Progress &progress() = 0;
    virtual int activeWeek() const = 0;
    // Makes `week` the active week of the week-bound views; a host without weeks ignores it.
    virtual void setActiveWeek(int week) { (void)week; }

    // After a command changed the data set: every view is rebuilt.
    virtual void dataChanged() = 0;
    // Makes `code` the current code; every view shows it.
    virtual void pickCode(CodeId code) = 0;
    // The Events view's dialogs on one event; true when the dialog changed the data set. A host
    // without them changes nothing.
    enum class EventDialog { BulkSchedule, Split, Roles };
    virtual bool openEventDialog(EventDialog which, CodeId event)
    {
        (void)which;
        (void)event;
        return false;
    }

    // The text Find looks for and Search again repeats, one for the Resources and the Events
    // view together.
    std::string &searchText() { return m_searchText; }

    // Brings the view with `tag` to the front. A host without other views does nothing.
    virtual void showView(ViewTag tag) { (void)tag; }
    // Gives the code lists of every view this font (the frame keeps it in its view options).
    virtual void setListFont(const FontChoice &font) { (void)font; }

    // Shows the collections editor (its dialog, modal) until the user leaves it; what the user
    // stores goes through the editor. A host without the dialog leaves the editor unused.
    virtual void showCollections(CollectionsEditor &editor) { (void)editor; }
    // The information window of `code`; a host without one shows its details as a message.
    virtual void showCodeInfo(CodeId code) { showListCodeInfo(data(), prompter(), code); }

    // The clipboard copies and pastes go through (a host without the system's keeps them in
    // memory), where copies also go, and what the code lists' copies count.
    virtual Clipboard &clipboard() { return m_memoryClipboard; }
    ClipTarget &clipTarget() { return m_clipTarget; }
    WeekPeriods &copiedPeriods() { return m_copiedPeriods; }

private:
    std::string m_searchText;
    MemoryClipboard m_memoryClipboard;
    ClipTarget m_clipTarget;
    WeekPeriods m_copiedPeriods = WeekPeriods::Allocated;
};

} // namespace quivra

#pragma once

// ViewHost: what a view's commands reach through the window that hosts the views (the main
// frame). Views only read the data set; a command run from a view's menu or keys changes it
// through the host, which owns it, and the host then rebuilds every view.

#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "files/settings.h"
#include "ui/prompter.h"

namespace quivra {

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

    // After a command changed the data set: every view is rebuilt.
    virtual void dataChanged() = 0;
    // Makes `code` the current code; every view shows it.
    virtual void pickCode(CodeId code) = 0;
    // Opens the collections editor on `code` (resource mode: the events of a resource); true
    // when it changed the data set. A host without the editor changes nothing.
    virtual bool editCollections(CodeId code, bool resourceMode)
    {
        (void)code;
        (void)resourceMode;
        return false;
    }
    // The Events view's dialogs on one event; true when the dialog changed the data set. A host
    // without them changes nothing.
    enum class EventDialog { BulkSchedule, Split, Roles };
    virtual bool openEventDialog(EventDialog which, CodeId event)
    {
        (void)which;
        (void)event;
        return false;
    }
};

} // namespace quivra

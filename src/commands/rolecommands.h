#pragma once

// Manage roles: the list of roles and the roles the resources of each event play. RolesEditor
// holds what the dialog shows (the current event, its resources with their roles, the role
// list with one empty line at its end, the selections) and carries out every control's effect
// through the engine; a dialog draws it and forwards clicks. Lines are numbered from 1.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace quivra {

constexpr int RolesHelpTopic = 1215;

// Shown instead of the dialog when no event has resources to give roles to.
inline constexpr const char *NoRolesToManage =
    "To be able to manage roles, create first events and resources and attach resources to "
    "events.";
// Shown when the role area is clicked before any role exists.
inline constexpr const char *NoRolesYet =
    "You have no roles yet. Click next the [Add] button to create your first role.";

// Whether some event has a collection, so roles can be given.
bool rolesManageable(const ScheduleData &d);

struct RoleResourceLine
{
    CodeId resource = 0;
    std::string text; // category letters, the code and, when it has one, the role
    bool hasRole = false;
};

class RolesEditor
{
public:
    // Opens on `event` when it is an event, else on the first event.
    RolesEditor(ScheduleData &d, Prompter &p, CodeId event);

    // ----- the event choice
    const std::vector<CodeId> &events() const { return m_events; }
    CodeId event() const { return m_event; }
    std::string eventLine(CodeId e) const;
    void chooseEvent(CodeId e);
    void stepEvent(int delta); // Previous / Next event, held at both ends

    // ----- what the lists show
    std::vector<RoleResourceLine> resourceLines() const;
    std::vector<std::string> roleLines() const; // every role's name, then one empty line
    std::string roleHint(int line) const;       // "Role "%s" used %d times"; empty otherwise
    std::string counter() const;                // "%d roles added, %d to this event"

    // ----- selections (0: none)
    void selectRoleLine(int line);
    void selectResourceLine(int line);
    int selectedRoleLine() const { return m_roleLine; }
    int selectedResourceLine() const { return m_resourceLine; }
    int selectedRole() const; // the role's position, 0 for none or the empty line
    CodeId selectedResource() const;

    // ----- enabled states and the texts that name what a control does
    bool canAddRole() const;
    bool rolesExist() const;
    bool canMoveRole(int delta) const;
    bool canAssign() const;
    bool canUnassign() const;
    bool canClear() const;
    bool canClearAll() const;
    std::string assignHint() const;   // "Add role "%s" to "%s"?"
    std::string unassignHint() const; // "Remove role "%s" from "%s"?"
    std::string clearHint() const;    // "Remove all %d roles from event "%s"?"
    std::string assignAllCaption() const;
    std::string unassignAllCaption() const;
    std::string clearAllCaption() const;

    // ----- the controls; each returns true when it changed the data set
    bool addRole();
    // A click on the role list before any role exists: says how to begin, then adds one.
    bool startFirstRole();
    bool editRole();
    bool removeRole();
    bool moveRole(int delta);
    bool assign();
    bool unassign();
    bool clear();
    bool assignInAllEvents();
    bool unassignInAllEvents();
    bool clearAll();
    // The role names, each followed by CR LF.
    std::string copyText() const;
    // Appends every cell (TAB or line separated, trimmed, not empty) that names no role yet.
    bool paste(std::string_view text);
    // Close: stores the switch and tidies the assignments.
    void close(bool rolesOn);

private:
    std::vector<CodeId> members() const;
    void refresh();

    ScheduleData &m_d;
    Prompter &m_p;
    std::vector<CodeId> m_events;
    CodeId m_event = 0;
    int m_roleLine = 0;
    int m_resourceLine = 0;
};

} // namespace quivra

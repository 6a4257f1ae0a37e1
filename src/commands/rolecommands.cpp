#include "commands/rolecommands.h"

#include "commands/collectionlists.h"
#include "commands/textfill.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/roles.h"
#include "engine/textutil.h"

#include <algorithm>

namespace quivra {

namespace {

std::string codeText(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) ? d.codes[c].code.str() : std::string();
}

// A role name as stored: control characters and outer blanks gone, cut to the stored length.
std::string roleName(std::string_view text)
{
    std::string name = trim(cleanText(text));
    if (name.size() > static_cast<std::size_t>(RoleNameLength))
        name.resize(static_cast<std::size_t>(RoleNameLength));
    return name;
}

} // namespace

bool rolesManageable(const ScheduleData &d)
{
    for (int i = 1; i <= d.eventList[0]; ++i)
        if (collectionOf(d, d.eventList[static_cast<std::size_t>(i)])[0] > 0)
            return true;
    return false;
}

RolesEditor::RolesEditor(ScheduleData &d, Prompter &p, CodeId event) : m_d(d), m_p(p)
{
    for (int i = 1; i <= d.eventList[0]; ++i)
        m_events.push_back(d.eventList[static_cast<std::size_t>(i)]);
    m_event = std::ranges::find(m_events, event) != m_events.end() ? event
              : m_events.empty()                                   ? CodeId{0}
                                                                   : m_events.front();
    refresh();
}

std::string RolesEditor::eventLine(CodeId e) const
{
    return formatCode(m_d, e, ShowCodeAndName);
}

void RolesEditor::chooseEvent(CodeId e)
{
    if (std::ranges::find(m_events, e) == m_events.end())
        return;
    m_event = e;
    refresh();
}

void RolesEditor::stepEvent(int delta)
{
    if (m_events.empty())
        return;
    const auto at = std::ranges::find(m_events, m_event) - m_events.begin();
    const int last = static_cast<int>(m_events.size()) - 1;
    m_event = m_events[static_cast<std::size_t>(std::clamp(static_cast<int>(at) + delta, 0, last))];
    refresh();
}

std::vector<CodeId> RolesEditor::members() const
{
    return membersOf(m_d, m_event);
}

std::vector<RoleResourceLine> RolesEditor::resourceLines() const
{
    std::vector<RoleResourceLine> lines;
    for (const CodeId r : members()) {
        RoleResourceLine line;
        line.resource = r;
        line.text = categoryName(m_d, r).substr(0, 2) + " " + codeText(m_d, r);
        const std::string role = roleNameOf(m_d, m_event, r);
        line.hasRole = roleOf(m_d, m_event, r) != 0;
        if (line.hasRole)
            line.text += " " + role;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> RolesEditor::roleLines() const
{
    std::vector<std::string> lines;
    for (int i = 1; i <= m_d.roleCount; ++i)
        lines.push_back(m_d.roles[static_cast<std::size_t>(i)].name.str());
    lines.emplace_back();
    return lines;
}

std::string RolesEditor::roleHint(int line) const
{
    if (line < 1 || line > m_d.roleCount)
        return {};
    const Role &r = m_d.roles[static_cast<std::size_t>(line)];
    return fillIn("Role \"{}\" used {} times", r.name.view(), r.uses);
}

std::string RolesEditor::counter() const
{
    int here = 0;
    for (const CodeId r : members())
        here += roleOf(m_d, m_event, r) != 0 ? 1 : 0;
    return fillIn("{} roles added, {} to this event", m_d.assignmentCount, here);
}

void RolesEditor::selectRoleLine(int line)
{
    m_roleLine = std::clamp(line, 0, m_d.roleCount + 1);
}

void RolesEditor::selectResourceLine(int line)
{
    m_resourceLine = std::clamp(line, 0, static_cast<int>(members().size()));
}

int RolesEditor::selectedRole() const
{
    return m_roleLine >= 1 && m_roleLine <= m_d.roleCount ? m_roleLine : 0;
}

CodeId RolesEditor::selectedResource() const
{
    const std::vector<CodeId> list = members();
    return m_resourceLine >= 1 && m_resourceLine <= static_cast<int>(list.size())
               ? list[static_cast<std::size_t>(m_resourceLine - 1)]
               : CodeId{0};
}

bool RolesEditor::canAddRole() const
{
    return m_d.roleCount < MaxRoles;
}

bool RolesEditor::rolesExist() const
{
    return m_d.roleCount > 0;
}

bool RolesEditor::canMoveRole(int delta) const
{
    const int role = selectedRole();
    return role != 0 && role + delta >= 1 && role + delta <= m_d.roleCount;
}

bool RolesEditor::canAssign() const
{
    return selectedRole() != 0 && selectedResource() != 0;
}

bool RolesEditor::canUnassign() const
{
    return selectedResource() != 0 && roleOf(m_d, m_event, selectedResource()) != 0;
}

bool RolesEditor::canClear() const
{
    for (const CodeId r : members())
        if (roleOf(m_d, m_event, r) != 0)
            return true;
    return false;
}

bool RolesEditor::canClearAll() const
{
    return m_d.assignmentCount > 0;
}

std::string RolesEditor::assignHint() const
{
    if (!canAssign())
        return {};
    return fillIn("Add role \"{}\" to \"{}\"?",
                  m_d.roles[static_cast<std::size_t>(selectedRole())].name.view(),
                  codeText(m_d, selectedResource()));
}

std::string RolesEditor::unassignHint() const
{
    if (!canUnassign())
        return {};
    return fillIn("Remove role \"{}\" from \"{}\"?", roleNameOf(m_d, m_event, selectedResource()),
                  codeText(m_d, selectedResource()));
}

std::string RolesEditor::clearHint() const
{
    int count = 0;
    for (const CodeId r : members())
        count += roleOf(m_d, m_event, r) != 0 ? 1 : 0;
    return fillIn("Remove all {} roles from event \"{}\"?", count, codeText(m_d, m_event));
}

std::string RolesEditor::assignAllCaption() const
{
    if (!canAssign())
        return "Add this role to all events";
    return fillIn("Add role \"{}\" to \"{}\" in all events",
                  m_d.roles[static_cast<std::size_t>(selectedRole())].name.view(),
                  codeText(m_d, selectedResource()));
}

std::string RolesEditor::unassignAllCaption() const
{
    if (!canUnassign())
        return "Remove this role from all events";
    return fillIn("Remove role \"{}\" from \"{}\" in all events",
                  roleNameOf(m_d, m_event, selectedResource()), codeText(m_d, selectedResource()));
}

std::string RolesEditor::clearAllCaption() const
{
    return fillIn("Clear all {} roles from all events", m_d.assignmentCount);
}

bool RolesEditor::addRole()
{
    if (!canAddRole())
        return false;
    const auto typed =
        m_p.input("Add a new role", fillIn("Enter the name for your {}. role:", m_d.roleCount + 1),
                  "", static_cast<std::size_t>(RoleNameLength));
    if (!typed)
        return false;
    const std::string name = roleName(*typed);
    if (name.empty())
        return false;
    if (findRoleByName(m_d, name) != 0) {
        m_p.warnDlg("This role name already exists - please select another.");
        return false;
    }
    // At the selected line; with none at the top, with the empty line at the end.
    const int position = m_roleLine == 0 ? 1 : m_roleLine;
    const int at = insertRole(m_d, position, name);
    if (at == 0)
        return false;
    m_roleLine = at;
    refresh();
    return true;
}

bool RolesEditor::startFirstRole()
{
    if (rolesExist())
        return false;
    m_p.infoDlg(NoRolesYet, 0, RolesHelpTopic);
    return addRole();
}

bool RolesEditor::editRole()
{
    const int role = selectedRole();
    if (role == 0)
        return false;
    const std::string old = m_d.roles[static_cast<std::size_t>(role)].name.str();
    const auto typed = m_p.input(fillIn("Edit the {}. role", role), fillIn("Change \"{}\":", old),
                                 old, static_cast<std::size_t>(RoleNameLength));
    if (!typed)
        return false;
    const std::string name = roleName(*typed);
    if (name.empty() || name == old)
        return false;
    if (findRoleByName(m_d, name, role) != 0) {
        m_p.warnDlg("This role name already exists - please select another.");
        return false;
    }
    const bool changed = renameRole(m_d, role, name);
    refresh();
    return changed;
}

bool RolesEditor::removeRole()
{
    const int role = selectedRole();
    if (role == 0)
        return false;
    const std::string name = m_d.roles[static_cast<std::size_t>(role)].name.str();
    if (!m_p.sureDlg(fillIn("to remove \"{}\" from the role list", name), 0, RolesHelpTopic))
        return false;
    quivra::removeRole(m_d, role);
    refresh();
    return true;
}

bool RolesEditor::moveRole(int delta)
{
    if (!canMoveRole(delta))
        return false;
    const int role = selectedRole();
    swapRoles(m_d, role, role + delta);
    m_roleLine = role + delta;
    refresh();
    return true;
}

bool RolesEditor::assign()
{
    if (!canAssign())
        return false;
    const int before = roleOf(m_d, m_event, selectedResource());
    setRole(m_d, m_event, selectedResource(),
            m_d.roles[static_cast<std::size_t>(selectedRole())].id);
    refresh();
    return roleOf(m_d, m_event, selectedResource()) != before;
}

bool RolesEditor::unassign()
{
    if (!canUnassign())
        return false;
    removeAssignment(m_d, m_event, selectedResource());
    refresh();
    return true;
}

bool RolesEditor::clear()
{
    bool changed = false;
    for (const CodeId r : members())
        changed = removeAssignment(m_d, m_event, r) != 0 || changed;
    refresh();
    return changed;
}

bool RolesEditor::assignInAllEvents()
{
    if (!canAssign())
        return false;
    const CodeId r = selectedResource();
    const int id = m_d.roles[static_cast<std::size_t>(selectedRole())].id;
    bool changed = false;
    for (const CodeId e : m_events) {
        const int before = roleOf(m_d, e, r);
        setRole(m_d, e, r, id); // stored only where r is a member of e
        changed = changed || roleOf(m_d, e, r) != before;
    }
    refresh();
    return changed;
}

bool RolesEditor::unassignInAllEvents()
{
    if (!canUnassign())
        return false;
    const CodeId r = selectedResource();
    bool changed = false;
    for (const CodeId e : m_events)
        while (removeAssignment(m_d, e, r) != 0)
            changed = true;
    refresh();
    return changed;
}

bool RolesEditor::clearAll()
{
    if (!canClearAll())
        return false;
    if (!m_p.sureDlg(fillIn("to remove all {} roles from all events", m_d.assignmentCount), 0,
                     RolesHelpTopic))
        return false;
    clearAssignments(m_d);
    refresh();
    return true;
}

std::string RolesEditor::copyText() const
{
    std::string text;
    for (int i = 1; i <= m_d.roleCount; ++i)
        text += m_d.roles[static_cast<std::size_t>(i)].name.str() + "\r\n";
    return text;
}

bool RolesEditor::paste(std::string_view text)
{
    bool changed = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\t\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string name = roleName(text.substr(start, end - start));
        start = end + 1;
        if (name.empty() || findRoleByName(m_d, name) != 0)
            continue;
        if (m_d.roleCount >= MaxRoles)
            break;
        changed = insertRole(m_d, m_d.roleCount + 1, name) != 0 || changed;
    }
    refresh();
    return changed;
}

void RolesEditor::close(bool rolesOn)
{
    setRolesOn(m_d, rolesOn);
    normaliseRoles(m_d);
}

void RolesEditor::refresh()
{
    normaliseRoles(m_d);
    m_roleLine = std::clamp(m_roleLine, 0, m_d.roleCount + 1);
    m_resourceLine = std::clamp(m_resourceLine, 0, static_cast<int>(members().size()));
}

} // namespace quivra

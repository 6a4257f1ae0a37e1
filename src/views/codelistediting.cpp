#include "views/codelistediting.h"

#include "commands/codelistcommands.h"
#include "views/codelistform.h"

#include <functional>

namespace quivra {
namespace {

// What a list command did: whether it changed the data set, and the code to make current.
struct ListOutcome
{
    bool changed = false;
    CodeId current = 0;
};

using ListRun = std::function<ListOutcome(ScheduleData &, Prompter &, CodeListForm &)>;

ViewCommand *rowOf(std::vector<ViewCommand> &rows, const QString &id)
{
    for (ViewCommand &row : rows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

// The code a code made earlier now has: sorting renumbers codes, their texts stay.
CodeId again(const ScheduleData &d, const std::string &code)
{
    return code.empty() ? 0 : findCode(d, code);
}

std::string textOf(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) ? std::string(d.codes[c].code.view()) : std::string();
}

void bindListRow(std::vector<ViewCommand> &rows, const QString &id, CodeKind kind,
                 CodeListCommand command, ListRun run)
{
    ViewCommand *row = rowOf(rows, id);
    if (!row)
        return;
    row->run = [run = std::move(run)](ViewForm &view) {
        ViewHost *host = view.host();
        if (!host)
            return;
        auto &form = static_cast<CodeListForm &>(view);
        const ListOutcome out = run(host->data(), host->prompter(), form);
        const std::string current = textOf(host->data(), out.current);
        if (out.changed)
            host->dataChanged();
        if (const CodeId c = again(host->data(), current))
            host->pickCode(c);
    };
    row->enabled = [kind, command](const ViewForm &view) {
        ViewHost *host = view.host();
        if (!host)
            return false;
        const auto &form = static_cast<const CodeListForm &>(view);
        return codeListEnabled(host->data(), kind, command, form.selectedCode(), form.searchText());
    };
}

// After a new code: the automatic sort by code, unless the order is locked.
void sortNewCode(ViewHost &host, CodeKind kind)
{
    const Settings::Preferences &prefs = host.settings().preferences;
    if (prefs.autoSort && !prefs.lockSort) {
        sortCodes(host.data(), SortByCode, kind, true, prefs.categorySort[0]);
        rebuildLists(host.data());
    }
}

} // namespace

CollectionsSession collectionsSession(ViewHost &host)
{
    return [&host](CollectionsEditor &editor) { host.showCollections(editor); };
}

void bindCodeListEditing(std::vector<ViewCommand> &rows, CodeKind kind)
{
    using C = CodeListCommand;
    const QString prefix = kind == CodeKind::Event ? "events." : "resources.";
    const auto changed = [](bool yes, CodeId current = 0) { return ListOutcome{yes, current}; };

    bindListRow(
        rows, prefix + "new", kind, C::New, [kind](ScheduleData &d, Prompter &p, CodeListForm &f) {
            ViewHost &host = *f.host();
            const CodeId made = newListCode(d, p, kind, f.selectedCode(), collectionsSession(host));
            if (made == 0)
                return ListOutcome{};
            const std::string code = textOf(d, made);
            sortNewCode(host, kind);
            return ListOutcome{true, again(d, code)};
        });
    bindListRow(rows, prefix + "edit", kind, C::Edit,
                [changed](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    return changed(
                        editListCode(d, p, f.selectedCode(), collectionsSession(*f.host())));
                });
    bindListRow(rows, prefix + "delete", kind, C::Delete,
                [changed](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    return changed(deleteListCode(d, p, f.selectedCode()));
                });
    bindListRow(rows, prefix + "duplicate", kind, C::Duplicate,
                [](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    const CodeId copy = duplicateListCode(d, p, f.selectedCode());
                    return ListOutcome{copy != 0, copy};
                });
    bindListRow(rows, prefix + "recode", kind, C::Recode,
                [changed](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    return changed(recodeListCode(d, p, f.selectedCode()));
                });
    bindListRow(rows, prefix + "rename", kind, C::Rename,
                [changed](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    return changed(renameListCode(d, p, f.selectedCode()));
                });
    bindListRow(rows, prefix + "recategorize", kind, C::Recategorize,
                [changed](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    return changed(recategoriseListCode(d, p, f.selectedCode()));
                });
    bindListRow(rows, prefix + "colour", kind, C::Colour,
                [changed](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    return changed(setListCodeColour(d, p, f.selectedCode()));
                });
    for (const int step : {-1, 1}) {
        bindListRow(rows, prefix + (step < 0 ? "moveUp" : "moveDown"), kind,
                    step < 0 ? C::MoveUp : C::MoveDown,
                    [step](ScheduleData &d, Prompter &, CodeListForm &f) {
                        const CodeId c = f.selectedCode();
                        const std::string code = textOf(d, c);
                        const bool moved = moveListCode(d, c, step);
                        return ListOutcome{moved, moved ? again(d, code) : CodeId{0}};
                    });
    }
    for (const bool repeat : {false, true}) {
        bindListRow(rows, prefix + (repeat ? "searchAgain" : "find"), kind,
                    repeat ? C::SearchAgain : C::Find,
                    [kind, repeat](ScheduleData &d, Prompter &p, CodeListForm &f) {
                        // Search again goes on by the links while there is no text.
                        if (repeat && f.searchText().empty() && f.linkSearch().active()) {
                            const CodeId next =
                                findNextLinked(d, kind, f.selectedCode(), f.linkSearch());
                            return ListOutcome{false, next};
                        }
                        // A new Find ends the search by links.
                        if (!repeat)
                            f.linkSearch() = {};
                        return ListOutcome{false, findListCode(d, p, kind, f.selectedCode(),
                                                               f.searchText(), repeat)};
                    });
    }
    // Search again is offered for a search by links as well.
    if (ViewCommand *again = rowOf(rows, prefix + "searchAgain")) {
        again->enabled = [kind](const ViewForm &view) {
            ViewHost *host = view.host();
            const auto &form = static_cast<const CodeListForm &>(view);
            return host && form.selectedCode() != 0 &&
                   (form.linkSearch().active() ||
                    codeListEnabled(host->data(), kind, CodeListCommand::SearchAgain,
                                    form.selectedCode(), form.searchText()));
        };
    }
    for (const bool notLinked : {false, true}) {
        bindListRow(
            rows, prefix + (notLinked ? "findNotLinked" : "findLinked"), kind, C::FindByLinks,
            [kind, notLinked](ScheduleData &d, Prompter &p, CodeListForm &f) {
                return ListOutcome{false, findByLinks(d, p, kind, f.selectedCode(), f.searchText(),
                                                      f.linkSearch(), notLinked)};
            });
    }
    bindListRow(rows, prefix + "info", kind, C::Info,
                [](ScheduleData &d, Prompter &p, CodeListForm &f) {
                    if (ViewHost *host = f.host())
                        host->showCodeInfo(f.selectedCode());
                    else
                        showListCodeInfo(d, p, f.selectedCode());
                    return ListOutcome{};
                });
}

} // namespace quivra

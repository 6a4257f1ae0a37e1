#include "shell/commandlisting.h"

#include "files/settings.h"
#include "shell/mainframe.h"
#include "ui/ports.h"
#include "views/viewcommands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <array>
#include <ostream>

namespace quivra {
namespace {

// "&Open ..." reads "Open ..."; a doubled "&&" is a real ampersand.
QString plainCaption(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove('&');
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption;
}

QString menuPath(const QString &path)
{
    return path.split('/').join(QStringLiteral(" > "));
}

QString keysText(const QList<QKeySequence> &keys)
{
    QStringList texts;
    for (const QKeySequence &key : keys) {
        if (!key.isEmpty())
            texts << key.toString(QKeySequence::PortableText);
    }
    return texts.join(QStringLiteral(", "));
}

// A cell of a Markdown table: a bar would end the cell.
QString cell(QString text)
{
    return text.replace('|', QStringLiteral("\\|"));
}

QString viewWork(ViewTag tag)
{
    switch (tag) {
    case ViewTag::Resources:
    case ViewTag::Events:
        return QStringLiteral("the %1 view's schedule copies").arg(viewName(tag));
    default:
        return QStringLiteral("the %1 view's editing").arg(viewName(tag));
    }
}

// How the listing says whether a command works: "yes", or what it waits for.
QString availability(const ListedCommand &c, const QString &no)
{
    if (c.wired)
        return c.shownWhen.isEmpty() ? QStringLiteral("yes") : "yes, shown when " + c.shownWhen;
    return c.later.isEmpty() ? no : no + " (" + c.later + ")";
}

} // namespace

std::vector<ListedCommand> listCommands(const std::vector<FrameCommand> &frame)
{
    std::vector<ListedCommand> listed;
    for (const FrameCommand &row : frame) {
        listed.push_back({row.id, QStringLiteral("Frame"), menuPath(row.menu),
                          plainCaption(row.caption), keysText({row.shortcut}),
                          static_cast<bool>(row.run), row.later,
                          !row.currentCaption || !row.currentCaption().isEmpty(), row.shownWhen});
    }
    for (const ViewTag tag :
         {ViewTag::Resources, ViewTag::Events, ViewTag::Weeks, ViewTag::Timetables}) {
        for (const ViewCommand &row : viewCommands(tag)) {
            // What a view does not offer yet comes with the work on that view.
            const QString later = row.run ? QString() : viewWork(tag);
            listed.push_back({row.id,
                              viewName(tag),
                              menuPath(row.menu),
                              plainCaption(row.caption),
                              keysText(row.shortcuts),
                              static_cast<bool>(row.run),
                              later,
                              true,
                              {}});
        }
    }
    return listed;
}

QString commandsText(const std::vector<ListedCommand> &commands)
{
    const QStringList header = {"ID", "WINDOW", "MENU", "CAPTION", "SHORTCUT", "WIRED"};
    std::vector<QStringList> lines{header};
    for (const ListedCommand &c : commands) {
        lines.push_back(
            {c.id, c.window, c.menu, c.caption, c.shortcut, availability(c, QStringLiteral("no"))});
    }
    std::array<qsizetype, 6> widths{};
    for (const QStringList &line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], line[i].size());
    }
    QString text;
    for (const QStringList &line : lines) {
        QString row;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i + 1 < line.size())
                row += line[i].leftJustified(widths[static_cast<std::size_t>(i)] + 2);
            else
                row += line[i];
        }
        text += row + '\n';
    }
    return text;
}

QByteArray commandsJson(const std::vector<ListedCommand> &commands)
{
    QJsonArray array;
    for (const ListedCommand &c : commands) {
        array.append(QJsonObject{{"id", c.id},
                                 {"window", c.window},
                                 {"menu", c.menu},
                                 {"caption", c.caption},
                                 {"shortcut", c.shortcut},
                                 {"wired", c.wired},
                                 {"shown", c.shown}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString commandsMarkdown(const std::vector<ListedCommand> &commands)
{
    QString text = QStringLiteral(
        "# Commands and keys\n"
        "\n"
        "Every command of Quivra: the main frame's menus and the commands of each view, with\n"
        "their keys. The keys of a view work while that view is active, together with the\n"
        "frame's keys; a view's pop-up menu (right click) holds its menus. Commands marked\n"
        "\"not yet\" are shown in the menus but are disabled in this version; beside each is\n"
        "the part of the program it comes with.\n"
        "\n"
        "This file is made by `scripts/commands-doc.sh` from `quivra --list-commands`; do not\n"
        "edit it by hand.\n");
    QString window;
    for (const ListedCommand &c : commands) {
        if (c.window != window) {
            window = c.window;
            text += QStringLiteral("\n## %1\n\n")
                        .arg(window == QLatin1String("Frame") ? QStringLiteral("Main frame")
                                                              : window + " view");
            text += QStringLiteral("| Menu | Command | Keys | Available |\n"
                                   "|---|---|---|---|\n");
        }
        text += QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                    .arg(cell(c.menu), cell(c.caption), cell(c.shortcut),
                         availability(c, QStringLiteral("not yet")));
    }
    return text;
}

int printCommandListing(std::ostream &out, ListingFormat format)
{
    // A frame over an empty data set, with no settings file and no folders: it only has to
    // exist for its command table to be built.
    auto data = makeScheduleData();
    Settings settings;
    FixedClock clock{0};
    TFrameForm frame(*data, settings, SettingsPaths{}, clock);
    const std::vector<ListedCommand> commands = listCommands(frame.commands());
    switch (format) {
    case ListingFormat::Json:
        out << commandsJson(commands).toStdString();
        break;
    case ListingFormat::Markdown:
        out << commandsMarkdown(commands).toStdString();
        break;
    case ListingFormat::Text:
        out << commandsText(commands).toStdString();
        break;
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace quivra

#pragma once

// Every command of the program in one list: the main frame's and each view's, with where it
// sits, its keys and whether it does anything yet. "quivra --list-commands" prints it, and the
// keyboard reference docs/commands.md is made from it.

#include "shell/commandtable.h"

#include <QByteArray>
#include <QString>

#include <iosfwd>
#include <vector>

namespace quivra {

struct ListedCommand
{
    QString id;
    QString window;   // "Frame", or the view's name
    QString menu;     // "Tools > Clear"
    QString caption;  // without its "&" accelerator
    QString shortcut; // every key, ", " between them; empty when none
    bool wired = false;
    QString later; // unwired: the part of the program it waits for
    bool shown = true; // shown in its menu as the program stands now
    QString shownWhen; // the condition of an item shown only under one
};

// The frame's rows, then the rows of the Resources, Events, Weeks and Timetables views.
std::vector<ListedCommand> listCommands(const std::vector<FrameCommand> &frame);

// A table to read in a terminal; the JSON array (one object with the keys id, window, menu,
// caption, shortcut, wired and shown per command); the keyboard reference in Markdown.
QString commandsText(const std::vector<ListedCommand> &commands);
QByteArray commandsJson(const std::vector<ListedCommand> &commands);
QString commandsMarkdown(const std::vector<ListedCommand> &commands);

enum class ListingFormat { Text, Json, Markdown };

// Builds a frame (the QApplication must exist; no window is shown and no file or setting is
// touched), lists its commands and those of the views to `out`. Returns the exit code.
int printCommandListing(std::ostream &out, ListingFormat format);

} // namespace quivra

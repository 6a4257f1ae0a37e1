#pragma once

// The profile and language commands of the File menu.
//
// A profile (".qvp") is a settings file under another name: opening one reads it over the
// settings in use, saving one writes the settings in use into a copy of the settings file.
// Restoring the factory settings removes the settings files the program writes and starts again
// from the defaults and the installed settings. A language file (".cfw") carries the texts of a
// data set; changing the language reads only those texts into the open data set, extracting
// writes the current texts and defaults to a new language file.
//
// Every command asks for its file first; Cancel changes nothing. A file that cannot be read, or
// that is not a profile or language file at all (binary data, lines that are no settings, values
// out of range), is refused as a whole with a message saying why, and nothing changes.
//
// Commands return true when they changed or wrote what they were asked to.

#include "commands/session.h"

namespace quivra {

// Open profile: the chosen profile's values replace the settings in use; views are refreshed.
bool openProfile(Session &s);
// Save profile: writes the settings in use to the chosen file, keeping the other lines of the
// settings file it starts from.
bool saveProfileAs(Session &s);
// Restore all factory settings: asks first; removes the settings files the program writes and
// reloads the settings from the defaults (and the installed settings file, if any).
bool restoreFactorySettings(Session &s);

// Change language: reads the texts of the chosen language file into the open data set.
bool changeLanguage(Session &s);
// Extract language: writes the texts and defaults of the data set to the chosen file.
bool extractLanguage(Session &s);

} // namespace quivra

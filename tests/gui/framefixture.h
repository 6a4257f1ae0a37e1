#pragma once

// A main frame over a data set of its own, with the settings, folders and clock its session
// needs, for widget tests that drive the frame as a user would.

#include "commands/filecommands.h"
#include "commands/session.h"
#include "engine/scheduledata.h"
#include "files/settings.h"
#include "shell/mainframe.h"
#include "ui/ports.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <memory>

struct FrameFixture
{
    explicit FrameFixture(quivra::SettingsPaths paths = {},
                          std::unique_ptr<quivra::ScheduleData> data = quivra::makeScheduleData())
        : d(std::move(data)), frame(*d, settings, std::move(paths), clock)
    {}

    // Opens `path` the way File|Open does once the file is chosen.
    bool open(const QString &path)
    {
        return quivra::openWindows(frame.session(), path.toStdString());
    }

    // Opens a copy of the shipped file `path` (the demo): the session locks the file it opens,
    // and tests running side by side must not find the shipped one in use.
    bool openCopy(const QString &path)
    {
        const QString copy = m_copies.filePath(QFileInfo(path).fileName());
        QFile::remove(copy);
        return QFile::copy(path, copy) &&
               QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
               open(copy);
    }

    QTemporaryDir m_copies;
    std::unique_ptr<quivra::ScheduleData> d;
    quivra::Settings settings;
    quivra::FixedClock clock{45901};
    quivra::TFrameForm frame;
};

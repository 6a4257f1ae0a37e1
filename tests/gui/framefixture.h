#pragma once

// A main frame over a data set of its own, with the settings, folders and clock its session
// needs, for widget tests that drive the frame as a user would.

#include "commands/filecommands.h"
#include "commands/session.h"
#include "engine/scheduledata.h"
#include "files/settings.h"
#include "shell/mainframe.h"
#include "ui/ports.h"

#include <QString>

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

    std::unique_ptr<quivra::ScheduleData> d;
    quivra::Settings settings;
    quivra::FixedClock clock{45901};
    quivra::TFrameForm frame;
};

// The desktop program: creates the one data set and the main frame, and opens the data file
// named on the command line.
//
// Hidden option for documentation: "--screenshot FILE" saves a picture of the frame once it is
// shown and ends the program.

#include "engine/scheduledata.h"
#include "shell/tframeform.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace {

struct CommandLine
{
    QString dataFile;
    QString screenshot;
};

CommandLine parse(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--screenshot") && i + 1 < arguments.size())
            line.screenshot = arguments[++i];
        else if (argument.compare(QLatin1String("/T"), Qt::CaseInsensitive) == 0 ||
                 argument.compare(QLatin1String("/W"), Qt::CaseInsensitive) == 0)
            continue; // switches of the file commands, not handled by the frame yet
        else if (line.dataFile.isEmpty())
            line.dataFile = argument;
    }
    return line;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quivra"));
    QApplication::setApplicationVersion(QStringLiteral(QUIVRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quivra"));

    const CommandLine line = parse(QApplication::arguments());
    auto data = quivra::makeScheduleData();
    quivra::TFrameForm frame(*data);
    frame.show();

    if (!line.dataFile.isEmpty()) {
        QString error;
        if (!frame.openDataFile(line.dataFile, &error)) {
            if (!line.screenshot.isEmpty()) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(line.dataFile), qPrintable(error));
                return 1;
            }
            QMessageBox::warning(&frame, QStringLiteral("Error"),
                                 QStringLiteral("%1\n\n%2").arg(line.dataFile, error));
        }
    }

    if (!line.screenshot.isEmpty()) {
        // Let the frame lay itself out and paint before it is grabbed.
        QTimer::singleShot(500, &frame, [&frame, &line] {
            const bool saved = frame.grab().save(line.screenshot);
            if (!saved)
                std::fprintf(stderr, "cannot write %s\n", qPrintable(line.screenshot));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
